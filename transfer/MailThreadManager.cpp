#include "transfer/MailThreadManager.h"

#include "transfer/TransferMessages.h"
#include "transfer/TransferStatus.h"

#include <map>

namespace {

CCriticalSection& RegistryLock()
{
    static CCriticalSection lock;
    return lock;
}

std::map<DWORD, DWORD>& Registry()
{
    static std::map<DWORD, DWORD> watchdogs;  // watched thread id -> watchdog thread id
    return watchdogs;
}

void CALLBACK CheckTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    ::PostThreadMessageA(GetCurrentThreadId(), TM_WATCHDOG_CHECK, 0, 0);
}

} // namespace

BEGIN_MESSAGE_MAP(CMailThreadManager, CWinThread)
    ON_THREAD_MESSAGE(TM_WATCHDOG_TOUCH, OnTouch)
    ON_THREAD_MESSAGE(TM_WATCHDOG_ARM, OnArm)
    ON_THREAD_MESSAGE(TM_WATCHDOG_CHECK, OnCheck)
    ON_THREAD_MESSAGE(TM_WATCHDOG_END_WATCHED, OnEndWatched)
    ON_THREAD_MESSAGE(TM_QUIT, OnQuit)
END_MESSAGE_MAP()

CMailThreadManager::CMailThreadManager()
{
    // The session thread owns the watchdog and waits for it before freeing it.
    m_bAutoDelete = FALSE;
}

CMailThreadManager::~CMailThreadManager()
{
    if (m_hWatched)
        CloseHandle(m_hWatched);
}

void CMailThreadManager::Watch(HANDLE hThread, DWORD dwThreadId, CCriticalSection* pStoreLock, CTransferStatus* pStatus)
{
    if (m_hWatched)
        CloseHandle(m_hWatched);
    m_hWatched = nullptr;
    DuplicateHandle(GetCurrentProcess(), hThread, GetCurrentProcess(), &m_hWatched, 0, FALSE, DUPLICATE_SAME_ACCESS);
    m_nWatchedId = dwThreadId;
    m_pStoreLock = pStoreLock;
    m_pStatus = pStatus;
    CSingleLock hold(&RegistryLock(), TRUE);
    Registry()[dwThreadId] = m_nThreadID;
}

void CMailThreadManager::Detach()
{
    {
        CSingleLock hold(&m_guard, TRUE);
        m_bDetached = true;
        m_pStatus = nullptr;
        m_pStoreLock = nullptr;
    }
    CSingleLock hold(&RegistryLock(), TRUE);
    auto it = Registry().find(m_nWatchedId);
    if (it != Registry().end() && it->second == m_nThreadID)
        Registry().erase(it);
}

bool CMailThreadManager::IsDetached()
{
    CSingleLock hold(&m_guard, TRUE);
    return m_bDetached;
}

DWORD CMailThreadManager::FindWatchdogOf(DWORD dwWatchedId)
{
    CSingleLock hold(&RegistryLock(), TRUE);
    auto it = Registry().find(dwWatchedId);
    return it == Registry().end() ? 0 : it->second;
}

int CMailThreadManager::ExitInstance()
{
    StopTimer();
    {
        CSingleLock hold(&RegistryLock(), TRUE);
        auto it = Registry().find(m_nWatchedId);
        if (it != Registry().end() && it->second == m_nThreadID)
            Registry().erase(it);
    }
    return CWinThread::ExitInstance();
}

ULONGLONG CMailThreadManager::Elapsed() const
{
    ULONGLONG now = GetTickCount64();
    return now > m_tLastTouch ? now - m_tLastTouch : 0;
}

void CMailThreadManager::StartTimer(UINT nPeriod)
{
    StopTimer();
    m_nTimer = SetTimer(nullptr, 0, nPeriod, CheckTimerProc);
}

void CMailThreadManager::StopTimer()
{
    if (m_nTimer)
        KillTimer(nullptr, m_nTimer);
    m_nTimer = 0;
}

void CMailThreadManager::Arm(int) {}
void CMailThreadManager::Disarm() {}
void CMailThreadManager::Check() {}

void CMailThreadManager::EndWatchedThread(DWORD dwWaitMs)
{
    StopTimer();
    {
        CSingleLock hold(&m_guard, TRUE);
        if (!m_bDetached) {
            m_bAborted = true;
            RequestAbort();
        }
    }
    // Asked first: a session thread whose loop still runs ends its session
    // the orderly way (the server commits what was done) and then itself.
    if (m_nWatchedId)
        ::PostThreadMessageA(m_nWatchedId, TM_SESSION_ABORT, 0, 0);
    if (m_hWatched && WaitForSingleObject(m_hWatched, dwWaitMs) == WAIT_TIMEOUT) {
        CSingleLock hold(&m_guard, TRUE);
        if (!m_bDetached) {
            // Never inside a store write or a status update: both locks are
            // taken here, so the thread cannot be in either while it ends.
            // A thread that keeps the store busy is waited for.
            for (;;) {
                if (WaitForSingleObject(m_hWatched, 0) != WAIT_TIMEOUT)
                    break;
                if (!m_pStoreLock || TryEnterCriticalSection(*m_pStoreLock)) {
                    bool bStatusHeld = m_pStatus && TryEnterCriticalSection(m_pStatus->GetLock());
                    if (bStatusHeld || !m_pStatus) {
                        TerminateThread(m_hWatched, 0);
                        WaitForSingleObject(m_hWatched, 5000);
                        m_bTerminated = true;
                        if (bStatusHeld)
                            LeaveCriticalSection(m_pStatus->GetLock());
                    }
                    if (m_pStoreLock)
                        LeaveCriticalSection(*m_pStoreLock);
                    if (m_bTerminated)
                        break;
                }
                Sleep(20);
            }
            if (m_bTerminated) {
                AfterTerminate();
                if (m_dwMainThreadId)
                    ::PostThreadMessageA(m_dwMainThreadId, TM_SESSION_END, 0, 1);
            }
        }
    }
    PostQuitMessage(0);
}

void CMailThreadManager::OnTouch(WPARAM, LPARAM)
{
    m_tLastTouch = GetTickCount64();
}

void CMailThreadManager::OnArm(WPARAM, LPARAM lParam)
{
    Arm(static_cast<int>(lParam));
}

void CMailThreadManager::OnCheck(WPARAM, LPARAM)
{
    Check();
}

void CMailThreadManager::OnEndWatched(WPARAM, LPARAM)
{
    // The main window's abort: the session was told to stop; give it three
    // seconds before it is ended.
    EndWatchedThread(3000);
}

void CMailThreadManager::OnQuit(WPARAM, LPARAM)
{
    Disarm();
    PostQuitMessage(0);
}
