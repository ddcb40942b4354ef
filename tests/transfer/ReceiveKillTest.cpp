// The program killed while its receive job files mail that is deleted from
// the server after receiving: a child run of this test program receives
// with the kill armed at one write of the store after another (the write
// done whole or half), then a receive of this program runs on the same
// mailbox. Every server mail is then in the inbox exactly once and none is
// left on the server.
#include "TransferTestSupport.h"

#include "net/NetTestSupport.h"
#include "store/MailFolderStore.h"
#include "store/StoreWrite.h"
#include "support/ChildTest.h"
#include "transfer/TransferMessages.h"

#include <gtest/gtest.h>


using namespace TransferTest;
using TestSupport::EnvVar;

namespace {

const int kUser = 55;
const int kMails = 3;

int g_nKillAt = 0;
bool g_bHalf = false;
int g_nWrites = 0;

void KillingWrite(CFile& file, const void* pData, UINT nCount)
{
    if (++g_nWrites == g_nKillAt) {
        file.Write(pData, g_bHalf ? nCount / 2 : nCount);
        file.Flush();
        TerminateProcess(GetCurrentProcess(), 77);
    }
    file.Write(pData, nCount);
}

DWORD RunChild(const CString& work, int nKillAt, bool bHalf)
{
    return TestSupport::RunChildTest("ReceiveKill.ChildReceives", {{"CVM_RECEIVE_KILL_DIR", work},
                                                                   {"CVM_RECEIVE_KILL_AT", FormatString("%d", nKillAt)},
                                                                   {"CVM_RECEIVE_KILL_HALF", bHalf ? "1" : "0"}});
}

void AddTheAccount(TestApp& app)
{
    AddAccount(app, "kill", kUser)->SetLeaveOnServer(FALSE);
    SaveAccounts(app);
}

// Receives the account once, as the receive command does.
void Receive()
{
    MainLoop loop;
    TestHost host;
    ASSERT_TRUE(ReceiveAndWait(host, loop, 0));
}

} // namespace

// The child side: one receive with the kill armed.
TEST(ReceiveKill, ChildReceives)
{
    CString work = EnvVar("CVM_RECEIVE_KILL_DIR");
    if (work.IsEmpty())
        GTEST_SKIP() << "runs as the child of ReceiveKill.EveryKillPointLeavesEachMailOnceInTheInbox";
    g_nKillAt = atoi(EnvVar("CVM_RECEIVE_KILL_AT"));
    g_bHalf = EnvVar("CVM_RECEIVE_KILL_HALF") == "1";
    TestApp app(work);
    AddTheAccount(app);
    StoreWrite::SetHook(KillingWrite);
    Receive();
    StoreWrite::SetHook(nullptr);
}

TEST(ReceiveKill, EveryKillPointLeavesEachMailOnceInTheInbox)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    for (bool bHalf : {false, true}) {
        bool bFinished = false;
        for (int nKillAt = 1; !bFinished && nKillAt < 40; nKillAt++) {
            SCOPED_TRACE(FormatString("killed at write %d%s", nKillAt, bHalf ? ", half done" : "").Str());
            NetTest::ClearMaildir(kUser);
            std::vector<std::string> sent;
            for (int i = 0; i < kMails; i++) {
                sent.push_back(JapaneseMail(1000 + i));
                NetTest::DeliverMail(kUser, sent.back());
            }
            TestSupport::TempDir dir;
            {
                TestApp setUp(dir.Path());
            }
            DWORD code = RunChild(dir.Path(), nKillAt, bHalf);
            ASSERT_NE(code, 0xFFFFFFFFu);
            bFinished = code != 77;

            TestSupport::ClearMessages();
            TestApp app(dir.Path());
            AddTheAccount(app);
            Receive();
            EXPECT_EQ(SortedMessageIds(StoredMails(app.Inbox())), SortedMessageIds(sent));
            EXPECT_EQ(NetTest::CountServerMails(kUser), 0);
        }
        EXPECT_TRUE(bFinished) << "the child never ran to the end";
    }
}
