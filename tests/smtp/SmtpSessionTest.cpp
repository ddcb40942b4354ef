// The SMTP step machine against a scripted peer: the replies and faults a
// real server does not produce on demand.
#include "SmtpTestSupport.h"

#include "message/Base64.h"
#include "net/SmtpSession.h"
#include "net/SmtpStatusSink.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace SmtpTest;

namespace {

const std::vector<std::string> kSimpleMail = {
    "X-SendAcount: main", "Subject: hello", "To: to@example.com", "From: me@example.com", "", "line one", "line two"};

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

class SmtpSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_file = m_dir.File("mail.txt");
        WriteMessageFile(m_file, kSimpleMail);
    }

    // A session for the scripted peer's port, with one message file.
    void Configure(CSmtpSession& session, int nPort)
    {
        ASSERT_NE(nPort, 0) << "the scripted SMTP peer is not running";
        session.SetServer("127.0.0.1", nPort);
        session.SetFrom("Me <me@example.com>");
        session.SetTo("to@example.com");
        session.AddMessageFile(m_file);
        session.SetTimeOut(2);
    }

    // EHLO with the given extension lines, then (optionally) AUTH.
    static FakeSmtpScript Greeting(const std::vector<std::string>& extensions)
    {
        FakeSmtpScript script;
        script.Send("220 fake ESMTP").Read();
        script.Send(extensions.empty() ? "250 fake" : "250-fake");
        for (size_t i = 0; i < extensions.size(); ++i)
            script.Send((i + 1 < extensions.size() ? "250-" : "250 ") + extensions[i]);
        return script;
    }

    static void Transaction(FakeSmtpScript& script, int nRecipients = 1)
    {
        script.Exchange("250 reset").Exchange("250 sender ok");
        for (int i = 0; i < nRecipients; ++i)
            script.Exchange("250 recipient ok");
        script.Exchange("354 go ahead").ReadData().Send("250 queued").Exchange("221 bye");
    }

    TestSupport::TempDir m_dir;
    CString m_file;
};

TEST_F(SmtpSessionTest, TheLastAuthLineChoosesTheMechanism)
{
    // A user name long enough to pass the old 128-byte limit of the answer.
    const std::string user = "a.rather.long.user.name.for.a.hosted.mail.service.that.keeps.going." +
                             std::string(60, 'u') + "@example.com";
    struct Case
    {
        const char* name;
        std::vector<std::string> extensions;
        bool bAllowCram;
        const char* mechanism;
    } const cases[] = {
        {"later line offers PLAIN only", {"AUTH LOGIN PLAIN", "AUTH=PLAIN"}, true, "PLAIN"},
        {"later line adds LOGIN", {"AUTH PLAIN", "AUTH PLAIN LOGIN"}, true, "LOGIN"},
        {"CRAM-MD5 wins when offered", {"AUTH PLAIN LOGIN CRAM-MD5", "SIZE 1000000"}, true, "CRAM-MD5"},
        {"CRAM-MD5 not permitted", {"AUTH CRAM-MD5 PLAIN LOGIN"}, false, "LOGIN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSmtpScript script = Greeting(c.extensions);
        const std::string mech = c.mechanism;
        if (mech == "PLAIN") {
            script.Exchange("334 ").Exchange("235 ok");
        } else if (mech == "LOGIN") {
            script.Exchange("334 VXNlcm5hbWU6").Exchange("334 UGFzc3dvcmQ6").Exchange("235 ok");
        } else {
            const std::string challenge = "<1896.697170952@postoffice.reston.mci.net>";
            script.Exchange("334 " + CBase64::EncodeToString(challenge.data(), challenge.size())).Exchange("235 ok");
        }
        Transaction(script);
        FakeSmtpServer server;
        CSmtpSession session;
        Configure(session, server.Start(script));
        if (mech == "CRAM-MD5")
            session.SetAuthUser("tim", "tanstaaftanstaaf");
        else
            session.SetAuthUser(user.c_str(), "p@ss word");
        session.SetAuthMethods(true, c.bAllowCram, true);

        SessionResult result = DriveSession(session);
        EXPECT_TRUE(result.bResult) << session.GetLastErrorText().GetString();
        EXPECT_EQ(result.nEnd, 1);

        std::vector<std::string> lines = server.Lines();
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[1], "AUTH " + mech);
        if (mech == "PLAIN") {
            EXPECT_EQ(DecodeBase64(lines[2]), std::string("\0", 1) + user + std::string("\0", 1) + "p@ss word");
        } else if (mech == "LOGIN") {
            EXPECT_EQ(DecodeBase64(lines[2]), user);
            EXPECT_EQ(DecodeBase64(lines[3]), "p@ss word");
        } else {
            // The example of RFC 2195.
            EXPECT_EQ(DecodeBase64(lines[2]), "tim b913a602c7eda7a495b4e6e7334d3890");
        }
    }
}

TEST_F(SmtpSessionTest, ServerWithoutAuthGetsTheMailUnauthenticated)
{
    FakeSmtpScript script;
    script.Send("220 auth.example.com ESMTP").Read();
    script.Send("250-auth.example.com greets you").Send("250-SIZE 1000000").Send("250 8BITMIME");
    Transaction(script);
    FakeSmtpServer server;
    CSmtpSession session;
    Configure(session, server.Start(script));
    session.SetAuthUser("user", "secret");

    SessionResult result = DriveSession(session);
    EXPECT_TRUE(result.bResult) << session.GetLastErrorText().GetString();
    EXPECT_EQ(result.nEnd, 1);
    std::vector<std::string> lines = server.Lines();
    EXPECT_FALSE(AnyStartsWith(lines, "AUTH"));
    EXPECT_TRUE(Contains(lines, "MAIL FROM:<me@example.com>"));
    EXPECT_TRUE(Contains(lines, "RCPT TO:<to@example.com>"));
}

TEST_F(SmtpSessionTest, RefusedAuthSendsNoCredentials)
{
    FakeSmtpScript script = Greeting({"AUTH PLAIN"});
    script.Exchange("504 5.5.4 mechanism not available").Exchange("221 bye");
    FakeSmtpServer server;
    CSmtpSession session;
    Configure(session, server.Start(script));
    session.SetAuthUser("user", "secret");

    SessionResult result = DriveSession(session);
    EXPECT_FALSE(result.bResult);
    EXPECT_NE(result.nEnd, 1);
    EXPECT_EQ(session.GetLastErrorText().Find("SMTP Error Code [504]"), 0) << session.GetLastErrorText().GetString();
    std::vector<std::string> lines = server.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "AUTH PLAIN");
    EXPECT_EQ(lines[2], "QUIT");
}

TEST_F(SmtpSessionTest, Reply421EndsTheSessionInEveryState)
{
    // The replies of a whole session after the greeting; the 421 takes the
    // place of one of them.
    const std::vector<std::vector<std::string>> replies = {
        {"250-fake", "250 AUTH PLAIN"}, {"334 "}, {"235 ok"}, {"250 reset"},
        {"250 sender ok"}, {"250 recipient ok"}, {"354 go"}, {"250 queued"}};
    const char* const names[] = {"EHLO", "AUTH", "password", "RSET", "MAIL FROM", "RCPT", "DATA", "end of data"};
    for (int k = -1; k < static_cast<int>(replies.size()); ++k) {
        SCOPED_TRACE(k < 0 ? "greeting" : names[k]);
        FakeSmtpScript script;
        if (k < 0) {
            script.Send("421 fake.example closing");
        } else {
            script.Send("220 fake");
            for (int i = 0; i <= k; ++i) {
                if (i == 7)
                    script.ReadData();
                else
                    script.Read();
                if (i == k) {
                    script.Send("421 4.3.2 shutting down");
                    break;
                }
                for (const std::string& line : replies[static_cast<size_t>(i)])
                    script.Send(line);
            }
        }
        script.Close();
        FakeSmtpServer server;
        CSmtpSession session;
        Configure(session, server.Start(script));
        session.SetAuthUser("user", "secret");

        SessionResult result = DriveSession(session);
        EXPECT_FALSE(result.bResult);
        EXPECT_NE(result.nEnd, 1);
        EXPECT_EQ(session.GetLastErrorText().Find("SMTP Error Code [421]"), 0) << session.GetLastErrorText().GetString();
        server.Transcript();
    }
}

TEST_F(SmtpSessionTest, RefusedRecipientStopsBeforeData)
{
    FakeSmtpScript script = Greeting({});
    script.Exchange("250 reset").Exchange("250 sender ok").Exchange("250 ok").Exchange("550 5.1.1 no such user");
    script.Exchange("221 bye");
    FakeSmtpServer server;
    CSmtpSession session;
    Configure(session, server.Start(script));
    session.SetCc("nobody@example.com");

    SessionResult result = DriveSession(session);
    EXPECT_FALSE(result.bResult);
    EXPECT_NE(result.nEnd, 1);
    EXPECT_EQ(session.GetLastErrorText().Find("SMTP Error Code [550]"), 0);
    EXPECT_GE(session.GetLastErrorText().Find("送信先のアドレスが見つかりませんでした。"), 0);
    std::vector<std::string> lines = server.Lines();
    EXPECT_TRUE(Contains(lines, "RCPT TO:<nobody@example.com>"));
    EXPECT_FALSE(Contains(lines, "DATA"));
    EXPECT_EQ(lines.back(), "QUIT");
}

TEST_F(SmtpSessionTest, SilentServerFailsAfterTheTimeOut)
{
    struct Case
    {
        const char* name;
        bool bAfterData;
    } const cases[] = {{"no greeting", false}, {"no reply to the end of data", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSmtpScript script;
        if (c.bAfterData) {
            script = Greeting({});
            script.Exchange("250 reset").Exchange("250 ok").Exchange("250 ok").Exchange("354 go").ReadData();
        }
        script.Silence(5);
        FakeSmtpServer server;
        CSmtpSession session;
        Configure(session, server.Start(script));
        session.SetTimeOut(1);  // three seconds

        DWORD start = GetTickCount();
        SessionResult result = DriveSession(session);
        EXPECT_FALSE(result.bResult);
        EXPECT_NE(result.nEnd, 1);
        EXPECT_LT(GetTickCount() - start, 7000u);
        EXPECT_EQ(session.GetLastErrorText().Find("ReadLine Error"), 0) << session.GetLastErrorText().GetString();
        server.Transcript();
    }
}

TEST_F(SmtpSessionTest, MessageLinesGoOutAsTheReceiverMustSeeThem)
{
    WriteMessageFile(m_file, {"X-SendAcount: main", "X-SignName: sig", "\tcontinued", "Bcc: hidden@example.com,",
                              " other@example.com", "\t<third@example.com>", "Subject: dots", "X-Cvm_Arc_ID: 7",
                              "X-Attach_To_Only: 1", "To: to@example.com", "", ".", "..stuffed", "plain",
                              std::string(3000, 'x')});
    FakeSmtpScript script = Greeting({});
    Transaction(script);
    FakeSmtpServer server;
    CSmtpSession session;
    Configure(session, server.Start(script));

    SessionResult result = DriveSession(session);
    EXPECT_TRUE(result.bResult) << session.GetLastErrorText().GetString();
    std::vector<std::string> lines = server.Lines();
    auto data = std::find(lines.begin(), lines.end(), "DATA");
    ASSERT_NE(data, lines.end());
    std::vector<std::string> sent(data + 1, lines.end());
    const std::vector<std::string> expected = {"\tcontinued", "Subject: dots", "To: to@example.com", "", "..",
                                               "..stuffed",  "plain",         std::string(3000, 'x'), ".", "QUIT"};
    EXPECT_EQ(sent, expected);
}

TEST_F(SmtpSessionTest, AttachmentsToToOnlySendTwoPhases)
{
    // Two files with attachments for To, two copies without for Cc and Bcc.
    const char* const names[] = {"first", "second", "firstCC", "secondCC"};
    CSmtpSession session;
    for (int i = 0; i < 4; ++i) {
        CString path = m_dir.File(names[i]);
        WriteMessageFile(path, {std::string("Subject: ") + names[i], "", names[i]});
        if (i < 2)
            session.AddMessageFile(path);
        else
            session.AddCcMessageFile(path);
    }
    FakeSmtpScript script = Greeting({});
    script.Exchange("250 reset");
    const int recipients[] = {1, 1, 2, 2};
    for (int file = 0; file < 4; ++file) {
        script.Exchange("250 sender ok");
        for (int i = 0; i < recipients[file]; ++i)
            script.Exchange("250 recipient ok");
        script.Exchange("354 go").ReadData().Send("250 queued");
    }
    script.Exchange("221 bye");
    FakeSmtpServer server;
    int nPort = server.Start(script);
    ASSERT_NE(nPort, 0);
    session.SetServer("127.0.0.1", nPort);
    session.SetFrom("me@example.com");
    session.SetTo("To Person <to@example.com>");
    session.SetCc("cc@example.com");
    session.AddBcc("bcc@example.com");
    session.SetAttachToOnly(true);
    session.SetTimeOut(2);

    SessionResult result = DriveSession(session);
    EXPECT_TRUE(result.bResult) << session.GetLastErrorText().GetString();
    EXPECT_EQ(result.nEnd, 1);
    EXPECT_EQ(session.GetSentCount(), 4);

    // Each transaction: its recipients, then the subject of the file sent.
    std::vector<std::string> transactions;
    std::string current;
    for (const std::string& line : server.Lines()) {
        if (line.compare(0, 8, "RCPT TO:") == 0)
            current += line.substr(8) + " ";
        else if (line.compare(0, 9, "Subject: ") == 0)
            transactions.push_back(current + line.substr(9)), current.clear();
    }
    const std::vector<std::string> expected = {"<to@example.com> first", "<to@example.com> second",
                                               "<cc@example.com> <bcc@example.com> firstCC",
                                               "<cc@example.com> <bcc@example.com> secondCC"};
    EXPECT_EQ(transactions, expected);
}

TEST_F(SmtpSessionTest, MessageFileWithoutHeaderEndIsNotSent)
{
    WriteMessageFile(m_file, {"Subject: no end of header", "To: to@example.com"});
    FakeSmtpScript script = Greeting({});
    script.Exchange("250 reset").Exchange("250 sender ok").Exchange("250 ok").Exchange("250 reset").Exchange("221 bye");
    FakeSmtpServer server;
    CSmtpSession session;
    Configure(session, server.Start(script));

    SessionResult result = DriveSession(session);
    EXPECT_FALSE(result.bResult);
    EXPECT_NE(result.nEnd, 1);
    std::vector<std::string> lines = server.Lines();
    EXPECT_FALSE(Contains(lines, "DATA"));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "RSET");
    EXPECT_EQ(lines.back(), "QUIT");
}

// A status object whose user cancels as soon as the text starts to flow.
class CancellingStatus : public CSmtpStatusSink
{
public:
    explicit CancellingStatus(CSmtpSession& session) : m_session(session) {}
    void SetStatusText(const char*) override {}
    void SetProgress(const char*, int, int) override {}
    void SetProgressData(int, bool) override { m_session.Cancel(); }

private:
    CSmtpSession& m_session;
};

TEST_F(SmtpSessionTest, CancelledSendIsNeverReportedAsSent)
{
    std::vector<std::string> big = {"Subject: big", ""};
    for (int i = 0; i < 2000; ++i)
        big.push_back("line " + std::to_string(i));
    WriteMessageFile(m_file, big);

    struct Case
    {
        const char* name;
        bool bDuringData;
    } const cases[] = {{"between commands", false}, {"while the text is sent", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSmtpScript script = Greeting({});
        script.Exchange("250 reset").Exchange("250 sender ok").Exchange("250 ok").Exchange("354 go").ReadData();
        script.Send("250 queued").Exchange("221 bye");
        FakeSmtpServer server;
        CSmtpSession session;
        Configure(session, server.Start(script));
        CancellingStatus status(session);
        SessionResult result;
        if (c.bDuringData) {
            session.SetStatusSink(&status);
            result = DriveSession(session);
        } else {
            // Cancelled once the recipient is accepted.
            result = DriveSession(session, [](CSmtpSession& s, int) {
                if (s.GetState() == CSmtpSession::StateData)
                    s.Cancel();
            });
        }
        EXPECT_FALSE(result.bResult);
        EXPECT_EQ(result.nEnd, 0);
        EXPECT_TRUE(session.IsAborted());
        EXPECT_EQ(session.GetSentCount(), 0);
        // The text never ended with its dot, so the server keeps nothing.
        EXPECT_FALSE(Contains(server.Lines(), "."));
    }
}

// A status object whose user cancels just after the text's final dot went
// out, while the server's answer to it is still on its way.
class CancellingAfterTheDot : public CSmtpStatusSink
{
public:
    explicit CancellingAfterTheDot(CSmtpSession& session) : m_session(session) {}
    void SetStatusText(const char*) override {}
    void SetProgress(const char*, int nTotal, int) override { m_nTotal = nTotal; }
    void SetProgressData(int nSent, bool) override
    {
        if (nSent >= m_nTotal)
            m_session.Cancel();
    }

private:
    CSmtpSession& m_session;
    int m_nTotal = 0;
};

// Once the final dot has gone the server may already keep the mail: the
// session waits for its answer, so a mail the server took is never kept
// for a second send.
TEST_F(SmtpSessionTest, CancelAfterTheFinalDotWaitsForTheServersAnswer)
{
    WriteMessageFile(m_file, {"Subject: small", "", "text"});
    FakeSmtpScript script = Greeting({});
    script.Exchange("250 reset").Exchange("250 sender ok").Exchange("250 ok").Exchange("354 go").ReadData();
    script.Silence(1).Send("250 queued").Exchange("221 bye");
    FakeSmtpServer server;
    CSmtpSession session;
    Configure(session, server.Start(script));
    CancellingAfterTheDot status(session);
    session.SetStatusSink(&status);
    SessionResult result = DriveSession(session);
    EXPECT_EQ(session.GetSentCount(), 1);
    EXPECT_EQ(result.nEnd, 1);
    EXPECT_FALSE(session.IsAborted());
}

} // namespace

TEST_F(SmtpSessionTest, ConnectionLostUnderTheTextGivesTheSendErrorText)
{
    // More than any socket buffer holds, so that the lost connection shows
    // while the text is still going out.
    std::vector<std::string> big = {"Subject: big", "To: to@example.com", ""};
    for (int i = 0; i < 200000; ++i)
        big.push_back("line " + std::to_string(i) + std::string(60, 'x'));
    WriteMessageFile(m_file, big);
    FakeSmtpScript script = Greeting({});
    script.Exchange("250 reset").Exchange("250 sender ok").Exchange("250 recipient ok").Exchange("354 go ahead");
    script.Close();
    FakeSmtpServer server;
    CSmtpSession session;
    Configure(session, server.Start(script));

    SessionResult result = DriveSession(session);
    EXPECT_FALSE(result.bResult);
    CString text = session.GetLastErrorText();
    EXPECT_EQ(text.Find("SendMessageDataエラー\r\n"), 0) << text.GetString();
    EXPECT_GT(text.GetLength(), static_cast<int>(strlen("SendMessageDataエラー\r\n")));
}

TEST_F(SmtpSessionTest, ReplyThatNeverEndsIsABrokenServer)
{
    // Continuation lines without end: the session gives up once the reply
    // is far longer than any server's, instead of gathering it all.
    FakeSmtpScript script;
    script.Send("220 fake ESMTP").Read();
    for (int i = 0; i < 12000; ++i)
        script.Send("250-" + std::string(24, 'x'));
    FakeSmtpServer server;
    CSmtpSession session;
    Configure(session, server.Start(script));
    session.SetUseEhlo(true);

    SessionResult result = DriveSession(session);
    EXPECT_FALSE(result.bResult);
    EXPECT_EQ(session.GetLastErrorText().Find("ReadLine Error"), 0) << session.GetLastErrorText().GetString();
    EXPECT_FALSE(AnyStartsWith(server.Lines(), "MAIL FROM"));
}
