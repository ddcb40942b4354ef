// The application's share of the task list: the task table, the task list
// window and the urgency colours.
#include "core/QuendalApp.h"

#include "mainwnd/MailTransfer.h"
#include "resources/tasklist/TasklistResource.h"
#include "store/MailFolderStore.h"
#include "tasklist/DlgTaskList.h"
#include "tasklist/TaskListData.h"

#include <algorithm>
#include <vector>

namespace {

// A task linked to a mail follows the mail: it goes when the mail leaves its
// folder for good and takes the new place when the mail moves.
void OnMailDeleted(int nFolderId, int nIndex)
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* store = app->FindFolder(nFolderId);
    CMailIndexRecord* mail = store ? store->GetRecord(nIndex) : nullptr;
    if (!mail)
        return;
    CTaskListData* tasks = app->GetTaskListData();
    tasks->MarkTaskOfMailDeleted(store, mail);
    tasks->WriteToFile();
}

void OnMailMoved(int nFromFolderId, int nFromIndex, int nToFolderId, int nToIndex)
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* from = app->FindFolder(nFromFolderId);
    CMailFolderStore* to = app->FindFolder(nToFolderId);
    CMailIndexRecord* oldMail = from ? from->GetRecord(nFromIndex) : nullptr;
    CMailIndexRecord* newMail = to ? to->GetRecord(nToIndex) : nullptr;
    if (!oldMail || !newMail)
        return;
    CTaskListData* tasks = app->GetTaskListData();
    tasks->RelinkMail(from, oldMail, to, newMail);
    tasks->WriteToFile();
}

} // namespace

void CQuendalApp::InstallTaskListMailHooks()
{
    CMailTransfer::SetHooks(&OnMailDeleted, &OnMailMoved);
}

CTaskListData* CQuendalApp::GetTaskListData()
{
    // The reminder thread and the window may both be first.
    CSingleLock lock(&m_taskListLock, TRUE);
    if (!m_pTaskListData) {
        m_pTaskListData = new CTaskListData;
        m_pTaskListData->SetFilePath(GetTaskListPath());
        CSingleLock tableLock(&m_pTaskListData->Lock(), TRUE);
        m_pTaskListData->ReadFromFile();
    }
    return m_pTaskListData;
}

void CQuendalApp::ShowTaskList()
{
    if (m_pTaskListDlg && m_pTaskListDlg->m_hWnd) {
        if (m_pTaskListDlg->IsIconic())
            m_pTaskListDlg->ShowWindow(SW_RESTORE);
        m_pTaskListDlg->BringWindowToTop();
        m_pTaskListDlg->SetForegroundWindow();
        return;
    }
    if (m_taskListColors.GetSize() == 0)
        LoadTaskListColors();
    CDlgTaskList* dlg = new CDlgTaskList(GetTaskListData());
    m_pTaskListDlg = dlg;
    if (!dlg->Create(IDD_TASK_LIST, CWnd::FromHandle(::GetDesktopWindow()))) {
        m_pTaskListDlg = nullptr;
        delete dlg;
        return;
    }
    dlg->ShowWindow(SW_SHOW);
}

void CQuendalApp::LoadTaskListColors()
{
    std::vector<TaskListColor> steps = {
        { GetProfileInt("Setting", "TaskListTime1", 24), static_cast<COLORREF>(GetProfileInt("Setting", "TaskListColor1", 15132415)), 0 },
        { GetProfileInt("Setting", "TaskListTime2", 12), static_cast<COLORREF>(GetProfileInt("Setting", "TaskListColor2", 11842815)), 1 },
        { GetProfileInt("Setting", "TaskListTime3", 6), static_cast<COLORREF>(GetProfileInt("Setting", "TaskListColor3", 7895295)), 2 },
        { GetProfileInt("Setting", "TaskListTime4", 3), static_cast<COLORREF>(GetProfileInt("Setting", "TaskListColor4", 3947775)), 3 },
        { 0, static_cast<COLORREF>(GetProfileInt("Setting", "TaskListColorTimeOut", 255)), 4 },
    };
    std::stable_sort(steps.begin(), steps.end(),
                     [](const TaskListColor& a, const TaskListColor& b) { return a.nHours < b.nHours; });
    m_taskListColors.RemoveAll();
    for (const TaskListColor& s : steps)
        m_taskListColors.Add(s);
}

const CQuendalApp::TaskListColor* CQuendalApp::FindTaskListColor(int64_t nHoursLeft)
{
    if (m_taskListColors.GetSize() == 0)
        LoadTaskListColors();
    for (int i = 0; i < m_taskListColors.GetSize(); ++i)
        if (m_taskListColors[i].nHours > nHoursLeft)
            return &m_taskListColors[i];
    return nullptr;
}

void CQuendalApp::CloseTaskList()
{
    if (m_pTaskListDlg && m_pTaskListDlg->m_hWnd)
        m_pTaskListDlg->OnCancel();
    m_pTaskListDlg = nullptr;
}

void CQuendalApp::FreeTaskList()
{
    if (m_pTaskListDlg && m_pTaskListDlg->m_hWnd)
        m_pTaskListDlg->DestroyWindow();
    m_pTaskListDlg = nullptr;
    delete m_pTaskListData;
    m_pTaskListData = nullptr;
}
