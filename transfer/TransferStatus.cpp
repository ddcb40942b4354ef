#include "transfer/TransferStatus.h"

#include "net/DialConnection.h"

void CTransferStatus::SetStatusText(const char* pszText)
{
    {
        CSingleLock hold(&m_cs, TRUE);
        m_strDetail = pszText ? pszText : "";
    }
    Notify();
}

void CTransferStatus::SetProgressData(int nValue, BOOL bNotify)
{
    {
        CSingleLock hold(&m_cs, TRUE);
        m_nDone = nValue;
    }
    if (bNotify)
        Notify();
}

void CTransferStatus::GetProgressData(int& nDone, int& nSize)
{
    CSingleLock hold(&m_cs, TRUE);
    nDone = m_nDone;
    nSize = m_nSize;
}

void CTransferStatus::CopyText(const CString& text, char* pszBuffer, int nLength)
{
    if (!pszBuffer || nLength <= 0)
        return;
    int n = text.GetLength();
    if (n > nLength - 1)
        n = nLength - 1;
    memcpy(pszBuffer, text.GetString(), static_cast<size_t>(n));
    pszBuffer[n] = '\0';
}

void CTransferStatus::GetStatusText(char* pszBuffer, int nLength)
{
    CSingleLock hold(&m_cs, TRUE);
    CopyText(m_strDetail, pszBuffer, nLength);
}

CString CTransferStatus::GetStatusText()
{
    CSingleLock hold(&m_cs, TRUE);
    return m_strDetail;
}

void CTransferStatus::Notify()
{
    HWND hWnd;
    {
        CSingleLock hold(&m_cs, TRUE);
        hWnd = m_pProgressWnd;
    }
    if (!hWnd || !IsWindow(hWnd))
        return;
    // Sent, so that the bar shows each state; a UI thread that does not
    // answer does not hold the transfer for ever.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hWnd, kProgressMessage, 0, 0, SMTO_NORMAL, kNotifyTimeoutMs, &result);
}

bool CTransferStatus::HasChanged()
{
    CSingleLock hold(&m_cs, TRUE);
    if (m_nTotal == m_nLastTotal && m_nCurrent == m_nLastCurrent && m_nSize == m_nLastSize &&
        m_nDone == m_nLastDone && m_nExtra == m_nLastExtra)
        return false;
    m_nLastTotal = m_nTotal;
    m_nLastCurrent = m_nCurrent;
    m_nLastSize = m_nSize;
    m_nLastDone = m_nDone;
    m_nLastExtra = m_nExtra;
    return true;
}

void CTransferStatus::SetProgressWindow(HWND hWnd)
{
    CSingleLock hold(&m_cs, TRUE);
    m_pProgressWnd = hWnd;
}

HWND CTransferStatus::GetProgressWindow()
{
    CSingleLock hold(&m_cs, TRUE);
    return m_pProgressWnd;
}

void SetTransferStatusText(CTransferStatus* pStatus, const char* pszText)
{
    if (pStatus)
        pStatus->SetStatusText(pszText);
}
