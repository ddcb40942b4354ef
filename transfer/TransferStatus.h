// CTransferStatus: the progress of one session (texts and counters under a
// lock). Session threads, protocol clients and dial-up callbacks write it
// from their threads; every change is sent to the bound progress window,
// which reads the values back on the UI thread. The receive watchdog asks it
// whether anything moved since its last check.
#pragma once

#include "classlib/ClassLib.h"

class CTransferStatus
{
public:
    // Window message sent to the progress window on every change.
    static constexpr UINT kProgressMessage = 1454;
    // How long a writer waits for a progress window that does not answer.
    static constexpr UINT kNotifyTimeoutMs = 5000;

    CTransferStatus() = default;
    CTransferStatus(const CTransferStatus&) = delete;
    CTransferStatus& operator=(const CTransferStatus&) = delete;
    virtual ~CTransferStatus() = default;

    // The detail line (connecting, a reply, an error text ...).
    void SetStatusText(const char* pszText);
    // Bytes done of the current item; with bNotify the window is updated.
    void SetProgressData(int nValue, BOOL bNotify);
    void GetProgressData(int& nDone, int& nSize);
    // Copies the detail line into the buffer (at most nLength bytes with its end).
    void GetStatusText(char* pszBuffer, int nLength);
    CString GetStatusText();
    // Sends the progress message when a window is bound. Never called with
    // the lock held, so the UI thread can read while the writer waits.
    void Notify();
    // False when the counters equal the copies of the last call; otherwise
    // the copies are updated and the answer is true.
    bool HasChanged();

    void SetProgressWindow(HWND hWnd);
    HWND GetProgressWindow();
    // The lock of the values; the watchdog holds it while it ends a session
    // thread, so that the thread is never ended inside an update.
    CCriticalSection& GetLock() { return m_cs; }

protected:
    static void CopyText(const CString& text, char* pszBuffer, int nLength);

    CCriticalSection m_cs;
    CString m_strDetail;
    CString m_strStatus;
    int m_nTotal = 0;
    int m_nCurrent = 0;
    int m_nSize = 0;
    int m_nDone = 0;
    int m_nExtra = -1;
    int m_nLastTotal = 0;
    int m_nLastCurrent = 0;
    int m_nLastSize = 0;
    int m_nLastDone = 0;
    int m_nLastExtra = -1;
    HWND m_pProgressWnd = nullptr;
};
