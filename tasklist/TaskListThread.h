// CTaskListThread: the task-list thread. A one-minute timer opens the task
// list window at the interval the settings ask for and delivers the task
// reminders.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>

class CTaskListData;

class CTaskListThread : public CWinThread
{
public:
    enum { kTimerId = 301, kTimerMs = 60000 };
    enum { WM_TASK_REREAD_SETTINGS = 1477, WM_TASK_REMINDERS_DONE = 1475 };

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Delivers every due reminder of the table; the count of notices put
    // into the current folder. The table lock is held only to pick the due
    // tasks and to mark each delivered one, never while a notice is built.
    static int RunReminders(CTaskListData& table, int64_t now);
    // Whether the task list window should open: the setting is on, the
    // minutes since the last opening reached the interval and tasks exist.
    static bool IsOpenDue(BOOL bOpenTime, int nOpenMinutes, int64_t lastOpen, int64_t now, int nTaskCount);

    // One timer tick at the given time (the timer passes the clock).
    void Tick(int64_t now);

protected:
    void OnTimer(WPARAM wParam, LPARAM lParam);
    void OnRereadSettings(WPARAM, LPARAM);
    void OnQuit(WPARAM, LPARAM) { ::PostQuitMessage(0); }
    void ReadSettings();

    UINT_PTR m_nTimer = 0;
    int64_t m_tLastOpen = 0;
    BOOL m_bOpenTime = FALSE;
    int m_nOpenMinutes = 120;

    DECLARE_MESSAGE_MAP()
};
