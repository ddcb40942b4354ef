// CThreadEntry: one registered window thread of the application (viewer,
// editor or search), with a duplicate of its handle so that its liveness can
// be tested after the thread object is gone.
#pragma once

#include <windows.h>

class CWinThread;

struct CThreadEntry
{
    enum { kViewer = 1, kEditor = 2, kSearch = 3 };

    CThreadEntry() = default;
    CThreadEntry(const CThreadEntry&) = delete;
    CThreadEntry& operator=(const CThreadEntry&) = delete;
    ~CThreadEntry()
    {
        if (hThread)
            CloseHandle(hThread);
    }

    // Live while the thread runs and its main window exists.
    bool IsLive() const
    {
        return hThread && WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT && hMainWnd && IsWindow(hMainWnd);
    }

    HANDLE hThread = nullptr;
    DWORD dwThreadId = 0;
    HWND hMainWnd = nullptr;
    CWinThread* pThread = nullptr;
    int nKind = 0;
};
