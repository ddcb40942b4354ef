#include "transfer/MailSendThread.h"

#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "message/MailMessage.h"
#include "net/DialConnection.h"
#include "net/SmtpSession.h"
#include "store/MailFolderStore.h"
#include "transfer/MailGetThread.h"
#include "transfer/DivideupFiling.h"
#include "transfer/SendJob.h"
#include "transfer/MailSendThreadManager.h"
#include "transfer/TransferMessages.h"

#include <winsock2.h>

namespace {

UINT TouchPeriod(int nTimeOutSeconds)
{
    int ms = nTimeOutSeconds > 0 ? nTimeOutSeconds * 1000 / 4 : 2500;
    return static_cast<UINT>(ms < 100 ? 100 : ms > 1000 ? 1000 : ms);
}

void CALLBACK TouchTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (DWORD id = CMailThreadManager::FindWatchdogOf(GetCurrentThreadId()))
        PostThreadMessageA(id, TM_WATCHDOG_TOUCH, 0, 0);
}

CString CurrentDateText()
{
    return FormatDateWithZone(time(nullptr));
}

bool IsPlainFile(const CString& path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

BEGIN_MESSAGE_MAP(CMailSendThread, CWinThread)
    ON_THREAD_MESSAGE(TM_SEND_REQUEST, OnSendRequest)
    ON_THREAD_MESSAGE(TM_DIAL_CONNECTED, OnSendNow)
    ON_THREAD_MESSAGE(TM_SEND_RESULT, OnSendFinished)
    ON_THREAD_MESSAGE(TM_TRANSFER_ERROR, OnTransferError)
    ON_THREAD_MESSAGE(TM_SEND_QUIT, OnSendQuit)
    ON_THREAD_MESSAGE(TM_SESSION_STEP, OnStep)
    ON_THREAD_MESSAGE(TM_SESSION_ABORT, OnAbort)
    ON_THREAD_MESSAGE(TM_DIAL_STATE, OnDialState)
    ON_THREAD_MESSAGE(TM_QUIT, OnQuit)
END_MESSAGE_MAP()

CMailSendThread::CMailSendThread()
{
    m_bAutoDelete = FALSE;
    m_pApp = QuendalApp();
    m_pSession = new CSmtpSession;
}

CMailSendThread::~CMailSendThread()
{
    StopWatchdog();
    try {
        delete m_pSession;
    } catch (...) {
    }
    m_pSession = nullptr;
}

DWORD CMailSendThread::MainThreadId() const
{
    if (m_dwMainThreadId)
        return m_dwMainThreadId;
    return m_pApp ? m_pApp->m_nThreadID : 0;
}

BOOL CMailSendThread::InitInstance()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        AfxMessageBox("SocketInit Faild in CMailSendThread", MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    m_bSocketsStarted = true;
    return TRUE;
}

int CMailSendThread::Run()
{
    try {
        return CWinThread::Run();
    } catch (...) {
        // The mail being sent is never lost: it goes to the drafts.
        if (m_bBuilt && SaveToDrafts()) {
            StopWatchdog();
            if (!m_bQuiet)
                AfxMessageBox("送信に失敗しました。"
                            "現在のメールのデータは、作成中に保存されました。\r\n"
                            "もう一度送信し直してください。", MB_OK);
        }
        m_nResult = -1;
        if (m_bRequestOpen)
            FinishRequest(resultFailed, 0);
        ExitInstance();
        return 0;
    }
}

int CMailSendThread::ExitInstance()
{
    if (m_nTouchTimer)
        KillTimer(nullptr, m_nTouchTimer);
    m_nTouchTimer = 0;
    StopWatchdog();
    // A creator still waiting wakes in every case.
    if (m_bRequestOpen) {
        m_bRequestOpen = false;
        if (m_pDoneEvent)
            SetEvent(m_pDoneEvent);
    }
    if (m_bSocketsStarted)
        WSACleanup();
    m_bSocketsStarted = false;
    return CWinThread::ExitInstance();
}

void CMailSendThread::StartWatchdog()
{
    if (m_pWatchdog)
        return;
    m_pWatchdog = new CMailSendThreadManager;
    if (!m_pWatchdog->CreateThread()) {
        delete m_pWatchdog;
        m_pWatchdog = nullptr;
        return;
    }
    m_dwWatchdogId = m_pWatchdog->m_nThreadID;
    m_pWatchdog->Watch(m_hThread, m_nThreadID, &m_storeLock, &m_status);
    m_pWatchdog->SetSession(m_pSession, m_abortEvent);
    m_pWatchdog->PostThreadMessage(TM_WATCHDOG_ARM, 0, static_cast<LPARAM>(m_nTimeout > 0 ? m_nTimeout : 10) * 1000);
    m_pSession->SetWatchdogThreadId(m_dwWatchdogId);
    m_nTouchTimer = SetTimer(nullptr, 0, TouchPeriod(m_nTimeout), TouchTimerProc);
}

void CMailSendThread::StopWatchdog()
{
    if (!m_pWatchdog)
        return;
    m_pWatchdog->Detach();
    m_pWatchdog->PostThreadMessage(TM_QUIT, 0, 0);
    WaitForSingleObject(m_pWatchdog->m_hThread, INFINITE);
    delete m_pWatchdog;
    m_pWatchdog = nullptr;
    m_dwWatchdogId = 0;
    if (m_pSession)
        m_pSession->SetWatchdogThreadId(0);
}

void CMailSendThread::ReportToOwner(WPARAM wResult, LPARAM lParam)
{
    if (m_hOwner)
        ::PostMessageA(m_hOwner, TM_SEND_RESULT, wResult, lParam);
    else if (m_dwOwnerThreadId)
        ::PostThreadMessageA(m_dwOwnerThreadId, TM_SEND_RESULT, wResult, lParam);
}

void CMailSendThread::FinishRequest(WPARAM wResult, LPARAM lParam)
{
    if (!m_bRequestOpen)
        return;
    m_bRequestOpen = false;
    ReportToOwner(wResult, lParam);
    if (m_pDoneEvent)
        SetEvent(m_pDoneEvent);
    else
        PostQuitMessage(0);
}

void CMailSendThread::PostListChanged(int nFolderId)
{
    ::PostThreadMessageA(MainThreadId(), TM_LIST_CHANGED, 0, nFolderId);
}

void CMailSendThread::LogInFirst()
{
    auto* pThread = new CMailGetThread;
    pThread->m_bInteractive = 0;
    pThread->m_pDial = m_pDial;
    pThread->m_pDialStatus = &m_status;
    pThread->m_dwMainThreadId = m_dwMainThreadId;
    m_pPopBeforeSmtpThread = pThread;
    if (pThread->CreateThread()) {
        pThread->PostThreadMessage(TM_POP_BEFORE_SMTP, 0, m_nAccount);
        WaitForSingleObject(pThread->m_hThread, INFINITE);
    }
    m_pPopBeforeSmtpThread = nullptr;
    delete pThread;
    if (m_pDial)
        m_pDial->m_nThreadId = m_nThreadID;
}

void CMailSendThread::OnSendRequest(WPARAM wParam, LPARAM lParam)
{
    m_nMode = static_cast<int>(wParam);
    m_bRequestTaken = true;
    if (m_nMode == modeSendNow && lParam == 1)
        LogInFirst();
    CSingleLock hold(&m_cs, TRUE);
    m_bRequestOpen = true;
    m_bQuitRequest = false;
    m_bSent = false;
    m_bStored = false;
    m_strErrorText.Empty();
    m_abortEvent.ResetEvent();
    StartWatchdog();
    m_nResult = -1;
    m_bBuilt = 0;
    m_nSequence %= 1000;
    try {
        SYSTEMTIME st;
        GetLocalTime(&st);
        m_pSession->SetDateText("");
        CString name = FormatString("%04d%02d%02d%02d%02d%02d%03d%03d.tmp", st.wYear, st.wMonth, st.wDay, st.wHour,
                                    st.wMinute, st.wSecond, st.wMilliseconds, m_nSequence);
        CString folder;
        if (m_pApp) {
            if (m_nMode == modeSendNow)
                folder = m_pApp->GetSendTempPath();
            else if (m_nMode == modeOutbox)
                folder = m_pApp->GetSentWorkPath();
            else if (m_nMode == modeDraft || m_nMode == modeDraftKeep)
                folder = m_pApp->GetDraftsWorkPath();
        }
        if (folder.IsEmpty()) {
            char temp[MAX_PATH];
            GetTempPathA(sizeof(temp), temp);
            folder = temp;
        }
        CreateDirectoryPath(folder);
        m_szFile = CombinePath(folder, name + m_strWork);
        m_pSession->SetOwnerThreadId(m_nThreadID);
        m_pSession->SetStatusSink(&m_status);
        m_pSession->SetTimeOut(m_nTimeout);
    } catch (...) {
        m_strErrorText = "テンポラリファイルの移動でエラーが発生しました。";
        FinishRequest(resultFailed, 0);
        return;
    }
    if (m_nMode != modeSendNow) {
        bool bDone = m_pSession->BuildMessage(m_szFile);
        if (bDone) {
            m_bBuilt = 1;
            if (m_nMode == modeOutbox)
                bDone = SaveToOutbox();
            else if (m_nMode == modeDraft || m_nMode == modeDraftKeep)
                bDone = SaveToDrafts();
        }
        if (bDone) {
            m_nResult = 0;
            FinishRequest(resultStored, m_nMailHandle);
        } else {
            m_strErrorText = m_pSession->GetLastErrorText();
            FinishRequest(resultNotStarted, -1);
        }
        return;
    }
    if (!m_strDialEntry.IsEmpty() && m_pDial) {
        m_pDial->m_nThreadId = m_nThreadID;
        if (!m_pDial->Dial(m_strDialEntry, m_strDialUser, m_strDialPassword, &m_status)) {
            m_strErrorText = "ダイアルネットワークの接続に失敗しました。";
            FinishRequest(resultNotStarted, -1);
        }
        return;
    }
    SendNow();
}

void CMailSendThread::OnSendNow(WPARAM, LPARAM)
{
    if (m_bRequestOpen)
        SendNow();
}

void CMailSendThread::SendNow()
{
    m_pSession->ClearMessageFiles();
    m_pSession->ClearCcMessageFiles();
    bool bBuilt;
    if (!m_strReadyText.IsEmpty()) {
        // A stored mail goes out as it was stored.
        CFile file;
        bBuilt = file.Open(m_szFile, CFile::modeCreate | CFile::modeWrite) != FALSE;
        try {
            if (bBuilt) {
                file.Write(m_strReadyText.GetString(), static_cast<UINT>(m_strReadyText.GetLength()));
                file.Close();
            }
            // Attachments for the To recipients only: the Cc and Bcc
            // recipients get the stored mail without them (in the session's
            // second phase).
            if (bBuilt && m_pSession->IsAttachToOnly() && m_pSession->HasCcOrBcc()) {
                CString cc = CString(m_szFile) + "CC";
                CString copy = CSendJob::WithoutAttachments(m_strReadyText);
                bBuilt = file.Open(cc, CFile::modeCreate | CFile::modeWrite) != FALSE;
                if (bBuilt) {
                    file.Write(copy.GetString(), static_cast<UINT>(copy.GetLength()));
                    file.Close();
                    m_pSession->AddCcMessageFile(cc);
                }
            }
        } catch (CFileException&) {
            file.Abort();
            bBuilt = false;
        }
    } else {
        bBuilt = BuildComposedFiles();
    }
    if (!bBuilt) {
        m_strErrorText = m_pSession->GetLastErrorText();
        DeleteWorkFiles();
        FinishRequest(resultNotStarted, -1);
        return;
    }
    m_pSession->AddMessageFile(m_szFile);
    m_bBuilt = 1;
    if (!m_pSession->Start()) {
        // The session may already have said how it ended.
        m_strErrorText = m_pSession->GetLastErrorText();
        m_nResult = -1;
        DeleteWorkFiles();
        FinishRequest(resultFailed, 0);
    }
}

bool CMailSendThread::BuildComposedFiles()
{
    CSmtpSession* s = m_pSession;
    if (!s->BuildMessage(m_szFile, true))
        return false;
    // Attachments for the To recipients only: the Cc and Bcc recipients get
    // a copy of their own without them (sent in the session's second phase).
    if (s->IsAttachToOnly() && s->HasCcOrBcc()) {
        CString cc = CString(m_szFile) + "CC";
        if (!s->BuildMessage(cc, true, true, s->GetAttachCommentFlag(), true))
            return false;
        s->AddCcMessageFile(cc);
    }
    // A body that goes out as an archive is kept readable: the stored copy
    // is the mail without the archive, and the archive's work file goes.
    if (s->IsArchiveWithCompanion()) {
        s->RemoveBodyArchive();
        bool bCompanion = s->BuildMessage(CString(m_szFile) + "Clear", false, true, false, false, true);
        s->DeleteTempArchives();
        if (!bCompanion)
            return false;
    }
    return true;
}

void CMailSendThread::DeleteWorkFiles()
{
    DeleteFileA(m_szFile);
    for (const char* pszSuffix : {"CC", "Clear"}) {
        CString path = CString(m_szFile) + pszSuffix;
        if (IsPlainFile(path))
            DeleteFileA(path);
    }
}

void CMailSendThread::OnSendFinished(WPARAM wParam, LPARAM)
{
    if (!m_bRequestOpen)
        return;
    if (m_bQuitRequest) {
        m_nResult = 0;
        FinishRequest(wParam, 0);
        return;
    }
    if (wParam != 0 && !m_pSession->IsAborted()) {
        m_bSent = true;
        m_bStored = m_bKeepSent ? true : StoreSentMail();
        if (m_bKeepSent)
            DeleteWorkFiles();
        // A copy that could not be stored keeps the mail in the outbox.
        m_nResult = m_bStored ? 0 : -1;
        if (!m_bStored)
            m_strErrorText = "送信したメールを保存できませんでした。";
    } else {
        m_strErrorText = m_pSession->GetLastErrorText();
        m_nResult = -1;
        DeleteWorkFiles();
    }
    FinishRequest(wParam, 0);
}

void CMailSendThread::OnTransferError(WPARAM, LPARAM)
{
    if (!m_bRequestOpen) {
        // Stopped before its job was posted (an editor's send delay): no
        // job will report, so the owner hears the end here once.
        if (m_bRequestTaken)
            return;
        m_bRequestTaken = true;
        m_bRequestOpen = true;
        m_nResult = -1;
        FinishRequest(resultFailed, 0);
        return;
    }
    m_pSession->Cancel();
    m_nResult = -1;
    if (m_strErrorText.IsEmpty())
        m_strErrorText = m_pSession->GetLastErrorText();
    DeleteWorkFiles();
    FinishRequest(resultFailed, 0);
}

void CMailSendThread::OnSendQuit(WPARAM, LPARAM)
{
    CSingleLock hold(&m_cs, TRUE);
    m_bRequestOpen = true;
    m_bQuitRequest = true;
    m_abortEvent.ResetEvent();
    if (m_pSession->SendQuit())
        return;
    // SendQuit has posted the end itself when it failed.
}

void CMailSendThread::OnStep(WPARAM, LPARAM)
{
    if (!m_bRequestOpen)
        return;
    if (m_pSession->Run())
        return;
    // The session failed or was cancelled; it may still post its end, which
    // then finds the request closed.
    if (m_bQuitRequest) {
        FinishRequest(resultSent, 0);
        return;
    }
    m_strErrorText = m_pSession->GetLastErrorText();
    m_nResult = -1;
    DeleteFileA(m_szFile);
    FinishRequest(resultFailed, 0);
}

void CMailSendThread::OnAbort(WPARAM, LPARAM)
{
    m_abortEvent.SetEvent();
    m_pSession->Cancel();
}

void CMailSendThread::OnDialState(WPARAM wParam, LPARAM)
{
    if (m_pDial)
        m_pDial->OnDialState(static_cast<int>(wParam));
}

void CMailSendThread::OnQuit(WPARAM, LPARAM)
{
    StopWatchdog();
    PostQuitMessage(0);
}

bool CMailSendThread::StoreSentMail()
{
    if (!m_pApp || !IsPlainFile(m_szFile))
        return false;
    CSingleLock hold(&m_storeLock, TRUE);
    // The send rules, when they are on, else the sent-mail folder.
    CMailFolderStore* pTarget = ChooseSentFolder(*m_pApp, m_szFile);
    if (!pTarget)
        return false;
    // A mail whose body went out archived is stored as its readable copy.
    CString clear = CString(m_szFile) + "Clear";
    CString stored = IsPlainFile(clear) ? clear : CString(m_szFile);
    if (pTarget->AddNewMailData(stored, CurrentDateText(), TRUE) != 1)
        return false;
    MarkReferredMail(TRUE);
    DeleteWorkFiles();
    PostListChanged(pTarget->GetFolderId());
    return true;
}

bool CMailSendThread::SaveToOutbox()
{
    CMailFolderStore* pOutbox = m_pApp ? m_pApp->GetDefaultFolder(5) : nullptr;
    if (!pOutbox || !IsPlainFile(m_szFile))
        return false;
    CSingleLock hold(&m_storeLock, TRUE);
    int nIndex = -1;
    if (pOutbox->AddNewMailData(m_szFile, CurrentDateText(), TRUE, FALSE, nullptr, &nIndex) != 1)
        return false;
    m_nMailHandle = nIndex;
    MarkReferredMail(FALSE);
    DeleteFileA(m_szFile);
    PostListChanged(0);
    return true;
}

bool CMailSendThread::SaveToDrafts()
{
    if (!m_pApp || !IsPlainFile(m_szFile))
        return false;
    CSingleLock hold(&m_storeLock, TRUE);
    CMailFolderStore* pTarget = nullptr;
    if (m_pTargetFolder) {
        for (int i = 0; i < m_pApp->GetFolderCount() && !pTarget; i++)
            if (m_pApp->GetFolderAt(i) == m_pTargetFolder)
                pTarget = m_pTargetFolder;
    }
    if (!pTarget)
        pTarget = m_pApp->GetDefaultFolder(3);
    if (!pTarget)
        return false;
    int nIndex = -1;
    if (pTarget->AddNewMailData(m_szFile, CurrentDateText(), TRUE, FALSE, nullptr, &nIndex) != 1)
        return false;
    if (m_nMode == modeDraft || m_nMode == modeDraftKeep)
        m_nMailHandle = nIndex;
    DeleteFileA(m_szFile);
    PostListChanged(0);
    return true;
}

void CMailSendThread::MarkReferredMail(BOOL bReplied)
{
    CMailMessage message;
    if (!message.ParseFile(m_szFile))
        return;
    CString handle = message.GetHeader("X-Refer-Mail-Handle");
    handle.Trim();
    if (handle.IsEmpty())
        return;
    CMailFolderStore* pFolder = m_pApp->FindFolder(atoi(message.GetHeader("X-Refer-Mail-Folder")));
    if (!pFolder)
        return;
    if (bReplied) {
        // Sent: no longer waiting, and marked as answered or as passed on.
        pFolder->SetMailFlag1(handle, FALSE);
        if (message.GetHeader("X-ForwordType").IsEmpty())
            pFolder->SetMailFlag2(handle, TRUE);
        else
            pFolder->SetMailFlag8(handle, TRUE);
    } else {
        pFolder->SetMailFlag1(handle, TRUE);
    }
    PostListChanged(pFolder->GetFolderId());
}
