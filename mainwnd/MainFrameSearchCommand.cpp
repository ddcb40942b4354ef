// The main window's command that opens a mail search window.
#include "mainwnd/MainFrame.h"

#include "mainwnd/MailSearchThread.h"

void CMainFrame::OnMailSearch()
{
    CMailSearchThread::StartSearchWindow();
}
