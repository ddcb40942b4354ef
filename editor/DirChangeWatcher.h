// CDirChangeWatcher: a worker thread that waits for files to appear in,
// vanish from or change in one folder (not its sub-folders) and tells a
// window so with message 1429, which the window handles on its own thread.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/CriticalSection.h"

class CDirChangeWatcher
{
public:
    enum { WM_QD_DIR_CHANGED = 1429 };

    CDirChangeWatcher();
    CDirChangeWatcher(const CDirChangeWatcher&) = delete;
    CDirChangeWatcher& operator=(const CDirChangeWatcher&) = delete;
    ~CDirChangeWatcher();

    // Watches an existing folder for the window; false (and stopped) when
    // the folder is no directory or the notification or thread cannot be made.
    bool Start(const char* pszFolder, HWND hTarget);
    // Ends the worker and waits for it. The worker is never waited for while
    // the lock is held, so a change arriving during the stop cannot block it.
    void Stop();
    bool IsRunning() const;
    const CString& GetFolder() const { return m_strFolder; }

private:
    static DWORD WINAPI WorkerProc(LPVOID pParam);
    void Work();

    mutable CCriticalSection m_lock;
    HANDLE m_hThread = nullptr;         // a duplicate of the worker's handle
    HANDLE m_hRunning;                  // manual reset
    HANDLE m_hStop;                     // manual reset
    HANDLE m_hChange = INVALID_HANDLE_VALUE;
    HWND m_hTarget = nullptr;
    CString m_strFolder;
};
