// Progress status objects and the status bar's progress control: what the
// control shows for each state of a receive and a send, and the watchdog's
// question whether anything moved.
#include "transfer/ReceiveStatus.h"
#include "transfer/SendStatus.h"
#include "transfer/TransferProgressCtrl.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <functional>
#include <memory>
#include <thread>

namespace {

class ProgressCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        ASSERT_TRUE(parent.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 400, 40, nullptr, nullptr));
        counter = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 100, 20, parent.m_hWnd, nullptr, nullptr, nullptr);
        detail = CreateWindowA("STATIC", "", WS_CHILD, 100, 0, 200, 20, parent.m_hWnd, nullptr, nullptr, nullptr);
        RECT r = {300, 0, 400, 20};
        ASSERT_TRUE(bar.Create(WS_CHILD, r, &parent, 1));
    }
    void TearDown() override { parent.DestroyWindow(); }

    static std::string Text(HWND h)
    {
        char text[256];
        GetWindowTextA(h, text, sizeof(text));
        return text;
    }
    int Position() { return static_cast<int>(::SendMessageA(bar.m_hWnd, PBM_GETPOS, 0, 0)); }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }

    CWnd parent;
    HWND counter = nullptr, detail = nullptr;
    CTransferProgressCtrl bar;
};

TEST_F(ProgressCtrlTest, ShowsTheCountersAndTextsOfAReceive)
{
    struct Case
    {
        const char* name;
        std::function<void(CReceiveStatus&)> change;
        const char* counterText;
        const char* detailText;
        int nPosition;
    } const cases[] = {
        {"a mail under way", [](CReceiveStatus& s) { s.SetMailCount(5); s.SetProgress("受信中", 2, 1000, 250); },
         " 2 / 5", " 250 Byte：受信中", 25},
        {"bytes move", [](CReceiveStatus& s) { s.SetMailBytes(900); }, " 2 / 5", " 900 Byte：受信中", 90},
        // A size of 0 keeps the bar where it was; the detail line is shown.
        {"no size", [](CReceiveStatus& s) { s.SetProgress("", 3, 0, 0); s.SetStatusText("ログイン中"); },
         " 3 / 5", " ログイン中", 90},
        {"no mail count", [](CReceiveStatus& s) { s.SetMailCount(0); s.SetProgress("x", 1, 100, 10); }, "",
         " 10 Byte：x", 10},
    };
    CReceiveStatus status;
    bar.Begin(counter, detail, 0, &status);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change(status);
        EXPECT_EQ(Text(counter), c.counterText);
        EXPECT_EQ(Text(detail), c.detailText);
        EXPECT_EQ(Position(), c.nPosition);
    }

    // Rebound to the next session: the first one's changes are not shown.
    CReceiveStatus next;
    bar.End();
    bar.Begin(counter, detail, 1, &next);
    status.SetProgress("old", 9, 100, 50);
    EXPECT_EQ(Text(counter), "");
    EXPECT_EQ(Text(detail), " ");
}

TEST_F(ProgressCtrlTest, ShowsASendOfTheMainWindowAndOfAnEditor)
{
    CSendStatus status;
    status.SetType(2);
    bar.SetSendCounter(2, 3);
    bar.Begin(counter, detail, 2, &status);
    status.SetProgress("件名", 400, 100);
    EXPECT_EQ(Text(counter), " 2 / 3");
    EXPECT_EQ(Text(detail), " 100 Byte：件名");
    EXPECT_EQ(Position(), 25);

    // An editor's send shows bytes of the total, or its detail line.
    CSendStatus editor;
    bar.Begin(counter, detail, 3, &editor);
    editor.SetStatusText("接続中");
    EXPECT_EQ(Text(detail), " 接続中");
    editor.SetProgress("件名", 400, 200);
    EXPECT_EQ(Text(detail), "データ送信中\r\n\r\n200 / 400");
    EXPECT_EQ(Text(counter), "");
    EXPECT_EQ(Position(), 50);
}

// A session thread never waits for the UI thread: its changes are posted,
// and the window shows the latest state once it reads them. A change read
// after the end of the display no longer touches the status, which its
// session thread may have deleted by then.
TEST_F(ProgressCtrlTest, ChangesOfASessionThreadAreShownWithoutHoldingIt)
{
    auto status = std::make_unique<CReceiveStatus>();
    bar.Begin(counter, detail, 0, status.get());
    Pump();
    std::thread session([&] {
        status->SetMailCount(300);
        for (int i = 1; i <= 300; i++) {
            status->SetMailStart(i, 1000);
            status->SetMailBytes(1000);
        }
    });
    session.join();  // this thread reads nothing meanwhile
    Pump();
    EXPECT_EQ(Text(counter), " 300 / 300");
    EXPECT_EQ(Text(detail), " 1000 Byte：受信中");
    EXPECT_EQ(Position(), 100);

    std::thread last([&] { status->SetProgress("終了", 1, 10, 5); });
    last.join();
    bar.End();
    status.reset();
    Pump();
    EXPECT_EQ(Text(counter), " 300 / 300");
    EXPECT_EQ(Position(), 0);

    // The next session's changes are shown again.
    CReceiveStatus next;
    bar.Begin(counter, detail, 0, &next);
    std::thread again([&] { next.SetProgress("受信中", 1, 100, 50); });
    again.join();
    Pump();
    EXPECT_EQ(Text(detail), " 50 Byte：受信中");
}

TEST(TransferStatus, TellsWhetherAnythingMovedSinceTheLastQuestion)
{
    CReceiveStatus status;
    struct Step
    {
        std::function<void()> change;
        bool bChanged;
    } const steps[] = {
        {[] {}, false},
        {[&] { status.SetMailCount(3); }, true},
        {[] {}, false},
        {[&] { status.SetProgress("受信中", 1, 500, 0); }, true},
        {[&] { status.SetStatusText("text alone"); }, false},
        {[&] { status.SetMailBytes(100); }, true},
        {[&] { status.SetMailBytes(100); }, false},
    };
    int n = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(n++);
        step.change();
        EXPECT_EQ(status.HasChanged(), step.bChanged);
    }
}

TEST(TransferStatus, CopiesTextsIntoShortBuffers)
{
    CSendStatus status;
    status.SetStatusText("0123456789");
    char buffer[5] = "zzzz";
    status.GetStatusText(buffer, sizeof(buffer));
    EXPECT_STREQ(buffer, "0123");
    int nDone = -1, nSize = -1;
    status.GetProgress(buffer, sizeof(buffer), nDone, nSize);
    EXPECT_STREQ(buffer, "0123");
    EXPECT_EQ(nSize, 0);
}

} // namespace
