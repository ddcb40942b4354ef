#include "mainwnd/ReceiveNotifyThread.h"

#include "mainwnd/NotifyUserWnd.h"

#include <mutex>

namespace {

// A notice is posted, and the thread decides to end, under this lock: a
// notice is either seen by the ending thread or refused to the sender.
std::mutex g_endLock;
DWORD g_endingThread = 0;

} // namespace

bool CReceiveNotifyThread::PostNotice(DWORD dwThreadId, UINT nMessage)
{
    std::lock_guard<std::mutex> hold(g_endLock);
    return dwThreadId && dwThreadId != g_endingThread && ::PostThreadMessageA(dwThreadId, nMessage, 0, 0);
}

BOOL CReceiveNotifyThread::InitInstance()
{
    {
        // A thread id is used again once its thread has gone.
        std::lock_guard<std::mutex> hold(g_endLock);
        if (g_endingThread == ::GetCurrentThreadId())
            g_endingThread = 0;
    }
    m_pWnd = new CNotifyUserWnd(m_pData);
    m_pMainWnd = m_pWnd;
    return TRUE;
}

int CReceiveNotifyThread::Run()
{
    int code;
    while ((code = CWinThread::Run()) == kGoOn) {
    }
    return code;
}

int CReceiveNotifyThread::ExitInstance()
{
    // A notice posted while the window was closing is still queued behind
    // the end of the loop: the thread goes on and shows it, instead of
    // ending and taking the notice with it.
    {
        std::lock_guard<std::mutex> hold(g_endLock);
        MSG pending;
        if (::PeekMessageA(&pending, nullptr, msgShow, msgShowAgain, PM_NOREMOVE))
            return kGoOn;
        if (m_bShowPending) {
            m_bShowPending = false;
            ::PostThreadMessageA(::GetCurrentThreadId(), msgShow, 0, 0);
            return kGoOn;
        }
        g_endingThread = ::GetCurrentThreadId();
    }
    m_pMainWnd = nullptr;
    delete m_pWnd;
    m_pWnd = nullptr;
    return CWinThread::ExitInstance();
}

BOOL CReceiveNotifyThread::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg->hwnd && (pMsg->message == msgShow || pMsg->message == msgShowAgain)) {
        // A window that has gone meanwhile is shown anew, so that the new
        // mail is not announced to nobody.
        if (pMsg->message == msgShowAgain && m_pWnd->m_hWnd && ::IsWindow(m_pWnd->m_hWnd)) {
            // A window already closing cannot be kept: a new one follows it.
            if (!m_pWnd->Restart())
                m_bShowPending = true;
            return TRUE;
        }
        // A window that has just closed has asked the thread to end: the new
        // mail keeps it running with a new window.
        MSG quit;
        ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        m_pMainWnd = m_pWnd;
        if (!m_pWnd->CreateNotifyWindow())
            ::PostQuitMessage(0);
        return TRUE;
    }
    return CWinThread::PreTranslateMessage(pMsg);
}
