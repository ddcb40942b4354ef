#include "editor/MailEditFrame.h"

#include "classlib/AppCore.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/FileUtil.h"
#include "core/PostedObjectTable.h"
#include "core/QuendalApp.h"
#include "editor/Archiver.h"
#include "editor/DlgHtmlTempFile.h"
#include "editor/DlgSaveConfirm.h"
#include "editor/DlgSendInfo.h"
#include "editor/ExternalEditor.h"
#include "editor/MailEditCtrl.h"
#include "editor/MailEditSendJob.h"
#include "editor/MailEditThread.h"
#include "editor/MailEditView.h"
#include "editor/MailFileDialog.h"
#include "mainwnd/MailObjectBlock.h"
#include "message/AddressList.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "net/SmtpSession.h"
#include "transfer/MailSendThread.h"
#include "transfer/TransferMessages.h"

#include <commdlg.h>
#include <shellapi.h>

#include <memory>

namespace {

const char kCaption[] = "Corvane Mail";
// From the key assignment: the key file's icon command.
const UINT kMsgToolBarState = WM_USER + 398;
const char kWindowClass[] = "CVMEditWndClass";
const UINT kSendingQuestion = IDS_SENDING_ABORT_QUESTION;

int ProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt(pszSection, pszKey, nDefault) : nDefault;
}

} // namespace

BEGIN_MESSAGE_MAP(CMailEditFrame, CFrameWnd)
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_MESSAGE(WM_DROPFILES, OnDropFilesMessage)
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(WM_ACTIVATEAPP, OnActivateApp)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMessage)
    ON_MESSAGE(TM_SEND_RESULT, OnSendResultMessage)
    ON_MESSAGE(WM_QD_COMBO_SELCHANGE, OnBoxChanged)
    ON_MESSAGE(CMailEditView::kMsgHtmlDocumentComplete, OnHtmlDocumentComplete)
    ON_MESSAGE(kMsgToolBarState, OnSetToolBarState)
    // Sending and storing.
    ON_COMMAND(ID_EDIT_SEND, OnSendCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SEND, OnUpdateSend)
    ON_COMMAND(ID_EDIT_TO_OUTBOX, OnOutboxCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_TO_OUTBOX, OnUpdateSend)
    ON_COMMAND(ID_EDIT_SAVE, OnSaveCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SAVE, OnUpdateNotBusy)
    ON_COMMAND(ID_EDIT_SAVE_AS, OnSaveAsCommand)
    ON_COMMAND(ID_EDIT_SEND_CANCEL, OnCancelSend)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SEND_CANCEL, OnUpdateCancelSend)
    ON_COMMAND(ID_EDIT_CLOSE, OnCloseCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CLOSE, OnUpdateNotBusy)
    ON_COMMAND(ID_EDIT_OPEN_SOURCE, OnOpenSourceMail)
    ON_COMMAND(ID_EDIT_SELECT_SOURCE, OnSelectSourceMail)
    // Editing.
    ON_COMMAND(ID_EDIT_UNDO_CMD, OnUndoCommand)
    ON_COMMAND(ID_EDIT_REDO_CMD, OnRedoCommand)
    ON_COMMAND(ID_EDIT_CUT_CMD, OnCutCommand)
    ON_COMMAND(ID_EDIT_COPY_CMD, OnCopyCommand)
    ON_COMMAND(ID_EDIT_PASTE_CMD, OnPasteCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE_CMD, OnUpdatePaste)
    ON_COMMAND(ID_EDIT_QUOTED_PASTE, OnQuotedPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_QUOTED_PASTE, OnUpdateQuotedPaste)
    ON_COMMAND(ID_EDIT_PASTE_FORMAT, OnPasteFormat)
    ON_COMMAND(ID_EDIT_SELECT_ALL_CMD, OnSelectAll)
    ON_COMMAND(ID_EDIT_REPLACE, OnReplaceCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REPLACE, OnUpdateReplace)
    ON_COMMAND(ID_EDIT_GOTO_LINE, OnGotoLine)
    ON_COMMAND(ID_EDIT_TEMPLATE, OnTemplateCommand)
    ON_COMMAND_RANGE(ID_EDIT_FOCUS_TO, ID_EDIT_FOCUS_CC, OnBodyCommand)
    ON_COMMAND_RANGE(ID_EDIT_FOCUS_BCC, ID_EDIT_FOCUS_BODY, OnBodyCommand)
    ON_COMMAND_RANGE(ID_EDIT_FOCUS_SUBJECT, ID_EDIT_FOCUS_SUBJECT, OnBodyCommand)
    ON_COMMAND_RANGE(ID_EDIT_CARET_RIGHT, ID_EDIT_CARET_BOTTOM, OnBodyCommand)
    ON_COMMAND_RANGE(ID_EDIT_CARET_LINE_START, ID_EDIT_CARET_LINE_END, OnBodyCommand)
    ON_COMMAND(ID_EDIT_NEXT_FIELD, OnNextField)
    // Addresses, account and signature.
    ON_COMMAND(ID_EDIT_SEND_INFO, OnSendInfoCommand)
    ON_COMMAND(ID_EDIT_SHOW_BCC, OnShowBcc)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SHOW_BCC, OnUpdateShowBcc)
    ON_COMMAND(ID_EDIT_ADDRESS_BOOK, OnAddressBook)
    ON_COMMAND(ID_EDIT_SELECT_ACCOUNT, OnSelectAccount)
    ON_COMMAND(ID_EDIT_FOCUS_REPLY_TO, OnFocusReplyTo)
    ON_COMMAND(ID_EDIT_SELECT_SIGNATURE, OnSelectSignature)
    ON_COMMAND(ID_EDIT_AUTO_SIGNATURE, OnAutoSignatureCommand)
    ON_COMMAND(ID_EDIT_SIGNATURE_AT_CARET, OnSignatureAtCaret)
    ON_COMMAND(ID_EDIT_SIGNATURE_LIST, OnSignatureList)
    ON_COMMAND(ID_EDIT_AUTO_SIGNATURE_RULES, OnAutoSignatureRules)
    // Tools.
    ON_COMMAND(ID_EDIT_ATTACH, OnAttachCommand)
    ON_COMMAND(ID_EDIT_READ_RECEIPT, OnReadReceipt)
    ON_UPDATE_COMMAND_UI(ID_EDIT_READ_RECEIPT, OnUpdateReadReceipt)
    ON_COMMAND(ID_EDIT_BODY_ARCHIVE, OnBodyArchive)
    ON_UPDATE_COMMAND_UI(ID_EDIT_BODY_ARCHIVE, OnUpdateBodyArchive)
    ON_COMMAND(ID_EDIT_HTML_MAIL, OnHtmlMail)
    ON_UPDATE_COMMAND_UI(ID_EDIT_HTML_MAIL, OnUpdateHtmlMail)
    ON_COMMAND(ID_EDIT_HTML_LOAD_FILE, OnHtmlLoadFile)
    ON_COMMAND(ID_EDIT_EXTERNAL_EDITOR, RunExternalEditor)
    ON_COMMAND(ID_EDIT_HTML_EXTERNAL_EDITOR, RunExternalHtmlEditor)
    ON_COMMAND(ID_EDIT_EDITOR_SETTINGS, OnEditorSettings)
    ON_COMMAND(ID_EDIT_FONT_COLOR, OnFontColorSettings)
    ON_COMMAND(ID_EDIT_QUOTE_HEADER, OnQuoteHeader)
    ON_COMMAND(ID_EDIT_HELP, OnHelpCommand)
    // The format toolbar of HTML mail.
    ON_COMMAND_RANGE(ID_HTML_TAG_MENU, ID_HTML_TAG_MENU, OnFormatCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_HTML_TAG_MENU, ID_HTML_TAG_MENU, OnUpdateFormat)
    ON_COMMAND_RANGE(ID_HTML_BOLD, ID_HTML_TABLE, OnFormatCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_HTML_BOLD, ID_HTML_TABLE, OnUpdateFormat)
    ON_COMMAND_RANGE(ID_HTML_HORIZONTAL_LINE, ID_HTML_BACKGROUND, OnFormatCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_HTML_HORIZONTAL_LINE, ID_HTML_BACKGROUND, OnUpdateFormat)
    ON_COMMAND_RANGE(ID_HTML_IMAGE, ID_HTML_ANCHOR, OnFormatCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_HTML_IMAGE, ID_HTML_ANCHOR, OnUpdateFormat)
END_MESSAGE_MAP()

CMailEditFrame::CMailEditFrame() = default;

CMailEditFrame::~CMailEditFrame()
{
    if (m_hBoxFont)
        ::DeleteObject(m_hBoxFont);
    if (m_hToolBarImages)
        ::DeleteObject(m_hToolBarImages);
    // The table was built from the user's key assignment for this window.
    if (m_hAccelTable)
        ::DestroyAcceleratorTable(m_hAccelTable);
    if (m_hSendThread) {
        WaitForSingleObject(m_hSendThread, INFINITE);
        CloseHandle(m_hSendThread);
    }
    delete m_pSendThread;
}

BOOL CMailEditFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    HICON hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAILEDIT));
    cs.lpszClass = AfxRegisterWndClass(kWindowClass, CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), hIcon);
    return TRUE;
}

BOOL CMailEditFrame::Create(CMailEditThread* pThread, int nCascade)
{
    m_pThread = pThread;
    m_nCascade = nCascade;
    m_nIDResource = IDR_MAILEDIT;
    int left = ProfileInt("EditWindow", "Left", 30) + 20 * nCascade;
    int top = ProfileInt("EditWindow", "Top", 30) + 20 * nCascade;
    int width = ProfileInt("EditWindow", "Width", 560);
    int height = ProfileInt("EditWindow", "Height", 500);
    HMENU hMenu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAILEDIT));
    if (!CreateEx(0, nullptr, "無題", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, width, height, nullptr,
                  hMenu)) {
        if (hMenu)
            DestroyMenu(hMenu);
        return FALSE;
    }
    m_passwordLock.SetEnabled(ProfileInt("Setting", "CheckPassword", 0) && ProfileInt("Setting", "CheckPasswordEditor", 0));
    // Without the ZIP library nothing can be encrypted: the option stays off.
    m_bBodyAsArchive = ProfileInt("Setting", "DefaultContentZipFile", 0) != 0 &&
                       CArchiver::FromApp().IsAvailable(CArchiver::formatZip);
    CreateStatusBar();
    CreateFormatBar();
    PlaceAnimation();
    ::DragAcceptFiles(m_hWnd, TRUE);
    ArmAutoBackup();
    return TRUE;
}

BOOL CMailEditFrame::OnCreateClient(LPCREATESTRUCTA)
{
    // The view fills the account box, which the toolbar holds.
    if (!CreateToolBars())
        return FALSE;
    m_pView = new CMailEditView;
    m_pView->SetAccountBox(m_accountBox.m_hWnd);
    RECT rc = {0, 0, 100, 100};
    if (!m_pView->Create(this, AFX_IDW_PANE_FIRST, rc)) {
        delete m_pView;
        m_pView = nullptr;
        return FALSE;
    }
    SetActiveView(m_pView, FALSE);
    m_pView->OnInitialUpdate();
    RecalcLayout();
    return TRUE;
}

CAccountData* CMailEditFrame::CurrentAccount() const
{
    CQuendalApp* app = QuendalApp();
    int index = m_pView ? m_pView->GetAccountIndex() : -1;
    if (!app || !app->m_pAccountDataSet || index < 0)
        return nullptr;
    return app->m_pAccountDataSet->GetAccount(index);
}

int CMailEditFrame::Box(const char* pszText, UINT nType)
{
    return ::MessageBoxA(m_hWnd, pszText, kCaption, nType);
}

int CMailEditFrame::Box(UINT nId, UINT nType)
{
    CString text;
    text.LoadString(nId);
    return Box(text, nType);
}

void CMailEditFrame::ArmAutoBackup()
{
    m_bAutoBackup = ProfileInt("Setting", "EditorAutoBackup", 1) != 0;
    if (!m_hWnd)
        return;
    if (m_bAutoBackup) {
        int seconds = ProfileInt("Setting", "AutoBackupInterval", 30);
        SetTimer(timerAutoBackup, static_cast<UINT>(seconds > 0 ? seconds : 30) * 1000);
    } else {
        KillTimer(timerAutoBackup);
    }
}

void CMailEditFrame::EndBusy()
{
    PlayAnimation(false);
    if (m_pView && m_pView->m_hWnd)
        m_pView->EnableWindow(TRUE);
    m_bBusy = false;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ResumePendingClose();
}

void CMailEditFrame::ResumePendingClose()
{
    if (m_bClosePending && !m_bBusy && m_hWnd) {
        m_bClosePending = false;
        PostMessage(WM_CLOSE);
    }
}

void CMailEditFrame::FillReplyToFromAccount()
{
    CAccountData* account = CurrentAccount();
    if (m_pView && account && m_pView->GetReplyTo().IsEmpty() && !account->GetReplyTo().IsEmpty())
        m_pView->SelectReplyTo(account->GetReplyTo());
}

void CMailEditFrame::DeleteStoredCopy(CMailFolderStore* pStore, int nIndex)
{
    // Any program can post to the application thread: the mail to delete
    // goes as a token it cannot make up.
    CQuendalApp* app = QuendalApp();
    if (app && pStore && nIndex >= 0)
        CPostedObjectTable::Instance().PostToThread(
            app->m_nThreadID, WM_QD_DELETE_STORED_MAIL, 0,
            std::make_shared<MailObjectBlock::MailRef>(MailObjectBlock::MailRef{pStore->GetFolderId(), nIndex}));
}

void CMailEditFrame::DiscardBackup()
{
    // Only the automatic backup goes: the mail stays as it was stored
    // before the window opened, whatever the mail kind.
    if (!m_pThread)
        return;
    CMailEditDoc& doc = m_pThread->GetDoc();
    DeleteStoredCopy(doc.GetBackupStore(), doc.GetBackupIndex());
    doc.SetBackup(-1, nullptr);
}

void CMailEditFrame::CloseWithoutPrompt()
{
    m_bCloseWithoutPrompt = true;
    PostMessage(WM_CLOSE);
}

void CMailEditFrame::CloseForShutdown()
{
    m_bCancelAllowed = false;
    if (IsIconic())
        ShowWindow(SW_RESTORE);
    SendMessage(WM_CLOSE);
}

void CMailEditFrame::RestoreAndActivate()
{
    // The restore command goes through the same lock as the system menu's.
    SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    if (m_passwordLock.IsLocked())
        return;
    BringWindowToTop();
    ::SetForegroundWindow(m_hWnd);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CMailEditFrame::RunExternalEditor()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pView)
        return;
    // Read fresh on every use: the settings may have changed.
    CString path = app->GetProfileString("EditWindow", "EditorPath", "");
    if (path.IsEmpty()) {
        Box(106, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    RECT rc = {};
    ::GetWindowRect(m_pView->m_hWnd, &rc);
    CExternalEditor::Start(m_pView->GetDlgItemHwnd(IDC_ME_BODY), rc, path,
                           app->GetProfileString("EditWindow", "EditorOption", ""),
                           app->GetProfileString("EditWindow", "EditorTempFileExt", ""));
}

void CMailEditFrame::RunExternalHtmlEditor()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pView || !m_pThread || m_pView->IsHtmlEditedExternally())
        return;
    CString editor = app->GetProfileString("EditWindow", "HtmlEditorPath", "");
    if (editor.IsEmpty()) {
        Box(IDS_NO_HTML_EDITOR_PATH, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!m_pView->IsHtmlMode() && m_pView->IsBodyModified() &&
        Box(IDS_HTML_BODY_LOST_QUESTION, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    CString path = m_pView->GetHtmlTempFile();
    if (path.IsEmpty()) {
        CString folder = app->GetProfileString("Etc", "HtmlTempFilePath", GetSystemTempFolder());
        if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != '\\')
            folder += '\\';
        CString extension = app->GetProfileString("EditWindow", "HtmlEditorTempFileExt", "html");
        CString name = CExternalEditor::MakeTempFileName(extension, folder);
        if (name.IsEmpty())
            name = CExternalEditor::MakeTempFileName(extension);
        CDlgHtmlTempFile dlg(GetFileNameFromPath(name), GetDirectoryFromPath(name), this);
        if (dlg.DoModal() != IDOK || dlg.m_strFileName.IsEmpty())
            return;
        folder = dlg.m_strFolder;
        if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != '\\')
            folder += '\\';
        app->WriteProfileString("Etc", "HtmlTempFilePath", folder);
        CreateDirectoryPath(folder);
        path = folder + dlg.m_strFileName;
    }
    // A file that cannot be written leaves the mail as it is.
    CString html = m_pView->GetHtmlText();
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite))
        return;
    try {
        file.Write(html.GetString(), static_cast<UINT>(html.GetLength()));
        file.Close();
    } catch (CFileException&) {
        file.Abort();
        return;
    }
    RECT rc = {};
    ::GetWindowRect(m_pView->m_hWnd, &rc);
    m_pView->BeginExternalHtmlEdit(path);
    if (!CExternalEditor::StartHtml(m_pView->GetBodyWindow(), rc, editor,
                                    app->GetProfileString("EditWindow", "HtmlEditorOption", ""), path,
                                    m_pThread->m_nThreadID, CMailEditThread::kHtmlEditorDone))
        m_pView->EndExternalHtmlEdit(false);
}

void CMailEditFrame::CenterAndActivate()
{
    CenterWindow();
    BringWindowToTop();
    ::SetForegroundWindow(m_hWnd);
}

void CMailEditFrame::OnSysCommand(UINT nID, LPARAM)
{
    UINT command = nID & 0xFFF0;
    if (command == SC_RESTORE || command == SC_MAXIMIZE) {
        switch (m_passwordLock.OnRestore(IsIconic() != FALSE, IsZoomed() != FALSE)) {
        case CEditorLock::ignore:
            return;
        case CEditorLock::askPassword: {
            CQuendalApp* app = QuendalApp();
            bool right = !app || app->CheckMailBoxPassword(TRUE, TRUE);
            m_passwordLock.OnPassword(right);
            if (!right)
                return;
            break;
        }
        case CEditorLock::carryOut:
            break;
        }
        BringWindowToTop();
        ::SetForegroundWindow(m_hWnd);
    }
    Default();
}

LRESULT CMailEditFrame::OnActivateApp(WPARAM wParam, LPARAM)
{
    if (!wParam)
        m_passwordLock.OnDeactivated(IsIconic() != FALSE);
    return Default();
}

void CMailEditFrame::OnSendCommand()
{
    // A job already running or waiting out its delay stays as it is: its
    // delay timer posts it only while the waiting mark is set.
    if (m_bBusy || m_bWaitingToSend)
        return;
    m_bSendCancelled = false;
    // Readers without HTML see the text part: an empty one is offered to be
    // made from the HTML.
    if (m_pView && m_pView->LacksHtmlTextPart() &&
        Box(IDS_HTML_MAKE_TEXT_PART_QUESTION, MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        m_pView->MakeHtmlTextPart();
    if (!SendOrSave(0))
        EndBusy();
}

void CMailEditFrame::OnSaveCommand()
{
    if (m_bBusy)
        return;
    m_nSavedOnce = 1;
    if (m_pView && (m_pView->IsModified() || !m_bSaveAsked)) {
        m_bSaveAsked = true;
        if (!SendOrSave(2))
            EndBusy();
        return;
    }
    // Nothing to store: the animation shows the command was taken.
    HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    PlayAnimation(true);
    ::Sleep(200);
    PlayAnimation(false);
    SetCursor(old);
}

void CMailEditFrame::OnSaveAsCommand()
{
    if (!m_pView)
        return;
    CString name = m_pView->GetSubject();
    for (int i = 0; i < name.GetLength(); ++i) {
        if (Mbcs::CharLength(name.GetString() + i, name.GetLength() - i) == 2) {
            ++i;
            continue;
        }
        if (strchr("/:*?\\<>\"|", name[i]))
            name.SetAt(i, '_');
    }
    CString path = name;
    if (!AskMailFileToSave(m_hWnd, path, "eml", nullptr, true))
        return;
    SendOrSave(3, path);
    if (CQuendalApp* app = QuendalApp())
        SetCurrentDirectoryA(app->GetMailBoxFolder());
}

void CMailEditFrame::OnSendInfoCommand()
{
    if (!m_pView)
        return;
    CAccountData* account = CurrentAccount();
    CString name = m_strSenderNameOverride, address = m_strSenderAddressOverride;
    if (account) {
        if (name.IsEmpty())
            name = account->GetSendName();
        if (address.IsEmpty())
            address = account->GetSendAddress();
    }
    CDlgSendInfo dlg(m_pView->GetSubject(), m_pView->GetTo(), m_pView->GetCc(), m_pView->GetBcc(),
                     m_pView->GetSignatureName(), name, address, this);
    if (dlg.DoModal() != IDOK)
        return;
    m_pView->SetTo(AddressFieldText(dlg.m_strTo));
    m_pView->SetCc(AddressFieldText(dlg.m_strCc));
    m_pView->SetBcc(AddressFieldText(dlg.m_strBcc));
    m_pView->SetSubject(dlg.m_strSubject);
    m_pView->SetModified(true);
    m_strSenderNameOverride = dlg.m_strSenderName;
    m_strSenderAddressOverride = dlg.m_strSenderAddress;
}

void CMailEditFrame::OnCancelSend()
{
    if (!m_bBusy && !m_bWaitingToSend)
        return;
    m_bSendCancelled = true;
    bool wasWaiting = m_bWaitingToSend;
    m_bWaitingToSend = false;
    KillTimer(timerSendWait);
    if (!m_pSendThread)
        return;
    if (wasWaiting) {
        // The job was never posted: the idle thread just ends.
        m_pSendThread->PostThreadMessage(TM_QUIT, 0, 0);
        PostMessage(TM_SEND_RESULT, CMailSendThread::resultFailed, 0);
        return;
    }
    // A running job is stopped softly: it reports its end itself, and no
    // store write is cut in the middle.
    if (m_pSendThread->GetSession())
        m_pSendThread->GetSession()->Cancel();
    m_pSendThread->PostThreadMessage(TM_TRANSFER_ERROR, 0, 0);
}

void CMailEditFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == timerSendWait) {
        KillTimer(timerSendWait);
        if (!m_bWaitingToSend || m_bSendCancelled || !m_pSendThread)
            return;
        m_bWaitingToSend = false;
        CAccountData* account = CurrentAccount();
        m_pSendThread->PostThreadMessage(TM_SEND_REQUEST, 0, account && account->GetPopBeforeSmtp() ? 1 : 0);
        return;
    }
    if (nIDEvent == timerAutoBackup) {
        if (m_bBusy || !m_pView)
            return;
        KillTimer(timerAutoBackup);
        if (SendOrSave(4)) {
            if (m_nSavedOnce == -1)
                m_nSavedOnce = 0;
        }
        return;
    }
    Default();
}

void CMailEditFrame::OnClose()
{
    if (m_bBusy && !m_bWaitingToSend) {
        // An automatic backup being stored, or the checks and questions
        // before a job starts (a message box still winding down): the close
        // waits for them rather than asking about a send that is not going.
        if (!m_bJobRunning || m_nLastMode == CMailEditSendJob::modeBackup) {
            m_bClosePending = true;
            return;
        }
        if (Box(kSendingQuestion, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
            OnCancelSend();
        return;
    }
    if (m_bWaitingToSend)
        OnCancelSend();
    if (!m_bCloseAfterSave && !m_bCloseWithoutPrompt) {
        if (m_pView && m_pView->IsModified()) {
            if (IsIconic())
                ShowWindow(SW_RESTORE);
            BringWindowToTop();
            ::SetForegroundWindow(m_hWnd);
            // No backup may start while the user decides: its job would
            // refuse the save, and a discard would leave its copy behind.
            KillTimer(timerAutoBackup);
            CDlgSaveConfirm dlg(m_bCancelAllowed, this);
            INT_PTR answer = dlg.DoModal();
            if (answer == IDOK) {
                m_bCloseAfterSave = true;
                if (!SendOrSave(2)) {
                    m_bCloseAfterSave = false;
                    EndBusy();
                    ArmAutoBackup();
                }
                return;
            }
            if (answer != CDlgSaveConfirm::resultDiscard) {
                ArmAutoBackup();
                return;
            }
        }
        KillTimer(timerAutoBackup);
        DiscardBackup();
    }
    KillTimer(timerAutoBackup);
    if (m_pView)
        m_pView->CloseAddressBook();
    DestroyWindow();
}

void CMailEditFrame::OnDestroy()
{
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof(wp);
    if (!IsIconic() && !IsZoomed() && ::GetWindowRect(m_hWnd, &wp.rcNormalPosition)) {
        if (CQuendalApp* app = QuendalApp()) {
            const RECT& r = wp.rcNormalPosition;
            app->WriteProfileInt("EditWindow", "Left", r.left - 20 * m_nCascade);
            app->WriteProfileInt("EditWindow", "Top", r.top - 20 * m_nCascade);
            app->WriteProfileInt("EditWindow", "Width", r.right - r.left);
            app->WriteProfileInt("EditWindow", "Height", r.bottom - r.top);
        }
    }
    if (m_progress.m_hWnd)
        m_progress.DestroyWindow();
    if (m_pThread)
        m_pThread->OnFrameDestroyed();
    Default();
}

BOOL CMailEditFrame::PreTranslateMessage(MSG* pMsg)
{
    // Home and End outside the body go to the focused control as keys,
    // past the accelerators that move the body's caret.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_HOME || pMsg->wParam == VK_END) && m_pView &&
        pMsg->hwnd != m_pView->GetBodyCtrl().m_hWnd)
        return FALSE;
    return CFrameWnd::PreTranslateMessage(pMsg);
}

LRESULT CMailEditFrame::OnSendResultMessage(WPARAM wParam, LPARAM lParam)
{
    OnSendResult(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}
