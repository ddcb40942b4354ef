// The worker procedures of the transfer jobs: a one-account receive, a
// route over the accounts and the send of a folder's mails. A worker never
// talks to a server itself: per account it creates one session thread,
// hands it the account, waits for it and deletes it; it always ends with
// its end message and the transfer lock released.
#include "transfer/TransferHost.h"

#include "core/AccountDataSet.h"
#include "core/QuendalApp.h"
#include "net/DialConnection.h"
#include "net/DlgHangUpCountdown.h"
#include "net/SmtpSession.h"
#include "store/MailFolderStore.h"
#include "transfer/DlgRemoteMail.h"
#include "transfer/MailGetThread.h"
#include "transfer/MailSendThread.h"
#include "transfer/ReceiveJob.h"
#include "transfer/RouteSetData.h"
#include "transfer/RouteSetRecord.h"
#include "transfer/SendJob.h"
#include "transfer/TransferMessages.h"

namespace {

CAccountDataSet* LoadedAccounts()
{
    CQuendalApp* pApp = QuendalApp();
    CAccountDataSet* pAccounts = pApp ? pApp->m_pAccountDataSet : nullptr;
    if (pAccounts && !pAccounts->IsLoaded()) {
        pAccounts->SetFilePath(pApp->GetAccountFilePath());
        pAccounts->ReadFromFile(TRUE);
    }
    return pAccounts;
}

void SetGetThread(CTransferHost* pHost, CMailGetThread* CTransferHost::*pMember, CMailGetThread* pThread)
{
    CSingleLock hold(&pHost->m_threadLock, TRUE);
    pHost->*pMember = pThread;
}

void SetSendThread(CTransferHost* pHost, CMailSendThread* pThread)
{
    CSingleLock hold(&pHost->m_threadLock, TRUE);
    pHost->m_pMailSendThread = pThread;
}

CMailGetThread* NewGetThread(CTransferHost* pHost, BYTE bInteractive, int nCallerKind)
{
    auto* pThread = new CMailGetThread;
    pThread->m_bInteractive = bInteractive;
    pThread->m_nCallerKind = nCallerKind;
    pThread->m_hStatusWnd = pHost->GetStatusPane();
    pThread->m_dwMainThreadId = pHost->m_dwMainThreadId;
    pThread->m_pChooser = pHost->m_pReceiveRules;
    return pThread;
}

// Ends a send thread: asked to quit, waited for, ended only when it does
// not stop and is not writing to a store.
void EndSendThread(CMailSendThread* pThread)
{
    if (!pThread || !pThread->m_hThread)
        return;
    pThread->PostThreadMessage(TM_QUIT, 0, 0);
    if (WaitForSingleObject(pThread->m_hThread, 5000) != WAIT_TIMEOUT)
        return;
    CSingleLock hold(&pThread->GetStoreLock(), TRUE);
    if (WaitForSingleObject(pThread->m_hThread, 0) == WAIT_TIMEOUT) {
        TerminateThread(pThread->m_hThread, 0);
        WaitForSingleObject(pThread->m_hThread, 5000);
    }
}

// Waits for the send thread's answer to a request: its event, or its end.
void WaitForRequest(CMailSendThread* pThread, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    HANDLE hDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    pThread->m_pDoneEvent = hDone;
    pThread->PostThreadMessage(nMessage, wParam, lParam);
    HANDLE handles[2] = {hDone, pThread->m_hThread};
    WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    pThread->m_pDoneEvent = nullptr;
    CloseHandle(hDone);
}

CString NowText()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FormatString("%04d/%02d/%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                        st.wSecond);
}

} // namespace

CCriticalSection& TransferLock()
{
    static CCriticalSection lock;
    return lock;
}

unsigned __stdcall ReceiveAccountProc(void* pArg)
{
    auto* pJob = static_cast<CReceiveJob*>(pArg);
    CTransferHost* pHost = pJob->m_pHost;
    CSingleLock lock(&TransferLock(), TRUE);
    if (!pHost->m_pReceiveAccount) {
        delete pJob;
        return 0;
    }
    CQuendalApp* pApp = QuendalApp();
    CMailGetThread* pThread = nullptr;
    CDialConnection* pDial = nullptr;
    try {
        pThread = NewGetThread(pHost, pJob->m_bInteractive, 0);
        SetGetThread(pHost, &CTransferHost::m_pMailGetThread, pThread);
        pHost->StartTransferProgress(0, &pThread->m_status);
        if (pThread->CreateThread()) {
            CAccountData* pAccount = pHost->m_pReceiveAccount;
            if (pAccount->GetConnectionType() > 0) {
                pDial = new CDialConnection;
                pDial->SetEntry(pHost->m_strDialEntry, TRUE);
                pDial->m_nThreadId = pThread->m_nThreadID;
                pThread->m_pDial = pDial;
            }
            pThread->PostThreadMessage(TM_RECEIVE_ACCOUNT, 0, pHost->m_nReceiveAccount);
            WaitForSingleObject(pThread->m_hThread, INFINITE);
            if (pDial) {
                if (pAccount->GetConnectionType() > 0 && pAccount->GetKeepLine() == 0)
                    pDial->HangUp();
            }
        }
    } catch (...) {
    }
    try {
        pHost->EndTransferProgress(FALSE);
        SetGetThread(pHost, &CTransferHost::m_pMailGetThread, nullptr);
        delete pThread;
    } catch (...) {
    }
    // The abort command reads the session's line while the session is recorded.
    delete pDial;
    if (pJob->m_bNotifyEnd)
        ::PostThreadMessageA(pHost->m_dwMainThreadId, TM_RECEIVE_JOB_END, 0, 0);
    (void)pApp;
    delete pJob;
    return 1;
}

unsigned __stdcall ReceiveRouteProc(void* pArg)
{
    auto* pHost = static_cast<CTransferHost*>(pArg);
    CSingleLock lock(&TransferLock(), TRUE);
    CQuendalApp* pApp = QuendalApp();
    CAccountDataSet* pAccounts = LoadedAccounts();
    bool bAnyCheckDone = false;
    CDialConnection* pDial = nullptr;
    CString strDialEntry;
    int nCount = pAccounts ? pAccounts->GetRecordCount(TRUE) : 0;
    for (int i = 0; i < nCount && !pHost->m_bAbortReceive; i++) {
        CMailGetThread* pThread = nullptr;
        try {
            CAccountData* pAccount = pAccounts->GetAccount(i);
            if (!pAccount)
                continue;
            bool bTaken = pHost->m_bProfileRoute ? pAccount->m_bInProfile != 0 : pAccount->GetInt(9) != 0;
            if (!bTaken)
                continue;
            if (pAccount->GetConnectionType() > 0) {
                if (pDial && !strDialEntry.IsEmpty() && strDialEntry != pAccount->GetDialEntry()) {
                    pDial->HangUp();
                    delete pDial;
                    pDial = nullptr;
                }
                if (!pDial) {
                    pDial = new CDialConnection;
                    pDial->SetEntry(pHost->m_strDialEntry, TRUE);
                }
            }
            strDialEntry = pAccount->GetDialEntry();
            pThread = NewGetThread(pHost, 0, 1);
            SetGetThread(pHost, &CTransferHost::m_pMailGetThread, pThread);
            pHost->StartTransferProgress(1, &pThread->m_status);
            if (pThread->CreateThread()) {
                if (pDial) {
                    pThread->m_pDial = pDial;
                    pDial->m_nThreadId = pThread->m_nThreadID;
                }
                pThread->PostThreadMessage(TM_RECEIVE_ACCOUNT, 0, i);
                WaitForSingleObject(pThread->m_hThread, INFINITE);
            }
            pHost->EndTransferProgress(FALSE);
            if (!bAnyCheckDone)
                bAnyCheckDone = pThread->m_bCheckDone != 0;
        } catch (...) {
        }
        SetGetThread(pHost, &CTransferHost::m_pMailGetThread, nullptr);
        delete pThread;
    }
    try {
        pHost->m_bProfileRoute = 0;
        if (pDial && pDial->IsConnected()) {
            // The route settings decide: 1 keeps the line, 2 asks with a
            // countdown, anything else (or no settings) hangs up.
            CRouteSetData* pRoute = pApp ? pApp->GetRouteSet() : nullptr;
            CRouteSetRecord* pGeneral = pRoute ? pRoute->GetGeneral() : nullptr;
            int nMode = pGeneral ? pGeneral->GetValue(6) : 0;
            if (nMode == 2) {
                CDlgHangUpCountdown dialog(pGeneral->GetValue(7));
                if (dialog.DoModal() == IDOK)
                    pDial->HangUp();
            } else if (nMode != 1) {
                pDial->HangUp();
            }
        }
        delete pDial;
        pDial = nullptr;
    } catch (...) {
    }
    ::PostThreadMessageA(pHost->m_dwMainThreadId, TM_RECEIVE_JOB_END, 0, 0);
    // Only a pass in which a session reached its server and ended normally
    // counts as a route check.
    if (bAnyCheckDone && pApp)
        pApp->WriteProfileString("Setting", "LastRouteCheckTime", NowText());
    if (pHost->m_bSendAndReceive) {
        if (pHost->m_pSendDial) {
            if (pHost->m_pSendDial->IsConnected())
                pHost->m_pSendDial->HangUp();
            delete pHost->m_pSendDial;
            pHost->m_pSendDial = nullptr;
        }
        pHost->m_bSendAndReceive = 0;
    }
    return 1;
}

unsigned __stdcall SendOutboxProc(void* pArg)
{
    CSingleLock lock(&TransferLock(), TRUE);
    auto* pJob = static_cast<CSendJob*>(pArg);
    CTransferHost* pHost = pJob->m_pHost;
    CMailFolderStore* pFolder = pJob->m_pFolder;
    BYTE bKeepSent = pJob->m_bKeepSent;
    delete pJob;

    delete pHost->m_pSendDial;
    pHost->m_pSendDial = new CDialConnection;
    pHost->m_pSendDial->SetEntry(pHost->m_strDialEntry, TRUE);
    CMailListData* pList = pFolder->GetMailList();
    int nTotal = pList ? pList->GetMailCount() : 0;
    int nHanded = 0;
    int nSequence = 0;
    CString strFirstError;
    pHost->m_bAbortSend = 0;
    CAccountDataSet* pAccounts = LoadedAccounts();
    int nAccounts = pAccounts ? pAccounts->GetRecordCount(TRUE) : 0;
    for (int j = 0; j < nAccounts && nHanded < nTotal && !pHost->m_bAbortSend; j++) {
        CAccountData* pAccount = pAccounts->GetAccount(j);
        if (!pAccount || pAccount->GetSmtpServer().IsEmpty())
            continue;
        CMailSendThread* pThread = nullptr;
        bool bFirst = true;
        int nAccountHanded = 0;
        bool bLeave = false;
        try {
            int k = 0;
            while (pList && k < pList->GetAllRecordCount() && !pHost->m_bAbortSend) {
                CMailIndexRecord* pRecord = pList->GetMailRecord(k);
                if (!pRecord || pRecord->m_bDeleted || !pFolder->MatchMailSendAccount(k, pAccount->GetAccountName())) {
                    k++;
                    continue;
                }
                if (!pThread) {
                    pThread = new CMailSendThread;
                    pThread->m_status.SetType(2);
                    pThread->m_dwMainThreadId = pHost->m_dwMainThreadId;
                    pHost->m_pSendDial->m_pStatus = &pThread->m_status;
                    if (!pThread->CreateThread()) {
                        delete pThread;
                        pThread = nullptr;
                        break;
                    }
                    SetSendThread(pHost, pThread);
                    pThread->m_pDial = pHost->m_pSendDial;
                    CSmtpSession* pSession = pThread->GetSession();
                    pSession->SetServer(pAccount->GetSmtpServer(), pAccount->GetSmtpPort() ? pAccount->GetSmtpPort() : 25);
                    pThread->m_nTimeout = pAccount->GetTimeout() > 0 ? pAccount->GetTimeout() : 10;
                    pSession->SetUseEhlo(pAccount->GetUseEsmtp() != 0);
                    pSession->SetSsl(pAccount->GetSendTls() != 0);
                    if (pAccount->GetSmtpAuth()) {
                        CString user = pAccount->GetSmtpUser().IsEmpty() ? pAccount->GetReceiveUser() : pAccount->GetSmtpUser();
                        CString password =
                            pAccount->GetSmtpPassword().IsEmpty() ? pAccount->GetPassword() : pAccount->GetSmtpPassword();
                        pSession->SetAuthUser(user, password);
                        if (pAccount->GetSmtpLogin() || pAccount->GetSmtpCramMd5() || pAccount->GetSmtpPlain())
                            pSession->SetAuthMethods(pAccount->GetSmtpLogin() != 0, pAccount->GetSmtpCramMd5() != 0,
                                                     pAccount->GetSmtpPlain() != 0);
                    }
                    if (pAccount->GetConnectionType() > 0) {
                        pThread->m_strDialEntry = pAccount->GetDialEntry();
                        pThread->m_strDialUser = pAccount->GetDialUser();
                        pThread->m_strDialPassword = pAccount->GetDialPassword();
                    }
                    pThread->m_bKeepSent = bKeepSent;
                    pThread->m_nAccount = j;
                    bFirst = true;
                }
                if (!CSendJob::PrepareSession(pThread, pAccount, k, pFolder)) {
                    SetSendThread(pHost, nullptr);
                    EndSendThread(pThread);
                    delete pThread;
                    pThread = nullptr;
                    k++;
                    continue;
                }
                pThread->GetSession()->SetConnectionOpen(!bFirst);
                pThread->GetSession()->SetKeepConnection(true);
                if (bFirst && pAccount->GetPopBeforeSmtp() == 1) {
                    CMailGetThread* pLogin = NewGetThread(pHost, 0, 0);
                    pLogin->m_pDial = pHost->m_pSendDial;
                    SetGetThread(pHost, &CTransferHost::m_pPopBeforeSmtpThread, pLogin);
                    pHost->StartTransferProgress(2, &pLogin->m_status);
                    if (pLogin->CreateThread()) {
                        pHost->m_pSendDial->m_nThreadId = pLogin->m_nThreadID;
                        pLogin->PostThreadMessage(TM_POP_BEFORE_SMTP, 0, j);
                        WaitForSingleObject(pLogin->m_hThread, INFINITE);
                    }
                    SetGetThread(pHost, &CTransferHost::m_pPopBeforeSmtpThread, nullptr);
                    delete pLogin;
                    if (pHost->m_bAbortSend) {
                        bLeave = true;
                        break;
                    }
                }
                nHanded++;
                nAccountHanded++;
                pHost->SetTransferCounter(nHanded, nTotal);
                if (HWND hPane = pHost->GetStatusPane())
                    SetWindowTextA(hPane, pAccount->GetAccountName());
                pHost->StartTransferProgress(2, &pThread->m_status);
                pThread->m_hOwner = pHost->GetSendOwner();
                pThread->m_dwOwnerThreadId = pHost->m_dwMainThreadId;
                pThread->GetSession()->SetNotifyWindow(pThread->m_hOwner);
                pHost->m_pSendDial->m_nThreadId = pThread->m_nThreadID;
                pThread->m_nSequence = nSequence++ % 1000;
                WaitForRequest(pThread, TM_SEND_REQUEST, 0, 0);
                bFirst = false;
                bool bThreadEnded = WaitForSingleObject(pThread->m_hThread, 0) != WAIT_TIMEOUT;
                // A mail that reached the server and was stored leaves the
                // outbox even when the user aborted meanwhile: it must
                // never go out twice. Any other mail stays.
                if (pThread->m_nResult == 0 && pThread->WasSent()) {
                    pFolder->DeleteMail(k);
                    pList->SaveIndex();
                    pList->RemoveDeletedRecords();
                    ::PostThreadMessageA(pHost->m_dwMainThreadId, TM_FOLDER_CHANGED, pFolder->GetFolderId(), 0);
                } else {
                    if (strFirstError.IsEmpty() && !pHost->m_bAbortSend) {
                        strFirstError = pThread->m_strErrorText;
                        if (strFirstError.IsEmpty())
                            strFirstError = "メールの送信に失敗しました。";
                    }
                    k++;
                }
                if (bThreadEnded) {
                    // Ended by its watchdog: a new thread for the next mail.
                    SetSendThread(pHost, nullptr);
                    delete pThread;
                    pThread = nullptr;
                    nAccountHanded = 0;
                }
            }
        } catch (...) {
        }
        if (pThread) {
            if (nAccountHanded > 0 && !pHost->m_bAbortSend && !bLeave)
                WaitForRequest(pThread, TM_SEND_QUIT, 0, 0);
            SetSendThread(pHost, nullptr);
            EndSendThread(pThread);
            delete pThread;
        }
        if (bLeave) {
            delete pHost->m_pSendDial;
            pHost->m_pSendDial = nullptr;
            break;
        }
        if (!pHost->m_bSendAndReceive && pHost->m_pSendDial && pHost->m_pSendDial->IsConnected() &&
            pAccount->GetConnectionType() > 0 && pAccount->GetKeepLine() == 0)
            pHost->m_pSendDial->HangUp();
    }
    pHost->m_bSendJobRunning = 0;
    pHost->EndTransferProgress(TRUE);
    // Failed mails stay in the folder; the user hears of it once per job.
    if (!strFirstError.IsEmpty())
        pHost->ShowSendError(strFirstError);
    if (CMailFolderStore* pOutbox = QuendalApp() ? QuendalApp()->GetDefaultFolder(5) : nullptr)
        ::PostThreadMessageA(pHost->m_dwMainThreadId, TM_FOLDER_REDRAW, pOutbox->GetMailCount(),
                             pOutbox->GetFolderId());
    if (pHost->m_bAbortSend || !pHost->m_bSendAndReceive) {
        delete pHost->m_pSendDial;
        pHost->m_pSendDial = nullptr;
        // An aborted send-and-receive is over: the route does not follow
        // and must not find the line it would have inherited.
        pHost->m_bSendAndReceive = 0;
    } else {
        pHost->ForgetSendWorker();
        pHost->PostRouteCommand();
    }
    return 1;
}

unsigned __stdcall SelectReceiveProc(void* pArg)
{
    auto* pHost = static_cast<CTransferHost*>(pArg);
    CSingleLock lock(&TransferLock(), TRUE);
    CDlgRemoteMail* pDialog = pHost->m_pSelectDlg;
    if (pDialog)
        pDialog->NotifyJobBegin();
    int nAccount = pHost->m_nSelectAccount;
    if (nAccount < 0) {
        CAccountDataSet* pAccounts = LoadedAccounts();
        nAccount = pAccounts ? pAccounts->m_nCurrentAccount : 0;
    }
    bool bApply = false;
    pHost->m_nSelectResult = 0;
    if (pHost->m_bSelectCancel || !pDialog) {
        // Started with the Ctrl key down: the window comes back as it was.
        pHost->StartTransferProgress(0, nullptr);
        pHost->EndTransferProgress(FALSE);
        pHost->m_bSelectCancel = 0;
    } else {
        CMailGetThread* pThread = nullptr;
        CDialConnection* pDial = nullptr;
        std::vector<CReceiveSelection> requests = pDialog->GetRequests();
        try {
            pThread = NewGetThread(pHost, 1, requests.empty() ? 0 : 2);
            if (requests.empty())
                pThread->m_pSelectDlg = pDialog;
            else
                pThread->m_pSelectList = &requests;
            SetGetThread(pHost, &CTransferHost::m_pMailGetThread, pThread);
            pHost->StartTransferProgress(0, &pThread->m_status);
            if (pThread->CreateThread()) {
                CAccountDataSet* pAccounts = LoadedAccounts();
                CAccountData* pAccount = pAccounts ? pAccounts->GetAccount(nAccount) : nullptr;
                if (pAccount && pAccount->GetConnectionType() > 0) {
                    pDial = new CDialConnection;
                    pDial->SetEntry(pHost->m_strDialEntry, TRUE);
                    pDial->m_nThreadId = pThread->m_nThreadID;
                    pThread->m_pDial = pDial;
                }
                pThread->PostThreadMessage(TM_RECEIVE_ACCOUNT, 0, nAccount);
                WaitForSingleObject(pThread->m_hThread, INFINITE);
                if (pDial && pAccount->GetKeepLine() == 0)
                    pDial->HangUp();
                pHost->m_nSelectResult = pThread->GetResult();
                bApply = pThread->GetResult() == 0 && pThread->m_bCheckDone && !requests.empty();
            } else {
                pHost->m_nSelectResult = -1;
            }
        } catch (...) {
            pHost->m_nSelectResult = -1;
        }
        try {
            pHost->EndTransferProgress(FALSE);
            SetGetThread(pHost, &CTransferHost::m_pMailGetThread, nullptr);
            delete pThread;
        } catch (...) {
        }
        delete pDial;
        if (bApply)
            ::PostThreadMessageA(pHost->m_dwMainThreadId, TM_RECEIVE_JOB_END, 0, 0);
    }
    if (pDialog)
        pDialog->NotifyJobEnd(bApply);
    ::PostThreadMessageA(pHost->m_dwMainThreadId, TM_SELECT_JOB_END, 0, 0);
    return 1;
}
