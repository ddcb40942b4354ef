// CMailSearchThread: a search window's thread. The search belongs to the main
// window; the application only needs to know whether a search is running
// (the busy event is reset while it runs) and to end it on the quit message.
#pragma once

#include "classlib/ClassLib.h"

class CMailSearchThread : public CWinThread
{
public:
    BOOL InitInstance() override { return TRUE; }

    // Signalled while no search runs.
    CEvent m_idleEvent{ TRUE, TRUE };

protected:
    void OnQuit(WPARAM, LPARAM) { ::PostQuitMessage(0); }

    DECLARE_MESSAGE_MAP()
};
