// The viewer window's commands that open settings and template dialogs,
// switch the HTML display, answer a read notification, walk the history of
// shown mails and open help; and the routing that lets the body text answer
// find, select all and print from the viewer's menu and keys.
#include "viewer/MailViewerFrame.h"

#include "classlib/CmdUI.h"
#include "core/MailHistory.h"
#include "core/QuendalApp.h"
#include "editor/DlgTemplateSelect.h"
#include "mainwnd/MainFrame.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "settings/SettingsCommands.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "viewer/ColorTextView.h"
#include "viewer/MailView.h"
#include "viewer/ReadStatePolicy.h"
#include "viewer/ViewerProfile.h"

namespace {

// The editor kinds a template starts.
const int kTemplateNewMail = 5;
const int kTemplateReply = 6;
const int kTemplateReplyAll = 7;

} // namespace

BOOL CMailViewerFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    // Automatic scrolling runs until the user stops it; the status bar says how.
    if (nCode == static_cast<int>(CN_COMMAND) && (nID == ID_VIEWER_AUTO_SCROLL_DOWN || nID == ID_VIEWER_AUTO_SCROLL_UP) &&
        m_pView) {
        CString text;
        text.LoadString(IDS_VIEWER_AUTO_SCROLL);
        if (m_statusBar.m_hWnd)
            m_statusBar.SetPaneText(0, text);
        BOOL done = m_pView->OnCmdMsg(nID, nCode, pExtra, pResult);
        if (m_hWnd)
            SetIdlePrompt();
        return done;
    }
    CColorTextView* body = m_pView ? m_pView->GetBodyView() : nullptr;
    // Select all takes the focus to the text it selected.
    if (nCode == static_cast<int>(CN_COMMAND) && nID == ID_VIEWER_SELECT_ALL && body && body->m_hWnd) {
        body->SelectAll();
        body->SetFocus();
        return TRUE;
    }
    if (CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    // Find and the like belong to the body text, whichever part of the
    // window has the focus.
    return body && body->m_hWnd && body->OnCmdMsg(nID, nCode, pExtra, pResult);
}

void CMailViewerFrame::OnTemplateNew()
{
    CQuendalApp* app = QuendalApp();
    CDlgTemplateSelect dlg(2, this);
    if (!app || dlg.DoModal() != IDOK)
        return;
    CMailFolderStore* store = m_pView ? m_pView->GetFolder() : nullptr;
    app->OpenMailEditor(kTemplateNewMail, store, -1, 0, "", "", dlg.m_strPath, "", "", 0, 0, FALSE, 0);
}

void CMailViewerFrame::OnTemplateReply()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !ShownRecord())
        return;
    CDlgTemplateSelect dlg(0, this);
    if (dlg.DoModal() != IDOK)
        return;
    app->OpenMailEditor(dlg.m_bReplyAll ? kTemplateReplyAll : kTemplateReply, m_pView->GetFolder(),
                        m_pView->GetCurrentIndex(), 0, "", "", dlg.m_strPath, "", "", 0, 0, FALSE, 0);
}

void CMailViewerFrame::OnViewSettings()
{
    bool changed = ShowViewSettings(this);
    if (m_pView)
        m_pView->ReloadViewSettings(changed ? TRUE : FALSE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

void CMailViewerFrame::OnFontColor()
{
    ShowFontColorSettings(this);
    if (m_pView)
        m_pView->ReloadViewSettings(FALSE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

void CMailViewerFrame::OnHtmlSwitch()
{
    CQuendalApp* app = QuendalApp();
    if (!m_pView || !app)
        return;
    // Beside a main window the switch is this window's own; a viewer alone
    // changes the HTML setting of the program.
    CMainFrame* main = app->m_pMainFrame;
    if (main && main->m_hWnd) {
        m_pView->SetHtmlSwitch(!m_pView->GetHtmlSwitch());
        return;
    }
    int html = ViewerProfile::GetInt("ViewOption", "HTMLMail", 0) ? 0 : 1;
    app->WriteProfileInt("ViewOption", "HTMLMail", html);
    m_pView->SetHtmlSwitch(html);
}

void CMailViewerFrame::OnUpdateHtmlSwitch(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(ShownRecord() != nullptr);
    pCmdUI->SetCheck(m_pView && m_pView->IsBrowserShowing() ? 1 : 0);
}

void CMailViewerFrame::OnSendReadNotify()
{
    if (ShownRecord())
        m_pView->AskSendReadNotify();
}

void CMailViewerFrame::OnUpdateSendReadNotify(CCmdUI* pCmdUI)
{
    CMailIndexRecord* r = ShownRecord();
    pCmdUI->Enable(r && CReadStatePolicy::IsNotifyPending(r->m_nFlags));
}

void CMailViewerFrame::OnHistory(UINT nID)
{
    CQuendalApp* app = QuendalApp();
    if (!app || FoundList())
        return;
    CMailHistory::Entry entry;
    CMailFolderStore* store = nullptr;
    auto exists = [app](const CMailHistory::Entry& e) {
        CMailFolderStore* s = app->FindFolder(e.nFolderId);
        CMailIndexRecord* r = s && s->GetMailList() ? s->GetRecord(e.nIndex) : nullptr;
        return r && !r->m_bDeleted;
    };
    if (ShownMailHistory().Move(nID == ID_VIEWER_HISTORY_FORWARD ? 1 : -1, exists, entry))
        store = app->FindFolder(entry.nFolderId);
    if (!store) {
        ::Beep(static_cast<DWORD>(app->GetProfileInt("Setting", "BeepFrequency", 2000)), 60);
        return;
    }
    ShowMail(store, entry.nIndex, FALSE);
}

void CMailViewerFrame::OnUpdateHistory(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!FoundList() && ShownMailHistory().GetCount() > 0);
}

void CMailViewerFrame::OnHelp()
{
    if (CQuendalApp* app = QuendalApp())
        app->OpenHelp();
}

LRESULT CMailViewerFrame::OnToggleMaximized(WPARAM, LPARAM)
{
    ShowWindow(IsZoomed() ? SW_RESTORE : SW_MAXIMIZE);
    return 0;
}
