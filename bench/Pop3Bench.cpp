// Receives 1,000 mails of 20 KB from the private Dovecot, plain and over
// TLS, and prints mails/s and MB/s of each. Each mail is held in memory as
// a real pass holds it; filing into a folder is left out so that the
// figures show the connection and the line reader. A third pass files every
// mail into an inbox and deletes it from the server, as an ordinary receive
// does: its figures include the store and the flush of what it filed before
// the deletions (the flushes are counted).
//   Pop3Bench [count] [kilobytes]
//   Pop3Bench ids [count]   only the received-id list of an account that
//                           leaves its mail on the server: settling it at
//                           the start of a pass and copying it for the pass
//                           (no server needed)
#include <winsock2.h>
#include <windows.h>

#include "bench/BenchSupport.h"
#include "net/NetMessages.h"
#include "net/ReceivedIdList.h"
#include "net/Pop3Session.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/StoreWrite.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

class CBenchSession : public CPop3Session
{
public:
    long long bytes = 0;

protected:
    bool FileReceivedMail(std::string& mail, const CString&, bool& bKeepOnServer) override
    {
        bKeepOnServer = false;
        bytes += static_cast<long long>(mail.size());
        return true;
    }
};

// Files into a real folder store.
class CFilingBenchSession : public CPop3Session
{
public:
    long long bytes = 0;

protected:
    bool FileReceivedMail(std::string& mail, const CString& strName, bool& bKeepOnServer) override
    {
        bytes += static_cast<long long>(mail.size());
        return CPop3Session::FileReceivedMail(mail, strName, bKeepOnServer);
    }
};

int g_nFlushes = 0;
void CountFlush(const char*)
{
    g_nFlushes++;
}

// The Maildir of the benchmark's user, as a Windows path.
CString MaildirPath()
{
    const char* pszDir = getenv("CVM_DOVECOT_DIR");
    CString dir = CString("Z:") + (pszDir && *pszDir ? pszDir : "/tmp/cvm-dovecot") + "/home/cvmtest10/Maildir";
    dir.Replace('/', '\\');
    return dir;
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

void Deliver(const CString& maildir, int nCount, int nKiloBytes)
{
    ClearFolder(maildir);
    ClearFolder(maildir + "\\new");
    ClearFolder(maildir + "\\cur");
    ClearFolder(maildir + "\\tmp");
    std::string body;
    while (body.size() < static_cast<size_t>(nKiloBytes) * 1024)
        body += "The quick brown fox jumps over the lazy dog 0123456789 abcdefghijklmnopqrstuv\r\n";
    for (int i = 0; i < nCount; i++) {
        std::string mail = "From: bench@example.jp\r\nSubject: bench " + std::to_string(i) + "\r\nMessage-ID: <" +
                           std::to_string(i) + "@bench>\r\n\r\n" + body;
        CString path = maildir + FormatString("\\new\\%d.M%dP%lu.bench", i, i, GetCurrentProcessId());
        HANDLE hFile = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written;
        WriteFile(hFile, mail.data(), static_cast<DWORD>(mail.size()), &written, nullptr);
        CloseHandle(hFile);
    }
}

bool RunPass(CPop3Session& session)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    session.SetOwnerThreadId(GetCurrentThreadId());
    if (!session.Start(nullptr, nullptr))
        return false;
    for (;;) {
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
            return false;
        if (msg.message == CVM_MSG_SESSION_STEP) {
            if (!session.RunSteps())
                session.Cancel();
        } else if (msg.message == CVM_MSG_TRANSFER_ERROR) {
            session.Cancel();
        } else if (msg.message == CVM_MSG_SESSION_FINISHED) {
            return msg.wParam == 0;
        }
    }
}

} // namespace

// A list file of n ids as a pass leaves it: every tenth id noted before its
// filing and confirmed by a line after it, and the list read back, settled
// and copied.
int IdListCommand(int n)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    CString path = CString(temp) + FormatString("CvmIdBench%lu.dat", GetCurrentProcessId());
    std::string text, confirmations;
    for (int i = 0; i < n; i++) {
        std::string id = "UID" + std::to_string(1000000 + i) + "-" + std::to_string(i * 7919 % 100003);
        if (i % 10 == 0) {
            text += id + "\t" + std::to_string(i + 1) + "\t1700000000\t1\tQM" + std::to_string(i) + "\r\n";
            confirmations += id + "\t" + std::to_string(i + 1) + "\t1700000001\r\n";
        } else {
            text += id + "\t" + std::to_string(i + 1) + "\t1700000000\r\n";
        }
    }
    {
        CFile f(path, CFile::modeCreate | CFile::modeWrite);
        text += confirmations;
        f.Write(text.data(), static_cast<UINT>(text.size()));
    }
    CReceivedIdList list;
    list.SetFilePath(path);
    list.ReadFromFile(TRUE);
    auto t = std::chrono::steady_clock::now();
    list.ResolvePending([](int, const CString&) { return true; });
    printf("id_list_settle_%d: %.3f s\n", n, Seconds(t));
    CReceivedIdList pass;
    pass.Reset();
    t = std::chrono::steady_clock::now();
    pass.CopyFrom(list);
    printf("id_list_copy_%d: %.3f s\n", n, Seconds(t));
    printf("id_list_live: %d ids\n", pass.GetLiveCount());
    DeleteFileA(path);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "ids") == 0)
        return IdListCommand(argc > 2 ? atoi(argv[2]) : 20000);
    int nCount = argc > 1 ? atoi(argv[1]) : 1000;
    int nKiloBytes = argc > 2 ? atoi(argv[2]) : 20;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    CString maildir = MaildirPath();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    CString work = CString(temp) + FormatString("CvmPop3Bench%lu", GetCurrentProcessId());
    CreateDirectoryA(work, nullptr);
    int nResult = 0;
    for (int nMode = 0; nMode < 2; nMode++) {
        Deliver(maildir, nCount, nKiloBytes);
        CBenchSession session;
        session.SetInboxPath(work);
        session.SetServer("mail.cvm.test", nMode ? 995 : 110);
        session.SetTls(nMode != 0);
        session.SetUser("cvmtest10", "pass10");
        session.SetAccountName("bench");
        session.SetTimeOut(20);
        LARGE_INTEGER freq, t0, t1;
        QueryPerformanceFrequency(&freq);
        QueryPerformanceCounter(&t0);
        bool bOk = RunPass(session);
        QueryPerformanceCounter(&t1);
        double seconds = static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
        const char* pszMode = nMode ? "tls" : "plain";
        if (!bOk || session.GetReceivedCount() != nCount) {
            printf("pop3_%s: failed after %d mails (%s)\n", pszMode, session.GetReceivedCount(),
                   session.GetErrorText().GetString());
            nResult = 1;
            continue;
        }
        printf("pop3_%s_mails: %.1f mails/s\n", pszMode, nCount / seconds);
        printf("pop3_%s_throughput: %.2f MB/s\n", pszMode, static_cast<double>(session.bytes) / seconds / 1048576.0);
    }
    {
        Deliver(maildir, nCount, nKiloBytes);
        CString inboxDir = work + "\\In.Box";
        CreateDirectoryA(inboxDir, nullptr);
        CMailFolderStore inbox;
        CFolderRecord record;
        record.m_nId = 1;
        record.m_nKind = 1;
        record.m_strName = "In.Box";
        record.m_strPath = inboxDir;
        inbox.SetFolderRecord(record);
        inbox.LoadIndex();
        CFilingBenchSession session;
        session.SetInboxPath(work);
        session.SetServer("mail.cvm.test", 110);
        session.SetUser("cvmtest10", "pass10");
        session.SetAccountName("bench");
        session.SetTimeOut(20);
        session.SetTargetStore(&inbox);
        StoreWrite::SetFlushHook(CountFlush);
        LARGE_INTEGER freq, t0, t1;
        QueryPerformanceFrequency(&freq);
        QueryPerformanceCounter(&t0);
        bool bOk = RunPass(session);
        QueryPerformanceCounter(&t1);
        StoreWrite::SetFlushHook(nullptr);
        double seconds = static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
        if (!bOk || session.GetReceivedCount() != nCount) {
            printf("pop3_filed: failed after %d mails (%s)\n", session.GetReceivedCount(),
                   session.GetErrorText().GetString());
            nResult = 1;
        } else {
            printf("pop3_filed_mails: %.1f mails/s\n", nCount / seconds);
            printf("pop3_filed_throughput: %.2f MB/s\n", static_cast<double>(session.bytes) / seconds / 1048576.0);
            printf("pop3_filed_flushes: %d files\n", g_nFlushes);
        }
        inbox.UnloadIndex();
        RemoveTree(inboxDir);
    }
    RemoveDirectoryA(work);
    WSACleanup();
    return nResult;
}
