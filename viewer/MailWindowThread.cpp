#include "viewer/MailWindowThread.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"

#include <ole2.h>

BEGIN_MESSAGE_MAP(CMailWindowThread, CWinThread)
    ON_THREAD_MESSAGE(WM_QD_APPLY_VIEW_SETTINGS, OnApplyViewSettings)
    ON_THREAD_MESSAGE(WM_QD_KEYWORDS_CHANGED, OnKeywordsChanged)
END_MESSAGE_MAP()

CMailWindowThread::CMailWindowThread()
{
    m_hReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CMailWindowThread::~CMailWindowThread()
{
    if (m_hReady)
        CloseHandle(m_hReady);
}

void CMailWindowThread::StartOle()
{
    m_bOle = SUCCEEDED(OleInitialize(nullptr));
}

int CMailWindowThread::ExitInstance()
{
    SignalReady();
    if (m_bOle) {
        if (m_pMainWnd && m_pMainWnd->m_hWnd)
            m_pMainWnd->DestroyWindow();
        OleUninitialize();
        m_bOle = false;
    }
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_REMOVE_VIEW_THREAD, 0, static_cast<LPARAM>(m_nThreadID));
    return CWinThread::ExitInstance();
}

BOOL CMailWindowThread::StartAndRegister(CMailWindowThread* pThread)
{
    HANDLE ready = nullptr;
    DuplicateHandle(GetCurrentProcess(), pThread->m_hReady, GetCurrentProcess(), &ready, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    if (!pThread->CreateThread()) {
        if (ready)
            CloseHandle(ready);
        delete pThread;
        return FALSE;
    }
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), pThread->m_hThread, GetCurrentProcess(), &thread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    // The window is made on the new thread, which may send messages to this
    // one meanwhile (the main list, the main window): they are served.
    HANDLE waits[2] = {ready, thread};
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 2)
            break;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    bool alive = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
    CloseHandle(ready);
    CloseHandle(thread);
    if (!alive)
        return FALSE;
    if (CQuendalApp* app = QuendalApp())
        app->AddViewThread(pThread);
    return TRUE;
}
