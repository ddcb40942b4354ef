#include "SmtpTestSupport.h"

#include "message/Base64.h"
#include "net/NetMessages.h"
#include "net/NetTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <winsock2.h>

namespace SmtpTest {

namespace {

CString EnvironmentPath(const char* pszName)
{
    char buf[1024];
    DWORD n = GetEnvironmentVariableA(pszName, buf, sizeof(buf));
    if (n == 0 || n >= sizeof(buf))
        return CString();
    CString path(buf);
    if (!path.IsEmpty() && path[0] == '/') {
        path.Replace('/', '\\');
        path = "Z:" + path;
    }
    return path;
}

bool ReadControlLine(SOCKET s, std::string& buffered, std::string& line)
{
    for (;;) {
        size_t lf = buffered.find('\n');
        if (lf != std::string::npos) {
            line = buffered.substr(0, lf);
            buffered.erase(0, lf + 1);
            return true;
        }
        char chunk[4096];
        int n = recv(s, chunk, sizeof(chunk), 0);
        if (n <= 0)
            return false;
        buffered.append(chunk, static_cast<size_t>(n));
    }
}

SOCKET ConnectTo(const char* pszHost, int nPort, DWORD dwTimeOutMs)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return s;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&dwTimeOutMs), sizeof(dwTimeOutMs));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(nPort));
    addr.sin_addr.s_addr = inet_addr(pszHost);
    if (addr.sin_addr.s_addr == INADDR_NONE) {
        hostent* pHost = gethostbyname(pszHost);
        if (!pHost) {
            closesocket(s);
            return INVALID_SOCKET;
        }
        memcpy(&addr.sin_addr, pHost->h_addr_list[0], sizeof(addr.sin_addr));
    }
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

} // namespace

SessionResult DriveSession(CSmtpSession& session, void (*pfnEachStep)(CSmtpSession&, int))
{
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    session.SetOwnerThreadId(GetCurrentThreadId());
    SessionResult result;
    result.bResult = session.Start();
    bool bRunning = result.bResult;
    while (bRunning && result.nSteps < 1000) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            break;
        if (msg.message == CVM_MSG_SMTP_END) {
            result.nEnd = static_cast<int>(msg.wParam);
            break;
        }
        if (msg.message != CVM_MSG_SESSION_STEP)
            continue;
        ++result.nSteps;
        if (pfnEachStep)
            pfnEachStep(session, result.nSteps);
        result.bResult = session.Run(result.nSteps);
        bRunning = result.bResult;
    }
    // A failed session may still have said how it ended.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == CVM_MSG_SMTP_END)
            result.nEnd = static_cast<int>(msg.wParam);
    }
    return result;
}

FakeSmtpServer::~FakeSmtpServer()
{
    if (m_control != INVALID_SOCKET)
        closesocket(m_control);
}

int FakeSmtpServer::Start(const FakeSmtpScript& script)
{
    std::string portText = TestSupport::ReadFileBytes(EnvironmentPath("CVM_FAKE_SMTP"));
    int nControlPort = atoi(portText.c_str());
    if (nControlPort <= 0)
        return 0;
    m_control = ConnectTo("127.0.0.1", nControlPort, 90000);
    if (m_control == INVALID_SOCKET)
        return 0;
    std::string text;
    for (const std::string& step : script.Steps())
        text += step + "\n";
    text += "END\n";
    std::string line;
    if (!NetTest::SendAll(m_control, text) || !ReadControlLine(m_control, m_buffered, line) || line.compare(0, 5, "PORT ") != 0)
        return 0;
    return atoi(line.c_str() + 5);
}

std::string FakeSmtpServer::Transcript()
{
    std::string line;
    if (m_control == INVALID_SOCKET || !ReadControlLine(m_control, m_buffered, line) ||
        line.compare(0, 11, "TRANSCRIPT ") != 0)
        return std::string();
    size_t n = static_cast<size_t>(atol(line.c_str() + 11));
    while (m_buffered.size() < n) {
        char chunk[4096];
        int got = recv(m_control, chunk, sizeof(chunk), 0);
        if (got <= 0)
            break;
        m_buffered.append(chunk, static_cast<size_t>(got));
    }
    std::string data = m_buffered.substr(0, n);
    m_buffered.erase(0, n);
    return data;
}

std::vector<std::string> FakeSmtpServer::Lines()
{
    std::string text = Transcript();
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string::npos ? text.size() : lf;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void WriteMessageFile(const char* pszPath, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    TestSupport::WriteFileBytes(pszPath, text);
}

CString ServersDir() { return EnvironmentPath("CVM_SERVERS"); }

CString MaildirNew(const char* pszUser)
{
    return ServersDir() + FormatString("\\dovecot\\home\\%s\\Maildir\\new", pszUser);
}

void ClearMaildir(const char* pszUser)
{
    for (const char* sub : {"new", "cur"})
        NetTest::DeleteFilesIn(ServersDir() + FormatString("\\dovecot\\home\\%s\\Maildir\\%s", pszUser, sub));
}

std::string WaitForDeliveredMail(const char* pszUser, const CString& messageId, int nSeconds)
{
    const std::string needle = "Message-ID: " + messageId.Str();
    for (int i = 0; i < nSeconds * 10; ++i) {
        CString folder = MaildirNew(pszUser);
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(folder + "\\*", &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                std::string mail = TestSupport::ReadFileBytes(folder + "\\" + fd.cFileName);
                if (mail.find(needle) != std::string::npos) {
                    FindClose(h);
                    return mail;
                }
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        Sleep(100);
    }
    return std::string();
}

bool ServerAnswers(const char* pszHost, int nPort)
{
    SOCKET s = ConnectTo(pszHost, nPort, 3000);
    if (s == INVALID_SOCKET)
        return false;
    closesocket(s);
    return true;
}

std::string DecodeBase64(const std::string& text) { return CBase64::DecodeToString(text.c_str(), static_cast<int>(text.size())); }

void ExpectHeaderLineFits(const std::string& line, size_t nStartColumn)
{
    size_t length = line.size() + nStartColumn;
    EXPECT_LE(length, 998u) << line.substr(0, 80);
    // Only a single word too long for a line may pass 76.
    if (line.find(' ', 1) != std::string::npos || line.find("=?") != std::string::npos) {
        EXPECT_LE(length, 76u) << line;
    }
    for (size_t w = line.find("=?"); w != std::string::npos; w = line.find("=?", w + 2)) {
        EXPECT_TRUE(w == 0 || line[w - 1] == ' ' || line[w - 1] == '"' || line[w - 1] == '(') << line;
        size_t close = line.find("?=", w + 16);
        ASSERT_NE(close, std::string::npos) << line;
        EXPECT_LE(close + 2 - w, 75u) << line;
        w = close;
    }
}

} // namespace SmtpTest
