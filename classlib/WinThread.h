// CWinThread: a thread of the program. A UI thread runs a message loop that
// offers every message to PreTranslateMessage first; messages posted to the
// thread itself (no window) go through the thread's message map. While a
// system modal loop (message box, menu, dialog box) runs on the thread, a
// message-filter hook hands the messages to ProcessMessageFilter, so that
// thread messages are not lost there.
#pragma once

#include "classlib/CmdTarget.h"

#include <windows.h>

class CWnd;

class CWinThread : public CCmdTarget
{
public:
    CWinThread();
    ~CWinThread() override;

    // Starts the thread; returns once its message queue exists, so that
    // messages may be posted to it at once.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0);
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const
    {
        return ::PostThreadMessageA(m_nThreadID, message, wParam, lParam);
    }
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    operator HANDLE() const { return m_hThread; }

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance();
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL ProcessMessageFilter(int code, MSG* pMsg);
    // Idle work between messages; return TRUE to be called again.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // One message: false on WM_QUIT.
    virtual BOOL PumpMessage();
    virtual CWnd* GetMainWnd() { return m_pMainWnd; }

    // Runs the handler of a message posted to the thread, when its map has one.
    BOOL DispatchThreadMessageEx(MSG* pMsg);

    HANDLE m_hThread = nullptr;  // owned; closed with the object
    DWORD m_nThreadID = 0;
    CWnd* m_pMainWnd = nullptr;
    BOOL m_bAutoDelete = TRUE;   // the object deletes itself when the thread ends
    MSG m_msgCur = {};

    // Sets up the calling thread as this thread object (the application does
    // it for the main thread); installs the message-filter hook.
    void AttachToCurrentThread();
    void DetachFromCurrentThread();

private:
    static unsigned __stdcall ThreadEntry(void* pParam);

    HHOOK m_hMsgFilter = nullptr;
    HANDLE m_hStarted = nullptr;
    POINT m_ptCursorLast = { -1, -1 };
    UINT m_nMsgLast = 0;
};

// The thread object of the calling thread (the application on the main thread).
CWinThread* AfxGetThread();
// Offers a message to the current thread's PreTranslateMessage (or, on a
// thread without a thread object, to the windows it is meant for).
BOOL AfxPreTranslateMessage(MSG* pMsg);
// One message of a modal loop of our own: false on WM_QUIT (which is posted again).
BOOL AfxPumpMessage();
