#include "tasklist/DlgTaskList.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "plugin/QuendalAPI.h"
#include "resources/tasklist/TasklistResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "tasklist/DlgTaskInfoInput.h"
#include "tasklist/TaskListData.h"
#include "tasklist/TaskListFormat.h"

#include <vector>

namespace {

struct ColumnSpec
{
    const char* title;
    const char* key;
    int width;
};

const ColumnSpec kColumns[] = {
    { "", "TaskListWidthIcon", 22 },
    { "件名", "TaskListWidthSubject", 200 },
    { "差出人", "TaskListWidthFrom", 140 },
    { "送信日時", "TaskListWidthSendDate", 100 },
    { "受信日時", "TaskListWidthReceiveDate", 100 },
    { "フォルダ", "TaskListWidthFolder", 60 },
};

const int kButtons[] = { IDC_TASK_EDIT, IDC_TASK_SELECT, IDC_TASK_DELETE, IDC_TASK_ADD };

CDlgTaskList::OpenMailHandler s_openMail = nullptr;

struct SortContext
{
    CTaskListData* table;
    int column;
    BOOL descending;
};

int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM context)
{
    const SortContext* ctx = reinterpret_cast<const SortContext*>(context);
    auto* ta = reinterpret_cast<CTaskListRecord*>(a);
    auto* tb = reinterpret_cast<CTaskListRecord*>(b);
    CString fa, fb;
    if (ctx->column == 5) {
        fa = ctx->table->GetFolderName(ta);
        fb = ctx->table->GetFolderName(tb);
    }
    int r = CompareTasks(*ta, *tb, ctx->column, fa, fb);
    return ctx->descending ? -r : r;
}

// The index of the stored mail with that key in the folder, or -1.
int FindMailIndex(CMailFolderStore* store, const CString& key)
{
    CMailListData* list = store ? store->GetMailList() : nullptr;
    for (int i = 0; list && i < list->GetAllRecordCount(); ++i) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (r && !r->m_bDeleted && r->GetText(CMailIndexRecord::colAttachDir) == key)
            return i;
    }
    return -1;
}

void SelectMailInMainWindow(int nFolderId, const CString& key)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    int index = FindMailIndex(app->FindFolder(nFolderId), key);
    if (index >= 0)
        ::PostThreadMessageA(app->m_nThreadID, 1353, static_cast<WPARAM>(nFolderId), index);
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgTaskList, CDialog)
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_MESSAGE(WM_MEASUREITEM, OnMeasureItem)
    ON_MESSAGE(WM_TASK_REFILL, OnRefillMsg)
    ON_BN_CLICKED(IDC_TASK_EDIT, OnEdit)
    ON_BN_CLICKED(IDC_TASK_SELECT, OnSelectMail)
    ON_BN_CLICKED(IDC_TASK_DELETE, OnDelete)
    ON_BN_CLICKED(IDC_TASK_ADD, OnAdd)
    ON_COMMAND(ID_TASK_EDIT, OnEdit)
    ON_COMMAND(ID_TASK_SELECT_MAIL, OnSelectMail)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_TASK_LIST, OnColumnClick)
    ON_NOTIFY(NM_DBLCLK, IDC_TASK_LIST, OnDblClick)
END_MESSAGE_MAP()

CDlgTaskList::CDlgTaskList(CTaskListData* pTable) : CDialog(IDD_TASK_LIST, nullptr), m_pTable(pTable) {}

CDlgTaskList::OpenMailHandler CDlgTaskList::SetOpenMailHandler(OpenMailHandler handler)
{
    OpenMailHandler old = s_openMail;
    s_openMail = handler;
    return old;
}

LRESULT CDlgTaskList::OnMeasureItem(WPARAM, LPARAM lParam)
{
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (mis && mis->CtlType == ODT_LISTVIEW)
        mis->itemHeight = CTaskListCtrl::kItemHeight;
    return TRUE;
}

BOOL CDlgTaskList::OnInitDialog()
{
    CDialog::OnInitDialog();
    CQuendalApp* app = QuendalApp();
    if (HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128))) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    m_list.SubclassDlgItem(IDC_TASK_LIST, this);
    m_list.SetTable(m_pTable);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 6; ++i)
        m_list.InsertColumn(i, kColumns[i].title, LVCFMT_LEFT,
                            app ? app->GetProfileInt("Window", kColumns[i].key, kColumns[i].width) : kColumns[i].width);
    if (app && app->m_mailListImages.m_hImageList)
        m_list.SetImageList(app->m_mailListImages.m_hImageList, LVSIL_SMALL);
    m_list.SetSortColumn(m_nSortColumn, &m_bSortDescending);

    RECT client, rc;
    GetClientRect(&client);
    ::GetWindowRect(m_list.m_hWnd, &rc);
    ScreenToClient(&rc);
    m_nListRight = client.right - rc.right;
    m_nListBottom = client.bottom - rc.bottom;
    ::GetWindowRect(GetDlgItemHwnd(IDCANCEL), &rc);
    ScreenToClient(&rc);
    m_nButtonBottom = client.bottom - rc.top;
    m_nCloseRight = client.right - rc.left;

    Refill();

    int left = app ? app->GetProfileInt("Window", "TaskListDlgLeft", 0) : 0;
    int top = app ? app->GetProfileInt("Window", "TaskListDlgTop", 0) : 0;
    int width = app ? app->GetProfileInt("Window", "TaskListDlgWidth", 0) : 0;
    int height = app ? app->GetProfileInt("Window", "TaskListDlgHeight", 0) : 0;
    if (left && top && width && height)
        MoveWindow(left, top, width, height);
    else
        CenterWindow();
    SetTimer(kRepaintTimer, kRepaintMs);
    return TRUE;
}

void CDlgTaskList::OnSize(UINT, int cx, int cy)
{
    if (!m_list.m_hWnd || cx <= 0 || cy <= 0)
        return;
    RECT rc;
    ::GetWindowRect(m_list.m_hWnd, &rc);
    ScreenToClient(&rc);
    ::MoveWindow(m_list.m_hWnd, rc.left, rc.top, cx - m_nListRight - rc.left, cy - m_nListBottom - rc.top, TRUE);
    for (int id : kButtons) {
        HWND h = GetDlgItemHwnd(id);
        ::GetWindowRect(h, &rc);
        ScreenToClient(&rc);
        ::MoveWindow(h, rc.left, cy - m_nButtonBottom, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    HWND close = GetDlgItemHwnd(IDCANCEL);
    ::GetWindowRect(close, &rc);
    ScreenToClient(&rc);
    ::MoveWindow(close, cx - m_nCloseRight, cy - m_nButtonBottom, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void CDlgTaskList::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kRepaintTimer)
        m_list.Invalidate(FALSE);
}

LRESULT CDlgTaskList::OnRefillMsg(WPARAM, LPARAM)
{
    Refill();
    return 0;
}

void CDlgTaskList::Refill()
{
    m_list.DeleteAllItems();
    {
        CSingleLock lock(&m_pTable->Lock(), TRUE);
        int n = m_pTable->GetRecordCount();
        int row = 0;
        for (int i = 0; i < n; ++i) {
            CTaskListRecord* task = m_pTable->GetTask(i);
            if (!task || task->m_bDeleted)
                continue;
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = row++;
            CString subject = task->HasMail() ? task->m_strSubject : task->m_strNoticeSubject;
            item.pszText = const_cast<char*>(subject.GetString());
            item.iImage = task->HasMail() ? 0 : 30;
            item.lParam = reinterpret_cast<LPARAM>(task);
            m_list.SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    SortBy(m_nSortColumn, m_bSortDescending);
}

void CDlgTaskList::SortBy(int nColumn, BOOL bDescending)
{
    m_nSortColumn = nColumn;
    m_bSortDescending = bDescending;
    m_list.SetSortColumn(nColumn, &m_bSortDescending);
    {
        CSingleLock lock(&m_pTable->Lock(), TRUE);
        SortContext ctx = { m_pTable, nColumn, bDescending };
        m_list.SendMessage(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&ctx), reinterpret_cast<LPARAM>(CompareItems));
    }
    ShowSortMark();
    m_list.Invalidate(FALSE);
}

void CDlgTaskList::ShowSortMark()
{
    HWND header = m_list.GetHeaderCtrl();
    CQuendalApp* app = QuendalApp();
    if (!header || !app || app->GetOSVersionType() < 3)
        return;
    for (int i = 0; i < 6; ++i) {
        HDITEMA hdi = {};
        hdi.mask = HDI_FORMAT;
        ::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&hdi));
        hdi.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == m_nSortColumn)
            hdi.fmt |= m_bSortDescending ? HDF_SORTDOWN : HDF_SORTUP;
        ::SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&hdi));
    }
}

void CDlgTaskList::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    int column = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem;
    SortBy(column, column == m_nSortColumn ? !m_bSortDescending : FALSE);
    *pResult = 0;
}

void CDlgTaskList::OnDblClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    int item = m_list.GetNextItem(-1, LVNI_SELECTED);
    CTaskListRecord* task = item >= 0 ? m_list.GetTask(item) : nullptr;
    if (!task || !task->HasMail())
        return;
    int folder = task->m_nFolderId;
    CString key = task->m_strMailKey;
    if (s_openMail)
        s_openMail(folder, key);
    else if (CQuendalAPI* api = GetQuendalAPIObject())
        api->OpenMail(folder, key, FALSE);
}

void CDlgTaskList::WriteTable()
{
    CSingleLock lock(&m_pTable->Lock(), TRUE);
    m_pTable->WriteToFile();
}

void CDlgTaskList::OnEdit()
{
    std::vector<int> indexes;
    for (int item = m_list.GetNextItem(-1, LVNI_SELECTED); item >= 0; item = m_list.GetNextItem(item, LVNI_SELECTED))
        if (CTaskListRecord* task = m_list.GetTask(item))
            indexes.push_back(task->m_nIndex);
    if (indexes.empty())
        return;
    bool changed = false;
    for (int index : indexes)
        changed = m_pTable->EditTask(index, this) || changed;
    if (changed)
        WriteTable();
    SortBy(m_nSortColumn, m_bSortDescending);
}

void CDlgTaskList::OnSelectMail()
{
    int item = m_list.GetNextItem(-1, LVNI_SELECTED);
    CTaskListRecord* task = item >= 0 ? m_list.GetTask(item) : nullptr;
    if (task && task->HasMail())
        SelectMailInMainWindow(task->m_nFolderId, task->m_strMailKey);
}

void CDlgTaskList::OnDelete()
{
    std::vector<CTaskListRecord*> selected;
    for (int item = m_list.GetNextItem(-1, LVNI_SELECTED); item >= 0; item = m_list.GetNextItem(item, LVNI_SELECTED))
        if (CTaskListRecord* task = m_list.GetTask(item))
            selected.push_back(task);
    if (selected.empty())
        return;
    m_list.DeleteAllItems();
    {
        CSingleLock lock(&m_pTable->Lock(), TRUE);
        for (CTaskListRecord* task : selected)
            m_pTable->RemoveRecord(task);
        m_pTable->WriteToFile();
    }
    Refill();
}

void CDlgTaskList::OnAdd()
{
    if (!AddTaskForMail(nullptr, nullptr, m_pTable, this))
        return;
    WriteTable();
    Refill();
}

void CDlgTaskList::SavePlacement()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_hWnd)
        return;
    WINDOWPLACEMENT wp = { sizeof(wp) };
    ::GetWindowPlacement(m_hWnd, &wp);
    const RECT& rc = wp.rcNormalPosition;
    app->WriteProfileInt("Window", "TaskListDlgLeft", rc.left);
    app->WriteProfileInt("Window", "TaskListDlgTop", rc.top);
    app->WriteProfileInt("Window", "TaskListDlgWidth", rc.right - rc.left);
    app->WriteProfileInt("Window", "TaskListDlgHeight", rc.bottom - rc.top);
    for (int i = 0; i < 6; ++i)
        app->WriteProfileInt("Window", kColumns[i].key, m_list.GetColumnWidth(i));
}

void CDlgTaskList::OnCancel()
{
    KillTimer(kRepaintTimer);
    SavePlacement();
    DestroyWindow();
}

void CDlgTaskList::PostNcDestroy()
{
    if (CQuendalApp* app = QuendalApp())
        if (app->m_pTaskListDlg == this)
            app->m_pTaskListDlg = nullptr;
    delete this;
}
