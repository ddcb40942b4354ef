#include "core/DlgEndWaitThread.h"

#include "core/AppMessages.h"
#include "resources/utils/UtilsResource.h"

BEGIN_MESSAGE_MAP(CDlgEndWaitThread, CWinThread)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuitThread)
END_MESSAGE_MAP()

CDlgEndWaitThread::CDlgEndWaitThread() : m_dlgWait(IDD_END_WAIT_DIALOG)
{
    m_bAutoDelete = TRUE;
}

BOOL CDlgEndWaitThread::InitInstance()
{
    m_pMainWnd = &m_dlgWait;
    m_dlgWait.DoModal();
    // The dialog was the thread's whole life: leave without a message loop.
    return FALSE;
}

void CDlgEndWaitThread::OnQuitThread(WPARAM, LPARAM)
{
    m_dlgWait.EndDialog(0);
    ::PostQuitMessage(0);
}
