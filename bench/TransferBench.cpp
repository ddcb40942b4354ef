// Receives 1,000 mails of 20 KB from the private Dovecot through the whole
// receive job (worker, session thread, watchdog, rules, filing into the
// inbox, the progress panes and the main thread's list refresh on every
// filed mail) and with the POP3 session alone (no filing, and filing into a
// folder without the job), then sends 1,000 mails of the outbox through the
// private Postfix with the send job; prints mails/s of each.
// bench/transfer-clients.sh times mpop and msmtp on the same servers.
//   TransferBench [count] [kilobytes] [receive]
// With "receive" only the receive job and the POP3 session alone run (for
// alternating runs of two builds).
#include <winsock2.h>
#include <windows.h>

#include <commctrl.h>

#include "bench/BenchSupport.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/QuendalApp.h"
#include "net/NetMessages.h"
#include "net/Pop3Session.h"
#include "net/SmtpSession.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "transfer/TransferHost.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferProgressCtrl.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const int kUser = 41;

CString ServerDir(const char* pszVariable, const char* pszDefault)
{
    const char* pszDir = getenv(pszVariable);
    CString dir = CString("Z:") + (pszDir && *pszDir ? pszDir : pszDefault);
    dir.Replace('/', '\\');
    return dir;
}

CString Maildir(int nUser)
{
    return ServerDir("CVM_DOVECOT_DIR", "/tmp/cvm-dovecot") + FormatString("\\home\\cvmtest%d\\Maildir", nUser);
}

void ClearFolder(const CString& folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(folder + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA(folder + "\\" + fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

void ClearMaildir(int nUser)
{
    CString maildir = Maildir(nUser);
    for (const char* sub : {"", "\\new", "\\cur", "\\tmp"})
        ClearFolder(maildir + sub);
}

int CountFiles(const CString& folder)
{
    int n = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(folder + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do
        n += !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

std::string Body(int nKiloBytes)
{
    std::string body;
    while (body.size() < static_cast<size_t>(nKiloBytes) * 1024)
        body += "The quick brown fox jumps over the lazy dog 0123456789 abcdefghijklmnopqrstuv\r\n";
    return body;
}

void Deliver(int nUser, int nCount, int nKiloBytes)
{
    ClearMaildir(nUser);
    std::string body = Body(nKiloBytes);
    CString maildir = Maildir(nUser);
    for (int i = 0; i < nCount; i++) {
        std::string mail = "From: bench@example.jp\r\nSubject: bench " + std::to_string(i) + "\r\nMessage-ID: <" +
                           std::to_string(i) + "@transfer.bench>\r\n\r\n" + body;
        CString path = maildir + FormatString("\\new\\%d.M%dP%lu.bench", i, i, GetCurrentProcessId());
        HANDLE hFile = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written;
        WriteFile(hFile, mail.data(), static_cast<DWORD>(mail.size()), &written, nullptr);
        CloseHandle(hFile);
    }
}

double Seconds(const LARGE_INTEGER& t0)
{
    LARGE_INTEGER freq, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t1);
    return static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
}

struct TransferBenchApp : CQuendalApp
{
    explicit TransferBenchApp(const CString& folder)
    {
        SetProfileFileMode(folder + "\\CVM.ini");
        m_strMailBoxPathOverride = folder;
        m_strMailBoxNameOverride = "MailBox";
        CreateDirectoryA(folder + "\\MailBox", nullptr);
        CreateDefaultMailBox();
        OpenFolderList();
        m_pAccountDataSet->SetFilePath(GetAccountFilePath());
        auto* a = static_cast<CAccountData*>(m_pAccountDataSet->CreateNewRecord());
        a->SetAccountName("bench");
        a->SetMailAddress(FormatString("cvmtest%d@cvm.test", kUser));
        a->SetReceiveServer("mail.cvm.test");
        a->SetReceiveUser(FormatString("cvmtest%d", kUser));
        a->SetPassword(FormatString("pass%d", kUser));
        a->SetReceivePort(110);
        a->SetSmtpServer("smtp.cvm.test");
        a->SetSmtpPort(587);
        a->SetUseEsmtp(TRUE);
        a->SetSmtpAuth(TRUE);
        a->SetSendTls(TRUE);
        a->SetTimeout(30);
        m_pAccountDataSet->WriteToFile(FALSE);
    }
    ~TransferBenchApp() override
    {
        CloseAllFolders();
        m_bFileMode = 0;
    }
};

// The job's host with the status bar's progress panes, as the main window
// shows them: every progress change of the session reaches this thread.
class BenchHost : public CTransferHost
{
public:
    BenchHost()
    {
        m_dwMainThreadId = GetCurrentThreadId();
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        if (!m_parent.CreateEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 20, nullptr, nullptr))
            return;
        m_hCounter = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, m_parent.m_hWnd, nullptr,
                                   nullptr, nullptr);
        m_hDetail = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 100, 0, 200, 20, m_parent.m_hWnd, nullptr,
                                  nullptr, nullptr);
        RECT r = {300, 0, 400, 20};
        m_bar.Create(WS_CHILD, r, &m_parent, 1);
    }
    ~BenchHost() override
    {
        if (m_parent.m_hWnd)
            m_parent.DestroyWindow();
    }
    bool Confirm(const char*) override { return true; }
    void ShowMessage(const char* pszText) override { printf("message: %s\n", pszText); }
    void ShowSendError(const char* pszText) override { printf("send error: %s\n", pszText); }
    // From the job's worker; the panes belong to the main thread, which
    // serves the calls the control makes on them.
    void StartTransferProgress(int nKind, CTransferStatus* pStatus) override
    {
        if (m_bar.m_hWnd)
            m_bar.Begin(m_hCounter, m_hDetail, nKind, pStatus);
    }
    void EndTransferProgress(BOOL) override
    {
        if (m_bar.m_hWnd)
            m_bar.End();
    }
    bool HasProgress() const { return m_bar.m_hWnd != nullptr; }

private:
    CWnd m_parent;
    HWND m_hCounter = nullptr;
    HWND m_hDetail = nullptr;
    CTransferProgressCtrl m_bar;
};

// Plays the main thread until the job's end; every filed mail refreshes the
// list of its folder, as the main window does.
void RunMainThread(TransferBenchApp& app, BenchHost& host, bool bSend)
{
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == TM_LIST_CHANGED) {
                if (CMailFolderStore* pStore = app.FindFolder(static_cast<int>(msg.lParam)))
                    pStore->GetMailList();
            }
            if (!bSend && msg.message == TM_RECEIVE_JOB_END)
                return;
            DispatchMessageA(&msg);
        }
        if (bSend && !host.IsSending())
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

// The POP3 session on this thread, without filing (pStore null) or filing
// into the store.
bool SessionAlone(int nCount, const CString& work, CMailFolderStore* pStore, const char* pszName)
{
    class CountingSession : public CPop3Session
    {
    public:
        bool bFile = false;

    protected:
        bool FileReceivedMail(std::string& mail, const CString& strName, bool& bKeepOnServer) override
        {
            bKeepOnServer = false;
            return bFile ? CPop3Session::FileReceivedMail(mail, strName, bKeepOnServer) : true;
        }
    } session;
    session.bFile = pStore != nullptr;
    session.SetTargetStore(pStore);
    session.SetInboxPath(work);
    session.SetServer("mail.cvm.test", 110);
    session.SetUser(FormatString("cvmtest%d", kUser), FormatString("pass%d", kUser));
    session.SetAccountName("bench");
    session.SetTimeOut(30);
    session.SetOwnerThreadId(GetCurrentThreadId());
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    bool bOk = session.Start(nullptr, nullptr);
    MSG msg;
    while (bOk && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == CVM_MSG_SESSION_STEP) {
            if (!session.RunSteps())
                session.Cancel();
        } else if (msg.message == CVM_MSG_TRANSFER_ERROR) {
            session.Cancel();
        } else if (msg.message == CVM_MSG_SESSION_FINISHED) {
            bOk = msg.wParam == 0;
            break;
        }
    }
    double seconds = Seconds(t0);
    if (!bOk || session.GetReceivedCount() != nCount) {
        printf("%s: failed after %d mails\n", pszName, session.GetReceivedCount());
        return false;
    }
    printf("%s_mails: %.1f mails/s\n", pszName, nCount / seconds);
    printf("%s_time: %.2f s\n", pszName, seconds);
    return true;
}

// The session filing without the job, then the send job.
bool FilingAndSend(TransferBenchApp& app, BenchHost& host, int nCount, int nKiloBytes, const CString& work,
                   const CString& sessionWork)
{
    bool bOk = true;
    LARGE_INTEGER t0;
    // The session filing into a folder of its own, without the job.
    Deliver(kUser, nCount, nKiloBytes);
    CMailFolderStore store;
    CFolderRecord record;
    record.m_nId = 99;
    record.m_nKind = 0;
    record.m_strName = "bench";
    record.m_strPath = sessionWork;
    store.SetFolderRecord(record);
    if (!SessionAlone(nCount, sessionWork, &store, "receive_session_filing"))
        bOk = false;

    // The send job: the outbox through Postfix, to the same user.
    ClearMaildir(kUser);
    std::string body = Body(nKiloBytes);
    CSmtpSession composer;
    composer.SetAccountName("bench");
    composer.SetFrom(FormatString("cvmtest%d@cvm.test", kUser));
    composer.SetTo(FormatString("cvmtest%d@cvm.test", kUser));
    composer.AddBodyText(body.c_str());
    CString file = work + "\\out.eml";
    for (int i = 0; i < nCount; i++) {
        composer.SetSubject(FormatString("send bench %d", i));
        composer.SetMessageId("");
        composer.BuildMessage(file);
        app.GetDefaultFolder(5)->AddNewMailData(file, "2024/05/01 10:00:00 +0900", TRUE);
    }
    DeleteFileA(file);
    QueryPerformanceCounter(&t0);
    host.SendOutbox();
    RunMainThread(app, host, true);
    double sent = Seconds(t0);
    int nLeft = app.GetDefaultFolder(5)->GetMailList()->GetMailCount();
    // Delivery behind Postfix's queue is not part of the client's time.
    if (nLeft != 0) {
        printf("send_job: failed, %d mails left in the outbox\n", nLeft);
        bOk = false;
    } else {
        printf("send_job_mails: %.1f mails/s\n", nCount / sent);
        printf("send_job_time: %.2f s\n", sent);
    }
    for (int i = 0; i < 600 && CountFiles(Maildir(kUser) + "\\new") < nCount; i++)
        Sleep(100);
    printf("send_job_delivered: %d mails\n", CountFiles(Maildir(kUser) + "\\new"));
    ClearMaildir(kUser);
    return bOk;
}

} // namespace

int main(int argc, char** argv)
{
    int nCount = argc > 1 ? atoi(argv[1]) : 1000;
    int nKiloBytes = argc > 2 ? atoi(argv[2]) : 20;
    bool bReceiveOnly = argc > 3 && strcmp(argv[3], "receive") == 0;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    CString work = CString(temp) + FormatString("CvmTransferBench%lu", GetCurrentProcessId());
    RemoveTree(work);
    CreateDirectoryA(work, nullptr);
    int nResult = 0;
    {
        TransferBenchApp app(work);
        BenchHost host;
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

        if (!host.HasProgress())
            printf("message: no progress window (no display?)\n");

        // The whole receive job.
        Deliver(kUser, nCount, nKiloBytes);
        LARGE_INTEGER t0;
        QueryPerformanceCounter(&t0);
        host.ReceiveAccount(0, false, true);
        RunMainThread(app, host, false);
        double seconds = Seconds(t0);
        int nFiled = app.GetDefaultFolder(1)->GetMailList()->GetMailCount();
        if (nFiled != nCount) {
            printf("receive_job: failed, %d of %d mails filed\n", nFiled, nCount);
            nResult = 1;
        } else {
            printf("receive_job_mails: %.1f mails/s\n", nCount / seconds);
            printf("receive_job_time: %.2f s\n", seconds);
        }

        // The POP3 session alone, same mails.
        Deliver(kUser, nCount, nKiloBytes);
        CString sessionWork = work + "\\Session";
        CreateDirectoryA(sessionWork, nullptr);
        if (!SessionAlone(nCount, sessionWork, nullptr, "receive_session_alone"))
            nResult = 1;
        if (!bReceiveOnly && !FilingAndSend(app, host, nCount, nKiloBytes, work, sessionWork))
            nResult = 1;
        ClearMaildir(kUser);
    }
    RemoveTree(work);
    WSACleanup();
    return nResult;
}
