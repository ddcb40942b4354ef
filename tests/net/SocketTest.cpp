// The line reader over fake servers, and the TLS socket against the private
// Dovecot: trusted, untrusted, expired and wrongly named certificates, and a
// relay that splits every TLS record.
#include "NetTestSupport.h"
#include "support/TestSupport.h"

#include "net/CommLog.h"
#include "net/LineSocket.h"
#include "net/NetMessages.h"
#include "net/TlsSocket.h"

#include <gtest/gtest.h>

using namespace NetTest;

namespace {

std::vector<std::string> ReadAllLines(const std::string& stream, int nSize)
{
    FakeServer server([&](SOCKET s) { SendAll(s, stream); });
    CLineSocket socket;
    socket.SetTimeOut(2);
    EXPECT_TRUE(socket.Create());
    EXPECT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    std::vector<std::string> lines;
    std::vector<char> buffer(nSize + 2);
    for (;;) {
        int n = socket.ReadLine(buffer.data(), nSize);
        if (n < 0)
            break;
        EXPECT_EQ(n, static_cast<int>(strlen(buffer.data())));
        lines.emplace_back(buffer.data(), n);
    }
    return lines;
}

std::string g_log;
void CaptureLog(const char* pszText)
{
    g_log += pszText;
}

} // namespace

TEST(LineSocket, NormalisesEveryLineEndConvention)
{
    struct Case
    {
        const char* name;
        std::string stream;
        int nSize;
        std::vector<std::string> lines;
    };
    const std::string longLine(12000, 'x');
    const std::string edge(16, 'y');  // exactly the buffer size, then the line end
    const Case cases[] = {
        {"CR LF", "+OK a\r\nb\r\n\r\nc\r\n", 64, {"+OK a\r\n", "b\r\n", "\r\n", "c\r\n"}},
        {"LF alone", "+OK a\nb\n\nc\n", 64, {"+OK a\r\n", "b\r\n", "\r\n", "c\r\n"}},
        {"CR alone", "+OK a\rb\r\rc\r", 64, {"+OK a\r\n", "b\r\n", "\r\n", "c\r\n"}},
        {"NUL bytes", std::string("a\0b\r\n\0c\r\n", 9), 64, {"ab\r\n", "c\r\n"}},
        {"long line", "s\r\n" + longLine + "\r\nend\r\n", 5120,
         {"s\r\n", longLine.substr(0, 5120), longLine.substr(5120, 5120), longLine.substr(10240) + "\r\n", "end\r\n"}},
        {"line of exactly the buffer size", "s\r\n" + edge + "\r\nnext\r\n", 16, {"s\r\n", edge, "\r\n", "next\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadAllLines(c.stream, c.nSize), c.lines);
    }
}

TEST(LineSocket, PasswordCommandIsLoggedOnlyAsItsLogText)
{
    FakeServer server([](SOCKET s) {
        std::string line;
        RecvLine(s, line);
    });
    g_log.clear();
    CommLogWriter previous = SetCommLogWriter(CaptureLog);
    CLineSocket socket;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(socket.Send("PASS secret\r\n", 13, "PASS *********\r\n"), 13);
    SetCommLogWriter(previous);
    EXPECT_EQ(g_log.find("secret"), std::string::npos);
    EXPECT_NE(g_log.find("PASS *********"), std::string::npos);
}

TEST(LineSocket, UnknownHostFailsWithoutLogging)
{
    g_log.clear();
    CommLogWriter previous = SetCommLogWriter(CaptureLog);
    CLineSocket socket;
    ASSERT_TRUE(socket.Create());
    EXPECT_FALSE(socket.Connect("no-such-host.invalid", 110));
    EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
    SetCommLogWriter(previous);
    EXPECT_TRUE(g_log.empty());
}

TEST(LineSocket, SilentServerTimesOutAndReportsToTheThread)
{
    FakeServer server([](SOCKET s) {
        std::string ignored;
        RecvLine(s, ignored);  // holds the connection until the client gives up
    });
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    CLineSocket socket;
    socket.SetTimeOut(1);  // three seconds
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    char buffer[64];
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(socket.ReadLine(buffer, 60), -1);
    DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 2500u);
    EXPECT_LT(dwElapsed, 15000u);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, CVM_MSG_TRANSFER_ERROR, CVM_MSG_TRANSFER_ERROR, PM_REMOVE));
    socket.Close();
}

class TlsSocketTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(DovecotAvailable(), "Dovecot");
    }
};

TEST_F(TlsSocketTest, TalksToATrustedServerFromTheFirstByte)
{
    CTlsSocket socket;
    socket.SetTimeOut(5);
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(kHost, 995)) << socket.GetErrorText().GetString();
    CString greeting = socket.ReadText();
    EXPECT_EQ(greeting.Left(3), "+OK");
    EXPECT_EQ(socket.Send("QUIT\r\n", 6), 6);
    EXPECT_EQ(socket.ReadText().Left(3), "+OK");
    socket.Shutdown();
}

TEST_F(TlsSocketTest, RefusesCertificatesThatDoNotFitTheHost)
{
    struct Case
    {
        const char* host;
        const char* reason;
    } const cases[] = {
        {kUntrustedHost, "信頼されていない認証局"},
        {kExpiredHost, "有効期限"},
        {kWrongNameHost, "サーバ名[wrongname.cvm.test]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        CTlsSocket socket;
        socket.SetTimeOut(5);
        ASSERT_TRUE(socket.Create());
        EXPECT_FALSE(socket.Connect(c.host, 995));
        EXPECT_NE(socket.GetErrorText().Find(c.reason), -1) << socket.GetErrorText().GetString();
        EXPECT_FALSE(socket.IsOpen());
    }
}

TEST_F(TlsSocketTest, HandshakeAndRecordsSplitIntoSingleBytes)
{
    ByteRelay relay(0, 995);
    CTlsSocket socket;
    socket.SetTimeOut(10);
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(kHost, relay.Port())) << socket.GetErrorText().GetString();
    CString text;
    while (text.Find("\r\n") < 0) {
        CString piece = socket.ReadText();
        ASSERT_FALSE(piece.IsEmpty());
        text += piece;
    }
    EXPECT_EQ(text.Left(3), "+OK");
    ASSERT_EQ(socket.Send("CAPA\r\n", 6), 6);
    text.Empty();
    while (text.Find("\r\n.\r\n") < 0) {
        CString piece = socket.ReadText();
        ASSERT_FALSE(piece.IsEmpty());
        text += piece;
    }
    EXPECT_NE(text.Find("UIDL"), -1);
    socket.Shutdown();
}

TEST_F(TlsSocketTest, FailedSendIsReportedAndLaterReadsEnd)
{
    ByteRelay relay(0, 995, false);
    CTlsSocket socket;
    socket.SetTimeOut(2);
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(kHost, relay.Port())) << socket.GetErrorText().GetString();
    EXPECT_EQ(socket.ReadText().Left(3), "+OK");
    relay.Reset();
    Sleep(200);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    int nSent = 0;
    for (int i = 0; i < 3 && nSent >= 0; i++)
        nSent = socket.Send("NOOP\r\n", 6);
    EXPECT_LT(nSent, 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, CVM_MSG_TRANSFER_ERROR, CVM_MSG_TRANSFER_ERROR, PM_REMOVE));
    DWORD dwStart = GetTickCount();
    EXPECT_TRUE(socket.ReadText().IsEmpty());
    EXPECT_TRUE(socket.HasReadError() || socket.IsClosed());
    EXPECT_LT(GetTickCount() - dwStart, 10000u);
}

TEST(LineSocket, ConnectionLostInALineLeavesATerminatedText)
{
    // A long line, then a short one that the server breaks off: what the
    // buffer holds afterwards is the broken line alone, never the rest of
    // the line before it.
    FakeServer server([](SOCKET s) { SendAll(s, "+OK " + std::string(3000, 'A') + "\r\n+OK BB"); });
    CLineSocket socket;
    socket.SetTimeOut(2);
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    std::vector<char> buffer(5120 + 2);
    ASSERT_EQ(socket.ReadLine(buffer.data(), 5120), 3006);
    EXPECT_EQ(socket.ReadLine(buffer.data(), 5120), -1);
    EXPECT_STREQ(buffer.data(), "+OK BB");

    // CR CR LF is the server's odd line end; a connection lost right after
    // the second CR is the class layer's socket exception, not a bare int.
    FakeServer crcr([](SOCKET s) { SendAll(s, "one\r\ntwo\r\r"); });
    CLineSocket other;
    other.SetTimeOut(2);
    ASSERT_TRUE(other.Create());
    ASSERT_TRUE(other.Connect("127.0.0.1", crcr.Port()));
    ASSERT_EQ(other.ReadLine(buffer.data(), 64), 5);
    ASSERT_EQ(other.ReadLine(buffer.data(), 64), 5);
    EXPECT_THROW(other.ReadLine(buffer.data(), 64), CSocketException);
}
