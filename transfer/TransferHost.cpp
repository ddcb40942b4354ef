#include "transfer/TransferHost.h"

#include "core/AccountDataSet.h"
#include "core/QuendalApp.h"
#include "net/DialConnection.h"
#include "net/ReceiveSession.h"
#include "net/SmtpSession.h"
#include "transfer/DlgRemoteMail.h"
#include "transfer/MailGetThread.h"
#include "transfer/MailSendThread.h"
#include "transfer/ReceiveJob.h"
#include "transfer/SendJob.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferStatus.h"

#include <process.h>

CTransferHost::CTransferHost()
{
    if (CQuendalApp* pApp = QuendalApp())
        m_dwMainThreadId = pApp->m_nThreadID;
}

CTransferHost::~CTransferHost()
{
    // Workers still running keep their handles closed here; the program
    // waits for them before it ends.
    if (m_hReceiveWorker)
        CloseHandle(m_hReceiveWorker);
    if (m_hSendWorker)
        CloseHandle(m_hSendWorker);
}

void CTransferHost::StartTransferProgress(int, CTransferStatus*) {}
void CTransferHost::EndTransferProgress(BOOL) {}

void CTransferHost::SetTransferCounter(int nHanded, int nTotal)
{
    m_nHanded = nHanded;
    m_nTotal = nTotal;
}

void CTransferHost::PostRouteCommand()
{
    ::PostThreadMessageA(m_dwMainThreadId, WM_COMMAND, 32775, 0);
}

bool CTransferHost::Confirm(const char* pszText)
{
    return AfxMessageBox(pszText, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void CTransferHost::ShowSendError(const char* pszText)
{
    ShowMessage(pszText);
}

void CTransferHost::ShowMessage(const char* pszText)
{
    AfxMessageBox(pszText, MB_OK | MB_ICONEXCLAMATION);
}

void CTransferHost::ForgetSendWorker()
{
    CSingleLock hold(&m_startLock, TRUE);
    if (m_hSendWorker)
        CloseHandle(m_hSendWorker);
    m_hSendWorker = nullptr;
}

bool CTransferHost::IsRunning(HANDLE& hWorker)
{
    CSingleLock hold(&m_startLock, TRUE);
    if (!hWorker)
        return false;
    if (WaitForSingleObject(hWorker, 0) == WAIT_TIMEOUT)
        return true;
    CloseHandle(hWorker);
    hWorker = nullptr;
    return false;
}

bool CTransferHost::IsReceiving()
{
    // The selective-receive window is busy until it has taken its job's
    // results, a little after the worker itself ended.
    if (m_pSelectDlg && m_pSelectDlg->IsBusy())
        return true;
    return IsRunning(m_hReceiveWorker);
}

bool CTransferHost::IsSending()
{
    return IsRunning(m_hSendWorker);
}

bool CTransferHost::CheckAccounts(bool bTell)
{
    CQuendalApp* pApp = QuendalApp();
    CAccountDataSet* pAccounts = pApp ? pApp->m_pAccountDataSet : nullptr;
    if (pAccounts && !pAccounts->IsLoaded()) {
        pAccounts->SetFilePath(pApp->GetAccountFilePath());
        pAccounts->ReadFromFile(TRUE);
    }
    if (!pAccounts || pAccounts->GetRecordCount(TRUE) == 0) {
        if (bTell)
            ShowMessage("アカウントを作成してから実行してください。");
        return false;
    }
    return true;
}

bool CTransferHost::StartWorker(unsigned(__stdcall* pfnProc)(void*), void* pArg, HANDLE& hWorker)
{
    uintptr_t h = _beginthreadex(nullptr, 0, pfnProc, pArg, 0, nullptr);
    hWorker = reinterpret_cast<HANDLE>(h);
    return h != 0;
}

bool CTransferHost::ReceiveCurrentAccount()
{
    if (!CheckAccounts())
        return false;
    CQuendalApp* pApp = QuendalApp();
    if (pApp->m_bProfileChangeMainFrame) {
        CSingleLock hold(&m_startLock, TRUE);
        if (IsReceiving() || IsSending())
            return false;
        m_bAbortReceive = 0;
        m_bProfileRoute = 1;
        return StartWorker(ReceiveRouteProc, this, m_hReceiveWorker);
    }
    return ReceiveAccount(pApp->m_pAccountDataSet->m_nCurrentAccount, true, true);
}

bool CTransferHost::ReceiveAccount(int nAccount, bool bInteractive, bool bNotifyEnd)
{
    if (!CheckAccounts())
        return false;
    CSingleLock hold(&m_startLock, TRUE);
    if (IsReceiving() || IsSending())
        return false;
    CAccountDataSet* pAccounts = QuendalApp()->m_pAccountDataSet;
    m_bAbortReceive = 0;
    m_bProfileRoute = 0;
    m_pReceiveAccount = nAccount >= 0 && nAccount < pAccounts->GetRecordCount(TRUE) ? pAccounts->GetAccount(nAccount)
                                                                                     : nullptr;
    m_nReceiveAccount = m_pReceiveAccount ? nAccount : -1;
    if (!m_pReceiveAccount)
        return false;
    auto* pJob = new CReceiveJob;
    pJob->m_pHost = this;
    pJob->m_bInteractive = bInteractive ? 1 : 0;
    pJob->m_bNotifyEnd = bNotifyEnd ? 1 : 0;
    if (!StartWorker(ReceiveAccountProc, pJob, m_hReceiveWorker)) {
        delete pJob;
        return false;
    }
    return true;
}

bool CTransferHost::StartRoutePass(bool bByUser)
{
    // A pass the schedule starts finds nothing to do without accounts; the
    // user is told only when he asked for it.
    if (!CheckAccounts(bByUser))
        return false;
    CSingleLock hold(&m_startLock, TRUE);
    if (IsReceiving() || IsSending())
        return false;
    m_bAbortReceive = 0;
    return StartWorker(ReceiveRouteProc, this, m_hReceiveWorker);
}

bool CTransferHost::SendOutbox(CMailFolderStore* pFolder, bool bKeepSent)
{
    if (!CheckAccounts())
        return false;
    CSingleLock hold(&m_startLock, TRUE);
    // A second send would take over the running send's records.
    if (IsSending() || IsReceiving())
        return false;
    if (!pFolder)
        pFolder = QuendalApp()->GetDefaultFolder(5);
    if (!pFolder)
        return false;
    auto* pJob = new CSendJob;
    pJob->m_pHost = this;
    pJob->m_pFolder = pFolder;
    pJob->m_bKeepSent = bKeepSent ? 1 : 0;
    m_bSendJobRunning = 1;
    if (!StartWorker(SendOutboxProc, pJob, m_hSendWorker)) {
        m_bSendJobRunning = 0;
        delete pJob;
        return false;
    }
    return true;
}

bool CTransferHost::SendAndReceive()
{
    if (IsSending() || IsReceiving())
        return false;
    m_bSendAndReceive = 1;
    if (SendOutbox())
        return true;
    m_bSendAndReceive = 0;
    return false;
}

bool CTransferHost::StartSelectReceive(int nAccount, bool bCancel)
{
    if (!m_pSelectDlg || !CheckAccounts())
        return false;
    CSingleLock hold(&m_startLock, TRUE);
    if (IsReceiving() || IsSending())
        return false;
    m_bAbortReceive = 0;
    m_nSelectAccount = nAccount;
    m_bSelectCancel = bCancel ? 1 : 0;
    return StartWorker(SelectReceiveProc, this, m_hReceiveWorker);
}

namespace {

// The line of a session's dial-up connection while it is up.
HRASCONN LiveLine(const CDialConnection* pDial)
{
    return pDial && pDial->IsConnected() ? pDial->m_hRasConn : nullptr;
}

// Asks a session and its watchdog to stop; the session's dial-up line
// while it is up.
template <class TSession>
HRASCONN AbortSession(TSession* pSession)
{
    pSession->PostThreadMessage(TM_SESSION_ABORT, 0, 0);
    if (DWORD id = pSession->GetWatchdogThreadId())
        ::PostThreadMessageA(id, TM_WATCHDOG_END_WATCHED, 0, 0);
    return LiveLine(pSession->m_pDial);
}

} // namespace

void CTransferHost::AbortTransfer(bool bRouteOnly)
{
    if (bRouteOnly)
        m_bAbortReceive = 1;
    if (IsSending()) {
        if (!Confirm("メールの送信を中断してよろしいですか？"))
            return;
        m_bAbortSend = 1;
        // The route that would follow a send-and-receive does not start.
        m_bSendAndReceive = 0;
        bool bSession = false;
        HRASCONN hLine = nullptr;
        {
            CSingleLock hold(&m_threadLock, TRUE);
            if (m_pPopBeforeSmtpThread) {
                hLine = AbortSession(m_pPopBeforeSmtpThread);
                bSession = true;
            }
            if (m_pMailSendThread) {
                HRASCONN hSendLine = AbortSession(m_pMailSendThread);
                if (!hLine)
                    hLine = hSendLine;
                bSession = true;
            }
        }
        if (bSession) {
            OfferHangUp(hLine);
            return;
        }
        // Between two mails the send worker sees the flag itself; a receive
        // may still run beside it.
    }
    if (IsReceiving()) {
        // The selective-receive window's own listing stops without a question.
        bool bWindowShown = m_pSelectDlg && m_pSelectDlg->IsOpen();
        if (!bWindowShown && !Confirm("メールの受信を中断してよろしいですか？"))
            return;
        m_bAbortReceive = 1;
        HRASCONN hLine = nullptr;
        {
            CSingleLock hold(&m_threadLock, TRUE);
            if (m_pMailGetThread)
                hLine = AbortSession(m_pMailGetThread);
        }
        OfferHangUp(hLine);
    }
}

void CTransferHost::OfferHangUp(HRASCONN hLine)
{
    // Asked without holding the session records: the session may end meanwhile.
    if (hLine && Confirm("RASの接続も切断しますか？"))
        HangUpLine(hLine);
}

void CTransferHost::HangUpLine(HRASCONN hLine)
{
    // The session's connection object belongs to its worker, which may
    // delete it at any moment; the line is hung up by its handle, and the
    // worker's own hang-up later finds it down.
    CDialConnection line;
    line.m_hRasConn = hLine;
    line.HangUp();
}
