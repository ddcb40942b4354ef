// The main window's side of the transfer commands: the route schedule starts
// no pass without an account and says nothing about it, and aborting a
// session that dialled offers to hang up the line, which goes through the
// remote-access library (the stand-in of tests/dialhelper records the call).
#include "TransferTestSupport.h"

#include "RasStandIn.h"
#include "net/DialConnection.h"
#include "transfer/MailGetThread.h"
#include "transfer/MailSendThread.h"

#include <gtest/gtest.h>

#include <deque>

using namespace TransferTest;

namespace {

// Answers the questions from a script and remembers them.
class QuestionHost : public TestHost
{
public:
    bool Confirm(const char* pszText) override
    {
        questions.push_back(pszText);
        bool answer = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    std::vector<std::string> questions;
    std::deque<bool> answers;
};

// A worker thread that runs until the test ends it: the host sees a transfer running.
class RunningWorker
{
public:
    RunningWorker()
    {
        m_hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_hThread = CreateThread(
            nullptr, 0, [](void* p) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(p), INFINITE); },
            m_hStop, 0, nullptr);
    }
    ~RunningWorker()
    {
        SetEvent(m_hStop);
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        CloseHandle(m_hStop);
    }
    // A handle for the host, which closes it when it sees the worker end.
    HANDLE Duplicate() const
    {
        HANDLE h = nullptr;
        DuplicateHandle(GetCurrentProcess(), m_hThread, GetCurrentProcess(), &h, 0, FALSE, DUPLICATE_SAME_ACCESS);
        return h;
    }

private:
    HANDLE m_hStop = nullptr;
    HANDLE m_hThread = nullptr;
};

const char kAbortReceive[] = "メールの受信を中断してよろしいですか？";
const char kAbortSend[] = "メールの送信を中断してよろしいですか？";
const char kHangUp[] = "RASの接続も切断しますか？";

} // namespace

TEST(TransferCommands, TheScheduleStartsNoRouteWithoutAnAccountAndSaysNothing)
{
    TestSupport::TempDir dir;
    TestApp app(dir.Path());
    TestHost host;
    EXPECT_FALSE(host.StartRoutePass(false));
    EXPECT_TRUE(host.messages.empty());
    // The user's own command is told why nothing happens.
    EXPECT_FALSE(host.StartRoutePass());
    EXPECT_EQ(host.messages, std::vector<std::string>{ "アカウントを作成してから実行してください。" });
    EXPECT_FALSE(host.IsReceiving());
}

class AbortDialUpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hVonlink = LoadLibraryA("Vonlink.dll");
        ASSERT_NE(m_hVonlink, nullptr);
        ASSERT_TRUE(RasStandIn::Find(m_setScript, m_readCalls)) << "the stand-in rasapi32.dll was not loaded";
        CDialConnection::SetLibrary(m_hVonlink);
        RasStandIn::Script script;
        m_setScript(&script);
    }
    void TearDown() override
    {
        CDialConnection::SetLibrary(nullptr);
        if (m_hVonlink)
            FreeLibrary(m_hVonlink);
    }
    std::string Calls() const { return RasStandIn::Calls(m_readCalls); }

    TestSupport::TempDir m_dir;
    TestApp m_app{ m_dir.Path() };
    HMODULE m_hVonlink = nullptr;
    RasStandIn::PFN_SetScript m_setScript = nullptr;
    RasStandIn::PFN_ReadCalls m_readCalls = nullptr;
};

TEST_F(AbortDialUpTest, AbortingADialledSessionAsksWhetherTheLineGoesToo)
{
    // The session's line as its worker keeps it (a handle the stand-in hands out).
    HRASCONN line = reinterpret_cast<HRASCONN>(static_cast<INT_PTR>(0x1234));
    struct Case
    {
        const char* name;
        bool bSending;
        bool bDialled;
        std::deque<bool> answers;
        std::vector<std::string> questions;
        bool bAborted;
        bool bHungUp;
    } const cases[] = {
        { "receive, both confirmed", false, true, { true, true }, { kAbortReceive, kHangUp }, true, true },
        { "receive, line kept", false, true, { true, false }, { kAbortReceive, kHangUp }, true, false },
        { "receive not aborted", false, true, { false }, { kAbortReceive }, false, false },
        { "receive without a line", false, false, { true }, { kAbortReceive }, true, false },
        { "send, line kept", true, true, { true, false }, { kAbortSend, kHangUp }, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RasStandIn::Script script;
        m_setScript(&script);
        QuestionHost host;
        host.answers = c.answers;
        RunningWorker worker;
        CDialConnection dial;
        dial.m_hRasConn = c.bDialled ? line : nullptr;
        CMailGetThread receiving;
        CMailSendThread sending;
        if (c.bSending) {
            host.m_hSendWorker = worker.Duplicate();
            sending.m_pDial = &dial;
            host.m_pMailSendThread = &sending;
        } else {
            host.m_hReceiveWorker = worker.Duplicate();
            receiving.m_pDial = &dial;
            host.m_pMailGetThread = &receiving;
        }
        host.AbortTransfer();
        EXPECT_EQ(host.questions, c.questions);
        EXPECT_EQ((c.bSending ? host.m_bAbortSend : host.m_bAbortReceive) != 0, c.bAborted);
        EXPECT_EQ(Calls().find("RasHangUpA") != std::string::npos, c.bHungUp) << Calls();
        host.m_pMailGetThread = nullptr;
        host.m_pMailSendThread = nullptr;
        dial.m_hRasConn = nullptr;
    }
}
