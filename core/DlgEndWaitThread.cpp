#include "core/DlgEndWaitThread.h"

#include "core/AppMessages.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CDlgEndWaitThread, CWinThread)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
END_MESSAGE_MAP()

BOOL CDlgEndWaitThread::InitInstance()
{
    if (m_dialog.Create(IDD_END_WAIT)) {
        m_dialog.ShowWindow(SW_SHOWNORMAL);
        m_dialog.UpdateWindow();
    }
    return TRUE;
}

int CDlgEndWaitThread::ExitInstance()
{
    if (m_dialog.m_hWnd)
        m_dialog.DestroyWindow();
    return CWinThread::ExitInstance();
}

void CDlgEndWaitThread::OnQuit(WPARAM, LPARAM)
{
    ::PostQuitMessage(0);
}
