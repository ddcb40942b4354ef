// CDlgEndWaitThread: shows the shut-down wait dialog on a thread of its own,
// so that it stays painted while the main thread saves; ends on the quit message.
#pragma once

#include "classlib/ClassLib.h"

class CDlgEndWaitThread : public CWinThread
{
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

protected:
    void OnQuit(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    CDialog m_dialog;
};
