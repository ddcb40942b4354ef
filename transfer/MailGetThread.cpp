#include "transfer/MailGetThread.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/DateTimeUtil.h"
#include "core/DlgInputPassword.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "net/DialConnection.h"
#include "net/ImapSession.h"
#include "net/Pop3Session.h"
#include "net/SmtpSession.h"
#include "store/MailFolderStore.h"
#include "transfer/DlgRemoteMail.h"
#include "transfer/MailGetThreadManager.h"
#include "transfer/RuleFilingSession.h"
#include "transfer/RuleFolderChooser.h"
#include "transfer/TransferMessages.h"
#include "resources/editor/EditorWindowResource.h"

#include <new>
#include <winsock2.h>

namespace {

// The touch of the watchdog: its period is a fraction of the armed time-out,
// so a loop that runs touches several times within it.
UINT TouchPeriod(int nTimeOutSeconds)
{
    int ms = nTimeOutSeconds > 0 ? nTimeOutSeconds * 1000 / 4 : 2500;
    if (ms < 100)
        ms = 100;
    if (ms > 1000)
        ms = 1000;
    return static_cast<UINT>(ms);
}

void CALLBACK TouchTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (DWORD id = CMailThreadManager::FindWatchdogOf(GetCurrentThreadId()))
        ::PostThreadMessageA(id, TM_WATCHDOG_TOUCH, 0, 0);
}

} // namespace

BEGIN_MESSAGE_MAP(CMailGetThread, CWinThread)
    ON_THREAD_MESSAGE(TM_RECEIVE_ACCOUNT, OnReceive)
    ON_THREAD_MESSAGE(TM_POP_BEFORE_SMTP, OnPopBeforeSmtp)
    ON_THREAD_MESSAGE(TM_SESSION_FINISHED, OnSessionFinished)
    ON_THREAD_MESSAGE(TM_SESSION_ABORT, OnAbort)
    ON_THREAD_MESSAGE(TM_TRANSFER_ERROR, OnTransferError)
    ON_THREAD_MESSAGE(TM_DIAL_STATE, OnDialState)
    ON_THREAD_MESSAGE(TM_DIAL_CONNECTED, OnDialConnected)
    ON_THREAD_MESSAGE(TM_SESSION_FAILED, OnSessionFailed)
    ON_THREAD_MESSAGE(TM_SESSION_STEP, OnStep)
    ON_THREAD_MESSAGE(TM_QUIT, OnQuit)
END_MESSAGE_MAP()

CMailGetThread::CMailGetThread()
{
    // The creator waits for the thread and deletes the object.
    m_bAutoDelete = FALSE;
    m_pApp = QuendalApp();
    m_pAccounts = m_pApp ? m_pApp->m_pAccountDataSet : nullptr;
}

CMailGetThread::~CMailGetThread()
{
    // A thread the watchdog ended left its watchdog behind.
    StopWatchdog();
    delete m_pPop3;
    delete m_pImap;
    delete m_pAppRules;
}

DWORD CMailGetThread::MainThreadId() const
{
    if (m_dwMainThreadId)
        return m_dwMainThreadId;
    return m_pApp ? m_pApp->m_nThreadID : 0;
}

BOOL CMailGetThread::InitInstance()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        AfxMessageBox("SocketInit Faild in CMailGetThread", MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    m_bSocketsStarted = true;
    m_status.m_hThread = m_hThread;
    m_status.m_nThreadId = m_nStatusThreadId = m_nThreadID;
    return TRUE;
}

int CMailGetThread::ExitInstance()
{
    ReportUndelivered();
    if (m_nTouchTimer)
        KillTimer(nullptr, m_nTouchTimer);
    m_nTouchTimer = 0;
    StopWatchdog();
    if (m_pSession)
        m_nResult = m_pSession->GetErrorResult();
    if (m_bSocketsStarted)
        WSACleanup();
    return CWinThread::ExitInstance();
}

void CMailGetThread::StopWatchdog()
{
    if (!m_pWatchdog)
        return;
    m_pWatchdog->Detach();
    m_pWatchdog->PostThreadMessage(TM_QUIT, 0, 0);
    WaitForSingleObject(m_pWatchdog->m_hThread, INFINITE);
    delete m_pWatchdog;
    m_pWatchdog = nullptr;
    m_dwWatchdogId = 0;
}

void CMailGetThread::EndLoop()
{
    PostQuitMessage(0);
}

CString CMailGetThread::MessageText(UINT nMessageId)
{
    CString text;
    if (nMessageId && text.LoadString(nMessageId))
        return text;
    return "データ受信中にエラーが発生しました";
}

void CMailGetThread::OnReceive(WPARAM, LPARAM lParam)
{
    StartReceive(static_cast<int>(lParam), false);
}

void CMailGetThread::OnPopBeforeSmtp(WPARAM, LPARAM lParam)
{
    StartReceive(static_cast<int>(lParam), true);
}

void CMailGetThread::StartReceive(int nAccount, bool bPopBeforeSmtp)
{
    m_bPopBeforeSmtp = bPopBeforeSmtp ? 1 : 0;
    m_bEnded = false;
    m_bStarted = false;
    m_nResult = 0;
    CMailFolderStore* pInbox = m_pApp ? m_pApp->GetDefaultFolder(1) : nullptr;
    if (!pInbox) {
        AfxMessageBox("はじめにメールボックスを設定してください。", MB_OK | MB_ICONEXCLAMATION);
        ::PostThreadMessageA(MainThreadId(), TM_MAILBOX_MISSING, 0, 0);
        EndLoop();
        return;
    }
    if (!DirectoryExists(pInbox->GetFolderPath()) && !CreateDirectoryPath(pInbox->GetFolderPath())) {
        EndLoop();
        return;
    }
    m_bLogged = 0;
    m_bCheckDone = 0;
    if (m_pSession && m_pSession->IsRunning()) {
        EndLoop();
        return;
    }
    if (m_pAccounts && !m_pAccounts->IsLoaded()) {
        m_pAccounts->SetFilePath(m_pApp->GetAccountFilePath());
        m_pAccounts->ReadFromFile(TRUE);
    }
    m_pAccount = m_pAccounts && nAccount >= 0 && nAccount < m_pAccounts->GetRecordCount(TRUE)
                     ? m_pAccounts->GetAccount(nAccount)
                     : nullptr;
    if (!m_pAccount) {
        EndLoop();
        return;
    }
    if (m_hStatusWnd)
        SetWindowTextA(m_hStatusWnd, m_pAccount->GetAccountName());

    if (m_pAccount->GetPassword().IsEmpty()) {
        CDlgInputPassword dialog;
        dialog.SetCaption(m_pAccount->GetAccountName());
        dialog.SetShowRemember(TRUE);
        if (dialog.DoModal() != IDOK) {
            EndLoop();
            return;
        }
        m_pAccount->SetPassword(dialog.m_strPassword);
        if (dialog.m_bRemember)
            m_pAccounts->WriteToFile(FALSE);
    }
    int nPort = m_pAccount->GetReceivePort();
    if (nPort == 0)
        nPort = 110;
    const char* pszMissing = nullptr;
    if (m_pAccount->GetReceiveServer().IsEmpty())
        pszMissing = "サーバ名を指定してください";
    else if (m_pAccount->GetReceiveUser().IsEmpty())
        pszMissing = "ユーザ名を指定してください";
    else if (m_pAccount->GetPassword().IsEmpty())
        pszMissing = "パスワードを指定してください";
    if (pszMissing) {
        AfxMessageBox(pszMissing, MB_OK | MB_ICONEXCLAMATION);
        EndLoop();
        return;
    }

    // The session.
    if (!m_pChooser && !m_pAppRules)
        m_pAppRules = new CRuleFolderChooser(m_pApp);
    CReceiveFolderChooser* pChooser = m_pChooser ? m_pChooser : m_pAppRules;
    delete m_pPop3;
    delete m_pImap;
    m_pPop3 = nullptr;
    m_pImap = nullptr;
    if (m_pAccount->GetProtocol() != 0) {
        m_pImap = new CRuleFilingSession<CImapSession>(&m_storeLock, pChooser);
        if (!m_pAccount->GetImapDirectory().IsEmpty())
            m_pImap->SetMailboxName(m_pAccount->GetImapDirectory());
        m_pImap->SetUseCramMd5(m_pAccount->GetReceiveAuth() == 2);
        m_pSession = m_pImap;
    } else {
        m_pPop3 = new CRuleFilingSession<CPop3Session>(&m_storeLock, pChooser);
        m_pPop3->SetApop(m_pAccount->GetReceiveAuth() == 1);
        m_pSession = m_pPop3;
    }
    CReceiveSession* s = m_pSession;
    s->SetOwnerThreadId(m_nThreadID);
    s->SetMainThreadId(MainThreadId());
    s->SetInboxPath(m_pApp->GetInboxWorkPath());
    s->SetDownloadDataPath(m_pApp->GetDownloadDataPath());
    s->SetReceiveBackup(m_pApp->GetReceiveMailBackupPath(), m_pApp->GetProfileInt("Setting", "ReceiveMailBackupSize", 0));
    s->SetIdListFolder(m_pApp->GetMailBoxFolder());
    s->SetServer(m_pAccount->GetReceiveServer(), nPort);
    s->SetUser(m_pAccount->GetReceiveUser(), m_pAccount->GetPassword());
    s->SetMailAddress(m_pAccount->GetMailAddress());
    s->SetAccountName(m_pAccount->GetAccountName());
    s->SetAccountId(nAccount);
    s->SetLeaveOnServer(m_pAccount->GetLeaveOnServer() != 0);
    s->SetDeleteAfterDays(m_pAccount->GetDeleteAfterDays());
    s->SetTls(m_pAccount->GetReceiveTls() != 0);
    s->SetSizeLimit(m_pAccount->GetSessionSizeLimit());
    s->SetFiltering(pChooser->BeginReceive(), true);
    s->SetLoginOnly(m_bPopBeforeSmtp != 0);
    int nTimeOut = m_pAccount->GetTimeout() > 0 ? m_pAccount->GetTimeout() : 10;
    s->SetTimeOut(nTimeOut);
    s->SetTargetStore(pInbox);
    m_status.SetProgress("", 0, 0, 0);
    m_status.SetMailCount(0);
    m_status.m_hThread = m_hThread;
    s->SetProgressSink(&m_status);

    // The watchdog.
    StopWatchdog();
    m_pWatchdog = new CMailGetThreadManager;
    if (m_pWatchdog->CreateThread()) {
        m_dwWatchdogId = m_pWatchdog->m_nThreadID;
        m_pWatchdog->Watch(m_hThread, m_nThreadID, &m_storeLock, &m_status);
        m_pWatchdog->SetSession(s);
        m_pWatchdog->SetMainThreadId(MainThreadId());
        m_pWatchdog->PostThreadMessage(TM_WATCHDOG_ARM, 0, static_cast<LPARAM>(nTimeOut) * 1000);
        s->SetWatchdogThreadId(m_dwWatchdogId);
        m_nTouchTimer = SetTimer(nullptr, 0, TouchPeriod(nTimeOut), TouchTimerProc);
    } else {
        delete m_pWatchdog;
        m_pWatchdog = nullptr;
    }

    if (m_pAccount->GetConnectionType() > 0) {
        if (!m_pDial)
            return;  // nothing to dial with: the session does not start
        m_pDial->m_nThreadId = m_nThreadID;
        if (!m_pDial->Dial(m_pAccount->GetDialEntry(), m_pAccount->GetDialUser(), m_pAccount->GetDialPassword(),
                           m_pDialStatus ? m_pDialStatus : &m_status))
            ::PostThreadMessageA(m_nThreadID, TM_TRANSFER_ERROR, 0, CDialConnection::kIdsDialFailed);
        return;
    }
    StartSession();
}

void CMailGetThread::StartSession()
{
    if (!m_pSession)
        return;
    if (m_pSelectDlg && m_pSelectDlg->GetSafeHwnd())
        ::PostMessageA(m_pSelectDlg->GetSafeHwnd(), CDlgRemoteMail::WM_REMOTE_REFRESH, 0, 0);
    m_bStarted = true;
    if (!m_pSession->Start(m_pSelectDlg, m_pSelectList))
        m_pSession->Cancel();
}

void CMailGetThread::OnDialState(WPARAM wParam, LPARAM)
{
    if (m_pDial)
        m_pDial->OnDialState(static_cast<int>(wParam));
}

void CMailGetThread::OnDialConnected(WPARAM, LPARAM)
{
    StartSession();
}

void CMailGetThread::OnStep(WPARAM, LPARAM)
{
    if (!m_pSession || m_bEnded)
        return;
    try {
        if (!m_pSession->RunSteps())
            m_pSession->Cancel();
    } catch (const std::bad_alloc&) {
        // A mail too large to hold: the pass ends and the mail stays on the server.
        m_pSession->DiscardPartialMail();
        Fail(-1, IDS_OUT_OF_MEMORY);
    }
}

void CMailGetThread::OnSessionFinished(WPARAM wParam, LPARAM lParam)
{
    if (m_bEnded)
        return;
    if (lParam == 0 && static_cast<int>(wParam) == 0) {
        m_bEnded = true;
        m_bCheckDone = 1;
        m_nResult = 0;
        WriteReceiveLog("正常に終了しました。");
        EndLoop();
        return;
    }
    Fail(static_cast<int>(wParam), static_cast<UINT>(lParam));
}

void CMailGetThread::OnTransferError(WPARAM wParam, LPARAM lParam)
{
    if (m_bEnded)
        return;
    if (m_pSession && m_pSession->IsRunning()) {
        // A mail that could not be filed ends the pass, but the session
        // first deletes on the server what it filed before and logs out:
        // cut off now, those mails would all come again. It reports its end
        // (1357) with the filing error when it is done.
        if (m_pSession->IsEndingAfterError())
            return;
        // The session reports its end itself (1357), which takes the
        // failure path with the session's own error.
        m_pSession->Cancel();
        if (m_pSession->GetErrorResult() != 0 || m_pSession->GetErrorMessageId() != 0)
            return;
    }
    Fail(static_cast<int>(wParam), static_cast<UINT>(lParam));
}

void CMailGetThread::OnSessionFailed(WPARAM wParam, LPARAM lParam)
{
    if (!m_bEnded)
        Fail(static_cast<int>(wParam), static_cast<UINT>(lParam));
}

void CMailGetThread::Fail(int nError, UINT nMessageId)
{
    if (!m_pSession)
        return;
    m_bEnded = true;
    m_bCheckDone = 0;
    m_nResult = nError != 0 ? nError : -1;
    if (m_pSession->IsRunning())
        m_pSession->Cancel();
    CString text = MessageText(nMessageId);
    WriteReceiveLog(text);
    // A session that was started has told the main thread of its end.
    if (!m_bStarted)
        ::PostThreadMessageA(MainThreadId(), TM_SESSION_END, 0, 1);
    if (nError > 0)
        text += FormatString("[Error:%d]", nError);
    if (!m_pSession->GetErrorText().IsEmpty())
        text += "\r\n" + m_pSession->GetErrorText();
    CWnd* pMain = m_pApp ? m_pApp->m_pMainWnd : nullptr;
    if (m_bInteractive && pMain && ::IsWindow(pMain->m_hWnd)) {
        // The user may read the message as long as they like.
        StopWatchdog();
        AfxMessageBox(text, MB_OK | MB_ICONWARNING);
    } else {
        m_status.SetStatusText(text);
    }
    EndLoop();
}

void CMailGetThread::OnAbort(WPARAM, LPARAM)
{
    if (m_pSession)
        m_pSession->SetAbort();
}

void CMailGetThread::OnQuit(WPARAM, LPARAM)
{
    if (m_pSession && m_pSession->IsRunning()) {
        m_pSession->SetAbort();
        m_pSession->Cancel();
    }
    EndLoop();
}

void CMailGetThread::WriteReceiveLog(const char* pszResult)
{
    if (m_bPopBeforeSmtp || m_bLogged || m_pSelectDlg || m_nCallerKind == 2 || !m_pApp || !m_pAccount)
        return;
    m_pApp->AddReceiveLog(m_pAccount->GetAccountName(), pszResult, m_pSession ? m_pSession->GetReceivedCount() : 0);
    m_bLogged = 1;
}

namespace {

// Entries already reported in this run, so that a mail left on the server
// is reported once.
CCriticalSection& ReportedLock()
{
    static CCriticalSection lock;
    return lock;
}

std::vector<CUndeliveredMail>& Reported()
{
    static std::vector<CUndeliveredMail> reported;
    return reported;
}

bool SameEntry(const CUndeliveredMail& a, const CUndeliveredMail& b)
{
    return a.nKind == b.nKind && a.nNumber == b.nNumber && a.nSize == b.nSize && a.strSubject == b.strSubject &&
           a.strFrom == b.strFrom && a.strDate == b.strDate && a.strMessageId == b.strMessageId;
}

const char* ReasonText(int nKind)
{
    switch (nKind) {
    case 0: return "アカウントのサイズ制限";
    case 1: return "振り分け設定";
    default: return "振り分け設定-メールはサーバから削除されました。";
    }
}

CString EntryBlocks(const std::vector<CUndeliveredMail>& entries)
{
    CString text;
    int n = 1;
    for (const CUndeliveredMail& e : entries)
        text += FormatString("%d: %s\r\n\tFrom:%s\r\n\tMessageID:%s\r\n\t送信日時:%s\r\n\t理由:%s\r\n\r\n", n++,
                             e.strSubject.GetString(), e.strFrom.GetString(), e.strMessageId.GetString(),
                             e.strDate.GetString(), ReasonText(e.nKind));
    return text;
}

} // namespace

void CMailGetThread::ReportUndelivered()
{
    if (!m_pSession || !m_pApp || !m_pAccount)
        return;
    std::vector<CUndeliveredMail> entries = m_pSession->GetUndeliveredMails();
    if (entries.empty())
        return;
    int nSaveType = m_pApp->GetProfileInt("Setting", "CVMInfoSaveType", 0);
    {
        CSingleLock hold(&ReportedLock(), TRUE);
        for (size_t i = entries.size(); i-- > 0;) {
            for (const CUndeliveredMail& r : Reported()) {
                if (SameEntry(entries[i], r)) {
                    entries.erase(entries.begin() + static_cast<long>(i));
                    break;
                }
            }
        }
        if (entries.empty()) {
            if (nSaveType == 1 && !Reported().empty())
                m_pApp->DeleteDownloadLog();
            return;
        }
        for (const CUndeliveredMail& e : entries)
            Reported().push_back(e);
    }
    const CString& account = m_pAccount->GetAccountName();
    int nCount = static_cast<int>(entries.size());
    if (nSaveType == 0) {
        CMailFolderStore* pInbox = m_pApp->GetDefaultFolder(1);
        if (!pInbox)
            return;
        CSmtpSession composer;
        composer.SetFromName("Corvane Mail");
        composer.SetFrom(m_pAccount->GetMailAddress());
        composer.SetTo(m_pAccount->GetMailAddress());
        composer.SetSubject("Corvane Mailからの報告");
        composer.AddBodyLine("<Corvane Mailからメール受信結果の報告です>\r\n");
        composer.AddBodyLine("\r\n");
        composer.AddBodyText(FormatString("アカウント「%s」受信時にダウンロードされない\r\nメールが[%d通]ありました。\r\n\r\n",
                                          account.GetString(), nCount));
        composer.AddBodyText(EntryBlocks(entries));
        composer.AddBodyLine("\r\n");
        composer.AddBodyLine("---------------------\r\n");
        composer.AddBodyLine("Corvane Mail\r\n");
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        CString path = CombinePath(temp, FormatString("CVMReport%llu.tmp", GetTickCount64()));
        if (composer.BuildMessage(path)) {
            CSingleLock hold(&m_storeLock, TRUE);
            CString received = FormatDateWithZone(time(nullptr));
            pInbox->AddNewMailData(path, received, FALSE);
        }
        DeleteFileA(path);
        ::PostThreadMessageA(MainThreadId(), TM_LIST_CHANGED, 0, pInbox->GetFolderId());
    } else if (nSaveType == 1) {
        SYSTEMTIME st;
        GetLocalTime(&st);
        CString text = "\r\n";
        text += FormatString("受信時間：%04d/%02d/%02d %02d:%02d\r\nアカウント「%s」受信時にダウンロードされないメールが[%d通]ありました。\r\n\r\n",
                             st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, account.GetString(), nCount);
        text += EntryBlocks(entries);
        m_pApp->AppendDownloadLog(text);
    }
}
