#include "editor/DirChangeWatcher.h"

#include "classlib/SingleLock.h"

CDirChangeWatcher::CDirChangeWatcher()
{
    m_hRunning = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CDirChangeWatcher::~CDirChangeWatcher()
{
    Stop();
    if (m_hRunning)
        CloseHandle(m_hRunning);
    if (m_hStop)
        CloseHandle(m_hStop);
}

bool CDirChangeWatcher::IsRunning() const
{
    CSingleLock hold(&m_lock, TRUE);
    return m_hThread && WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT;
}

bool CDirChangeWatcher::Start(const char* pszFolder, HWND hTarget)
{
    {
        CSingleLock hold(&m_lock, TRUE);
        if (m_hThread)
            return WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT;
        DWORD attributes = pszFolder && *pszFolder ? GetFileAttributesA(pszFolder) : INVALID_FILE_ATTRIBUTES;
        if (!m_hRunning || !m_hStop || attributes == INVALID_FILE_ATTRIBUTES ||
            !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        m_strFolder = pszFolder;
        m_hTarget = hTarget;
        m_hChange = FindFirstChangeNotificationA(pszFolder, FALSE,
                                                 FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                                     FILE_NOTIFY_CHANGE_LAST_WRITE);
        if (m_hChange != INVALID_HANDLE_VALUE) {
            ResetEvent(m_hRunning);
            ResetEvent(m_hStop);
            DWORD id = 0;
            HANDLE thread = CreateThread(nullptr, 0, &CDirChangeWatcher::WorkerProc, this, CREATE_SUSPENDED, &id);
            if (thread) {
                m_hThread = thread;
                ResumeThread(thread);
                HANDLE waits[] = {m_hRunning, thread};
                if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0)
                    return true;
            }
        }
    }
    Stop();
    return false;
}

void CDirChangeWatcher::Stop()
{
    HANDLE thread = nullptr;
    {
        CSingleLock hold(&m_lock, TRUE);
        thread = m_hThread;
        m_hThread = nullptr;
        if (m_hStop)
            SetEvent(m_hStop);
    }
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    CSingleLock hold(&m_lock, TRUE);
    if (m_hChange != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(m_hChange);
        m_hChange = INVALID_HANDLE_VALUE;
    }
}

DWORD WINAPI CDirChangeWatcher::WorkerProc(LPVOID pParam)
{
    static_cast<CDirChangeWatcher*>(pParam)->Work();
    return 0;
}

void CDirChangeWatcher::Work()
{
    // Set before the thread was made and kept until it has ended: read
    // without the lock, which Start holds while it waits for this thread.
    HANDLE waits[2] = {m_hStop, m_hChange};
    SetEvent(m_hRunning);
    for (;;) {
        DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (r != WAIT_OBJECT_0 + 1)
            break;
        // Without waiting for the window: its thread may itself be stopping
        // this watcher.
        SendNotifyMessageA(m_hTarget, WM_QD_DIR_CHANGED, 0, 0);
        if (!FindNextChangeNotification(waits[1]))
            break;
    }
    ResetEvent(m_hRunning);
}
