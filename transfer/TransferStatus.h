// CTransferStatus: the progress state of a transfer (texts and counters
// under a lock) that the progress window shows.
#pragma once

#include "classlib/ClassLib.h"

class CTransferStatus
{
public:
    CTransferStatus() = default;
    CTransferStatus(const CTransferStatus&) = delete;
    CTransferStatus& operator=(const CTransferStatus&) = delete;
    virtual ~CTransferStatus() = default;

    // Stores the detail text (a reply, a command, a dial-up state) and
    // updates the progress window.
    void SetStatusText(const char* pszText);
    CString GetStatusText();
    // Stores the bytes transferred; with bNotify the progress window is updated.
    void SetProgressData(int nCount, BOOL bNotify);
    int GetProgressData();

    // The progress window that shows this state (null: none); it receives
    // nUpdateMessage when something changed.
    void SetProgressWindow(HWND hWnd, UINT nUpdateMessage);

private:
    void Notify();

    CCriticalSection m_lock;
    CString m_strStatusText;
    int m_nProgress = 0;
    HWND m_hProgressWnd = nullptr;
    UINT m_nUpdateMessage = 0;
};
