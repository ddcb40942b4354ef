// The editor frame's commands as its message map routes them (menu, keys,
// toolbars and the context menu), and the update handlers that enable and
// tick them.
#include "editor/MailEditFrame.h"

#include "classlib/CmdUI.h"
#include "core/AccountData.h"
#include "core/QuendalApp.h"
#include "editor/Archiver.h"
#include "editor/DlgAutoSignature.h"
#include "editor/DlgBodyReplace.h"
#include "editor/DlgQuoteHeader.h"
#include "editor/DlgSignatureList.h"
#include "editor/DlgTemplateSelect.h"
#include "editor/MailEditCtrl.h"
#include "editor/MailEditThread.h"
#include "editor/MailEditView.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "settings/SettingsCommands.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "viewer/DlgGotoLine.h"
#include "viewer/MailViewerOpen.h"

#include <commdlg.h>

namespace {

// The main window selects a mail (wParam folder id, lParam index).
const UINT kMsgSelectMail = 1353;
// The editor kind of a mail written from a template.
const int kTemplateMail = 5;

// Focuses a box of the form and drops its list down.
void DropDown(HWND hCombo)
{
    if (!hCombo)
        return;
    ::SetFocus(hCombo);
    ::SendMessageA(hCombo, CB_SHOWDROPDOWN, TRUE, 0);
}

bool ClipboardHasText()
{
    return ::IsClipboardFormatAvailable(CF_TEXT) || ::IsClipboardFormatAvailable(CF_UNICODETEXT);
}

} // namespace

// ---- Sending and storing ----

void CMailEditFrame::OnOutboxCommand()
{
    // While a job runs the command is refused before anything starts:
    // ending the busy state of someone else's job would let the next
    // command wait on its thread.
    if (m_bBusy || m_bWaitingToSend)
        return;
    m_nSavedOnce = 1;
    if (!SendOrSave(1))
        EndBusy();
}

void CMailEditFrame::OnCloseCommand()
{
    if (!m_bBusy)
        PostMessage(WM_CLOSE);
}

void CMailEditFrame::OnOpenSourceMail()
{
    CMailEditDoc& doc = m_pThread->GetDoc();
    CMailFolderStore* store = doc.GetSourceStore();
    const int index = doc.GetSourceIndex();
    const CMailIndexRecord* record = store && index >= 0 ? store->GetRecord(index) : nullptr;
    if (!record || record->m_bDeleted || !OpenMailViewer(store, index)) {
        Box(IDS_SOURCE_MAIL_NOT_FOUND, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
}

void CMailEditFrame::OnSelectSourceMail()
{
    CMailEditDoc& doc = m_pThread->GetDoc();
    CMailFolderStore* store = doc.GetSourceStore();
    CQuendalApp* app = QuendalApp();
    if (app && store && doc.GetSourceIndex() >= 0)
        ::PostThreadMessageA(app->m_nThreadID, kMsgSelectMail, static_cast<WPARAM>(store->GetFolderId()),
                             doc.GetSourceIndex());
}

// ---- Editing ----

void CMailEditFrame::OnUndoCommand()
{
    ::SendMessageA(::GetFocus(), EM_UNDO, 0, 0);
}

void CMailEditFrame::OnRedoCommand()
{
    ::SendMessageA(::GetFocus(), EM_REDO, 0, 0);
}

void CMailEditFrame::OnCutCommand()
{
    ::SendMessageA(::GetFocus(), WM_CUT, 0, 0);
}

void CMailEditFrame::OnCopyCommand()
{
    ::SendMessageA(::GetFocus(), WM_COPY, 0, 0);
}

void CMailEditFrame::OnPasteCommand()
{
    PasteAs(0, false);
}

void CMailEditFrame::OnQuotedPaste()
{
    PasteAs(CF_TEXT, true);
}

void CMailEditFrame::OnSelectAll()
{
    if (m_pView)
        m_pView->GetBodyCtrl().SelectAll();
}

void CMailEditFrame::OnReplaceCommand()
{
    if (!m_pView || m_pView->ShowsHtmlView())
        return;
    CMailEditCtrl& body = m_pView->GetBodyCtrl();
    CDlgBodyReplace dlg(body, this);
    // The selected text is what the user most likely wants replaced.
    CString selected = m_pView->GetSelectedBodyText();
    if (selected.Find('\r') < 0 && selected.Find('\n') < 0)
        dlg.m_strFind = selected;
    dlg.DoModal();
}

void CMailEditFrame::OnGotoLine()
{
    if (!m_pView)
        return;
    CDlgGotoLine dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    m_pView->GetBodyCtrl().GoToLine(dlg.m_nLine);
}

void CMailEditFrame::OnTemplateCommand()
{
    if (!m_pView)
        return;
    CDlgTemplateSelect dlg(2, this);
    if (dlg.DoModal() != IDOK || dlg.m_strPath.IsEmpty())
        return;
    // The template's text goes in at the caret of the mail as it stands.
    m_pView->InsertTemplate(dlg.m_strPath, kTemplateMail);
}

void CMailEditFrame::OnBodyCommand(UINT nId)
{
    if (!m_pView)
        return;
    CMailEditCtrl& body = m_pView->GetBodyCtrl();
    switch (nId) {
    case ID_EDIT_FOCUS_TO: m_pView->FocusField(IDC_ME_TO); break;
    case ID_EDIT_FOCUS_CC: m_pView->FocusField(IDC_ME_CC); break;
    case ID_EDIT_FOCUS_BCC: m_pView->FocusField(IDC_ME_BCC); break;
    case ID_EDIT_FOCUS_SUBJECT: m_pView->FocusField(IDC_ME_SUBJECT); break;
    case ID_EDIT_FOCUS_BODY: m_pView->FocusField(IDC_ME_BODY); break;
    case ID_EDIT_CARET_RIGHT: body.MoveCaret(3); break;
    case ID_EDIT_CARET_LEFT: body.MoveCaret(2); break;
    case ID_EDIT_CARET_UP: body.MoveCaret(0); break;
    case ID_EDIT_CARET_DOWN: body.MoveCaret(1); break;
    case ID_EDIT_CARET_TOP: body.GoToLine(0); break;
    case ID_EDIT_CARET_BOTTOM: body.GoToLine(-1); break;
    case ID_EDIT_CARET_LINE_START: body.CaretToLineStart(); break;
    case ID_EDIT_CARET_LINE_END: body.CaretToLineEnd(); break;
    default: break;
    }
}

void CMailEditFrame::OnNextField()
{
    if (!m_pView)
        return;
    HWND focus = ::GetFocus();
    HWND next = ::GetNextDlgTabItem(m_pView->m_hWnd, focus && ::IsChild(m_pView->m_hWnd, focus) ? focus : nullptr,
                                    ::GetKeyState(VK_SHIFT) < 0);
    if (next)
        ::SetFocus(next);
}

// ---- Addresses, account and signature ----

void CMailEditFrame::OnShowBcc()
{
    if (m_pView)
        m_pView->ToggleBcc();
}

void CMailEditFrame::OnAddressBook()
{
    if (m_pView)
        m_pView->OpenAddressBook(-1);
}

void CMailEditFrame::OnSelectAccount()
{
    DropDown(m_accountBox.m_hWnd);
}

void CMailEditFrame::OnFocusReplyTo()
{
    if (m_pView)
        DropDown(m_pView->GetDlgItemHwnd(IDC_ME_REPLYTO));
}

void CMailEditFrame::OnSelectSignature()
{
    if (m_pView)
        DropDown(m_pView->GetDlgItemHwnd(IDC_ME_SIGN));
}

void CMailEditFrame::ApplyAutoSignature()
{
    if (!m_pView)
        return;
    CMailFolderStore* folder = m_pThread ? m_pThread->GetFolder() : nullptr;
    CAccountData* account = CurrentAccount();
    m_pView->ApplyAutoSignature(folder ? folder->GetInheritedText(16) : CString(),
                                account ? account->GetSignatureName() : CString());
}

void CMailEditFrame::OnAutoSignatureCommand()
{
    ApplyAutoSignature();
}

void CMailEditFrame::OnSignatureAtCaret()
{
    if (m_pView)
        m_pView->InsertSignature(m_pView->GetSignatureName(), true);
}

void CMailEditFrame::OnSignatureList()
{
    CDlgSignatureList dlg(this);
    dlg.DoModal();
    if (m_pView)
        m_pView->FillSignatureList();
}

void CMailEditFrame::OnAutoSignatureRules()
{
    CDlgAutoSignature dlg(this);
    dlg.DoModal();
}

// ---- Tools ----

void CMailEditFrame::OnAttachCommand()
{
    if (m_pView)
        m_pView->AttachByDialog();
}

void CMailEditFrame::OnReadReceipt()
{
    if (m_pView)
        m_pView->m_bReadReceipt = !m_pView->m_bReadReceipt;
    UpdateIndicators();
}

void CMailEditFrame::OnBodyArchive()
{
    if ((m_pView && m_pView->IsHtmlMode()) || !CArchiver::FromApp().IsAvailable(CArchiver::formatZip))
        return;
    m_bBodyAsArchive = !m_bBodyAsArchive;
    UpdateIndicators();
}

void CMailEditFrame::OnHtmlMail()
{
    if (!m_pView)
        return;
    if (!m_pView->IsHtmlMode() && m_bBodyAsArchive && Box(IDS_HTML_NO_BODY_ARCHIVE, MB_OKCANCEL) != IDOK)
        return;
    if (m_pView->ToggleHtmlMode() && m_pView->IsHtmlMode())
        m_bBodyAsArchive = false;
    ShowFormatBar(m_pView->ShowsHtmlView());
    UpdateIndicators();
}

void CMailEditFrame::OnHtmlLoadFile()
{
    if (!m_pView)
        return;
    // A text body the user wrote is lost when the mail becomes HTML.
    if (!m_pView->IsHtmlMode() && !m_pView->IsBodyEmpty() &&
        Box(IDS_HTML_BODY_LOST_QUESTION, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    char path[MAX_PATH * 2] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "HTML Files (*.html;*.htm)\0*.html;*.htm\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof(path);
    ofn.lpstrDefExt = "html";
    ofn.lpstrTitle = "ファイルの選択";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn))
        return;
    if (m_pView->ShowHtmlPane(true, path, true, true))
        m_bBodyAsArchive = false;
    ShowFormatBar(m_pView->ShowsHtmlView());
    UpdateIndicators();
}

void CMailEditFrame::OnEditorSettings()
{
    ShowEditorSettings(this);
    if (m_pView)
        m_pView->ApplyEditorSettings();
    ArmAutoBackup();
}

void CMailEditFrame::OnFontColorSettings()
{
    ShowFontColorSettings(this);
    if (m_pView)
        m_pView->ApplyEditorSettings();
}

void CMailEditFrame::OnQuoteHeader()
{
    CDlgQuoteHeader dlg(this);
    dlg.DoModal();
}

void CMailEditFrame::OnHelpCommand()
{
    if (CQuendalApp* app = QuendalApp())
        app->OpenHelp();
}

void CMailEditFrame::OnFormatCommand(UINT nID)
{
    if (m_pView && m_pView->ShowsHtmlView())
        m_pView->RunFormatCommand(nID, m_wndFormatBar.m_hWnd);
}

// ---- Update handlers ----

void CMailEditFrame::OnUpdateSend(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!m_bBusy && !m_bWaitingToSend);
}

void CMailEditFrame::OnUpdateNotBusy(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!m_bBusy);
}

void CMailEditFrame::OnUpdateCancelSend(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_bBusy || m_bWaitingToSend);
}

void CMailEditFrame::OnUpdateShowBcc(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pView && m_pView->IsBccShown() ? 1 : 0);
}

void CMailEditFrame::OnUpdateReadReceipt(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pView && m_pView->m_bReadReceipt ? 1 : 0);
}

void CMailEditFrame::OnUpdateBodyArchive(CCmdUI* pCmdUI)
{
    // An HTML mail cannot carry its body as an archive, nor any mail
    // without the ZIP library.
    bool html = m_pView && m_pView->IsHtmlMode();
    pCmdUI->Enable(!html && CArchiver::FromApp().IsAvailable(CArchiver::formatZip));
    pCmdUI->SetCheck(m_bBodyAsArchive && !html ? 1 : 0);
}

void CMailEditFrame::OnUpdateHtmlMail(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pView && m_pView->IsHtmlMode() ? 1 : 0);
}

void CMailEditFrame::OnUpdateReplace(CCmdUI* pCmdUI)
{
    // Replacing works on the text body, also while an HTML mail is text-edited.
    pCmdUI->Enable(!(m_pView && m_pView->ShowsHtmlView()));
}

void CMailEditFrame::OnUpdatePaste(CCmdUI* pCmdUI)
{
    // Text, a picture, files or mails of the mail list: whatever the paste takes.
    pCmdUI->Enable(::CountClipboardFormats() > 0);
}

void CMailEditFrame::OnUpdateQuotedPaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(ClipboardHasText());
}

void CMailEditFrame::OnUpdateFormat(CCmdUI* pCmdUI)
{
    // The table and background commands work on the page itself; the rest
    // need an engine behind the view.
    const UINT id = pCmdUI->m_nID;
    const bool onPage = id == ID_HTML_TABLE || id == ID_HTML_BACKGROUND;
    pCmdUI->Enable(m_pView && (onPage ? m_pView->ShowsHtmlView() : m_pView->HtmlViewFormats()));
    const int check = m_formatState.GetCheck(pCmdUI->m_nID);
    if (check >= 0)
        pCmdUI->SetCheck(check);
}
