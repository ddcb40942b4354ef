#include "tasklist/TaskListThread.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "tasklist/TaskListData.h"

#include <vector>

BEGIN_MESSAGE_MAP(CTaskListThread, CWinThread)
    ON_THREAD_MESSAGE(WM_TIMER, OnTimer)
    ON_THREAD_MESSAGE(WM_TASK_REREAD_SETTINGS, OnRereadSettings)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
END_MESSAGE_MAP()

BOOL CTaskListThread::InitInstance()
{
    m_tLastOpen = CTime::GetCurrentTime().GetTime();
    ReadSettings();
    m_nTimer = ::SetTimer(nullptr, kTimerId, kTimerMs, nullptr);
    return TRUE;
}

int CTaskListThread::ExitInstance()
{
    if (m_nTimer)
        ::KillTimer(nullptr, m_nTimer);
    m_nTimer = 0;
    return CWinThread::ExitInstance();
}

void CTaskListThread::ReadSettings()
{
    if (CQuendalApp* app = QuendalApp()) {
        m_bOpenTime = app->GetProfileInt("Setting", "TaskListOpenTime", 0);
        m_nOpenMinutes = app->GetProfileInt("Setting", "TaskListOpenTimeMin", 120);
    }
}

void CTaskListThread::OnRereadSettings(WPARAM, LPARAM) { ReadSettings(); }

void CTaskListThread::OnTimer(WPARAM, LPARAM) { Tick(CTime::GetCurrentTime().GetTime()); }

bool CTaskListThread::IsOpenDue(BOOL bOpenTime, int nOpenMinutes, int64_t lastOpen, int64_t now, int nTaskCount)
{
    if (!bOpenTime || nTaskCount <= 0)
        return false;
    return (now - lastOpen) / 60 >= nOpenMinutes;
}

int CTaskListThread::RunReminders(CTaskListData& table, int64_t now)
{
    // Copies of the due tasks: the window may edit or remove tasks while a
    // notice is being built; each copy finds its task again by its serial.
    std::vector<CTaskListRecord> due;
    {
        CSingleLock lock(&table.Lock(), TRUE);
        for (int i = 0; i < table.GetRecordCount(); ++i) {
            CTaskListRecord* r = table.GetTask(i);
            if (r && r->IsDue(now)) {
                due.emplace_back();
                due.back().CopyFieldsFrom(*r);
                due.back().m_nSerial = r->m_nSerial;
            }
        }
    }
    int count = 0;
    for (CTaskListRecord& copy : due)
        if (copy.CheckDue(&table, now))
            ++count;
    return count;
}

void CTaskListThread::Tick(int64_t now)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    CTaskListData* table = app->GetTaskListData();
    if (!table)
        return;
    int tasks = 0;
    {
        CSingleLock lock(&table->Lock(), TRUE);
        tasks = table->GetRecordCount();
    }
    if (IsOpenDue(m_bOpenTime, m_nOpenMinutes, m_tLastOpen, now, tasks)) {
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_SHOW_TASKLIST, 0, 0);
        m_tLastOpen = now;
    }
    int count = RunReminders(*table, now);
    if (count > 0)
        ::PostThreadMessageA(app->m_nThreadID, WM_TASK_REMINDERS_DONE, static_cast<WPARAM>(count), 0);
}
