// A receive against servers that stop answering, with an account time-out
// of one second: the job ends on the watchdog's times, the main thread
// hears one end of session and one end of job, and the mail being received
// stays on the server with nothing half-written left behind.
#include "TransferTestSupport.h"

#include "net/NetTestSupport.h"
#include "store/MailFolderStore.h"
#include "transfer/TransferMessages.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace TransferTest;

namespace {

// A POP3 server with one mail that goes silent in the middle of sending
// it, dribbling a byte now and then so that the connection never times out.
struct DribblingPop3
{
    std::atomic<bool> bDeleted{false};
    std::atomic<bool> bRetrieved{false};
    std::atomic<bool> bStop{false};

    void Serve(SOCKET s)
    {
        NetTest::SendAll(s, "+OK ready\r\n");
        std::string line;
        while (!bStop && NetTest::RecvLine(s, line)) {
            std::string verb = line.substr(0, 4);
            if (verb == "STAT") {
                NetTest::SendAll(s, "+OK 1 120\r\n");
            } else if (verb == "UIDL") {
                NetTest::SendAll(s, line.size() > 6 ? "+OK 1 id-1\r\n" : "+OK\r\n1 id-1\r\n.\r\n");
            } else if (verb == "LIST") {
                NetTest::SendAll(s, line.size() > 6 ? "+OK 1 120\r\n" : "+OK\r\n1 120\r\n.\r\n");
            } else if (verb == "RETR") {
                bRetrieved = true;
                NetTest::SendAll(s, "+OK\r\nSubject: slow\r\n");
                while (!bStop && NetTest::SendAll(s, "x"))
                    Sleep(300);
                return;
            } else if (verb == "TOP ") {
                NetTest::SendAll(s, "+OK\r\nSubject: slow\r\n\r\n.\r\n");
            } else if (verb == "DELE") {
                bDeleted = true;
                NetTest::SendAll(s, "+OK\r\n");
            } else if (verb == "QUIT") {
                NetTest::SendAll(s, "+OK\r\n");
                return;
            } else {
                NetTest::SendAll(s, "+OK\r\n");
            }
        }
    }
};

class SilentServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
    }

    // Receives the account at the port; the time the job took.
    DWORD Receive(int nPort)
    {
        CAccountData* a = AddAccount(app, "silent", 18);
        a->SetReceiveServer("127.0.0.1");
        a->SetReceivePort(nPort);
        a->SetTimeout(1);
        SaveAccounts(app);
        DWORD dwStart = GetTickCount();
        EXPECT_TRUE(host.ReceiveAccount(0, false, true));
        EXPECT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 1, 30000));
        return GetTickCount() - dwStart;
    }

    int LeftoverFiles()
    {
        int n = 0;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(app.GetInboxWorkPath() + "\\QM*", &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do
                n++;
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        return n;
    }

    TestSupport::TempDir dir;
    TestApp app{dir.Path()};
    MainLoop loop;
    TestHost host;
};

TEST_F(SilentServerTest, AServerThatNeverAnswersEndsTheSessionInTime)
{
    // Accepts and waits for the client to go.
    NetTest::FakeServer server([](SOCKET s) {
        char c;
        recv(s, &c, 1, 0);
    });
    DWORD dwTook = Receive(server.Port());
    // The blocked read gives up after three time-outs; the watchdog's
    // deadline (3T + 2 s and T of waiting) bounds it in any case.
    EXPECT_LE(dwTook, 3000u + 2000u + 1000u + 1500u);
    EXPECT_EQ(loop.Count(TM_SESSION_END), 1);
    EXPECT_TRUE(StoredMails(app.Inbox()).empty());
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
}

TEST_F(SilentServerTest, TheWatchdogEndsASessionStuckInAMailAndTheMailStaysOnTheServer)
{
    DribblingPop3 pop3;
    NetTest::FakeServer server([&](SOCKET s) { pop3.Serve(s); });
    DWORD dwTook = Receive(server.Port());
    pop3.bStop = true;
    EXPECT_TRUE(pop3.bRetrieved);
    // Asked to abort after 2T + 2 s of silence, ended after 3T + 2 s and T.
    EXPECT_GE(dwTook, 4000u);
    EXPECT_LE(dwTook, 5000u + 1000u + 2000u);
    EXPECT_FALSE(pop3.bDeleted);
    EXPECT_EQ(loop.Count(TM_SESSION_END), 1);
    EXPECT_EQ(LeftoverFiles(), 0);
    EXPECT_TRUE(StoredMails(app.Inbox()).empty());
    // The main thread stayed free: a posted message is answered at once.
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 1, 0, 0);
    DWORD dwPosted = GetTickCount();
    EXPECT_TRUE(loop.RunUntilCount(WM_USER + 1, 1, 1000));
    EXPECT_LE(GetTickCount() - dwPosted, 500u);
}

} // namespace
