// The main window's side of the mail, folder and navigation commands: what
// goes to the mail list, the walk over folders with unread mail, emptying the
// trash and running the filter rules over the current folder.
#include "mainwnd/MainFrame.h"

#include "core/QuendalApp.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/QListView.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailListData.h"
#include "viewer/MailView.h"

namespace {

bool IsReceiveFolder(const CMailFolderStore* pStore)
{
    return pStore->GetKind() == CFolderRecord::kindNormal || pStore->GetKind() == CFolderRecord::kindInbox;
}

// A folder whose index was not read yet counts its unread mails only once
// the index is read.
bool HasUnreadMail(CMailFolderStore* pStore)
{
    CMailListData* list = pStore->GetMailList();
    return list && list->GetUnreadCount() > 0;
}

} // namespace

void CMainFrame::OnClipboardCommand(UINT nID)
{
    HWND focus = ::GetFocus();
    if (!focus)
        return;
    UINT message = nID == ID_MAIL_COPY ? WM_COPY : nID == ID_MAIL_CUT ? WM_CUT : WM_PASTE;
    ::SendMessageA(focus, message, 0, 0);
}

void CMainFrame::OnUpdateClipboardCommand(CCmdUI* pCmdUI)
{
    HWND focus = ::GetFocus();
    if (m_pListView && focus == m_pListView->m_hWnd) {
        pCmdUI->Enable(m_pListView->HasSelection());
        return;
    }
    DWORD start = 0, end = 0;
    if (focus)
        ::SendMessageA(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    pCmdUI->Enable(start != end);
}

void CMainFrame::OnListCommand(UINT nID)
{
    if (m_pListView && m_pListView->m_hWnd)
        m_pListView->SendMessage(WM_COMMAND, nID, 0);
}

void CMainFrame::OnMailForward()
{
    OnListCommand(ID_MAIL_FORWARD);
}

void CMainFrame::OnSendReadNotify()
{
    auto* pane = dynamic_cast<CMailView*>(m_pMailView);
    if (pane && pane->IsReadNotifyPending())
        pane->AskSendReadNotify();
}

void CMainFrame::OnUpdateSendReadNotify(CCmdUI* pCmdUI)
{
    auto* pane = dynamic_cast<CMailView*>(m_pMailView);
    pCmdUI->Enable(pane && pane->IsReadNotifyPending());
}

void CMainFrame::OnEscape()
{
    // The panes send their Esc here; typed at the window it drops the cut
    // marks and runs the key assigned to Esc (送受信を中断 unless changed).
    PostMessage(WM_KEYDOWN, VK_ESCAPE, 1);
}

void CMainFrame::OnPreviousFolderUnread(UINT nID)
{
    GoToPreviousFolder(nID == ID_PREVIOUS_FOLDER_UNREAD ? TRUE : FALSE);
}

BOOL CMainFrame::FindNextFolder(BOOL bSkipExcluded)
{
    return FindUnreadFolder(1, bSkipExcluded);
}

BOOL CMainFrame::FindPreviousFolder(BOOL bSkipExcluded)
{
    return FindUnreadFolder(-1, bSkipExcluded);
}

BOOL CMainFrame::FindUnreadFolder(int nStep, BOOL bSkipExcluded)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pListView || !m_pFolderTree)
        return FALSE;
    int count = app->GetFolderCount();
    int start = app->GetCurrentFolderPos();
    if (start < 0)
        start = 0;
    for (int step = 1; step < count; step++) {
        CMailFolderStore* store = app->GetFolderAt(((start + nStep * step) % count + count) % count);
        if (!store || !IsReceiveFolder(store) || !m_pFolderTree->FindItem(store->GetFolderId()) ||
            !HasUnreadMail(store))
            continue;
        // A folder left out of the walk by its settings (or its parent's)
        // is passed over unless every folder is searched.
        if (bSkipExcluded && store->GetInheritedFlag2())
            continue;
        m_pFolderTree->SelectFolder(store->GetFolderId());
        if (m_pListView->GetFolderId() != store->GetFolderId())
            ChangeFolder(store->GetFolderId());
        m_pListView->ResetUnreadWalk();
        m_pListView->MoveToNextUnread(FALSE);
        return TRUE;
    }
    CMailFolderStore* current = app->GetCurrentFolder();
    if (!current || current->GetUnreadCount() <= 0) {
        Beep(static_cast<DWORD>(app->GetProfileInt("Setting", "BeepFrequency", 2000)), 60);
    } else {
        m_pListView->ResetUnreadWalk();
        m_pListView->MoveToNextUnread(FALSE);
    }
    return FALSE;
}

BOOL CMainFrame::GoToNextFolder(BOOL bSkipExcluded)
{
    return GoToUnreadFolder(1, bSkipExcluded);
}

BOOL CMainFrame::GoToPreviousFolder(BOOL bSkipExcluded)
{
    return GoToUnreadFolder(-1, bSkipExcluded);
}

BOOL CMainFrame::GoToUnreadFolder(int nStep, BOOL bSkipExcluded)
{
    // Clicks made while the walk runs are not to land in the folder it goes to.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    WaitCursor(TRUE);
    BOOL found = FindUnreadFolder(nStep, bSkipExcluded);
    WaitCursor(FALSE);
    return found;
}

void CMainFrame::EmptyTrash()
{
    CQuendalApp* app = QuendalApp();
    CMailFolderStore* trash = app ? app->GetDefaultFolder(CFolderRecord::kindTrash) : nullptr;
    if (!trash)
        return;
    int count = trash->GetMailList() ? trash->GetMailCount() : 0;
    if (count <= 0) {
        AfxMessageBox("ごみ箱は空っぽです。", "Corvane Mail", MB_OK);
        return;
    }
    if (AfxMessageBox(FormatString("%d通のメールを削除します。\r\nよろしいですか？", count), "Corvane Mail", MB_YESNO) != IDYES)
        return;
    WaitCursor(TRUE);
    bool current = app->GetCurrentFolderId() == trash->GetFolderId();
    if (current && m_pListView)
        m_pListView->ClearFolder();
    trash->EmptyFolder();
    if (app->m_nMailMemFolder == trash->GetFolderId())
        app->m_nMailMemIndex = -1;
    if (m_pFolderTree)
        m_pFolderTree->RefreshFolderItem(trash->GetFolderId());
    if (current && m_pListView)
        m_pListView->SetFolder(trash->GetFolderId(), TRUE, FALSE);
    WaitCursor(FALSE);
}
