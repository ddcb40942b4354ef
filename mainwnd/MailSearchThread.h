// CMailSearchThread: the thread of one search window. The window runs
// modally on it and the thread ends when the window closes; the application
// keeps the thread in its list (to refuse to end while a search runs, and to
// close the windows at shut-down).
#pragma once

#include "classlib/ClassLib.h"

class CDlgMailSearch;

class CMailSearchThread : public CWinThread
{
public:
    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Starts a search window on a thread of its own and registers it with
    // the application once the window stands. False when it could not start.
    static BOOL StartSearchWindow();

    // Signalled while no search runs.
    CEvent m_idleEvent{ TRUE, TRUE };

private:
    CDlgMailSearch* m_pDialog = nullptr;
    HANDLE m_hReady = nullptr;  // not owned: the starter's
};
