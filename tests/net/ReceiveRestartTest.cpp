// A receive pass that deletes mail from the server and ends before its
// log-out (the program killed between two mails, the connection cut in the
// middle of a mail, a mail that cannot be filed because the disk is full),
// then runs again: every mail of the server lands in the inbox exactly once
// and none is left on the server.
#include "FakePop3Server.h"
#include "NetTestSupport.h"
#include "Pop3TestSession.h"
#include "imap/ImapTestSession.h"

#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

using namespace NetTest;

namespace {

const int kMails = 5;
// Users of the private Dovecot that only these tests use.
const int kUserPop3Killed = 49;
const int kUserImapKilled = 50;
const int kUserPop3DiskFull = 51;
const int kUserImapDiskFull = 52;

std::string Mail(int n)
{
    return "From: x@example.jp\r\nSubject: restart " + std::to_string(n) + "\r\nMessage-ID: <restart-" +
           std::to_string(n) + "@example.jp>\r\n\r\nbody of mail " + std::to_string(n) + "\r\n";
}

// The Message-IDs of the inbox's mails, in order, as they read back.
std::vector<std::string> InboxIds(const CString& inboxDir)
{
    CMailFolderStore inbox;
    SetUpInbox(inbox, inboxDir);
    std::vector<std::string> ids;
    CMailListData* list = inbox.GetMailList();
    for (int i = 0; list && i < list->GetMailCount(); i++) {
        CString text;
        if (!inbox.ReadMailText(list->GetMailRecord(i), text))
            continue;
        std::string s = text.Str();
        size_t at = s.find("Message-ID: ");
        ids.push_back(at == std::string::npos ? std::string() : s.substr(at + 12, s.find("\r\n", at) - at - 12));
    }
    return ids;
}

std::vector<std::string> AllIds()
{
    std::vector<std::string> ids;
    for (int n = 0; n < kMails; n++)
        ids.push_back("<restart-" + std::to_string(n) + "@example.jp>");
    return ids;
}

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// One program run: a fresh store on the inbox folder and a fresh session
// that deletes what it receives. stopBefore ends the run like a kill.
PassResult Pass(const TestSessionFolder& folder, int nUser, bool bImap, int nPort,
                const std::function<bool(CReceiveSession&)>& stopBefore = {})
{
    auto inbox = std::make_unique<CMailFolderStore>();
    SetUpInbox(*inbox, folder.Root() + "\\Inbox");
    std::unique_ptr<CReceiveSession> session;
    if (bImap)
        session = std::make_unique<ImapTest::CImapTestSession>(folder);
    else
        session = std::make_unique<CPop3TestSession>(folder);
    session->SetServer(nPort ? "127.0.0.1" : kHost, nPort ? nPort : bImap ? 143 : 110);
    session->SetUser(UserName(nUser), Password(nUser));
    session->SetAccountName("restart");
    session->SetTimeOut(10);
    session->SetLeaveOnServer(false);
    session->SetTargetStore(inbox.get());
    CReceiveSession& s = *session;
    PassResult result = RunPass(s, 120000, nullptr, stopBefore ? [&] { return stopBefore(s); } : std::function<bool()>());
    // A killed program leaves its connection without a log-out and its
    // files as they are.
    session.reset();
    inbox.reset();
    return result;
}

class ReceiveRestartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(DovecotAvailable(), "Dovecot");
        TestSupport::ClearMessages();
    }
};

} // namespace

TEST_F(ReceiveRestartTest, KilledAfterSomeFiledMailsTheNextPassBringsOnlyTheRest)
{
    const struct
    {
        const char* name;
        int nUser;
        bool bImap;
    } cases[] = {{"POP3", kUserPop3Killed, false}, {"IMAP4", kUserImapKilled, true}};
    for (const auto& c : cases) {
        for (int nKillAfter : {1, 3}) {
            SCOPED_TRACE(std::string(c.name) + ", killed after " + std::to_string(nKillAfter));
            ClearMaildir(c.nUser);
            for (int n = 0; n < kMails; n++)
                DeliverMail(c.nUser, Mail(n));
            TestSessionFolder folder;
            PassResult killed = Pass(folder, c.nUser, c.bImap, 0, [&](CReceiveSession& s) {
                return s.GetReceivedCount() >= nKillAfter;
            });
            ASSERT_TRUE(killed.bKilled);
            // Nothing was deleted: the log-out never came.
            EXPECT_EQ(CountServerMails(c.nUser), kMails);
            EXPECT_EQ(InboxIds(folder.Root() + "\\Inbox").size(), static_cast<size_t>(nKillAfter));

            PassResult again = Pass(folder, c.nUser, c.bImap, 0);
            EXPECT_TRUE(again.bFinished);
            EXPECT_EQ(again.nFinishResult, 0);
            EXPECT_EQ(again.nNewMails, kMails - nKillAfter);
            EXPECT_EQ(Sorted(InboxIds(folder.Root() + "\\Inbox")), AllIds());
            EXPECT_EQ(CountServerMails(c.nUser), 0);
            // Nothing is remembered of mails that are gone from the server.
            EXPECT_TRUE(folder.IdFileText("restart").empty()) << folder.IdFileText("restart");
        }
    }
}

TEST_F(ReceiveRestartTest, AFullDiskEndsThePassWithTheFiledMailsDeletedOnTheServer)
{
    const struct
    {
        const char* name;
        int nUser;
        bool bImap;
    } cases[] = {{"POP3", kUserPop3DiskFull, false}, {"IMAP4", kUserImapDiskFull, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearMaildir(c.nUser);
        for (int n = 0; n < kMails; n++)
            DeliverMail(c.nUser, Mail(n));
        TestSessionFolder folder;
        PassResult full;
        {
            DiskFullAt diskFull(3);
            full = Pass(folder, c.nUser, c.bImap, 0);
        }
        ASSERT_TRUE(full.bFinished);
        EXPECT_NE(full.nFinishResult, 0);
        ASSERT_EQ(full.errors.size(), 1u);
        // The two mails filed before were deleted on the way out; the one
        // that could not be filed and those after it stay.
        EXPECT_EQ(CountServerMails(c.nUser), kMails - 2);
        EXPECT_EQ(InboxIds(folder.Root() + "\\Inbox").size(), 2u);
        // The user was told why.
        ASSERT_FALSE(TestSupport::RecordedMessages().empty());
        EXPECT_NE(TestSupport::RecordedMessages()[0].find("ハードディスク"), std::string::npos);

        PassResult again = Pass(folder, c.nUser, c.bImap, 0);
        EXPECT_EQ(again.nFinishResult, 0);
        EXPECT_EQ(Sorted(InboxIds(folder.Root() + "\\Inbox")), AllIds());
        EXPECT_EQ(CountServerMails(c.nUser), 0);
        TestSupport::ClearMessages();
    }
}

// The connection breaks in the middle of the third mail: the two before are
// in the inbox and known, so the next pass deletes them without fetching
// them again, and the half mail left nothing behind.
TEST(ReceiveRestart, ConnectionCutInTheMiddleOfAMailBringsNothingTwice)
{
    std::vector<FakeMail> mails;
    for (int n = 0; n < kMails; n++)
        mails.push_back({"uidl-" + std::to_string(n), Mail(n)});
    FakePop3Options options;
    options.bMailbox = true;
    options.nBreakRetr = 3;
    options.bBreakByClosing = true;
    FakePop3Server server(mails, options, 2);
    TestSessionFolder folder;
    PassResult cut = Pass(folder, 1, false, server.Port());
    ASSERT_TRUE(cut.bFinished);
    EXPECT_NE(cut.nFinishResult, 0);
    EXPECT_EQ(server.Remaining().size(), static_cast<size_t>(kMails));
    EXPECT_EQ(InboxIds(folder.Root() + "\\Inbox").size(), 2u);

    PassResult again = Pass(folder, 1, false, server.Port());
    EXPECT_EQ(again.nFinishResult, 0);
    EXPECT_EQ(again.nNewMails, kMails - 2);
    EXPECT_EQ(Sorted(InboxIds(folder.Root() + "\\Inbox")), AllIds());
    EXPECT_TRUE(server.Remaining().empty());
    // The two known mails were not fetched a second time.
    int nRetr = 0;
    for (const std::string& command : server.Commands())
        nRetr += command.compare(0, 5, "RETR ") == 0;
    EXPECT_EQ(nRetr, kMails + 1);
}
