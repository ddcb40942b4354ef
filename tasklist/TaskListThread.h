// CTaskListThread: the task-list thread: it will own the task list window and its reminders; for now it only waits for the quit message.
#pragma once

#include "classlib/ClassLib.h"

class CTaskListThread : public CWinThread
{
public:
    BOOL InitInstance() override { return TRUE; }

protected:
    void OnQuit(WPARAM, LPARAM) { ::PostQuitMessage(0); }

    DECLARE_MESSAGE_MAP()
};
