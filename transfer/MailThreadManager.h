// CMailThreadManager: the watchdog of one session thread. It runs on a
// thread of its own, gets signs of life from the session thread (touch),
// checks on its own timer whether the session still moves, and when it does
// not, first asks the session to stop and only as the last resort ends the
// thread: never while the thread writes to a mail store or updates its
// status, and never after the session thread has let go of it.
//
// Times are in milliseconds throughout: the armed period T is the account's
// time-out; a session silent for more than 2T + 2 s is asked to abort, one
// silent for more than 3T + 2 s is ended.
#pragma once

#include "classlib/ClassLib.h"

class CTransferStatus;

class CMailThreadManager : public CWinThread
{
public:
    CMailThreadManager();
    ~CMailThreadManager() override;

    // The thread to watch (its handle is duplicated), the lock it holds
    // while it writes to a store (may be null) and its status.
    void Watch(HANDLE hThread, DWORD dwThreadId, CCriticalSection* pStoreLock, CTransferStatus* pStatus);
    // The session thread lets go: from now on nothing of it is touched.
    // Called by the session thread before it ends normally.
    void Detach();
    // The thread the watchdog posts its end report to (0: none).
    void SetMainThreadId(DWORD dwThreadId) { m_dwMainThreadId = dwThreadId; }

    virtual void Arm(int nElapse);
    virtual void Disarm();
    virtual void Check();

    BOOL InitInstance() override { return TRUE; }
    int ExitInstance() override;

    int GetAbortThreshold() const { return 2 * m_nElapse + 2000; }
    int GetTerminateThreshold() const { return 3 * m_nElapse + 2000; }
    // Whether the watchdog ended the watched thread itself.
    bool HasTerminated() const { return m_bTerminated; }
    bool HasAborted() const { return m_bAborted; }

    // Process-wide registry: the watchdog thread of a watched thread.
    static DWORD FindWatchdogOf(DWORD dwWatchedId);

    int m_nElapse = 10000;
    HANDLE m_hWatched = nullptr;  // duplicate, owned
    DWORD m_nWatchedId = 0;
    ULONGLONG m_tLastTouch = 0;   // GetTickCount64 of the last sign of life

protected:
    // Asks the session to stop (abort event, stop flag); called on the
    // watchdog thread under the guard.
    virtual void RequestAbort() {}
    // After the thread was ended: what the session left half-done.
    virtual void AfterTerminate() {}
    // Asks the watched thread to stop, waits up to dwWaitMs for it, and
    // ends it when it is still there. Ends the own loop in every case.
    void EndWatchedThread(DWORD dwWaitMs);
    void StartTimer(UINT nPeriod);
    void StopTimer();
    bool IsDetached();
    ULONGLONG Elapsed() const;

    void OnTouch(WPARAM, LPARAM);
    void OnArm(WPARAM, LPARAM lParam);
    void OnCheck(WPARAM, LPARAM);
    void OnEndWatched(WPARAM, LPARAM);
    void OnQuit(WPARAM, LPARAM);

    CCriticalSection m_guard;  // held while the session's things are touched
    bool m_bDetached = false;
    CCriticalSection* m_pStoreLock = nullptr;
    CTransferStatus* m_pStatus = nullptr;
    UINT_PTR m_nTimer = 0;
    DWORD m_dwMainThreadId = 0;
    volatile bool m_bTerminated = false;
    volatile bool m_bAborted = false;

    DECLARE_MESSAGE_MAP()
};
