// CDialConnection through Vonlink.dll and the stand-in remote-access library
// (tests/dialhelper): this test thread plays the transfer thread that dials.
#include "RasStandIn.h"
#include "support/TestSupport.h"

#include "net/DialConnection.h"
#include "net/NetMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The transfer subsystem's status object is not linked here; the texts land
// in a recorder that stands in for it.
struct StatusRecorder
{
    std::vector<std::string> texts;
};

void SetTransferStatusText(CTransferStatus* pStatus, const char* pszText)
{
    reinterpret_cast<StatusRecorder*>(pStatus)->texts.push_back(pszText);
}

namespace {

struct Posted
{
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Takes the next thread message within the time given; message 0 when none came.
Posted NextMessage(DWORD timeoutMs = 3000)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            return Posted{msg.message, msg.wParam, msg.lParam};
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return Posted{};
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLPOSTMESSAGE);
    }
}

class DialConnection : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread gets its queue
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        m_hVonlink = LoadLibraryA("Vonlink.dll");
        ASSERT_NE(nullptr, m_hVonlink);
        ASSERT_TRUE(RasStandIn::Find(m_setScript, m_readCalls)) << "the stand-in rasapi32.dll was not loaded";
        CDialConnection::SetLibrary(m_hVonlink);
        CDialConnection::SetApplicationRunning(true);
        TestSupport::ClearMessages();
        m_connection.m_nThreadId = GetCurrentThreadId();
    }
    void TearDown() override
    {
        CDialConnection::SetLibrary(nullptr);
        if (m_hVonlink)
            FreeLibrary(m_hVonlink);
    }
    void Script(const RasStandIn::Script& script) { m_setScript(&script); }
    std::string Calls() const { return RasStandIn::Calls(m_readCalls); }
    CTransferStatus* Status() { return reinterpret_cast<CTransferStatus*>(&m_status); }

    // Plays the transfer thread: every state notification goes to
    // OnDialState until the line is up (1362) or has failed (1360).
    Posted RunUntilDone()
    {
        for (;;) {
            Posted posted = NextMessage();
            if (posted.message == CDialConnection::kMsgDialState)
                m_connection.OnDialState(static_cast<int>(posted.wParam));
            else
                return posted;
        }
    }

    HMODULE m_hVonlink = nullptr;
    RasStandIn::PFN_SetScript m_setScript = nullptr;
    RasStandIn::PFN_ReadCalls m_readCalls = nullptr;
    StatusRecorder m_status;
    CDialConnection m_connection;
};

RasStandIn::Script StatesScript(std::initializer_list<int> states)
{
    RasStandIn::Script script;
    for (int state : states)
        script.states[script.stateCount++] = state;
    return script;
}

TEST_F(DialConnection, DialsReportsProgressAndHangsUpAfterAPause)
{
    Script(StatesScript({0, 1, 2, 5, 14, 8192}));
    m_connection.SetCancelHint(TRUE, "Esc");
    ASSERT_TRUE(m_connection.Dial("会社", "taro", "secret", Status()));
    ASSERT_TRUE(m_connection.IsConnected());

    Posted done = RunUntilDone();
    EXPECT_EQ(CDialConnection::kMsgDialConnected, done.message);
    std::vector<std::string> expected = {
        "ポートをオープンしています", "ポートを正常にオープンできました", "接続中です(Escでキャンセルできます)",
        "ユーザを確認中です・・・",   "ユーザが確認されました",           "正常に接続できました"};
    EXPECT_EQ(expected, m_status.texts);

    std::string calls = Calls();
    EXPECT_NE(std::string::npos, calls.find("RasEnumConnectionsA dwSize=ok")) << calls;
    EXPECT_NE(std::string::npos, calls.find("RasGetEntryDialParamsA phonebook=(null) entry=会社 dwSize=ok")) << calls;
    EXPECT_NE(std::string::npos, calls.find("RasDialA ext=(null) phonebook=(null) dwSize=ok entry=会社 user=taro "
                                            "password=secret notifier=2"))
        << calls;

    DWORD start = GetTickCount();
    m_connection.HangUp();
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 4900u);
    EXPECT_LT(elapsed, 8000u);
    EXPECT_FALSE(m_connection.IsConnected());
    EXPECT_NE(std::string::npos, Calls().find("RasHangUpA")) << Calls();
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());

    // A second hang-up has nothing to do.
    start = GetTickCount();
    m_connection.HangUp();
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(DialConnection, ReusesALineThatIsAlreadyUp)
{
    RasStandIn::Script script;
    script.openConnections = 1;
    Script(script);
    ASSERT_TRUE(m_connection.Dial("自宅", "u", "p", nullptr));
    EXPECT_EQ(CDialConnection::kMsgDialConnected, NextMessage(500).message);
    EXPECT_EQ(std::string::npos, Calls().find("RasDialA")) << Calls();

    // The object's own open line needs no question to the service at all.
    Script(RasStandIn::Script());
    m_connection.m_hRasConn = reinterpret_cast<HRASCONN>(0x42);
    ASSERT_TRUE(m_connection.Dial("自宅", "u", "p", nullptr));
    EXPECT_EQ(CDialConnection::kMsgDialConnected, NextMessage(500).message);
    EXPECT_EQ("", Calls());
    m_connection.m_hRasConn = nullptr;
}

TEST_F(DialConnection, StoredPasswordIsUsedInsteadOfTheAccounts)
{
    RasStandIn::Script script = StatesScript({8192});
    script.passwordStored = TRUE;
    Script(script);
    ASSERT_TRUE(m_connection.Dial("会社", "taro", "secret", nullptr));
    EXPECT_EQ(CDialConnection::kMsgDialConnected, RunUntilDone().message);
    EXPECT_NE(std::string::npos, Calls().find("user=stored-user password=stored-pw")) << Calls();
}

TEST_F(DialConnection, LongCredentialsAreCutToTheRecordsRoom)
{
    Script(RasStandIn::Script());
    std::string user(300, 'u');
    // 255 single bytes and then a double-byte character that would not fit whole.
    std::string password = std::string(255, 'p') + "表";
    ASSERT_TRUE(m_connection.Dial("会社", user.c_str(), password.c_str(), nullptr));
    std::string calls = Calls();
    EXPECT_NE(std::string::npos, calls.find("user=" + std::string(256, 'u') + " password=" + std::string(255, 'p') +
                                            " notifier"))
        << calls;
}

TEST_F(DialConnection, FailedDialReportsTheDialError)
{
    RasStandIn::Script script;
    script.dialResult = 623;  // no phone-book entry
    Script(script);
    EXPECT_FALSE(m_connection.Dial("無い", "u", "p", nullptr));
    Posted posted = NextMessage(500);
    EXPECT_EQ(CVM_MSG_TRANSFER_ERROR, posted.message);
    EXPECT_EQ(0u, posted.wParam);
    EXPECT_EQ(static_cast<LPARAM>(CDialConnection::kIdsDialFailed), posted.lParam);
}

TEST_F(DialConnection, DroppedLineIsHungUpAndReported)
{
    Script(StatesScript({0, 2, 8193}));
    ASSERT_TRUE(m_connection.Dial("会社", "u", "p", Status()));
    Posted done = RunUntilDone();
    EXPECT_EQ(CVM_MSG_TRANSFER_ERROR, done.message);
    EXPECT_EQ(8193u, done.wParam);
    EXPECT_EQ(static_cast<LPARAM>(CDialConnection::kIdsLineDropped), done.lParam);
    EXPECT_EQ("回線は切断／中断されました", m_status.texts.back());
    EXPECT_FALSE(m_connection.IsConnected());
    EXPECT_FALSE(m_connection.m_bDialling);
    EXPECT_NE(std::string::npos, Calls().find("RasHangUpA")) << Calls();
}

TEST_F(DialConnection, StatusLostWhileDiallingHangsUp)
{
    Script(StatesScript({0, 2, RasStandIn::kStatusFails}));
    ASSERT_TRUE(m_connection.Dial("会社", "u", "p", Status()));
    Posted done = RunUntilDone();
    EXPECT_EQ(CVM_MSG_TRANSFER_ERROR, done.message);
    EXPECT_EQ(static_cast<WPARAM>(-1), done.wParam);
    EXPECT_EQ(static_cast<LPARAM>(CDialConnection::kIdsLineDropped), done.lParam);
    EXPECT_FALSE(m_connection.IsConnected());
    EXPECT_NE(std::string::npos, Calls().find("RasHangUpA")) << Calls();
}

TEST_F(DialConnection, NotificationThatOvertakesTheDialCallStillArrives)
{
    RasStandIn::Script script = StatesScript({8192});
    script.notifyBeforeReturn = true;
    Script(script);
    ASSERT_TRUE(m_connection.Dial("会社", "u", "p", nullptr));
    EXPECT_EQ(CDialConnection::kMsgDialConnected, RunUntilDone().message);
}

TEST_F(DialConnection, StateTexts)
{
    struct Case
    {
        int state;
        BOOL hint;
        const char* text;  // null: the status is left alone
    } cases[] = {
        {2, FALSE, "接続中です・・・"},
        {2, TRUE, "接続中です(Ctrl+Qでキャンセルできます)"},
        {16, FALSE, "リセット中です"},
        {3, FALSE, nullptr},
        {-1, FALSE, nullptr},  // not dialling: nothing to report
    };
    for (const Case& c : cases) {
        CDialConnection connection;
        connection.SetCancelHint(c.hint, "Ctrl+Q");
        StatusRecorder status;
        connection.m_pStatus = reinterpret_cast<CTransferStatus*>(&status);
        connection.OnDialState(c.state);
        if (c.text) {
            ASSERT_EQ(1u, status.texts.size()) << c.state;
            EXPECT_EQ(c.text, status.texts[0]) << c.state;
        } else {
            EXPECT_TRUE(status.texts.empty()) << c.state;
        }
    }
    EXPECT_EQ(0u, NextMessage(0).message);
}

TEST_F(DialConnection, MissingLibraryOrExportSkipsTheStep)
{
    Script(RasStandIn::Script());
    for (HMODULE library : {static_cast<HMODULE>(nullptr), GetModuleHandleA("kernel32.dll")}) {
        CDialConnection::SetLibrary(library);
        CDialConnection connection;
        connection.m_nThreadId = GetCurrentThreadId();
        EXPECT_FALSE(connection.Dial("会社", "u", "p", nullptr));
        EXPECT_EQ(0u, NextMessage(0).message);
        EXPECT_EQ(-1, CDialConnection::GetConnectStatus(reinterpret_cast<HRASCONN>(0x5100)));

        // Without the hang-up export the user is told to cut the line by hand.
        TestSupport::ClearMessages();
        connection.m_hRasConn = reinterpret_cast<HRASCONN>(0x5100);
        connection.HangUp();
        EXPECT_FALSE(connection.IsConnected());
        ASSERT_EQ(1u, TestSupport::RecordedMessages().size());
        EXPECT_EQ("ダイアルアップネットワーク切断の実行に失敗しました。\r\n手動で切断してください。",
                  TestSupport::RecordedMessages()[0]);
    }
    EXPECT_EQ("", Calls());
}

} // namespace
