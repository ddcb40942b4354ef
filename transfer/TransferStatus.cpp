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
    bool bPost;
    {
        CSingleLock hold(&m_cs, TRUE);
        hWnd = m_pProgressWnd;
        if (!hWnd)
            return;
        bPost = GetWindowThreadProcessId(hWnd, nullptr) != GetCurrentThreadId();
        if (bPost) {
            // A message still on its way makes the window read this change too.
            if (m_bNotifyPosted)
                return;
            m_bNotifyPosted = true;
        }
    }
    if (!bPost) {
        ::SendMessageA(hWnd, kProgressMessage, 0, 0);
        return;
    }
    if (!::PostMessageA(hWnd, kProgressMessage, 0, 0)) {
        CSingleLock hold(&m_cs, TRUE);
        m_bNotifyPosted = false;
    }
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
    m_bNotifyPosted = false;
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
