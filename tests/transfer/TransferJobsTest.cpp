// The receive, route and send jobs run as the main window runs them, this
// program playing the main thread: against the private Dovecot (POP3 and
// IMAP) and Postfix, with aborts in the middle.
#include "TransferTestSupport.h"

#include "core/AccountDataSet.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "smtp/SmtpTestSupport.h"
#include "store/MailFolderStore.h"
#include "transfer/MailGetThread.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace TransferTest;

namespace {

class TransferJobsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!NetTest::DovecotAvailable())
            GTEST_SKIP() << "the private Dovecot is not running";
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
    }

    // Receives account nAccount as the receive command does and waits for
    // the end of the job.
    void ReceiveAndWait(int nAccount)
    {
        int nEnds = loop.Count(TM_RECEIVE_JOB_END);
        ASSERT_TRUE(host.ReceiveAccount(nAccount, false, true));
        ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, nEnds + 1));
        ASSERT_TRUE(loop.RunUntil([&] { return !host.IsReceiving(); }, 10000));
    }

    void SendAndWait()
    {
        ASSERT_TRUE(host.SendOutbox());
        ASSERT_TRUE(loop.RunUntil([&] { return !host.IsSending(); }));
    }

    static std::set<std::string> MessageIds(const std::vector<std::string>& mails)
    {
        std::set<std::string> ids;
        for (const std::string& m : mails) {
            size_t at = m.find("Message-ID: ");
            if (at != std::string::npos)
                ids.insert(m.substr(at + 12, m.find("\r\n", at) - at - 12));
        }
        return ids;
    }

    TestSupport::TempDir dir;
    TestApp app{dir.Path()};
    MainLoop loop;
    TestHost host;
};

TEST_F(TransferJobsTest, ReceiveFilesJapaneseMailIntoTheInboxOverPop3AndImap)
{
    struct Case
    {
        const char* name;
        bool bImap;
        int nUser;
    } const cases[] = {{"POP3", false, 18}, {"IMAP", true, 19}};
    int nAccount = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetTest::ClearMaildir(c.nUser);
        std::vector<std::string> sent;
        for (int i = 0; i < 6; i++) {
            sent.push_back(JapaneseMail(i));
            NetTest::DeliverMail(c.nUser, sent.back());
        }
        AddAccount(app, c.name, c.nUser, c.bImap);
        SaveAccounts(app);
        int nBefore = static_cast<int>(StoredMails(app.Inbox()).size());
        int nNewBefore = loop.SumWParam(TM_SESSION_END);
        int nEndsBefore = loop.Count(TM_SESSION_END);

        ReceiveAndWait(nAccount++);

        std::vector<std::string> inbox = StoredMails(app.Inbox());
        ASSERT_EQ(static_cast<int>(inbox.size()) - nBefore, 6);
        for (const std::string& mail : sent) {
            bool bFound = std::any_of(inbox.begin(), inbox.end(), [&](const std::string& s) {
                return s.find(mail.substr(mail.find("Message-ID:"), 40)) != std::string::npos;
            });
            EXPECT_TRUE(bFound) << mail.substr(0, 120);
        }
        // One end of session for the main thread, with the count.
        EXPECT_EQ(loop.Count(TM_SESSION_END) - nEndsBefore, 1);
        EXPECT_EQ(loop.SumWParam(TM_SESSION_END) - nNewBefore, 6);
        if (!c.bImap) {
            EXPECT_EQ(NetTest::CountServerMails(c.nUser), 0);
        }
        // The receive log records the pass, newest first.
        std::string log = TestSupport::ReadFileBytes(app.GetReceiveLogPath());
        std::string expected = std::string("\t") + c.name + "\t正常に終了しました。\t6\r\n";
        EXPECT_NE(log.find(expected), std::string::npos) << log;
        EXPECT_LT(log.find(expected), log.find("\r\n") + 2) << log;
    }
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    std::lock_guard<std::mutex> hold(host.lock);
    EXPECT_EQ(host.progressKinds, std::vector<int>({0, 0}));
    EXPECT_EQ(host.nProgressEnds, 2);
}

TEST_F(TransferJobsTest, RouteReceivesEveryFlaggedAccountAndRecordsTheCheckTime)
{
    NetTest::ClearMaildir(20);
    NetTest::ClearMaildir(21);
    NetTest::DeliverMail(20, JapaneseMail(1));
    NetTest::DeliverMail(21, JapaneseMail(2));
    NetTest::DeliverMail(21, JapaneseMail(3));
    AddAccount(app, "first", 20);
    AddAccount(app, "skipped", 22)->SetInt(9, 0);
    AddAccount(app, "second", 21, true);
    SaveAccounts(app);

    ASSERT_TRUE(host.StartRoutePass());
    ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 1));
    ASSERT_TRUE(loop.RunUntil([&] { return !host.IsReceiving(); }, 10000));
    EXPECT_EQ(StoredMails(app.Inbox()).size(), 3u);
    EXPECT_EQ(loop.Count(TM_SESSION_END), 2);
    EXPECT_FALSE(app.GetProfileString("Setting", "LastRouteCheckTime", "").IsEmpty());
    {
        std::lock_guard<std::mutex> hold(host.lock);
        EXPECT_EQ(host.progressKinds, std::vector<int>({1, 1}));
    }

    // A route in which no session reaches its server leaves the time alone;
    // so does one without any flagged account.
    app.WriteProfileString("Setting", "LastRouteCheckTime", "");
    for (int i = 0; i < 3; i++)
        app.m_pAccountDataSet->GetAccount(i)->SetReceivePort(1);
    SaveAccounts(app);
    ASSERT_TRUE(host.StartRoutePass());
    ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 2));
    for (int i = 0; i < 3; i++)
        app.m_pAccountDataSet->GetAccount(i)->SetInt(9, 0);
    ASSERT_TRUE(loop.RunUntil([&] { return !host.IsReceiving(); }, 10000));
    ASSERT_TRUE(host.StartRoutePass());
    ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 3));
    EXPECT_TRUE(app.GetProfileString("Setting", "LastRouteCheckTime", "").IsEmpty());
}

TEST_F(TransferJobsTest, AbortDuringReceiveLosesNothingAndReceivesNothingTwice)
{
    const int nMails = 40;
    NetTest::ClearMaildir(22);
    for (int i = 0; i < nMails; i++)
        NetTest::DeliverMail(22, JapaneseMail(i, 20000));
    AddAccount(app, "abort", 22)->SetLeaveOnServer(FALSE);
    SaveAccounts(app);

    ASSERT_TRUE(host.ReceiveAccount(0, false, true));
    // Abort once a few mails are in.
    ASSERT_TRUE(loop.RunUntil([&] { return loop.Count(TM_LIST_CHANGED) >= 3; }));
    host.AbortTransfer();
    ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 1));
    ASSERT_TRUE(loop.RunUntil([&] { return !host.IsReceiving(); }, 10000));
    size_t nFirst = StoredMails(app.Inbox()).size();
    EXPECT_LT(nFirst, static_cast<size_t>(nMails));
    EXPECT_EQ(nFirst + NetTest::CountServerMails(22), static_cast<size_t>(nMails));

    // The next receive brings the rest, each mail once.
    ReceiveAndWait(0);
    std::vector<std::string> inbox = StoredMails(app.Inbox());
    EXPECT_EQ(inbox.size(), static_cast<size_t>(nMails));
    EXPECT_EQ(MessageIds(inbox).size(), static_cast<size_t>(nMails));
    EXPECT_EQ(NetTest::CountServerMails(22), 0);
}

} // namespace
