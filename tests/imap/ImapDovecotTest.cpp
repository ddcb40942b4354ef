// The IMAP4 session against the private Dovecot on port 143: every login,
// mail filed into a real inbox exactly as the server holds it, an empty
// mailbox, leaving mail on the server, deletion by EXPUNGE, and a password
// that the LOGIN command must quote.
#include "ImapTestSession.h"
#include "net/DotLinesMail.h"

#include "core/FileUtil.h"
#include "net/CommLog.h"
#include "store/MailFolderStore.h"

#include "message/DotStuffer.h"

#include <gtest/gtest.h>

#include <map>

using namespace NetTest;
using namespace ImapTest;

namespace {

// Users of the private Dovecot that only these tests use.
const int kUserLogin = 13;
const int kUserAuthLogin = 14;
const int kUserCramMd5 = 15;
const int kUserPasses = 16;
const int kUserQuotedPassword = 17;
const char* const kQuotedPassword = "p w\"q\\x";

// Shift_JIS bytes (this source is compiled to code page 932) whose second
// bytes look like a backslash, lines that look like IMAP protocol, and a
// last line ending in ")" followed by nothing.
const std::string kSjisMail =
    "From: sato@example.jp\r\n"
    "To: cvm@example.jp\r\n"
    "Subject: sjis\r\n"
    "Date: Mon, 01 Jan 2024 10:00:00 +0900\r\n"
    "Message-ID: <imap-sjis@example.jp>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=Shift_JIS\r\n"
    "Content-Transfer-Encoding: 8bit\r\n"
    "\r\n"
    "表示のテストです。ソフト\r\n"
    "A012 OK Fetch completed (0.001 + 0.000 secs).\r\n"
    "* 3 FETCH (RFC822.TEXT {12}\r\n"
    ".で始まる行\r\n"
    "(最後の行)\r\n";

std::string SmallMail(const std::string& subject)
{
    return "From: x@example.jp\r\nSubject: " + subject + "\r\nMessage-ID: <imap-" + subject +
           "@example.jp>\r\n\r\nbody of " + subject + "\r\n";
}

// The mail file as the session hands it to the store: the account line
// added, lines that begin with "." doubled.
std::string Filed(const std::string& mail)
{
    std::string filed = "X-ReceiveAcount: imap\r\n" + mail;
    return CDotStuffer::Stuff(filed.data(), filed.size());
}

void Configure(CImapTestSession& session, int nUser, const char* pszPassword = nullptr)
{
    session.SetServer(kHost, 143);
    session.SetUser(UserName(nUser), pszPassword ? CString(pszPassword) : Password(nUser));
    session.SetAccountName("imap");
    session.SetTimeOut(10);
}

std::string g_log;
void CaptureLog(const char* pszText)
{
    g_log += pszText;
}

class ImapDovecotTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(DovecotAvailable(), "Dovecot");
    }
};

} // namespace

TEST_F(ImapDovecotTest, EveryLoginFilesTheServersMailsAndExpungesThem)
{
    struct Case
    {
        const char* name;
        int nUser;
        bool bForceLoginCommand;
        bool bCramMd5;
        int nMethod;
    } const cases[] = {
        {"LOGIN", kUserLogin, true, false, CImapSession::loginCommand},
        {"AUTHENTICATE LOGIN", kUserAuthLogin, false, false, CImapSession::loginAuthLogin},
        {"AUTHENTICATE CRAM-MD5", kUserCramMd5, false, true, CImapSession::loginCramMd5},
    };
    const std::vector<std::string> mails = {kSjisMail, SmallMail("two")};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearMaildir(c.nUser);
        for (const std::string& mail : mails)
            DeliverMail(c.nUser, mail);
        TestSessionFolder folder;
        CMailFolderStore inbox;
        SetUpInbox(inbox, folder.Root() + "\\Inbox");

        CImapTestSession session(folder);
        Configure(session, c.nUser);
        if (c.bForceLoginCommand)
            session.ForceLoginCommand();
        session.SetUseCramMd5(c.bCramMd5);
        session.SetTargetStore(&inbox);
        g_log.clear();
        CommLogWriter previous = SetCommLogWriter(CaptureLog);
        PassResult result = RunPass(session);
        SetCommLogWriter(previous);
        ASSERT_TRUE(result.bFinished);
        EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
        EXPECT_TRUE(result.errors.empty());
        EXPECT_EQ(session.GetLoginMethod(), c.nMethod);
        EXPECT_EQ(session.GetReceivedCount(), 2);
        EXPECT_EQ(g_log.find(Password(c.nUser).GetString()), std::string::npos) << "password in the log";

        // Nothing of the protocol in the mail, nothing of the mail lost.
        std::vector<std::string> expected = {Filed(mails[0]), Filed(mails[1])};
        std::vector<std::string> got = session.filed;
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected);
        CMailListData* pList = inbox.GetMailList();
        ASSERT_NE(pList, nullptr);
        ASSERT_EQ(pList->GetMailCount(), 2);
        for (int i = 0; i < 2; i++) {
            CString text;
            ASSERT_TRUE(inbox.ReadMailText(inbox.GetRecord(i), text));
            std::string stored(text.GetString(), text.GetLength());
            size_t nameEnd = stored.find("\r\n");
            ASSERT_NE(nameEnd, std::string::npos);
            std::string mail = stored.substr(nameEnd + 2);
            EXPECT_TRUE(mail == Filed(mails[0]) + "\r\n.\r\n" || mail == Filed(mails[1]) + "\r\n.\r\n") << mail;
        }
        EXPECT_EQ(CountServerMails(c.nUser), 0);
        EXPECT_TRUE(folder.LeftoverFiles().empty());
    }
}

TEST_F(ImapDovecotTest, EmptyMailboxLogsOutWithoutFetching)
{
    ClearMaildir(kUserPasses);
    TestSessionFolder folder;
    CImapTestSession session(folder);
    Configure(session, kUserPasses);
    g_log.clear();
    CommLogWriter previous = SetCommLogWriter(CaptureLog);
    PassResult result = RunPass(session);
    SetCommLogWriter(previous);
    EXPECT_EQ(result.nFinishResult, 0);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_TRUE(session.filed.empty());
    EXPECT_NE(g_log.find("A006 SELECT \"INBOX\""), std::string::npos) << g_log;
    EXPECT_EQ(g_log.find("FETCH"), std::string::npos) << g_log;
    EXPECT_NE(g_log.find("A015 LOGOUT"), std::string::npos) << g_log;
}

TEST_F(ImapDovecotTest, LeftOnTheServerMailIsFetchedOnceThenDeletedByExpunge)
{
    ClearMaildir(kUserPasses);
    for (const char* s : {"one", "two"})
        DeliverMail(kUserPasses, SmallMail(s));
    TestSessionFolder folder;
    auto pass = [&](bool bLeave) {
        CImapTestSession session(folder);
        Configure(session, kUserPasses);
        session.SetLeaveOnServer(bLeave);
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
        EXPECT_TRUE(result.errors.empty());
        return session.filed;
    };
    EXPECT_EQ(pass(true).size(), 2u);
    EXPECT_EQ(CountServerMails(kUserPasses), 2);
    EXPECT_TRUE(pass(true).empty());
    std::string ids = folder.IdFileText("imap");
    EXPECT_NE(ids.find("<imap-one@example.jp>\t"), std::string::npos) << ids;
    EXPECT_NE(ids.find("<imap-two@example.jp>\t"), std::string::npos) << ids;

    DeliverMail(kUserPasses, SmallMail("three"));
    std::vector<std::string> filed = pass(true);
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_EQ(filed[0], Filed(SmallMail("three")));
    EXPECT_EQ(CountServerMails(kUserPasses), 3);

    // Without leave-on-server every mail is fetched, marked and expunged.
    EXPECT_EQ(pass(false).size(), 3u);
    EXPECT_EQ(CountServerMails(kUserPasses), 0);
}

TEST_F(ImapDovecotTest, PasswordWithBlankQuoteAndBackslash)
{
    for (bool bLoginCommand : {true, false}) {
        SCOPED_TRACE(bLoginCommand ? "LOGIN" : "AUTHENTICATE LOGIN");
        ClearMaildir(kUserQuotedPassword);
        DeliverMail(kUserQuotedPassword, SmallMail("quoted"));
        TestSessionFolder folder;
        CImapTestSession session(folder);
        Configure(session, kUserQuotedPassword, kQuotedPassword);
        if (bLoginCommand)
            session.ForceLoginCommand();
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
        ASSERT_EQ(session.filed.size(), 1u);
        EXPECT_EQ(result.nNewMails, 1);
        EXPECT_EQ(session.filed[0], Filed(SmallMail("quoted")));
    }
}

TEST_F(ImapDovecotTest, IdsComeFromXUidlWhenEveryMailHasOne)
{
    ClearMaildir(kUserLogin);
    for (const char* s : {"a", "b"})
        DeliverMail(kUserLogin, std::string("X-UIDL: uidl-") + s + "\r\n" + SmallMail(s));
    TestSessionFolder folder;
    CImapTestSession session(folder);
    Configure(session, kUserLogin);
    session.SetLeaveOnServer(true);
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0);
    EXPECT_EQ(session.filed.size(), 2u);
    std::string ids = folder.IdFileText("imap");
    EXPECT_NE(ids.find("uidl-a\t"), std::string::npos) << ids;
    EXPECT_NE(ids.find("uidl-b\t"), std::string::npos) << ids;
    EXPECT_EQ(ids.find("<imap-"), std::string::npos) << ids;
}

TEST_F(ImapDovecotTest, MailsKeptLongerThanTheDaysAreExpunged)
{
    ClearMaildir(kUserAuthLogin);
    for (const char* s : {"old", "new"})
        DeliverMail(kUserAuthLogin, SmallMail(s));
    TestSessionFolder folder;
    auto pass = [&]() {
        CImapTestSession session(folder);
        Configure(session, kUserAuthLogin);
        session.SetLeaveOnServer(true);
        session.SetDeleteAfterDays(5);
        PassResult result = RunPass(session);
        EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
        return session.filed.size();
    };
    EXPECT_EQ(pass(), 2u);
    EXPECT_EQ(CountServerMails(kUserAuthLogin), 2);
    // Received six days ago, as far as the id file knows.
    std::string ids = folder.IdFileText("imap");
    size_t line = ids.find("<imap-old@example.jp>\t");
    ASSERT_NE(line, std::string::npos) << ids;
    size_t stamp = ids.rfind('\t', ids.find("\r\n", line)) + 1;
    ids.replace(stamp, ids.find("\r\n", line) - stamp,
                std::to_string(CReceivedIdList::CurrentTime() - 6 * 86400));
    folder.WriteIdFile(ids, "imap");
    EXPECT_EQ(pass(), 0u);
    EXPECT_EQ(CountServerMails(kUserAuthLogin), 1);
    ids = folder.IdFileText("imap");
    EXPECT_EQ(ids.find("<imap-old@example.jp>"), std::string::npos) << ids;
    EXPECT_NE(ids.find("<imap-new@example.jp>"), std::string::npos) << ids;
}

// Mails whose names carry the seen flag in the user's Maildir.
int CountSeenServerMails(const CString& maildir)
{
    int seen = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(maildir + "\\cur\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        std::string name = fd.cFileName;
        size_t flags = name.find(":2,");
        if (flags == std::string::npos)
            flags = name.find(";2,");  // the colon as Windows file names carry it
        if (flags != std::string::npos && name.find('S', flags) != std::string::npos)
            ++seen;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return seen;
}

TEST_F(ImapDovecotTest, SizeLimitKeepsOnlyTheHeaderOfALargeMail)
{
    CString maildir = ClearMaildir(kUserLogin);
    DeliverMail(kUserLogin, SmallMail("big") + std::string(30000, 'b') + "\r\n");
    DeliverMail(kUserLogin, SmallMail("small"));
    TestSessionFolder folder;
    CImapTestSession session(folder);
    Configure(session, kUserLogin);
    session.SetSizeLimit(10);
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0);
    EXPECT_EQ(session.filed, std::vector<std::string>{Filed(SmallMail("small"))});
    ASSERT_EQ(session.GetUndeliveredMails().size(), 1u);
    const CUndeliveredMail& kept = session.GetUndeliveredMails()[0];
    EXPECT_EQ(kept.nKind, 0);
    EXPECT_EQ(kept.strSubject, "big");
    EXPECT_GT(kept.nSize, 30000);
    EXPECT_EQ(kept.strHeader.Find("bbbb"), -1);
    EXPECT_EQ(CountServerMails(kUserLogin), 1);
    // Listing the ids must not mark the mail that stays on the server as read.
    EXPECT_EQ(CountSeenServerMails(maildir), 0);
}

// Last, and only once: Dovecot slows down every later login from this
// address for a while after a failed one.
TEST_F(ImapDovecotTest, PasswordRefusedAfterTheContinuationIsALoginFailure)
{
    TestSessionFolder folder;
    CImapTestSession session(folder);
    Configure(session, kUserPasses, "wrong");
    PassResult result = RunPass(session);
    ASSERT_TRUE(result.bFinished);
    EXPECT_EQ(session.GetLoginMethod(), CImapSession::loginAuthLogin);
    EXPECT_EQ(result.nFinishResult, 2);
    EXPECT_EQ(result.nFinishMessage, 57631u);
}

// IMAP hands the text over as it is; the mail file and the store get the
// same dot-doubled form as from POP3, and the parts decode byte for byte.
TEST_F(ImapDovecotTest, DotLinesArriveByteExactInTextAndEveryAttachmentEncoding)
{
    const int nUser = 12;
    DotLinesMail mail = MakeDotLinesMail("imap-dots");
    ClearMaildir(nUser);
    DeliverMail(nUser, mail.text);
    TestSessionFolder folder;
    CMailFolderStore inbox;
    SetUpInbox(inbox, folder.Root() + "\\Inbox");
    CImapTestSession session(folder);
    Configure(session, nUser);
    session.SetTargetStore(&inbox);
    PassResult result = RunPass(session);
    ASSERT_TRUE(result.bFinished);
    EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
    ASSERT_EQ(session.filed.size(), 1u);
    EXPECT_EQ(session.filed[0], Filed(mail.text));

    NetTest::ExpectStoredAsSent(inbox, mail, Filed(mail.text));
}

// What the store wrote for the mails of a pass is forced onto the disk once,
// after the last of them was filed and before the first is marked \Deleted.
TEST_F(ImapDovecotTest, FiledMailIsFlushedOnceBeforeTheFirstDeletedMark)
{
    const int nUser = 12;
    ClearMaildir(nUser);
    for (const std::string& mail : {kSjisMail, SmallMail("flush")})
        DeliverMail(nUser, mail);
    TestSessionFolder folder;
    CMailFolderStore inbox;
    SetUpInbox(inbox, folder.Root() + "\\Inbox");
    CImapTestSession session(folder);
    Configure(session, nUser);
    session.SetTargetStore(&inbox);
    PassResult result;
    std::vector<std::string> events;
    {
        StoreEventRecorder recorder;
        result = RunPass(session);
        events = recorder.Events();
    }
    ASSERT_TRUE(result.bFinished);
    EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
    EXPECT_EQ(session.GetReceivedCount(), 2);
    EXPECT_EQ(CountServerMails(nUser), 0);
    // Filing writes the data entry, then the record, for each mail.
    const std::vector<std::string> expected = {
        "write MailData.Qmd", "write Index.lst", "write MailData.Qmd", "write Index.lst",
        "flush MailData.Qmd", "flush Index.lst", "log STORE \\Deleted", "log STORE \\Deleted"};
    EXPECT_EQ(events, expected);
}
