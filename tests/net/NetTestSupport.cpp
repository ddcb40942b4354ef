#include "NetTestSupport.h"

#include "net/NetMessages.h"
#include "net/CommLog.h"
#include "net/ReceiveSession.h"
#include "store/MailFolderStore.h"
#include "store/StoreWrite.h"
#include "core/FileUtil.h"

#include "support/TestSupport.h"

#include <wincrypt.h>
#include <ws2tcpip.h>

namespace NetTest {

namespace {

struct WinsockUser
{
    WinsockUser()
    {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
    }
    ~WinsockUser() { WSACleanup(); }
} g_winsock;

// The server's folder as a Windows path (Wine shows the Unix root as Z:).
CString DovecotDir()
{
    const char* pszDir = getenv("CVM_DOVECOT_DIR");
    CString dir = CString("Z:") + (pszDir && *pszDir ? pszDir : "/tmp/cvm-dovecot");
    dir.Replace('/', '\\');
    return dir;
}

CString MaildirPath(int nUser)
{
    return DovecotDir() + FormatString("\\home\\cvmtest%d\\Maildir", nUser);
}

// A prefix made before the test CA was (re)made does not trust it yet.
void TrustTestCa()
{
    std::string der = TestSupport::ReadFileBytes(DovecotDir() + "\\pki\\ca.der");
    if (!der.empty())
        CertAddEncodedCertificateToSystemStoreA("Root", reinterpret_cast<const BYTE*>(der.data()),
                                                static_cast<DWORD>(der.size()));
}

int CountFilesIn(const CString& folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(folder + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            n++;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

SOCKET ListenOn(const char* pszAddress, int nPort, int& nBoundPort)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    BOOL bReuse = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&bReuse), sizeof(bReuse));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = inet_addr(pszAddress);
    addr.sin_port = htons(static_cast<u_short>(nPort));
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || listen(s, 8) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    int len = sizeof(addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    nBoundPort = ntohs(addr.sin_port);
    return s;
}

// Waits for a connection, looking at the stop flag now and then.
SOCKET AcceptOne(SOCKET listener, std::atomic<bool>& stop)
{
    while (!stop) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listener, &set);
        timeval tv{0, 100000};
        int r = select(0, &set, nullptr, nullptr, &tv);
        if (r < 0)
            return INVALID_SOCKET;
        if (r > 0)
            return accept(listener, nullptr, nullptr);
    }
    return INVALID_SOCKET;
}

} // namespace

void DeleteFilesIn(const CString& folder)
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

void SetUpInbox(CMailFolderStore& inbox, const CString& folder)
{
    CreateDirectoryA(folder, nullptr);
    CFolderRecord record;
    record.m_nId = 1;
    record.m_nKind = 1;
    record.m_strName = "受信箱";
    record.m_strPath = folder;
    inbox.SetFolderRecord(record);
}

CString UserName(int nUser)
{
    return FormatString("cvmtest%d", nUser);
}

CString Password(int nUser)
{
    return FormatString("pass%d", nUser);
}

CString ClearMaildir(int nUser)
{
    CString dir = MaildirPath(nUser);
    DeleteFilesIn(dir);
    DeleteFilesIn(dir + "\\new");
    DeleteFilesIn(dir + "\\cur");
    DeleteFilesIn(dir + "\\tmp");
    return dir;
}

void DeliverMail(int nUser, const std::string& mail)
{
    static std::atomic<int> counter{0};
    CString name = FormatString("%lu.M%dP%lu.cvmtest", static_cast<unsigned long>(time(nullptr)), counter++,
                                GetCurrentProcessId());
    CString path = MaildirPath(nUser) + "\\new\\" + name;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(h, mail.data(), static_cast<DWORD>(mail.size()), &written, nullptr);
    CloseHandle(h);
}

int CountServerMails(int nUser)
{
    CString dir = MaildirPath(nUser);
    return CountFilesIn(dir + "\\new") + CountFilesIn(dir + "\\cur");
}

bool DovecotAvailable()
{
    static int s_available = -1;
    if (s_available < 0) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = inet_addr(kDovecotAddress);
        addr.sin_port = htons(110);
        s_available = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 ? 1 : 0;
        closesocket(s);
        if (s_available)
            TrustTestCa();
    }
    return s_available == 1;
}

bool SendAll(SOCKET s, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        int n = send(s, data.data() + done, static_cast<int>(data.size() - done), 0);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool RecvLine(SOCKET s, std::string& line)
{
    line.clear();
    char ch;
    for (;;) {
        int n = recv(s, &ch, 1, 0);
        if (n <= 0)
            return false;
        line += ch;
        if (ch == '\n')
            return true;
    }
}

FakeServer::FakeServer(Script script, int nConnections)
{
    m_listen = ListenOn("127.0.0.1", 0, m_nPort);
    m_thread = std::thread([this, script, nConnections] {
        for (int i = 0; i < nConnections && !m_stop; i++) {
            SOCKET client = AcceptOne(m_listen, m_stop);
            if (client == INVALID_SOCKET)
                break;
            script(client);
            closesocket(client);
        }
    });
}

FakeServer::~FakeServer()
{
    m_stop = true;
    closesocket(m_listen);
    if (m_thread.joinable())
        m_thread.join();
}

ByteRelay::ByteRelay(int nListenPort, int nTargetPort, bool bByteByByte)
    : m_nTargetPort(nTargetPort), m_bByteByByte(bByteByByte)
{
    m_listen = ListenOn(kDovecotAddress, nListenPort, m_nPort);
    m_thread = std::thread([this] {
        while (!m_stop) {
            SOCKET client = AcceptOne(m_listen, m_stop);
            if (client == INVALID_SOCKET)
                break;
            Serve(client);
        }
    });
}

ByteRelay::~ByteRelay()
{
    m_stop = true;
    closesocket(m_listen);
    if (m_thread.joinable())
        m_thread.join();
    for (auto& t : m_pipes)
        if (t.joinable())
            t.join();
}

void ByteRelay::Reset()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_reset = true;
    for (SOCKET client : m_clients) {
        linger hard{1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof(hard));
        closesocket(client);
    }
    m_clients.clear();
}

void ByteRelay::Serve(SOCKET client)
{
    SOCKET server = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = inet_addr(kDovecotAddress);
    addr.sin_port = htons(static_cast<u_short>(m_nTargetPort));
    if (connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        closesocket(server);
        closesocket(client);
        return;
    }
    BOOL bNoDelay = TRUE;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay), sizeof(bNoDelay));
    setsockopt(server, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay), sizeof(bNoDelay));
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_clients.push_back(client);
    }
    bool bByteByByte = m_bByteByByte;
    auto pipe = [bByteByByte](SOCKET from, SOCKET to) {
        char buffer[4096];
        for (;;) {
            int n = recv(from, buffer, sizeof(buffer), 0);
            if (n <= 0)
                break;
            if (!bByteByByte) {
                if (!SendAll(to, std::string(buffer, n)))
                    return;
                continue;
            }
            for (int i = 0; i < n; i++) {
                if (send(to, buffer + i, 1, 0) != 1)
                    return;
                // Give the reader a chance to take each byte on its own.
                Sleep(i % 4 == 0 ? 1 : 0);
            }
        }
        shutdown(to, SD_SEND);
    };
    m_pipes.emplace_back([=] {
        std::thread back(pipe, server, client);
        pipe(client, server);
        back.join();
        closesocket(server);
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_reset)
            closesocket(client);
    });
}

PassResult RunPass(CReceiveSession& session, DWORD dwTimeoutMs, std::vector<CReceiveSelection>* pSelection,
                   const std::function<bool()>& stopBefore)
{
    PassResult result;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    session.SetOwnerThreadId(GetCurrentThreadId());
    // This thread plays the main thread too.
    session.SetMainThreadId(GetCurrentThreadId());
    result.bStarted = session.Start(nullptr, pSelection);
    if (!result.bStarted)
        session.Cancel();
    DWORD dwStart = GetTickCount();
    while (!result.bFinished) {
        DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwElapsed >= dwTimeoutMs)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, dwTimeoutMs - dwElapsed, QS_ALLPOSTMESSAGE);
        while (!result.bFinished && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            switch (msg.message) {
            case CVM_MSG_SESSION_STEP:
                if (stopBefore && stopBefore()) {
                    // The program is gone: no further step, no log-out.
                    result.bKilled = true;
                    return result;
                }
                if (!session.Run())
                    session.Cancel();
                break;
            case CVM_MSG_TRANSFER_ERROR:
                result.errors.emplace_back(static_cast<int>(msg.wParam), static_cast<UINT>(msg.lParam));
                // As the session thread does: a session that ends itself
                // after a filing error is let finish.
                if (!session.IsEndingAfterError())
                    session.Cancel();
                break;
            case CVM_MSG_RECEIVE_END:
                result.nNewMails = static_cast<int>(msg.wParam);
                break;
            case CVM_MSG_SESSION_FINISHED:
                result.bFinished = true;
                result.nFinishResult = static_cast<int>(msg.wParam);
                result.nFinishMessage = static_cast<UINT>(msg.lParam);
                break;
            default:
                break;
            }
        }
    }
    if (!result.bFinished)
        session.Cancel();
    return result;
}

namespace {

std::mutex g_eventLock;
std::vector<std::string> g_events;
StoreWrite::WriteHook g_previousWrite;
StoreWrite::FlushHook g_previousFlush;
CommLogWriter g_previousLog;

void AddEvent(const std::string& event)
{
    std::lock_guard<std::mutex> lock(g_eventLock);
    g_events.push_back(event);
}

void RecordWrite(CFile& file, const void* pData, UINT nCount)
{
    AddEvent("write " + file.GetFileName().Str());
    file.Write(pData, nCount);
}

void RecordFlush(const char* pszPath)
{
    AddEvent("flush " + GetFileNameFromPath(pszPath).Str());
}

void RecordLog(const char* pszText)
{
    if (strncmp(pszText, "DELE ", 5) == 0)
        AddEvent("log DELE");
    else if (pszText[0] == 'A' && strstr(pszText, " STORE ") && strstr(pszText, "\\Deleted"))
        AddEvent("log STORE \\Deleted");
}

} // namespace

StoreEventRecorder::StoreEventRecorder()
{
    {
        std::lock_guard<std::mutex> lock(g_eventLock);
        g_events.clear();
    }
    g_previousWrite = StoreWrite::SetHook(RecordWrite);
    g_previousFlush = StoreWrite::SetFlushHook(RecordFlush);
    g_previousLog = SetCommLogWriter(RecordLog);
}

StoreEventRecorder::~StoreEventRecorder()
{
    StoreWrite::SetHook(g_previousWrite);
    StoreWrite::SetFlushHook(g_previousFlush);
    SetCommLogWriter(g_previousLog);
}

std::vector<std::string> StoreEventRecorder::Events() const
{
    std::lock_guard<std::mutex> lock(g_eventLock);
    return g_events;
}

} // namespace NetTest

namespace {

std::atomic<int> g_nDataWrites{0};
int g_nFullAt = 0;
StoreWrite::WriteHook g_beforeFull;

// From the n-th append to a data file on, the disk is full: the write stops
// half done.
void DiskFullWrite(CFile& file, const void* pData, UINT nCount)
{
    CString path = file.GetFilePath();
    if (path.Right(12).CompareNoCase("MailData.Qmd") == 0 && ++g_nDataWrites >= g_nFullAt) {
        file.Write(pData, nCount / 2);
        throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, path);
    }
    file.Write(pData, nCount);
}

} // namespace

namespace NetTest {

DiskFullAt::DiskFullAt(int nDataWrite)
{
    g_nDataWrites = 0;
    g_nFullAt = nDataWrite;
    g_beforeFull = StoreWrite::SetHook(DiskFullWrite);
}

DiskFullAt::~DiskFullAt()
{
    StoreWrite::SetHook(g_beforeFull);
}

} // namespace NetTest
