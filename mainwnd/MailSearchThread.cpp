#include "mainwnd/MailSearchThread.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "mainwnd/DlgMailSearch.h"
#include "mainwnd/QMailSearchListView.h"

#include <ole2.h>

namespace {

const UINT msgEndDialog = 1375;
const UINT msgFoundMails = 2024;
const UINT msgCenter = 1424;

} // namespace

BOOL CMailSearchThread::StartSearchWindow()
{
    CQuendalApp* app = QuendalApp();
    auto* thread = new CMailSearchThread;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread->m_hReady = ready;
    if (!ready || !thread->CreateThread(CREATE_SUSPENDED)) {
        if (ready)
            CloseHandle(ready);
        delete thread;
        return FALSE;
    }
    // The thread object deletes itself when the thread ends: the wait below
    // holds a handle of its own.
    HANDLE running = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &running, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    thread->ResumeThread();
    // The window is made in a moment; the registry keeps its handle, so the
    // thread is entered once the window stands (or the thread gave up).
    // Messages the new window's thread sends this one (its owner and
    // activation changes) are served meanwhile.
    HANDLE waits[2] = {ready, running};
    DWORD count = running ? 2 : 1;
    while (MsgWaitForMultipleObjects(count, waits, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + count) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    bool up = WaitForSingleObject(ready, 0) == WAIT_OBJECT_0 && (!running || WaitForSingleObject(running, 0) != WAIT_OBJECT_0);
    CloseHandle(ready);
    if (running)
        CloseHandle(running);
    if (up && app)
        app->AddSearchThread(thread);
    return up ? TRUE : FALSE;
}

BOOL CMailSearchThread::InitInstance()
{
    HANDLE ready = m_hReady;
    m_hReady = nullptr;
    if (FAILED(OleInitialize(nullptr))) {
        CString text;
        text.LoadString(100);
        AfxMessageBox(text, MB_OK | MB_ICONSTOP);
        return FALSE;  // the starter sees the thread end; nothing is registered
    }
    CDlgMailSearch dialog;
    dialog.m_hReady = ready;
    m_pDialog = &dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    m_pDialog = nullptr;
    OleUninitialize();
    // The window is gone; the thread ends.
    return FALSE;
}

int CMailSearchThread::ExitInstance()
{
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_REMOVE_SEARCH_THREAD, 0, static_cast<LPARAM>(m_nThreadID));
    m_idleEvent.SetEvent();
    return CWinThread::ExitInstance();
}

BOOL CMailSearchThread::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg->hwnd) {
        switch (pMsg->message) {
        case WM_QD_QUIT_THREAD:
            if (m_pDialog && m_pDialog->m_hWnd)
                m_pDialog->PostMessage(WM_CLOSE, 0, 0);
            return TRUE;
        case msgEndDialog:
            if (m_pDialog && m_pDialog->m_hWnd && reinterpret_cast<HWND>(pMsg->lParam) == m_pDialog->m_hWnd)
                m_pDialog->EndDialog(0);
            return TRUE;
        case msgFoundMails:
            if (m_pDialog && m_pDialog->m_hWnd)
                m_pDialog->TakeFoundMails();
            return TRUE;
        case msgCenter:
            // On the screen, not on the main window that owns it.
            if (m_pDialog && m_pDialog->m_hWnd) {
                m_pDialog->CenterWindow(::GetDesktopWindow());
                m_pDialog->BringWindowToTop();
            }
            return TRUE;
        default:
            break;
        }
    }
    return CWinThread::PreTranslateMessage(pMsg);
}
