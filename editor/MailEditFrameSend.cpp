// The editor frame's one road out for a mail: checks, questions, the
// outgoing message of a new send thread, and the end of the job.
#include "editor/MailEditFrame.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/QuendalApp.h"
#include "editor/ArchivePassword.h"
#include "editor/Archiver.h"
#include "editor/DlgSendInfo.h"
#include "editor/MailEditSendJob.h"
#include "editor/MailEditThread.h"
#include "editor/MailEditView.h"
#include "message/AddressList.h"
#include "message/JapaneseCode.h"
#include "net/SmtpSession.h"
#include "resources/editor/EditorWindowResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "tasklist/TaskListData.h"
#include "transfer/MailSendThread.h"
#include "transfer/TransferMessages.h"

#include <new>

namespace {

const UINT kOutOfMemory = IDS_OUT_OF_MEMORY;
const UINT kSendFailed = IDS_SEND_FAILED;

int ProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt(pszSection, pszKey, nDefault) : nDefault;
}

bool RefersToSource(int nKind)
{
    return (nKind >= 1 && nKind <= 3) || (nKind >= 6 && nKind <= 8) || nKind == 11;
}

} // namespace

BOOL CMailEditFrame::SendOrSave(int nMode, const char* pszPath)
{
    BOOL started = StartSendOrSave(nMode, pszPath);
    ResumePendingClose();
    return started;
}

BOOL CMailEditFrame::StartSendOrSave(int nMode, const char* pszPath)
{
    CSingleLock hold(&m_lock, TRUE);
    CMailEditView* v = m_pView;
    if (!v || !m_pThread)
        return FALSE;
    if (nMode == CMailEditSendJob::modeBackup && !v->IsModified()) {
        ArmAutoBackup();
        return FALSE;
    }
    if (m_bBusy)
        return FALSE;
    // The account this window showed was deleted in the account dialog
    // meanwhile: the mail goes through no other account unasked.
    if ((nMode == CMailEditSendJob::modeSend || nMode == CMailEditSendJob::modeOutbox) && v->IsAccountGone()) {
        CString text;
        text.Format("アカウント[%s]は削除されています。\r\n送信アカウントを選び直してください。",
                    v->GetAccountName().GetString());
        Box(text, MB_OK | MB_ICONEXCLAMATION);
        v->FillAccountList();
        return FALSE;
    }
    // While the external HTML editor has the mail, the view's HTML is not
    // what the user is writing.
    if (nMode == CMailEditSendJob::modeSend && v->IsHtmlEditedExternally())
        return FALSE;
    m_bBusy = true;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    try {
        CQuendalApp* app = QuendalApp();
        CMailFolderStore* folder = m_pThread->GetFolder();
        CAccountData* account = CurrentAccount();
        if (nMode != CMailEditSendJob::modeDraft && nMode != CMailEditSendJob::modeBackup) {
            if (!v->IsAutoSignatureDone())
                ApplyAutoSignature();
            FillReplyToFromAccount();
        }

        CMailEditSendJob job;
        job.m_nMode = nMode;
        job.m_pAccount = account;
        if (v->m_data.m_bForwardMethodSet)
            job.m_nForwardMethod = v->m_nForwardMethod;
        // A stored mail opened again keeps the sender it was written with.
        const bool reopened = v->m_nMailKind == 0 || v->m_nMailKind == 12;
        job.KeepSourceSender(v->m_composer.GetSourceMessage(), reopened && v->m_data.m_bKeepFromAddress);
        job.SettleSender(folder ? folder->GetInheritedText(14) : CString(),
                         folder ? folder->GetInheritedText(15) : CString(), m_strSenderNameOverride,
                         m_strSenderAddressOverride);
        job.m_strTo = v->GetTo();
        job.m_strCc = v->GetCc();
        job.m_strBcc = v->GetBcc();
        job.m_strSubject = v->GetSubject();
        job.AddAccountBcc();
        CString message;
        CMailEditSendJob::Check check = job.CheckFields(message);
        if (check == CMailEditSendJob::checkStop ||
            (check == CMailEditSendJob::checkAskSubject && Box(message, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)) {
            if (check == CMailEditSendJob::checkStop)
                Box(message, MB_OK | MB_ICONEXCLAMATION);
            m_bBusy = false;
            return FALSE;
        }

        if (nMode == CMailEditSendJob::modeSend) {
            bool quietNotice = v->m_nMailKind == 11 && ProfileInt("Setting", "ReadNotifyTo", 0) == 2;
            if (ProfileInt("Setting", "SendConfirmDialog", 1) && !quietNotice) {
                CDlgSendInfo dlg(job.m_strSubject, job.m_strTo, job.m_strCc, job.m_strBcc, v->GetSignatureName(),
                                 job.m_strSenderName, job.m_strSenderAddress, this);
                if (dlg.DoModal() != IDOK) {
                    m_bBusy = false;
                    return FALSE;
                }
                job.m_strTo = dlg.m_strTo;
                job.m_strCc = dlg.m_strCc;
                job.m_strBcc = dlg.m_strBcc;
                job.m_strSubject = dlg.m_strSubject;
                job.SettleSender(nullptr, nullptr, dlg.m_strSenderName, dlg.m_strSenderAddress);
                v->SetTo(AddressFieldText(job.m_strTo));
                v->SetCc(AddressFieldText(job.m_strCc));
                v->SetBcc(AddressFieldText(job.m_strBcc));
                v->SetSubject(job.m_strSubject);
                // The rows may all have been moved out of To: the fields are
                // checked again before anything goes out.
                check = job.CheckFields(message);
                if (check == CMailEditSendJob::checkStop ||
                    (check == CMailEditSendJob::checkAskSubject &&
                     Box(message, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)) {
                    if (check == CMailEditSendJob::checkStop)
                        Box(message, MB_OK | MB_ICONEXCLAMATION);
                    m_bBusy = false;
                    return FALSE;
                }
            }
        }
        v->GetAttachments(job.m_attachFiles);
        if (nMode == CMailEditSendJob::modeSend && !job.FindMissingAttachment().IsEmpty()) {
            Box("添付されたファイルが見つかりません。\r\n送信前に移動、削除されていないか確認してください。",
                MB_OK | MB_ICONEXCLAMATION);
            m_bBusy = false;
            return FALSE;
        }
        job.m_strReplyTo = v->GetReplyTo();
        job.m_strInReplyTo = v->m_data.m_strInReplyTo;
        job.m_strReferences = v->m_data.GetReferences();
        job.TakeResentSource(v->m_composer.GetSourceMessage());
        job.m_strPriorityHeaders = v->GetPriorityHeaderBlock();
        job.m_strSignName = v->GetSignatureName();
        job.m_bAttachToOnly = v->IsToOnly();
        job.m_bAttachComment = ProfileInt("EditWindow", "AttachToCommentType", 0) == 1;
        job.m_bKeepClearBody = ProfileInt("Setting", "BackupClearContents", 0) != 0;
        job.m_bReadReceipt = v->m_bReadReceipt;
        job.m_nMailKind = v->m_nMailKind;
        if (v->m_nMailKind == 11 && app)
            job.m_strNotificationText =
                app->ReplaceTemplateMacros(app->LoadReadNotifyMdn(), &v->m_composer.GetSourceRecord(), nullptr,
                                           nullptr, 11, &v->m_composer.GetSourceMessage());
        job.m_strBody = v->GetBody();
        if (v->IsHtmlMode()) {
            // The text part is what the user wrote in text-edit, else the
            // HTML's own text, as a reader without HTML sees it.
            job.m_bHtml = true;
            job.m_strHtml = v->GetHtmlText();
            job.m_strHtmlPath = v->GetHtmlPath();
            job.m_bHtmlPathIsUsers = !job.m_strHtmlPath.IsEmpty() && job.m_strHtmlPath == v->GetHtmlTempFile();
            job.m_strBody = v->GetHtmlTextPart();
        }
        if (nMode == CMailEditSendJob::modeSend && ProfileInt("Setting", "HankakuCheck", 0) &&
            (HasHalfWidthKana(job.m_strSubject) || HasHalfWidthKana(job.m_strBody)))
            job.m_bConvertKana = Box(IDS_HALF_WIDTH_KANA_QUESTION, MB_YESNO | MB_ICONQUESTION) == IDYES;
        bool leaves = nMode == CMailEditSendJob::modeSend || nMode == CMailEditSendJob::modeOutbox;
        // Without the ZIP library there is nothing to protect with a
        // password: the mail goes as it is, and nobody is asked.
        if (!CArchiver::FromApp().IsAvailable(CArchiver::formatZip))
            m_bBodyAsArchive = false;
        else if (leaves && (m_bBodyAsArchive || job.m_attachFiles.GetSize() > 0)) {
            if (!SettleArchivePassword(this, CArchiver::FromApp(), job.m_strArchivePassword)) {
                m_bBusy = false;
                return FALSE;
            }
            // Without a password the mail goes as it is.
            if (job.m_strArchivePassword.IsEmpty())
                m_bBodyAsArchive = false;
        }
        if (leaves && m_bBodyAsArchive && !job.m_strArchivePassword.IsEmpty()) {
            job.m_bBodyAsArchive = true;
            job.m_strBodyFileBase = app ? app->GetSendTempPath() : CString();
            CString comment;
            comment.LoadString(108);
            job.m_strBodyComment = app ? app->GetProfileString("Setting", "ContentZipFileComment", comment) : comment;
        }
        CMailFolderStore* origin = v->m_composer.GetOriginFolder() ? v->m_composer.GetOriginFolder() : folder;
        job.m_nCreateFolderId = origin ? origin->GetFolderId() : 0;
        CMailFolderStore* source = v->m_composer.GetSourceFolder();
        if (RefersToSource(v->m_nMailKind) && source) {
            job.m_nReferFolderId = source->GetFolderId();
            job.m_strReferHandle = v->m_composer.GetSourceRecord().GetText(CMailIndexRecord::colFileName);
        } else if (source) {
            // A stored answer opened again still answers its mail.
            const CMailMessage& stored = v->m_composer.GetSourceMessage();
            job.m_strReferHandle = stored.GetHeader("X-Refer-Mail-Handle");
            job.m_nReferFolderId = atoi(stored.GetHeader("X-Refer-Mail-Folder"));
        }

        if (nMode == CMailEditSendJob::modeFile) {
            CSmtpSession session;
            if (!job.Fill(session) || !session.BuildMessage(pszPath ? pszPath : ""))
                Box(session.GetLastErrorText(), MB_OK | MB_ICONEXCLAMATION);
            EndBusy();
            return TRUE;
        }

        v->EnableWindow(FALSE);
        PlayAnimation(true);
        if (m_pSendThread) {
            if (m_hSendThread) {
                WaitForSingleObject(m_hSendThread, INFINITE);
                CloseHandle(m_hSendThread);
                m_hSendThread = nullptr;
            }
            delete m_pSendThread;
            m_pSendThread = nullptr;
        }
        m_pSendThread = new CMailSendThread;
        if (!job.Fill(*m_pSendThread->GetSession())) {
            delete m_pSendThread;
            m_pSendThread = nullptr;
            Box(kSendFailed, MB_OK | MB_ICONSTOP);
            EndBusy();
            return FALSE;
        }
        if (account && account->GetConnectionType() > 0) {
            m_pSendThread->m_strDialEntry = account->GetDialEntry();
            m_pSendThread->m_strDialUser = account->GetDialUser();
            m_pSendThread->m_strDialPassword = account->GetDialPassword();
        }
        v->EnableWindow(TRUE);
        if (nMode == CMailEditSendJob::modeSend)
            m_progress.Open(this, v->m_nMailKind, &m_pSendThread->m_status);

        int accountIndex = v->GetAccountIndex();
        m_pSendThread->m_hOwner = m_hWnd;
        m_pSendThread->m_nAccount = accountIndex;
        m_pSendThread->m_nTimeout = account ? account->GetTimeout() : 10;
        // Drafts go where the edited copy lies when that is a draft folder.
        CMailEditDoc& doc = m_pThread->GetDoc();
        CMailFolderStore* copy = doc.GetCopyStore();
        m_pLastTarget = nullptr;
        if (nMode == CMailEditSendJob::modeDraft || nMode == CMailEditSendJob::modeBackup) {
            m_pLastTarget = copy && copy->IsInWritingFolder() ? copy : (app ? app->GetDefaultFolder(3) : nullptr);
            m_pSendThread->m_pTargetFolder = m_pLastTarget;
        } else if (nMode == CMailEditSendJob::modeOutbox) {
            m_pLastTarget = app ? app->GetDefaultFolder(CFolderRecord::kindSend) : nullptr;
        }
        if (!m_pSendThread->CreateThread()) {
            delete m_pSendThread;
            m_pSendThread = nullptr;
            Box(kSendFailed, MB_OK | MB_ICONSTOP);
            EndBusy();
            return FALSE;
        }
        DuplicateHandle(GetCurrentProcess(), m_pSendThread->m_hThread, GetCurrentProcess(), &m_hSendThread, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        m_nLastMode = nMode;
        m_nLastAccount = accountIndex;
        m_bJobRunning = true;

        LPARAM popFirst = account && account->GetPopBeforeSmtp() ? 1 : 0;
        int wait = ProfileInt("Setting", "SendWaitTime", 0);
        if (wait < 1 || nMode != CMailEditSendJob::modeSend) {
            m_pSendThread->PostThreadMessage(TM_SEND_REQUEST, static_cast<WPARAM>(nMode), popFirst);
        } else {
            SetTimer(timerSendWait, static_cast<UINT>(wait) * 1000);
            ShowWindow(SW_MINIMIZE);
            m_bWaitingToSend = true;
        }
        return TRUE;
    } catch (std::bad_alloc&) {
        Box(kOutOfMemory, MB_OK | MB_ICONSTOP);
    } catch (CException& e) {
        if (nMode != CMailEditSendJob::modeBackup) {
            CString text;
            text.LoadString(kSendFailed);
            char reason[512] = {};
            e.GetErrorMessage(reason, sizeof(reason));
            Box(text + reason, MB_OK | MB_ICONSTOP);
        }
    }
    EndBusy();
    m_progress.Refresh();
    return FALSE;
}

void CMailEditFrame::RelinkTasks(CMailFolderStore* pOldStore, int nOldIndex, CMailFolderStore* pNewStore,
                                 int nNewIndex)
{
    CQuendalApp* app = QuendalApp();
    CMailIndexRecord* oldMail = pOldStore ? pOldStore->GetRecord(nOldIndex) : nullptr;
    CMailIndexRecord* newMail = pNewStore ? pNewStore->GetRecord(nNewIndex) : nullptr;
    if (!app || !oldMail || !newMail)
        return;
    CTaskListData* tasks = app->GetTaskListData();
    CSingleLock hold(&tasks->Lock(), TRUE);
    if (tasks->RelinkMail(pOldStore, oldMail, pNewStore, newMail))
        tasks->WriteToFile();
}

void CMailEditFrame::OnSendResult(int nResult, int nIndex)
{
    CQuendalApp* app = QuendalApp();
    SetCursor(LoadCursorA(nullptr, m_bBusy ? IDC_WAIT : IDC_ARROW));
    m_bJobRunning = false;
    if (m_pSendThread) {
        if (m_hSendThread) {
            WaitForSingleObject(m_hSendThread, INFINITE);
            CloseHandle(m_hSendThread);
            m_hSendThread = nullptr;
        }
        m_strResultText = m_pSendThread->m_strErrorText;
        try {
            delete m_pSendThread;
        } catch (...) {
        }
        m_pSendThread = nullptr;
    }
    m_progress.Refresh();
    CMailEditDoc& doc = m_pThread->GetDoc();
    CMailEditView* v = m_pView;
    int mode = m_nLastMode;
    bool endBusy = true;

    if (nResult == CMailSendThread::resultSent) {
        if (v)
            v->SetModified(false);
        // The sent mail replaces every stored copy of it.
        DeleteStoredCopy(doc.GetCopyStore(), doc.GetCopyIndex());
        DeleteStoredCopy(doc.GetBackupStore(), doc.GetBackupIndex());
        doc.ClearStoredCopy();
        doc.SetBackup(-1, nullptr);
        m_bCloseAfterSave = true;
        PostMessage(WM_CLOSE);
    } else if (nResult == CMailSendThread::resultStored) {
        CMailFolderStore* target = m_pLastTarget;
        if (mode == CMailEditSendJob::modeBackup) {
            // A backup replaces the previous backup only: the copy stored
            // before stays until the user saves.
            if (doc.GetBackupStore() != target || doc.GetBackupIndex() != nIndex)
                DeleteStoredCopy(doc.GetBackupStore(), doc.GetBackupIndex());
            doc.SetBackup(nIndex, target);
            ArmAutoBackup();
        } else {
            if (doc.GetCopyStore() != target || doc.GetCopyIndex() != nIndex) {
                RelinkTasks(doc.GetCopyStore(), doc.GetCopyIndex(), target, nIndex);
                DeleteStoredCopy(doc.GetCopyStore(), doc.GetCopyIndex());
            }
            if (doc.GetBackupStore() != target || doc.GetBackupIndex() != nIndex)
                DeleteStoredCopy(doc.GetBackupStore(), doc.GetBackupIndex());
            doc.SetBackup(-1, nullptr);
            doc.SetStoredCopy(nIndex, target);
            if (v && target && mode == CMailEditSendJob::modeDraft)
                v->FollowStoredCopy(target->GetAttachFolder(target->GetRecord(nIndex)));
            if (v)
                v->SetModified(false);
        }
        if (app) {
            CMailFolderStore* outbox = app->GetDefaultFolder(CFolderRecord::kindSend);
            if (target)
                ::PostThreadMessageA(app->m_nThreadID, TM_LIST_CHANGED, 0, target->GetFolderId());
            if (outbox && outbox != target)
                ::PostThreadMessageA(app->m_nThreadID, TM_LIST_CHANGED, 0, outbox->GetFolderId());
        }
        if (mode == CMailEditSendJob::modeOutbox) {
            m_bAutoBackup = false;
            KillTimer(timerAutoBackup);
            m_bCloseAfterSave = true;
        }
        if (m_bCloseAfterSave)
            PostMessage(WM_CLOSE);
    } else if (nResult == CMailSendThread::resultNotStarted && mode != CMailEditSendJob::modeSend) {
        if (mode == CMailEditSendJob::modeBackup)
            ArmAutoBackup();
        else if (!m_strResultText.IsEmpty())
            Box(m_strResultText, MB_OK | MB_ICONEXCLAMATION);
        m_bCloseAfterSave = false;
    } else {
        // The send failed (or was cancelled): the window stays with its
        // content, and the mail is kept in the drafts as well.
        bool cancelled = m_bSendCancelled;
        if (!cancelled) {
            if (IsIconic())
                ShowWindow(SW_RESTORE);
            if (!m_strResultText.IsEmpty())
                Box(m_strResultText, MB_OK | MB_ICONEXCLAMATION);
        }
        if (mode == CMailEditSendJob::modeSend) {
            EndBusy();
            endBusy = false;
            if (!SendOrSave(CMailEditSendJob::modeDraft))
                EndBusy();
        }
    }
    if (endBusy)
        EndBusy();
    if (app) {
        if (CMailFolderStore* outbox = app->GetDefaultFolder(CFolderRecord::kindSend))
            ::PostThreadMessageA(app->m_nThreadID, TM_FOLDER_REDRAW, 0, outbox->GetFolderId());
        if (CMailFolderStore* drafts = app->GetDefaultFolder(CFolderRecord::kindWriting))
            ::PostThreadMessageA(app->m_nThreadID, TM_FOLDER_REDRAW, 0, drafts->GetFolderId());
    }
}
