// The mail list's context menu, the wheel, and the commands that open a
// window or a dialog on the focused mail: its header, its properties, its
// thread, its task, its sender to the address book; select all, re-edit
// and the thread toggle.
#include "mainwnd/QListView.h"

#include "classlib/CmdUI.h"
#include "core/QuendalApp.h"
#include "mainwnd/ColorLabelMenu.h"
#include "mainwnd/MailViewSeam.h"
#include "mainwnd/MainFrame.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/search/SearchResource.h"
#include "resources/rules/RulesResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "tasklist/DlgTaskInfoInput.h"
#include "tasklist/TaskListData.h"
#include "viewer/DlgMailProperty.h"
#include "viewer/HeaderViewThread.h"
#include "viewer/MailViewerOpen.h"
#include "viewer/TextViewActions.h"

#include <commctrl.h>

namespace {

const char kSelectMail[] = "メールを選択してください。";
const int kEditorReedit = 12;
const int kLabelMenuPos = 5;

} // namespace

int CQListView::GetFocusedMail() const
{
    const CListCtrl& list = GetListCtrl();
    int row = list.GetNextItem(-1, LVNI_FOCUSED);
    if (row < 0 || !(list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED))
        row = list.GetNextItem(-1, LVNI_SELECTED);
    return GetMailIndex(row);
}

LRESULT CQListView::OnContextMenuMsg(WPARAM, LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    // From the keyboard the menu opens near the list's top left corner.
    if (lParam == -1) {
        pt = { 8, 8 };
        ::ClientToScreen(m_hWnd, &pt);
    }
    ShowContextMenu(pt);
    return 0;
}

void CQListView::ShowContextMenu(POINT ptScreen)
{
    CFrameWnd* frame = GetParentFrame();
    if (!frame)
        return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_LIST_CONTEXT))
        return;
    HMENU popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    // The menu's commands (and their enabling) come to this list first.
    frame->SetActiveView(this, FALSE);
    CMainFrame* main = GetMainFrame();
    CQuendalApp* app = QuendalApp();
    COwnerDrawMenu* labels = main ? &main->m_labelMenu : nullptr;
    if (labels && app) {
        labels->Reset();
        ColorLabelMenu::Build(*labels, app->m_colorNames);
        CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(GetFocusedMail()) : nullptr;
        if (r) {
            int label = r->m_nLabel;
            UINT checked = label == 0 ? ID_MAIL_LABEL_AUTO
                         : label >= 1 && label <= 16 ? ID_MAIL_LABEL_FIRST + static_cast<UINT>(label - 1)
                                                     : ID_MAIL_LABEL_OTHER;
            ::CheckMenuItem(labels->m_hMenu, checked, MF_BYCOMMAND | MF_CHECKED);
        }
        ::DeleteMenu(popup, kLabelMenuPos, MF_BYPOSITION);
        ::InsertMenuA(popup, kLabelMenuPos, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(labels->m_hMenu),
                      "メールに色を付ける(&C)");
        main->m_pOpenMenu = labels;
    }
    // Outside the main window there is no search and no filter run.
    if (!main) {
        ::EnableMenuItem(popup, ID_MAIL_SEARCH, MF_BYCOMMAND | MF_GRAYED);
        ::EnableMenuItem(popup, ID_RUN_FILTER_RULES, MF_BYCOMMAND | MF_GRAYED);
    }
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, frame->m_hWnd, nullptr);
    if (labels && main) {
        // The label menu is the frame's: it leaves this menu before it goes.
        ::RemoveMenu(popup, kLabelMenuPos, MF_BYPOSITION);
        main->m_pOpenMenu = nullptr;
        labels->Reset();
    }
}

LRESULT CQListView::OnMouseWheelMsg(WPARAM wParam, LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    HWND under = ::WindowFromPoint(pt);
    // The wheel scrolls the pane under the mouse, not the one with the focus.
    // The list's own header passes the wheel back here: it is not another pane.
    if (under && under != m_hWnd && !::IsChild(m_hWnd, under) &&
        ::GetAncestor(under, GA_ROOT) == ::GetAncestor(m_hWnd, GA_ROOT)) {
        ::PostMessageA(under, WM_MOUSEWHEEL, wParam, lParam);
        return 0;
    }
    return Default();
}

void CQListView::OnUpdateMailWindowCommand(CCmdUI* pCmdUI)
{
    CMailListData* data = GetList();
    switch (pCmdUI->m_nID) {
    case ID_MAIL_REEDIT:
        pCmdUI->Enable(m_pStore && (m_pStore->GetKind() == CFolderRecord::kindSend || m_pStore->IsInWritingFolder() ||
                                    m_bShowTo));
        break;
    case ID_MAIL_TOGGLE_THREAD:
    case ID_VIEW_EXPAND_ALL_THREADS:
    case ID_VIEW_COLLAPSE_ALL_THREADS:
        pCmdUI->Enable(data && data->IsThreadMode());
        break;
    case ID_MAIL_TASK_EDIT:
        pCmdUI->Enable(HasSelection() && QuendalApp() && QuendalApp()->GetTaskListData());
        break;
    default:
        pCmdUI->Enable(HasSelection());
        break;
    }
}

void CQListView::OnMailWindowCommand(UINT nID)
{
    switch (nID) {
    case ID_MAIL_SELECT_ALL:
        GetListCtrl().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        return;
    case ID_MAIL_TOGGLE_THREAD:
        if (m_nCurrentRow >= 0)
            ToggleThread(m_nCurrentRow);
        return;
    case ID_MAIL_REEDIT:
        EditSelectedMails(kEditorReedit, -1);
        return;
    case ID_VIEW_EXPAND_ALL_THREADS:
    case ID_VIEW_COLLAPSE_ALL_THREADS:
        SetAllThreadsOpen(nID == ID_VIEW_EXPAND_ALL_THREADS);
        return;
    default:
        break;
    }
    if (GetFocusedMail() < 0) {
        AfxMessageBox(kSelectMail, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    switch (nID) {
    case ID_MAIL_SHOW_HEADER: ShowHeaderWindow(); break;
    case ID_MAIL_PROPERTIES: ShowMailProperties(); break;
    case ID_MAIL_THREAD_TREE: OpenThreadView(TRUE); break;
    case ID_MAIL_THREAD_LIST: OpenThreadView(FALSE); break;
    case ID_MAIL_TASK_EDIT: EditTaskOfFocusedMail(); break;
    case ID_MAIL_TASK_ADD: AddTaskForFocusedMail(); break;
    case ID_MAIL_REREAD_BACKUP: ReReadFromBackup(); break;
    case ID_MAIL_ADD_SENDER: {
        CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(GetFocusedMail()) : nullptr;
        if (r)
            HandOverAddressEntry(r->GetText(CMailIndexRecord::colFrom));
        break;
    }
    default: break;
    }
}

void CQListView::SetAllThreadsOpen(bool bOpen)
{
    CMailListData* data = GetList();
    if (!data || !data->IsThreadMode())
        return;
    const int focused = GetFocusedMail();
    data->SetAllThreadsCollapsed(bOpen ? FALSE : TRUE);
    CListCtrl& list = GetListCtrl();
    list.SetItemCount(data->GetViewCount(), 0);
    // The focused mail stays chosen when its row is still shown.
    const int row = focused >= 0 ? data->FindViewPos(focused) : -1;
    m_nCurrentRow = row;
    // The rows moved: a selection kept by row would now name other mails.
    m_bProgramSelect = true;
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0)
        list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_bProgramSelect = false;
    if (row >= 0)
        list.EnsureVisible(row, FALSE);
    Invalidate(FALSE);
}

void CQListView::ReReadFromBackup()
{
    CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(GetFocusedMail()) : nullptr;
    CQuendalApp* app = QuendalApp();
    if (!r || !app)
        return;
    CString name = r->GetText(CMailIndexRecord::colFileName);
    if (name.IsEmpty())
        name = r->GetText(CMailIndexRecord::colAttachDir);
    app->OpenReceiveMailBackup(name, this);
}

void CQListView::ShowHeaderWindow()
{
    CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(GetFocusedMail()) : nullptr;
    CString text;
    if (!r || !m_pStore->ReadMailText(r, text))
        return;
    int end = text.Find("\r\n\r\n");
    if (end >= 0)
        text = text.Left(end + 2);
    auto* thread = new CHeaderViewThread;
    thread->SetHeaderData(r->GetText(CMailIndexRecord::colSubject), text);
    if (!thread->CreateThread())
        delete thread;
}

void CQListView::ShowMailProperties()
{
    int index = GetFocusedMail();
    CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(index) : nullptr;
    CMailListData* data = GetList();
    if (!r || !data)
        return;
    CDlgMailProperty dlg(r, m_pStore, data, this);
    dlg.DoModal();
    if (!dlg.IsChanged())
        return;
    RedrawMail(index);
    // The pane shows the mail again with what was changed.
    CMainFrame* main = GetMainFrame();
    MailViewSeam& seam = GetMailViewSeam();
    if (main && main->GetMailView() && seam.pfnShowMail)
        seam.pfnShowMail(main->GetMailView(), m_pStore, index);
}

void CQListView::OpenThreadView(BOOL bAsTree)
{
    int index = GetFocusedMail();
    if (!bAsTree) {
        // The list of the thread opens where the mail list is.
        CQuendalApp* app = QuendalApp();
        RECT rc = {};
        if (app && GetMainFrame()) {
            GetWindowRect(&rc);
            app->WriteProfileInt("RefWindow", "Left", rc.left);
            app->WriteProfileInt("RefWindow", "Top", rc.top);
            app->WriteProfileInt("RefWindow", "Width", rc.right - rc.left);
            app->WriteProfileInt("RefWindow", "Height", rc.bottom - rc.top);
        }
    }
    OpenReferenceMailWindow(bAsTree, m_pStore, index);
}

BOOL CQListView::AddTaskForFocusedMail()
{
    CQuendalApp* app = QuendalApp();
    CTaskListData* table = app ? app->GetTaskListData() : nullptr;
    CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(GetFocusedMail()) : nullptr;
    if (!r || !table || !AddTaskForMail(r, m_pStore, table, this))
        return FALSE;
    CSingleLock lock(&table->Lock(), TRUE);
    return table->WriteToFile();
}

BOOL CQListView::EditTaskOfFocusedMail()
{
    CQuendalApp* app = QuendalApp();
    CTaskListData* table = app ? app->GetTaskListData() : nullptr;
    CMailIndexRecord* r = m_pStore ? m_pStore->GetRecord(GetFocusedMail()) : nullptr;
    if (!r || !table)
        return FALSE;
    int found = -1;
    const CString key = r->GetText(CMailIndexRecord::colAttachDir);
    if (!key.IsEmpty()) {
        CSingleLock lock(&table->Lock(), TRUE);
        for (int i = 0; i < table->GetRecordCount() && found < 0; ++i) {
            CTaskListRecord* task = table->GetTask(i);
            if (task && !task->m_bDeleted && task->m_nFolderId == m_nFolderId && task->m_strMailKey == key)
                found = i;
        }
    }
    // A mail without a task gets one.
    if (found < 0)
        return AddTaskForFocusedMail();
    if (!table->EditTask(found, this))
        return FALSE;
    CSingleLock lock(&table->Lock(), TRUE);
    return table->WriteToFile();
}
