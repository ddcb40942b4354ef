// Moving between the panes and in the folder tree, and the routing that lets
// the folder pane's and the list's commands work whichever pane is active.
#include "mainwnd/MainFrame.h"

#include "core/QuendalApp.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/QListView.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/DlgDeleteHistory.h"
#include "viewer/ColorTextView.h"
#include "viewer/MailView.h"
#include "viewer/ViewerMessages.h"

#include <commctrl.h>

namespace {

// The list's moves take the numbers of the messages that ask for them.
const UINT kMovePrevious = 1347;
const UINT kMoveNext = 1348;

} // namespace

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    // The scroll shortcuts scroll the mail view pane, and the new mail
    // counts as seen.
    if ((nID == ID_SPACE_SCROLL_DOWN || nID == ID_SPACE_SCROLL_UP) && nCode == CN_COMMAND) {
        RouteCommand(nID, nCode, pExtra, pResult);
        ResetTrayIcon();
        return TRUE;
    }
    return RouteCommand(nID, nCode, pExtra, pResult);
}

BOOL CMainFrame::RouteCommand(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    if (CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    // The folder commands, the list's and the mail view's own commands come
    // from the main menu and keys as well; they reach their pane when another
    // one is active.
    CView* active = GetActiveView();
    if (m_pFolderTree && m_pFolderTree->m_hWnd && active != m_pFolderTree &&
        m_pFolderTree->OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    if (m_pListView && m_pListView->m_hWnd && active != m_pListView &&
        m_pListView->OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    // The text routes on to its pane.
    CView* text = GetMailTextView();
    if (text && text->m_hWnd && active != text && active != m_pMailView && text->OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    return FALSE;
}

// The mail view pane's text, which takes the keys and the find commands;
// the pane itself while it shows no text view.
CView* CMainFrame::GetMailTextView() const
{
    auto* pane = dynamic_cast<CMailView*>(m_pMailView);
    CView* text = pane ? pane->GetBodyView() : nullptr;
    return text && text->m_hWnd ? text : m_pMailView;
}

void CMainFrame::FocusPane(int nPane)
{
    CView* target = nPane == 0 ? static_cast<CView*>(m_pListView)
                  : nPane == 1 ? GetMailTextView()
                               : static_cast<CView*>(m_pFolderTree);
    if (!target || !target->m_hWnd)
        return;
    m_nActivePane = nPane;
    SetActiveView(target);
    if (target == m_pFolderTree)
        m_pFolderTree->GetTreeCtrl().SetFocus();
    else
        target->SetFocus();
}

void CMainFrame::OnPaneCommand(UINT nID)
{
    switch (nID) {
    case ID_FOCUS_FOLDER_TREE:
        FocusPane(2);
        break;
    case ID_FOCUS_MAIL_LIST:
        FocusPane(0);
        break;
    case ID_FOCUS_MAIL_VIEW:
        FocusPane(1);
        break;
    case ID_NEXT_PANE:
    case ID_PREVIOUS_PANE:
        // Shift+Tab comes with Shift held, which turns the cycle backwards.
        CycleActivePane(nullptr);
        break;
    case ID_MAIL_PREVIOUS:
    case ID_MAIL_NEXT:
        if (m_pListView)
            m_pListView->MoveSelection(nID == ID_MAIL_PREVIOUS ? kMovePrevious : kMoveNext);
        break;
    case ID_DELETED_MAIL_HISTORY:
        if (CQuendalApp* pApp = QuendalApp()) {
            pApp->HoldDeleteHistory(TRUE);
            CDlgDeleteHistory dlg(this, pApp->GetDeleteHistory());
            dlg.DoModal();
            pApp->HoldDeleteHistory(FALSE);
        }
        break;
    case ID_CLEAR_CUT_MARKS:
        if (m_pListView)
            m_pListView->ClearCutMarks(FALSE);
        break;
    case ID_FOLDER_PREVIOUS:
    case ID_FOLDER_NEXT:
        if (m_pFolderTree)
            m_pFolderTree->SelectAdjacentFolder(nID == ID_FOLDER_NEXT);
        break;
    case ID_FOLDER_TREE_SCROLL_UP:
    case ID_FOLDER_TREE_SCROLL_DOWN:
        if (m_pFolderTree)
            m_pFolderTree->ScrollTree(nID == ID_FOLDER_TREE_SCROLL_DOWN);
        break;
    case ID_ACCOUNT_SWITCH:
        if (m_pFolderTree)
            m_pFolderTree->DropDownAccounts();
        break;
    case ID_ACTIVATE_EDITOR:
        if (CQuendalApp* pApp = QuendalApp())
            pApp->ActivateEditThread();
        break;
    default:
        break;
    }
}

void CMainFrame::AddMailToHistory(int nFolderId, int nMailIndex)
{
    ShownMailHistory().Add(nFolderId, nMailIndex);
}

void CMainFrame::OnHistoryCommand(UINT nID)
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return;
    CMailHistory::Entry entry = {};
    switch (nID) {
    case ID_HISTORY_FORWARD:
    case ID_HISTORY_BACK: {
        auto exists = [pApp](const CMailHistory::Entry& e) { return pApp->FindFolder(e.nFolderId) != nullptr; };
        const bool moved = ShownMailHistory().Move(nID == ID_HISTORY_FORWARD ? 1 : -1, exists, entry);
        if (!moved || !SelectFolderAndMail(entry.nFolderId, entry.nIndex))
            ::Beep(static_cast<DWORD>(pApp->m_nBeepMailNoneNotRead > 0 ? pApp->m_nBeepMailNoneNotRead : 200), 60);
        break;
    }
    case ID_HISTORY_REMEMBER:
        if (!ShownMailHistory().Current(entry)) {
            AfxMessageBox("メールを選択してください。", MB_OK | MB_ICONEXCLAMATION);
            break;
        }
        pApp->m_nMailMemFolder = entry.nFolderId;
        pApp->m_nMailMemIndex = entry.nIndex;
        pApp->WriteProfileInt("Etc", "MailMemFolder", entry.nFolderId);
        pApp->WriteProfileInt("Etc", "MailMemIndex", entry.nIndex);
        break;
    case ID_HISTORY_RECALL:
        if (!SelectFolderAndMail(pApp->m_nMailMemFolder, pApp->m_nMailMemIndex))
            ::Beep(static_cast<DWORD>(pApp->m_nBeepMailNoneNotRead > 0 ? pApp->m_nBeepMailNoneNotRead : 200), 60);
        break;
    default:
        break;
    }
}

void CMainFrame::OnUpdateHistoryCommand(CCmdUI* pCmdUI)
{
    CQuendalApp* pApp = QuendalApp();
    pCmdUI->Enable(pApp && ShownMailHistory().GetCount() > 0);
}
