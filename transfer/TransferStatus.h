// CTransferStatus: the progress of one session (texts and counters under a
// lock). Session threads, protocol clients and dial-up callbacks write it
// from their threads; a change is told to the bound progress window, which
// reads the values back on the UI thread. The receive watchdog asks it
// whether anything moved since its last check.
#pragma once

#include "classlib/ClassLib.h"

class CTransferStatus
{
public:
    // Window message that tells the progress window of a change.
    static constexpr UINT kProgressMessage = 1454;

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
    // Tells the bound window of a change: at once on the window's own
    // thread; from another thread by a posted message, of which one at a
    // time is under way (the window reads the latest values), so that a
    // session never waits for the UI thread. Never called with the lock held.
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
    // The window reads the values: the next change posts again. The caller
    // holds the lock.
    void MarkRead() { m_bNotifyPosted = false; }

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
    bool m_bNotifyPosted = false;  // a progress message is on its way
};
