#include "transfer/TransferStatus.h"

#include "net/DialConnection.h"

void CTransferStatus::SetStatusText(const char* pszText)
{
    {
        CSingleLock hold(&m_lock, TRUE);
        m_strStatusText = pszText;
    }
    Notify();
}

CString CTransferStatus::GetStatusText()
{
    CSingleLock hold(&m_lock, TRUE);
    return m_strStatusText;
}

void CTransferStatus::SetProgressData(int nCount, BOOL bNotify)
{
    {
        CSingleLock hold(&m_lock, TRUE);
        m_nProgress = nCount;
    }
    if (bNotify)
        Notify();
}

int CTransferStatus::GetProgressData()
{
    CSingleLock hold(&m_lock, TRUE);
    return m_nProgress;
}

void CTransferStatus::SetProgressWindow(HWND hWnd, UINT nUpdateMessage)
{
    CSingleLock hold(&m_lock, TRUE);
    m_hProgressWnd = hWnd;
    m_nUpdateMessage = nUpdateMessage;
}

void CTransferStatus::Notify()
{
    HWND wnd;
    UINT message;
    {
        CSingleLock hold(&m_lock, TRUE);
        wnd = m_hProgressWnd;
        message = m_nUpdateMessage;
    }
    // Posted, never sent: the transfer thread must not wait for the window.
    if (wnd && message)
        PostMessageA(wnd, message, 0, 0);
}

void SetTransferStatusText(CTransferStatus* pStatus, const char* pszText)
{
    if (pStatus)
        pStatus->SetStatusText(pszText);
}
