#include "editor/MailEditFrame.h"

#include "classlib/AppCore.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "editor/Archiver.h"
#include "editor/DlgHtmlTempFile.h"
#include "editor/DlgSaveConfirm.h"
#include "editor/DlgSendInfo.h"
#include "editor/ExternalEditor.h"
#include "editor/MailEditSendJob.h"
#include "editor/MailEditThread.h"
#include "editor/MailEditView.h"
#include "editor/MailFileDialog.h"
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

namespace {

const char kCaption[] = "Corvane Mail";
const char kWindowClass[] = "CVMEditWndClass";
const UINT kSendingQuestion = IDS_SENDING_ABORT_QUESTION;

int ProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt(pszSection, pszKey, nDefault) : nDefault;
}

void PostToApp(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, message, wParam, lParam);
}

} // namespace

BEGIN_MESSAGE_MAP(CMailEditFrame, CFrameWnd)
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_DROPFILES, OnDropFilesMessage)
    ON_WM_SYSCOMMAND()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_ACTIVATEAPP, OnActivateApp)
    ON_MESSAGE(TM_SEND_RESULT, OnSendResultMessage)
END_MESSAGE_MAP()

CMailEditFrame::CMailEditFrame() = default;

CMailEditFrame::~CMailEditFrame()
{
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
    ::DragAcceptFiles(m_hWnd, TRUE);
    ArmAutoBackup();
    return TRUE;
}

BOOL CMailEditFrame::OnCreateClient(LPCREATESTRUCTA)
{
    m_pView = new CMailEditView;
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
    if (pStore && nIndex >= 0)
        PostToApp(1389, static_cast<WPARAM>(pStore->GetFolderId()), nIndex);
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
        Box(IDS_HTML_LOSES_BODY_QUESTION, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
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

void CMailEditFrame::OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu)
{
    CFrameWnd::OnInitMenuPopup(hPopup, nIndex, bSysMenu);
    if (bSysMenu || !hPopup)
        return;
    auto enable = [&](UINT id, bool on) { ::EnableMenuItem(hPopup, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    auto check = [&](UINT id, bool on) { ::CheckMenuItem(hPopup, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    enable(ID_EDIT_SEND, !m_bBusy && !m_bWaitingToSend);
    enable(ID_EDIT_SAVE, !m_bBusy);
    enable(ID_EDIT_TO_OUTBOX, !m_bBusy && !m_bWaitingToSend);
    enable(ID_EDIT_CLOSE, !m_bBusy);
    enable(ID_EDIT_SEND_CANCEL, m_bBusy || m_bWaitingToSend);
    if (m_pView) {
        check(ID_EDIT_SHOW_BCC, m_pView->IsBccShown());
        check(ID_EDIT_READ_RECEIPT, m_pView->m_bReadReceipt);
        // An HTML mail cannot carry its body as an archive, nor any mail
        // without the ZIP library.
        enable(ID_EDIT_BODY_ARCHIVE,
               !m_pView->IsHtmlMode() && CArchiver::FromApp().IsAvailable(CArchiver::formatZip));
        check(ID_EDIT_BODY_ARCHIVE, m_bBodyAsArchive && !m_pView->IsHtmlMode());
        check(ID_EDIT_HTML_MAIL, m_pView->IsHtmlMode());
    }
}

BOOL CMailEditFrame::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam != 0 && HIWORD(wParam) != 0)
        return CFrameWnd::OnCommand(wParam, lParam);
    HWND hFocus = ::GetFocus();
    switch (LOWORD(wParam)) {
    case ID_EDIT_SEND:
        m_bSendCancelled = false;
        m_bWaitingToSend = false;
        OnSendCommand();
        return TRUE;
    case ID_EDIT_TO_OUTBOX:
        // While a job runs the command is refused before anything starts:
        // ending the busy state of someone else's job would let the next
        // command wait on its thread.
        if (m_bBusy || m_bWaitingToSend)
            return TRUE;
        m_nSavedOnce = 1;
        if (!SendOrSave(1))
            EndBusy();
        return TRUE;
    case ID_EDIT_SAVE:
        OnSaveCommand();
        return TRUE;
    case ID_EDIT_SAVE_AS:
        OnSaveAsCommand();
        return TRUE;
    case ID_EDIT_SEND_CANCEL:
        OnCancelSend();
        return TRUE;
    case ID_EDIT_CLOSE:
        if (!m_bBusy)
            PostMessage(WM_CLOSE);
        return TRUE;
    case ID_EDIT_SHOW_BCC:
        if (m_pView)
            m_pView->ToggleBcc();
        return TRUE;
    case ID_EDIT_SEND_INFO:
        OnSendInfoCommand();
        return TRUE;
    case ID_EDIT_ATTACH:
        if (m_pView)
            m_pView->AttachByDialog();
        return TRUE;
    case ID_EDIT_READ_RECEIPT:
        if (m_pView)
            m_pView->m_bReadReceipt = !m_pView->m_bReadReceipt;
        UpdateIndicators();
        return TRUE;
    case ID_EDIT_EXTERNAL_EDITOR:
        RunExternalEditor();
        return TRUE;
    case ID_EDIT_HTML_EXTERNAL_EDITOR:
        RunExternalHtmlEditor();
        return TRUE;
    case ID_EDIT_BODY_ARCHIVE:
        if ((m_pView && m_pView->IsHtmlMode()) || !CArchiver::FromApp().IsAvailable(CArchiver::formatZip))
            return TRUE;
        m_bBodyAsArchive = !m_bBodyAsArchive;
        UpdateIndicators();
        return TRUE;
    case ID_EDIT_HTML_MAIL:
        if (!m_pView)
            return TRUE;
        if (!m_pView->IsHtmlMode() && m_bBodyAsArchive && AfxMessageBox(IDS_HTML_NO_BODY_ARCHIVE, MB_OKCANCEL) != IDOK)
            return TRUE;
        if (m_pView->ToggleHtmlMode() && m_pView->IsHtmlMode())
            m_bBodyAsArchive = false;
        UpdateIndicators();
        return TRUE;
    case ID_EDIT_SELECT_ACCOUNT:
        if (m_pView) {
            HWND hCombo = m_pView->GetDlgItemHwnd(IDC_ME_ACCOUNT);
            ::SetFocus(hCombo);
            ::SendMessageA(hCombo, CB_SHOWDROPDOWN, TRUE, 0);
        }
        return TRUE;
    case ID_EDIT_COPY_CMD:
        ::SendMessageA(hFocus, WM_COPY, 0, 0);
        return TRUE;
    case ID_EDIT_CUT_CMD:
        ::SendMessageA(hFocus, WM_CUT, 0, 0);
        return TRUE;
    case ID_EDIT_PASTE_CMD:
        PasteAs(0, false);
        return TRUE;
    case ID_EDIT_QUOTED_PASTE:
        PasteAs(CF_TEXT, true);
        return TRUE;
    case ID_EDIT_UNDO_CMD:
        ::SendMessageA(hFocus, EM_UNDO, 0, 0);
        return TRUE;
    case ID_EDIT_SELECT_ALL_CMD:
        if (m_pView) {
            HWND hBody = m_pView->GetDlgItemHwnd(IDC_ME_BODY);
            ::SetFocus(hBody);
            ::SendMessageA(hBody, EM_SETSEL, 0, -1);
        }
        return TRUE;
    case ID_EDIT_CHAR_COUNT:
    case ID_EDIT_ADDRESS_TO:
    case ID_EDIT_ADDRESS_CC:
    case ID_EDIT_ADDRESS_BCC:
    case ID_EDIT_COMPLETE_ADDRESS:
    case ID_EDIT_ADDRESS_LIST:
    case ID_EDIT_REDO_CMD:
    case ID_EDIT_FIND_CMD:
    case ID_EDIT_FIND_NEXT:
        // The view's own commands.
        if (m_pView)
            m_pView->SendMessage(WM_COMMAND, MAKEWPARAM(LOWORD(wParam), 0), 0);
        return TRUE;
    case ID_EDIT_PASTE_FORMAT:
        OnPasteFormat();
        return TRUE;
    case ID_EDIT_ADDRESS_BOOK:
        if (m_pView)
            m_pView->OpenAddressBook(-1);
        return TRUE;
    default:
        if (OnBodyCommand(LOWORD(wParam)))
            return TRUE;
        return CFrameWnd::OnCommand(wParam, lParam);
    }
}

void CMailEditFrame::OnSendCommand()
{
    if (m_bBusy)
        return;
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
    }
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

bool CMailEditFrame::OnBodyCommand(UINT nId)
{
    if (!m_pView)
        return false;
    CMailEditCtrl& body = m_pView->GetBodyCtrl();
    switch (nId) {
    case ID_EDIT_FOCUS_TO: m_pView->FocusField(IDC_ME_TO); return true;
    case ID_EDIT_FOCUS_CC: m_pView->FocusField(IDC_ME_CC); return true;
    case ID_EDIT_FOCUS_BCC: m_pView->FocusField(IDC_ME_BCC); return true;
    case ID_EDIT_FOCUS_SUBJECT: m_pView->FocusField(IDC_ME_SUBJECT); return true;
    case ID_EDIT_FOCUS_BODY: m_pView->FocusField(IDC_ME_BODY); return true;
    case ID_EDIT_CARET_RIGHT: body.MoveCaret(3); return true;
    case ID_EDIT_CARET_LEFT: body.MoveCaret(2); return true;
    case ID_EDIT_CARET_UP: body.MoveCaret(0); return true;
    case ID_EDIT_CARET_DOWN: body.MoveCaret(1); return true;
    case ID_EDIT_CARET_TOP: body.GoToLine(0); return true;
    case ID_EDIT_CARET_BOTTOM: body.GoToLine(-1); return true;
    case ID_EDIT_CARET_LINE_START: body.CaretToLineStart(); return true;
    case ID_EDIT_CARET_LINE_END: body.CaretToLineEnd(); return true;
    default: return false;
    }
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
