// The main window's view and layout commands (the mail view pane on and
// off, a maximised pane, the stored default layout) and the commands that
// open the filter-rule dialogs: the rule list and the run over the shown
// folder.
#include "mainwnd/MainFrame.h"

#include "core/DlgCVMStartPasswordSetting.h"
#include "core/DateTimeUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/QListView.h"
#include "message/MailMessage.h"
#include "store/MailIndexRecord.h"
#include "resources/rules/RulesResource.h"
#include "store/MailFolderStore.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/DivideupRun.h"
#include "transfer/DlgDivideup.h"
#include "transfer/DlgDivideupExec.h"
#include "transfer/RuleSetCombo.h"
#include "viewer/MailView.h"

#include <commctrl.h>

namespace {

const int kMinPane = 50;
// The list columns the default layout keeps, with their keys.
const char* const kLayoutColumnKeys[5] = { "DefaultListWidthSubject", "DefaultListWidthSender", "DefaultListWidthDate",
                                           "DefaultListWidthRevDate", "DefaultListWidthSize" };

// The list's sort item of each sort command.
int SortItemOfCommand(UINT nID)
{
    switch (nID) {
    case ID_SORT_SUBJECT: return 9;
    case ID_SORT_SUBJECT_BARE: return 1;
    case ID_SORT_SENDER: return 2;
    case ID_SORT_SENDER_SHOWN: return 13;
    case ID_SORT_RECIPIENT: return 6;
    case ID_SORT_SENT_DATE: return 3;
    case ID_SORT_RECEIVED_DATE: return 4;
    case ID_SORT_SIZE: return 5;
    case ID_SORT_ATTACHMENT: return 0;
    case ID_SORT_COLOR: return 7;
    case ID_SORT_BOOKMARK: return 8;
    case ID_SORT_NONE: return 12;
    default: return -1;
    }
}

} // namespace

void CMainFrame::OnSortCommand(UINT nID)
{
    if (m_pListView && m_pListView->m_hWnd)
        m_pListView->SortByItem(SortItemOfCommand(nID));
}

void CMainFrame::OnUpdateSortCommand(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pListView && m_pListView->GetSortItem() == SortItemOfCommand(pCmdUI->m_nID));
}

void CMainFrame::OnWindowCommand(UINT nID)
{
    switch (nID) {
    case ID_WINDOW_RESTORE:
        if (IsIconic())
            ShowWindow(SW_RESTORE);
        break;
    case ID_WINDOW_CENTER:
        if (IsIconic())
            break;
        CenterWindow();
        if (CQuendalApp* app = QuendalApp())
            app->CenterThreadWindows();
        break;
    case ID_WINDOW_MINIMIZE:
        ShowWindow(SW_MINIMIZE);
        break;
    default:
        break;
    }
}

void CMainFrame::OnUpdateWindowCommand(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(pCmdUI->m_nID == ID_WINDOW_RESTORE ? IsIconic() : !IsIconic());
}

void CMainFrame::OnHtmlMail()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pMailView)
        return;
    int html = app->GetProfileInt("ViewOption", "HTMLMail", 0) ? 0 : 1;
    app->WriteProfileInt("ViewOption", "HTMLMail", html);
    app->m_bHTMLMail = html;
    if (m_pListView && m_pListView->m_hWnd)
        m_pListView->ShowSelectedMail();
    ImmAssociateContext(m_pMailView->m_hWnd, nullptr);
}

void CMainFrame::OnUpdateHtmlMail(CCmdUI* pCmdUI)
{
    CQuendalApp* app = QuendalApp();
    pCmdUI->Enable(m_pMailView != nullptr);
    pCmdUI->SetCheck(app && app->GetProfileInt("ViewOption", "HTMLMail", 0) != 0);
}

LRESULT CMainFrame::OnTimeChange(WPARAM, LPARAM)
{
    // Dates are shown in local time: a new zone or daylight time shows them anew.
    if (CQuendalApp* app = QuendalApp())
        app->m_lTimeZoneBias = ComputeTimeZoneBias();
    if (m_pListView && m_pListView->m_hWnd) {
        m_pListView->Invalidate();
        m_pListView->ShowSelectedMail();
    }
    return Default();
}

LRESULT CMainFrame::OnSettingChange(WPARAM, LPARAM)
{
    // The date and time formats may have changed with the system's settings,
    // and the colours and fonts the mail view pane takes from the system.
    if (m_pListView && m_pListView->m_hWnd)
        m_pListView->LoadDateFormats();
    if (auto* pane = dynamic_cast<CMailView*>(m_pMailView))
        pane->ReloadViewSettings(TRUE);
    return Default();
}

void CMainFrame::OnStartPassword()
{
    CDlgCVMStartPasswordSetting dlg(this);
    dlg.DoModal();
}

void CMainFrame::OnCustomizeToolBar()
{
    if (!m_wndToolBar.m_hWnd)
        return;
    // The customise dialog saves the layout when it closes; the toolbar is
    // then made anew from it.
    m_wndToolBar.Customize();
    CreateToolBar(FALSE);
}

void CMainFrame::OnLayoutCommand(UINT nID)
{
    switch (nID) {
    case ID_VIEW_MAIL_VIEW:
        if (m_bMailViewMaximised || m_bListMaximised)
            RestorePaneSizes();
        DispMailview(m_pMailView != nullptr);
        break;
    case ID_VIEW_NO_MAIL_VIEW:
        if (m_bMailViewMaximised || m_bListMaximised)
            RestorePaneSizes();
        DispMailview(TRUE);
        break;
    case ID_VIEW_MAXIMIZE_MAIL_VIEW:
        ToggleMailViewMaximised();
        break;
    case ID_VIEW_MAXIMIZE_LIST:
        ToggleListMaximised();
        break;
    case ID_VIEW_SAVE_LAYOUT:
        SaveDefaultLayout();
        break;
    case ID_VIEW_RESTORE_LAYOUT:
        RestoreDefaultLayout();
        break;
    default:
        break;
    }
}

void CMainFrame::OnUpdateLayoutCommand(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pMailView != nullptr);
}

void CMainFrame::RestorePaneSizes()
{
    m_bMailViewMaximised = FALSE;
    m_bListMaximised = FALSE;
    if (!m_wndSplitter2.m_hWnd)
        return;
    m_wndSplitter2.SetRowInfo(0, m_nSavedListHeight, m_nSavedListMin);
    m_wndSplitter2.RecalcLayout();
    if (m_pListView && m_pListView->m_hWnd) {
        CListCtrl& list = m_pListView->GetListCtrl();
        int row = list.GetNextItem(-1, LVNI_SELECTED);
        if (row >= 0)
            list.EnsureVisible(row, FALSE);
    }
}

void CMainFrame::ToggleMailViewMaximised()
{
    if (!m_pMailView || !m_wndSplitter2.m_hWnd)
        return;
    if (m_bMailViewMaximised) {
        RestorePaneSizes();
        return;
    }
    if (m_bListMaximised)
        RestorePaneSizes();
    m_wndSplitter2.GetRowInfo(0, m_nSavedListHeight, m_nSavedListMin);
    m_bMailViewMaximised = TRUE;
    m_wndSplitter2.SetRowInfo(0, 0, 0);
    m_wndSplitter2.RecalcLayout();
}

void CMainFrame::ToggleListMaximised()
{
    if (!m_pMailView || !m_wndSplitter2.m_hWnd)
        return;
    if (m_bListMaximised) {
        RestorePaneSizes();
        return;
    }
    if (m_bMailViewMaximised)
        RestorePaneSizes();
    m_wndSplitter2.GetRowInfo(0, m_nSavedListHeight, m_nSavedListMin);
    m_bListMaximised = TRUE;
    RECT rc = {};
    m_wndSplitter2.GetClientRect(&rc);
    m_wndSplitter2.SetRowInfo(0, rc.bottom - rc.top, 0);
    m_wndSplitter2.RecalcLayout();
}

void CMainFrame::SaveDefaultLayout()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    RECT rc = m_rcNormal;
    if (rc.right <= rc.left && !IsIconic() && !IsZoomed())
        GetWindowRect(&rc);
    app->WriteProfileInt("Window", "DefaultLeft", rc.left);
    app->WriteProfileInt("Window", "DefaultTop", rc.top);
    app->WriteProfileInt("Window", "DefaultWidth", rc.right - rc.left);
    app->WriteProfileInt("Window", "DefaultHeight", rc.bottom - rc.top);
    int cur = 0, min = 0;
    m_wndSplitter.GetColumnInfo(0, cur, min);
    app->WriteProfileInt("Window", "DefaultTreeViewSize", cur);
    if (m_pMailView && m_wndSplitter2.m_hWnd) {
        if (m_bMailViewMaximised || m_bListMaximised)
            cur = m_nSavedListHeight;
        else
            m_wndSplitter2.GetRowInfo(0, cur, min);
        app->WriteProfileInt("Window", "DefaultListHeight", cur);
    }
    if (m_pListView && m_pListView->m_hWnd) {
        CListCtrl& list = m_pListView->GetListCtrl();
        for (int i = 0; i < 5; ++i)
            app->WriteProfileInt("Window", kLayoutColumnKeys[i], list.GetColumnWidth(i + 1));
    }
    if (app->IsProfileFileMode() && !app->GetProfileFilePath().IsEmpty())
        app->SaveProfileFile();
}

void CMainFrame::RestoreDefaultLayout()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    int left = app->GetProfileInt("Window", "DefaultLeft", -1);
    int top = app->GetProfileInt("Window", "DefaultTop", -1);
    int width = app->GetProfileInt("Window", "DefaultWidth", -1);
    int height = app->GetProfileInt("Window", "DefaultHeight", -1);
    if (left == -1 && top == -1 && width == -1 && height == -1)
        return;
    if (IsZoomed() || IsIconic())
        ShowWindow(SW_RESTORE);
    if (m_bMailViewMaximised || m_bListMaximised)
        RestorePaneSizes();
    SetWindowPos(nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    int cur = 0, min = 0;
    if (m_pMailView && m_wndSplitter2.m_hWnd) {
        m_wndSplitter2.GetRowInfo(0, cur, min);
        int listHeight = app->GetProfileInt("Window", "DefaultListHeight", cur);
        m_wndSplitter2.SetRowInfo(0, listHeight < kMinPane ? kMinPane : listHeight, min);
    }
    m_wndSplitter.GetColumnInfo(0, cur, min);
    int tree = app->GetProfileInt("Window", "DefaultTreeViewSize", cur);
    m_wndSplitter.SetColumnInfo(0, tree < kMinPane ? kMinPane : tree, min);
    m_wndSplitter.RecalcLayout();
    if (m_wndSplitter2.m_hWnd)
        m_wndSplitter2.RecalcLayout();
    RecalcLayout();
    if (m_pListView && m_pListView->m_hWnd) {
        CListCtrl& list = m_pListView->GetListCtrl();
        for (int i = 0; i < 5; ++i)
            list.SetColumnWidth(i + 1, app->GetProfileInt("Window", kLayoutColumnKeys[i], list.GetColumnWidth(i + 1)));
        int row = list.GetNextItem(-1, LVNI_SELECTED);
        if (row >= 0)
            list.EnsureVisible(row, FALSE);
    }
}

void CMainFrame::OnFilterSettings()
{
    if (IsReceiving())
        return;
    CDlgDivideup dlg(this);
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* folder = m_pListView ? m_pListView->GetFolderStore() : nullptr;
    // The folder's own rule set is the one shown first.
    if (app && folder) {
        CString name = folder->GetRuleSetName();
        app->LoadFilterRules();
        for (int i = 0; !name.IsEmpty() && i < app->GetNamedRuleSetCount(); ++i)
            if (app->GetNamedRuleSet(i)->GetFileName().CompareNoCase(name) == 0)
                dlg.m_nInitialSetRow = 2 + i;
    }
    dlg.DoModal();
}

void CMainFrame::RegisterMailRule(int nFolderId, int nMailIndex)
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* folder = app ? app->FindFolder(nFolderId) : nullptr;
    if (!folder || !folder->GetMailList())
        return;
    CMailIndexRecord* record = folder->GetRecord(nMailIndex);
    CString text;
    if (!record || !folder->ReadMailText(record, text))
        return;
    CMailMessage header;
    header.ParseHeaderText(text);
    if (IsIconic())
        SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    BringWindowToTop();
    SetForegroundWindow();
    CDlgDivideup dlg(this);
    dlg.m_pMailHeader = &header;
    // Mails of the sending folders go to the rules applied when sending.
    const int kind = folder->GetKind();
    const bool sending = kind == 2 || kind == 3 || kind == 5 || kind == 6 || kind == 10;
    dlg.m_nInitialSetRow = sending ? 1 : 0;
    if (app)
        app->LoadFilterRules();
    dlg.DoModal();
}

void CMainFrame::OnRunFilterRules()
{
    RunFilterRules();
}

void CMainFrame::RunFilterRules()
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* folder = app ? app->GetCurrentFolder() : nullptr;
    if (!folder || IsReceiving() || IsSending() || !m_hBusyLock || ::WaitForSingleObject(m_hBusyLock, 0) != WAIT_OBJECT_0)
        return;
    // No receive, maintenance or close starts while the rules move mails.
    struct BusyRelease
    {
        HANDLE h;
        ~BusyRelease() { ::ReleaseSemaphore(h, 1, nullptr); }
    } release{ m_hBusyLock };
    CDlgDivideupExec dlg(folder->GetRuleSetName(), this);
    if (dlg.DoModal() != IDOK)
        return;
    CDivideupDataSet* rules = RuleSetOf(*app, dlg.m_nSetKind, dlg.m_strSetName);
    if (!rules)
        return;
    DivideupRunOptions options;
    options.nTarget = dlg.m_nTarget;
    options.bNoColorLabel = dlg.m_bNoColorLabel;
    options.bKeepExistingLabel = dlg.m_bKeepExistingLabel;
    std::vector<int> selection;
    if (options.nTarget == 3 && m_pListView)
        selection = m_pListView->GetSelectedMails();
    WaitCursor(TRUE);
    RunDivideupOverFolder(*app, *folder, *rules, options, options.nTarget == 3 ? &selection : nullptr);
    if (m_pListView && m_pListView->GetFolderId() == folder->GetFolderId())
        m_pListView->SetFolder(folder->GetFolderId(), TRUE, TRUE);
    RefreshFolderItem(folder->GetFolderId(), TRUE);
    WaitCursor(FALSE);
}
