// The receive job when a mail cannot be filed (the disk is full): the job
// does not cut the connection but lets the session delete on the server the
// mails it filed before and log out, then reports the failure; the next
// receive brings the rest, each mail once, and empties the server.
#include "TransferTestSupport.h"

#include "net/NetTestSupport.h"
#include "store/MailFolderStore.h"
#include "transfer/TransferMessages.h"

#include <gtest/gtest.h>


using namespace TransferTest;

namespace {

// Users of the private Dovecot that only these tests use.
const int kUserPop3 = 53;
const int kUserImap = 54;
const int kMails = 5;

class ReceiveFilingErrorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
        TestSupport::ClearMessages();
    }

    TestSupport::TempDir dir;
    TestApp app{dir.Path()};
    MainLoop loop;
    TestHost host;
};

} // namespace

TEST_F(ReceiveFilingErrorTest, TheFiledMailsAreDeletedOnTheServerAndNoneComesTwice)
{
    const struct
    {
        const char* name;
        int nUser;
        bool bImap;
    } cases[] = {{"POP3", kUserPop3, false}, {"IMAP4", kUserImap, true}};
    int nAccount = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NetTest::ClearMaildir(c.nUser);
        std::vector<std::string> sent;
        for (int i = 0; i < kMails; i++) {
            sent.push_back(JapaneseMail(100 * c.nUser + i));
            NetTest::DeliverMail(c.nUser, sent.back());
        }
        AddAccount(app, c.name, c.nUser, c.bImap)->SetLeaveOnServer(FALSE);
        SaveAccounts(app);
        size_t nBefore = StoredMails(app.Inbox()).size();

        {
            NetTest::DiskFullAt diskFull(3);
            ASSERT_TRUE(ReceiveAndWait(host, loop, nAccount));
        }
        // Two mails were filed and deleted on the server; the third could
        // not be filed and stays there with the two after it.
        EXPECT_EQ(StoredMails(app.Inbox()).size(), nBefore + 2);
        EXPECT_EQ(NetTest::CountServerMails(c.nUser), kMails - 2);
        bool bToldTheDisk = false;
        for (const std::string& m : TestSupport::RecordedMessages())
            bToldTheDisk = bToldTheDisk || m.find("ハードディスク") != std::string::npos;
        EXPECT_TRUE(bToldTheDisk);

        ASSERT_TRUE(ReceiveAndWait(host, loop, nAccount));
        std::vector<std::string> inbox = StoredMails(app.Inbox());
        inbox.erase(inbox.begin(), inbox.begin() + static_cast<std::ptrdiff_t>(nBefore));
        EXPECT_EQ(SortedMessageIds(inbox), SortedMessageIds(sent));
        EXPECT_EQ(NetTest::CountServerMails(c.nUser), 0);
        nAccount++;
        TestSupport::ClearMessages();
    }
}
