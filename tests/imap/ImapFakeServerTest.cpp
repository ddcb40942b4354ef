// The IMAP4 session against fake_imap_server.py, for what a real server does
// not do: lines inside a mail that look like protocol, a NUL byte and bare
// LF in a literal, silence in the middle of a literal, a tagged BAD, "* BYE"
// in answer to the login; and what the session must send: no \Deleted for a
// mail it could not file, a password quoted or sent as a literal.
// The fake server runs this program (CTest's test_imap_fake) and gives its
// port in CVM_FAKE_IMAP_PORT; without it these tests are skipped.
#include "ImapTestSession.h"

#include "net/NetMessages.h"

#include "message/DotStuffer.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace NetTest;
using namespace ImapTest;

namespace {

// The mails of fake_imap_server.py.
const std::string kMail1 =
    "From: a@example.jp\r\nSubject: first\r\nMessage-ID: <f1@example.jp>\r\n\r\n"
    "body one\r\n"
    "A012 OK this line only looks like the end of the reply\r\n"
    ".\r\n"
    "last line)\r\n";
const std::string kMail2 = "From: b@example.jp\r\nSubject: second\r\nMessage-ID: <f2@example.jp>\r\n\r\nbody two\r\n";
const std::string kNulMailAsFiled = "From: c@example.jp\r\nSubject: nul\r\nMessage-ID: <nul@example.jp>\r\n\r\n"
                                    "beforeafter\r\nbare lf line\r\n{5}\r\nend\r\n";

// The mail file as the session hands it to the store: the account line
// added, lines that begin with "." doubled.
std::string Filed(const std::string& mail)
{
    std::string filed = "X-ReceiveAcount: fake\r\n" + mail;
    return CDotStuffer::Stuff(filed.data(), filed.size());
}

int FakePort()
{
    const char* psz = getenv("CVM_FAKE_IMAP_PORT");
    return psz && *psz ? atoi(psz) : 0;
}

void Configure(CImapTestSession& session, const char* pszUser, const char* pszPassword = "secret")
{
    session.SetServer("127.0.0.1", FakePort());
    session.SetUser(pszUser, pszPassword);
    session.SetAccountName("fake");
    session.SetTimeOut(1);
}

// The commands the fake server took in the user's last session, without tags.
std::vector<std::string> Transcript(const char* pszUser)
{
    std::vector<std::string> commands;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    addr.sin_port = htons(static_cast<u_short>(FakePort()));
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
        std::string line;
        RecvLine(s, line);  // greeting
        SendAll(s, std::string("X TRANSCRIPT ") + pszUser + "\r\n");
        while (RecvLine(s, line) && line.compare(0, 2, "X ") != 0) {
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.pop_back();
            if (line.compare(0, 6, "* CMD ") == 0)
                commands.push_back(line.substr(6));
        }
    }
    closesocket(s);
    return commands;
}

std::vector<std::string> WithPrefix(const std::vector<std::string>& commands, const char* pszPrefix)
{
    std::vector<std::string> found;
    for (const std::string& c : commands)
        if (c.compare(0, strlen(pszPrefix), pszPrefix) == 0)
            found.push_back(c);
    return found;
}

class ImapFakeServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (FakePort() == 0)
            GTEST_SKIP() << "run under fake_imap_server.py (test_imap_fake)";
    }
};

} // namespace

TEST_F(ImapFakeServer, MailsAreReadByTheirLiteralSizeAndExpunged)
{
    struct Case
    {
        const char* user;
        std::vector<std::string> filed;
    } const cases[] = {
        // Lines that look like a tagged reply, a lone dot, a last ")" and the
        // server's "(0.001 + 0.000 secs)." after the literal.
        {"normal", {Filed(kMail1), Filed(kMail2)}},
        // A NUL byte and bare LFs inside the literal, and a line that
        // announces a literal of its own; the next mail is read intact.
        {"nul", {Filed(kNulMailAsFiled), Filed(kMail2)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        TestSessionFolder folder;
        CImapTestSession session(folder);
        Configure(session, c.user);
        PassResult result = RunPass(session);
        ASSERT_TRUE(result.bFinished);
        // "* BYE" in answer to LOGOUT ends a pass that went well.
        EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
        EXPECT_TRUE(result.errors.empty());
        EXPECT_EQ(session.filed, c.filed);
        std::vector<std::string> commands = Transcript(c.user);
        EXPECT_EQ(WithPrefix(commands, "STORE"),
                  (std::vector<std::string>{"STORE 1 +FLAGS (\\Deleted)", "STORE 2 +FLAGS (\\Deleted)"}));
        EXPECT_EQ(WithPrefix(commands, "EXPUNGE").size(), 1u);
        EXPECT_EQ(commands.empty() ? std::string() : commands.back(), "LOGOUT");
        EXPECT_TRUE(folder.LeftoverFiles().empty());
    }
}

TEST_F(ImapFakeServer, FailuresEndThePassWithTheirOwnResult)
{
    struct Case
    {
        const char* user;
        int nResult;
        UINT nMessage;
        size_t nFiled;
        std::vector<std::string> stores;
    } const cases[] = {
        // A tagged BAD is a failure, not a completed command.
        {"badselect", 43, 57619, 0, {}},
        // "* BYE" in answer to the login is a refused login.
        {"byelogin", 2, 57631, 0, {}},
        // The server goes silent in the middle of the second mail's literal;
        // the first mail is filed, but nothing is marked before the pass has
        // received all it will.
        {"silent", 42, 57619, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        TestSessionFolder folder;
        CImapTestSession session(folder);
        Configure(session, c.user);
        DWORD dwStart = GetTickCount();
        PassResult result = RunPass(session, 30000);
        ASSERT_TRUE(result.bFinished);
        EXPECT_LT(GetTickCount() - dwStart, 20000u);
        EXPECT_EQ(result.nFinishResult, c.nResult);
        EXPECT_EQ(result.nFinishMessage, c.nMessage);
        EXPECT_EQ(session.filed.size(), c.nFiled);
        std::vector<std::string> commands = Transcript(c.user);
        EXPECT_EQ(WithPrefix(commands, "STORE"), c.stores);
        if (std::string(c.user) == "badselect") {
            EXPECT_TRUE(WithPrefix(commands, "FETCH").empty());
        }
        EXPECT_TRUE(folder.LeftoverFiles().empty());
    }
}

TEST_F(ImapFakeServer, MailThatCannotBeFiledIsNeverMarkedDeleted)
{
    TestSessionFolder folder;
    CImapTestSession session(folder);
    Configure(session, "normal");
    session.bFailFiling = true;
    PassResult result = RunPass(session);
    ASSERT_TRUE(result.bFinished);
    EXPECT_EQ(result.nFinishResult, 110);
    EXPECT_EQ(result.nFinishMessage, 57619u);
    EXPECT_TRUE(WithPrefix(Transcript("normal"), "STORE").empty());
    EXPECT_TRUE(folder.LeftoverFiles().empty());
}

TEST_F(ImapFakeServer, LoginQuotesThePasswordOrSendsItAsALiteral)
{
    struct Case
    {
        const char* user;
        const char* password;
        const char* login;  // as the server took it
    } const cases[] = {
        {"quote", "p w\"q\\x", "LOGIN quote \"p w\\\"q\\\\x\""},
        {"literal", "パス", "LOGIN literal {literal}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        TestSessionFolder folder;
        CImapTestSession session(folder);
        Configure(session, c.user, c.password);
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
        EXPECT_EQ(session.filed, std::vector<std::string>{Filed(kMail2)});
        std::vector<std::string> logins = WithPrefix(Transcript(c.user), "LOGIN");
        ASSERT_EQ(logins.size(), 1u);
        EXPECT_EQ(logins[0].substr(0, strlen(c.login)), c.login);
    }
}

TEST_F(ImapFakeServer, LoginOnlySendsCapabilityLoginAndLogout)
{
    TestSessionFolder folder;
    CImapTestSession session(folder);
    Configure(session, "normal");
    session.SetLoginOnly(true);
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0);
    EXPECT_TRUE(session.filed.empty());
    EXPECT_EQ(Transcript("normal"),
              (std::vector<std::string>{"CAPABILITY", "LOGIN normal secret", "LOGOUT"}));
    EXPECT_TRUE(folder.IdFileText("fake").empty());
}

TEST_F(ImapFakeServer, SelectedMailsAreFetchedAndDeletedAsChosen)
{
    TestSessionFolder folder;
    CImapTestSession session(folder);
    Configure(session, "normal");
    std::vector<CReceiveSelection> selection(2);
    selection[0].nNumber = 2;
    selection[0].bDelete = 1;
    selection[1].nNumber = 1;
    selection[1].bNoReceive = 1;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    session.SetOwnerThreadId(GetCurrentThreadId());
    ASSERT_TRUE(session.Start(nullptr, &selection));
    bool bFinished = false;
    int nResult = -99;
    DWORD dwStart = GetTickCount();
    while (!bFinished && GetTickCount() - dwStart < 20000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLPOSTMESSAGE);
        while (!bFinished && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == CVM_MSG_SESSION_STEP && !session.Run())
                session.Cancel();
            if (msg.message == CVM_MSG_SESSION_FINISHED) {
                bFinished = true;
                nResult = static_cast<int>(msg.wParam);
            }
        }
    }
    ASSERT_TRUE(bFinished);
    EXPECT_EQ(nResult, 0);
    EXPECT_EQ(session.filed, std::vector<std::string>{Filed(kMail2)});
    std::vector<std::string> commands = Transcript("normal");
    EXPECT_EQ(WithPrefix(commands, "FETCH 1 "), std::vector<std::string>{});
    EXPECT_EQ(WithPrefix(commands, "STORE"), std::vector<std::string>{"STORE 2 +FLAGS (\\Deleted)"});
}

TEST_F(ImapFakeServer, HeaderLiteralBeyondWhatMemoryHoldsIsRefusedAtOnce)
{
    // Only the mail text goes to a file; anything else announced larger
    // than the session keeps in memory ends the reply at once, without
    // waiting for the bytes or holding them.
    TestSessionFolder folder;
    CImapTestSession session(folder);
    Configure(session, "hugeheader");
    DWORD dwStart = GetTickCount();
    PassResult result = RunPass(session);
    ASSERT_TRUE(result.bFinished);
    EXPECT_LT(GetTickCount() - dwStart, 2500u);  // the read time-out is three seconds
    EXPECT_EQ(result.nFinishResult, 42);
    EXPECT_TRUE(session.filed.empty());
    EXPECT_TRUE(WithPrefix(Transcript("hugeheader"), "STORE").empty());
}
