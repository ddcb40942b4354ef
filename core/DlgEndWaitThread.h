// CDlgEndWaitThread: a UI thread that shows "終了処理中です" while the
// program shuts down, so that the wait dialog stays painted while the
// application thread is busy. It deletes itself when it ends; thread message
// 1404 ends it.
#pragma once

#include "classlib/Dialog.h"
#include "classlib/WinThread.h"

class CDlgEndWaitThread : public CWinThread
{
public:
    CDlgEndWaitThread();

    BOOL InitInstance() override;

    // The wait dialog (a member so that it goes with the thread).
    CDialog m_dlgWait;

protected:
    void OnQuitThread(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};
