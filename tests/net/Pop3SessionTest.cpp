// The POP3 session against a fake server, for what a real server does not
// do: odd line ends, silence, dropped connections, missing UIDL, a greeting
// without an APOP stamp, refused STLS, and mails that cannot be filed.
#include "FakePop3Server.h"
#include "Pop3TestSession.h"

#include "net/CommLog.h"
#include "net/ReceiveSession.h"

#include "message/DotStuffer.h"

#include <gtest/gtest.h>

using namespace NetTest;

namespace {

const char* const kMailA = "From: a@example.jp\r\nSubject: first\r\nMessage-ID: <a@example.jp>\r\n\r\nbody a\r\n.dot line\r\n";
const char* const kMailB = "From: b@example.jp\r\nSubject: second\r\nMessage-ID: <b@example.jp>\r\n\r\nbody b\r\n";
const char* const kMailC = "From: c@example.jp\r\nSubject: third\r\n\r\nbody c\r\n";

// The mail file as the session hands it to the store: the account line
// added, lines that begin with "." doubled.
std::string Filed(const char* pszMail)
{
    std::string mail = std::string("X-ReceiveAcount: fake\r\n") + pszMail;
    return CDotStuffer::Stuff(mail.data(), mail.size());
}

void Configure(CPop3TestSession& session, int nPort)
{
    session.SetServer("127.0.0.1", nPort);
    session.SetUser("user", "secret");
    session.SetAccountName("fake");
    session.SetTimeOut(1);
}

} // namespace

TEST(Pop3Session, ReceivesAndDeletesWhateverLineEndsTheServerUses)
{
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(eol)));
        FakePop3Options options;
        options.eol = eol;
        FakePop3Server server({{"u1", kMailA}, {"u2", kMailB}}, options);
        TestSessionFolder folder;
        CPop3TestSession session(folder);
        Configure(session, server.Port());
        PassResult result = RunPass(session);
        ASSERT_TRUE(result.bFinished);
        EXPECT_EQ(result.nFinishResult, 0);
        EXPECT_TRUE(result.errors.empty());
        ASSERT_EQ(session.filed.size(), 2u);
        EXPECT_EQ(session.filed[0], Filed(kMailA));
        EXPECT_EQ(session.filed[1], Filed(kMailB));
        EXPECT_EQ(server.Deleted(), (std::vector<int>{1, 2}));
    }
}

// A server that announces pipelining gets LIST with RETR and all DELEs in
// one write each; what is filed, deleted and reported stays what the
// command-by-command pass gives, also when a LIST or a DELE is refused.
TEST(Pop3Session, PipeliningChangesNothingButTheWrites)
{
    struct Case
    {
        const char* name;
        int nRefuseList, nRefuseDele;
        size_t nFiled;
        std::vector<int> deleted;
    } cases[] = {
        {"all accepted", 0, 0, 3, {1, 2, 3}},
        {"LIST 2 refused", 2, 0, 1, {1}},
        {"DELE 2 refused", 0, 2, 3, {1, 3}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> outcome[2];
        for (bool bPipelining : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (bPipelining ? ", pipelined" : ", one by one"));
            FakePop3Options options;
            options.bPipelining = bPipelining;
            options.nRefuseList = c.nRefuseList;
            options.nRefuseDele = c.nRefuseDele;
            FakePop3Server server({{"u1", kMailA}, {"u2", kMailB}, {"u3", kMailC}}, options);
            TestSessionFolder folder;
            CPop3TestSession session(folder);
            Configure(session, server.Port());
            PassResult result = RunPass(session);
            ASSERT_TRUE(result.bFinished);
            EXPECT_EQ(session.filed.size(), c.nFiled);
            EXPECT_EQ(server.Deleted(), c.deleted);
            EXPECT_TRUE(server.Received("QUIT"));
            outcome[bPipelining] = session.filed;
            outcome[bPipelining].push_back(FormatString("%d %u %zu", result.nFinishResult, result.nFinishMessage,
                                                        result.errors.size()).Str());
        }
        EXPECT_EQ(outcome[0], outcome[1]) << c.name;
    }
}

TEST(Pop3Session, NulBytesAndLongLinesArriveIntact)
{
    std::string longLine(12000, 'L');
    std::string mail = std::string("Subject: long\r\n\r\n") + longLine + "\r\n" + std::string(5120, 'E') +
                       "\r\nshort\r\n";
    std::string withNul = mail;
    withNul.insert(withNul.find("short"), std::string("\0", 1));
    FakePop3Server server({{"u1", withNul}});
    TestSessionFolder folder;
    CPop3TestSession session(folder);
    Configure(session, server.Port());
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0);
    ASSERT_EQ(session.filed.size(), 1u);
    EXPECT_EQ(session.filed[0], Filed(mail.c_str()));
}

TEST(Pop3Session, BrokenTransfersLeaveTheMailOnTheServer)
{
    struct Case
    {
        const char* name;
        bool bSilentGreeting;
        bool bBreakByClosing;
        int nBreakRetr;
        int nResult;
        UINT nMessage;
    } const cases[] = {
        {"silence after connecting", true, false, 0, 1, 57616},
        {"silence in the middle of RETR", false, false, 2, 11, 57619},
        {"connection closed in the middle of RETR", false, true, 2, 11, 57619},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePop3Options options;
        options.bSilentGreeting = c.bSilentGreeting;
        options.bBreakByClosing = c.bBreakByClosing;
        options.nBreakRetr = c.nBreakRetr;
        FakePop3Server server({{"u1", kMailA}, {"u2", kMailB}}, options);
        TestSessionFolder folder;
        CPop3TestSession session(folder);
        Configure(session, server.Port());
        DWORD dwStart = GetTickCount();
        PassResult result = RunPass(session);
        ASSERT_TRUE(result.bFinished);
        EXPECT_LT(GetTickCount() - dwStart, 20000u);
        EXPECT_EQ(result.nFinishResult, c.nResult);
        EXPECT_EQ(result.nFinishMessage, c.nMessage);
        // The first mail was stored, the broken one not; nothing is deleted
        // before the pass has received all it will (a POP3 server drops
        // nothing without the QUIT that never comes here anyway).
        EXPECT_EQ(session.filed.size(), c.nBreakRetr ? 1u : 0u);
        EXPECT_TRUE(server.Deleted().empty());
        EXPECT_TRUE(folder.LeftoverFiles().empty());
    }
}

TEST(Pop3Session, MailThatCannotBeFiledIsNeverDeleted)
{
    FakePop3Server server(std::vector<FakeMail>{{"u1", kMailA}});
    TestSessionFolder folder;
    CPop3TestSession session(folder);
    Configure(session, server.Port());
    session.bFailFiling = true;
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 18);
    EXPECT_FALSE(server.Received("DELE"));
    EXPECT_TRUE(folder.LeftoverFiles().empty());
}

TEST(Pop3Session, LoginRefusals)
{
    {
        SCOPED_TRACE("APOP with a greeting that has no stamp");
        FakePop3Options options;
        options.greeting = "+OK no stamp here";
        FakePop3Server server({{"u1", kMailA}}, options);
        TestSessionFolder folder;
        CPop3TestSession session(folder);
        Configure(session, server.Port());
        session.SetApop(true);
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 2);
        EXPECT_EQ(result.nFinishMessage, 57631u);
        EXPECT_FALSE(server.Received("APOP"));
        EXPECT_FALSE(server.Received("PASS"));
        EXPECT_TRUE(server.Received("QUIT"));
    }
    {
        SCOPED_TRACE("STLS refused");
        FakePop3Server server(std::vector<FakeMail>{{"u1", kMailA}});
        TestSessionFolder folder;
        CPop3TestSession session(folder);
        Configure(session, server.Port());
        session.SetTls(true);
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 1);
        EXPECT_EQ(result.nFinishMessage, 57616u);
        EXPECT_FALSE(server.Received("USER"));
        EXPECT_NE(session.GetErrorText().Find("STLS"), -1);
    }
}

TEST(Pop3Session, WithoutUidlGoesByNumberAndResumesAfterTheStoredIds)
{
    FakePop3Options options;
    options.bUidl = false;
    std::vector<FakeMail> mails = {{"", kMailA}, {"", kMailB}};
    TestSessionFolder folder;
    {
        FakePop3Server server(mails, options);
        CPop3TestSession session(folder);
        Configure(session, server.Port());
        session.SetLeaveOnServer(true);
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 0);
        EXPECT_EQ(session.filed.size(), 2u);
        EXPECT_TRUE(server.Deleted().empty());
    }
    mails.push_back({"", "Subject: no id at all\r\n\r\nc\r\n"});
    {
        FakePop3Server server(mails, options);
        CPop3TestSession session(folder);
        Configure(session, server.Port());
        session.SetLeaveOnServer(true);
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 0);
        ASSERT_EQ(session.filed.size(), 1u);
        EXPECT_NE(session.filed[0].find("no id at all"), std::string::npos);
    }
    std::string ids = folder.IdFileText();
    EXPECT_NE(ids.find("<a@example.jp>\t1\t"), std::string::npos) << ids;
    EXPECT_NE(ids.find("<b@example.jp>\t2\t"), std::string::npos) << ids;
    EXPECT_EQ(ids.find("\n\t"), std::string::npos) << "an empty id was recorded";
    EXPECT_NE(ids.compare(0, 1, "\t"), 0);
}

TEST(Pop3Session, ExpiredMailsAreDeletedByTheServersOwnNumbers)
{
    // The id file lists the mails in another order than the server numbers them.
    TestSessionFolder folder;
    long long old = CReceivedIdList::CurrentTime() - 10 * 86400;
    long long fresh = CReceivedIdList::CurrentTime() - 86400;
    folder.WriteIdFile(FormatString("u3\t1\t%lld\r\nu1\t2\t%lld\r\nu2\t3\t%lld\r\n", old, fresh, old).GetString());
    FakePop3Server server({{"u1", kMailA}, {"u2", kMailB}, {"u3", kMailA}});
    CPop3TestSession session(folder);
    Configure(session, server.Port());
    session.SetLeaveOnServer(true);
    session.SetDeleteAfterDays(5);
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0);
    EXPECT_TRUE(session.filed.empty());
    std::vector<int> deleted = server.Deleted();
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (std::vector<int>{2, 3}));
    std::string ids = folder.IdFileText();
    EXPECT_EQ(ids, FormatString("u1\t1\t%lld\r\n", fresh).GetString());
}

TEST(Pop3Session, ExpiredMailsAreKeptWhenTheServerNumbersAreUnknown)
{
    FakePop3Options options;
    options.bUidl = false;
    TestSessionFolder folder;
    long long old = CReceivedIdList::CurrentTime() - 10 * 86400;
    folder.WriteIdFile(FormatString("<a@example.jp>\t1\t%lld\r\n<b@example.jp>\t2\t%lld\r\n", old, old).GetString());
    FakePop3Server server({{"", kMailA}, {"", kMailB}}, options);
    CPop3TestSession session(folder);
    Configure(session, server.Port());
    session.SetLeaveOnServer(true);
    session.SetDeleteAfterDays(5);
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0);
    EXPECT_TRUE(server.Deleted().empty());
}

TEST(Pop3Session, FilterCanRefuseOrDeleteBeforeDownloading)
{
    for (int nDecision : {1, 2}) {
        SCOPED_TRACE(nDecision);
        FakePop3Server server(std::vector<FakeMail>{{"u1", kMailA}, {"u2", kMailB}});
        TestSessionFolder folder;
        CPop3TestSession session(folder);
        Configure(session, server.Port());
        session.SetFiltering(true, true);
        session.nFilterDecision = nDecision;
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 0);
        EXPECT_TRUE(session.filed.empty());
        EXPECT_FALSE(server.Received("RETR"));
        ASSERT_EQ(session.GetUndeliveredMails().size(), 2u);
        EXPECT_EQ(session.GetUndeliveredMails()[1].nKind, nDecision);
        EXPECT_EQ(session.GetUndeliveredMails()[1].strSubject, "second");
        EXPECT_EQ(server.Deleted(), (nDecision == 2 ? std::vector<int>{1, 2} : std::vector<int>{}));
    }
}

// Pipelined, the next mail's RETR went out with the first one's: its reply
// is read and dropped before the DELE, and the mail stays on the server.
TEST(Pop3Session, AbortEndsThePassWithQuit)
{
    for (bool bPipelining : {false, true}) {
        SCOPED_TRACE(bPipelining ? "pipelined" : "one by one");
        FakePop3Options options;
        options.bPipelining = bPipelining;
        FakePop3Server server(std::vector<FakeMail>{{"u1", kMailA}, {"u2", kMailB}, {"u3", kMailC}}, options);
        TestSessionFolder folder;
        CPop3TestSession session(folder);
        Configure(session, server.Port());
        session.nAbortAtFiling = 1;
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, -1);
        EXPECT_EQ(session.filed.size(), 1u);
        EXPECT_TRUE(server.Received("QUIT"));
        EXPECT_EQ(server.Received("RETR 2"), bPipelining);
        EXPECT_FALSE(server.Received("RETR 3"));
        // The mail filed before the abort is still deleted, or it would come again.
        EXPECT_EQ(server.Deleted(), std::vector<int>{1});
    }
}

TEST(Pop3Session, SelectionFetchesAndDeletesOnlyWhatWasChosen)
{
    FakePop3Server server(std::vector<FakeMail>{{"u1", kMailA}, {"u2", kMailB}, {"u3", kMailA}});
    TestSessionFolder folder;
    CPop3TestSession session(folder);
    Configure(session, server.Port());
    std::vector<CReceiveSelection> selection(3);
    selection[0].nNumber = 2;  // receive and delete
    selection[0].bDelete = 1;
    selection[1].nNumber = 3;  // delete without receiving
    selection[1].bNoReceive = 1;
    selection[1].bDelete = 1;
    selection[2].nNumber = 1;  // receive and keep
    PassResult result = RunPass(session, 120000, &selection);
    EXPECT_EQ(result.nFinishResult, 0);
    ASSERT_EQ(session.filed.size(), 2u);
    EXPECT_EQ(session.filed[0], Filed(kMailB));
    EXPECT_EQ(session.filed[1], Filed(kMailA));
    EXPECT_EQ(server.Deleted(), (std::vector<int>{2, 3}));
    EXPECT_FALSE(server.Received("RETR 3"));
    EXPECT_NE(folder.IdFileText().find("u1\t1\t"), std::string::npos);
}

namespace {
std::string g_pop3Log;
void CapturePop3Log(const char* pszText)
{
    g_pop3Log += pszText;
}
} // namespace

TEST(Pop3Session, ReplyBrokenOffAfterALongerLineIsLoggedAsItCame)
{
    // The reader used to leave the broken reply unterminated, and the log
    // then read on into the greeting before it (and past the buffer).
    FakeServer server([](SOCKET s) {
        SendAll(s, "+OK " + std::string(4000, 'A') + " <1.2@fake>\r\n");
        std::string line;
        RecvLine(s, line);
        SendAll(s, "+OK BB");
    });
    TestSessionFolder folder;
    CPop3TestSession session(folder);
    Configure(session, server.Port());
    g_pop3Log.clear();
    CommLogWriter previous = SetCommLogWriter(CapturePop3Log);
    PassResult result = RunPass(session);
    SetCommLogWriter(previous);
    ASSERT_TRUE(result.bFinished);
    EXPECT_NE(result.nFinishResult, 0);
    EXPECT_NE(g_pop3Log.find("[+OK BB]"), std::string::npos) << g_pop3Log.substr(0, 200);
    EXPECT_EQ(g_pop3Log.find("+OK BBA"), std::string::npos);
}
