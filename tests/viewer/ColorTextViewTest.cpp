// The colour text view as a window: stepwise layout of a long text, links
// under the pointer (also a web address wrapped over lines), the preview.
#include "store/StoreTestUtil.h"
#include "viewer/ColorTextPreview.h"
#include "viewer/ColorTextView.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ColorTextViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        const char* cls = AfxRegisterWndClass("CVMViewerTestHost2", 0, LoadCursor(nullptr, IDC_ARROW),
                                              GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(m_host.CreateEx(0, cls, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                    nullptr));
    }
    void TearDown() override
    {
        m_host.DestroyWindow();
        m_app.reset();
    }
    template <class View> View* Make(int width = 400, int height = 300)
    {
        auto* view = new View;
        RECT rc = {0, 0, width, height};
        EXPECT_TRUE(view->Create(&m_host, 10, rc));
        return view;
    }
    void Pump(DWORD ms)
    {
        DWORD start = GetTickCount();
        do {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(5);
        } while (GetTickCount() - start < ms);
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
    CWnd m_host;
};

TEST_F(ColorTextViewTest, LongTextShowsItsFirstScreenBeforeTheRestIsLaidOut)
{
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "> 引用された行 " + std::to_string(i) + "\r\n";
    CColorTextView* view = Make<CColorTextView>();
    view->SetText(std::string(text));
    EXPECT_FALSE(view->IsLayoutDone());
    int first = view->GetLineCount();
    EXPECT_GE(first * view->GetLinePitch(), 300);  // the window is full
    EXPECT_LT(first, 200000);
    for (int i = 0; i < 200 && !view->IsLayoutDone(); ++i)
        Pump(50);
    ASSERT_TRUE(view->IsLayoutDone());
    EXPECT_EQ(view->GetLineCount(), 200001);  // and the empty line after the last break
    EXPECT_EQ(view->GetLine(199999).text, "> 引用された行 199999");
}

TEST_F(ColorTextViewTest, PointerOverALinkFindsTheWholeAddress)
{
    CColorTextView* view = Make<CColorTextView>();
    view->SetText("http://example.jp/abc を見て\r\n連絡は taro@example.jp へ");
    std::string link;
    EXPECT_EQ(view->LinkAt({12, 4}, &link), SpanKind::WebAddress);
    EXPECT_EQ(link, "http://example.jp/abc");
    EXPECT_EQ(view->LinkAt({390, 4}, &link), SpanKind::Text);

    // A wrapped address is found whole from any of its lines.
    m_app->WriteProfileInt("ViewOption", "LineFeed", 1);
    view->LoadOptions();
    std::string url = "http://example.jp/" + std::string(300, 'a') + "/end.html";
    view->SetText(url.c_str());
    view->FinishLayout();
    ASSERT_GE(view->GetLineCount(), 3);
    ASSERT_TRUE(view->GetLine(0).wrapped);
    int pitch = view->GetLinePitch();
    for (int line = 0; line < 3; ++line) {
        link.clear();
        EXPECT_EQ(view->LinkAt({12, line * pitch + 3}, &link), SpanKind::WebAddress) << line;
        EXPECT_EQ(link, url) << line;
    }
}

TEST_F(ColorTextViewTest, HighlightsTheKeywordsOfTheMailboxList)
{
    TestSupport::WriteFileBytes(m_app->GetKeywordListPath(), "255\t重要\t1\r\n0\t\t0\r\n");
    CColorTextView* view = Make<CColorTextView>();
    view->SetText("これは重要です");
    ASSERT_EQ(view->Colorizer().GetKeywords().size(), 1u);
    CTextColorizer::Carry carry;
    std::vector<TextSpan> spans;
    view->Colorizer().ColorLine(view->GetLine(0), carry, false, spans);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[1].kind, SpanKind::Keyword);
    EXPECT_EQ(spans[1].crColor, 255u);
    EXPECT_TRUE(spans[1].bBold);
}

TEST_F(ColorTextViewTest, PreviewTakesGivenColoursAndFallsBackToSettings)
{
    m_app->WriteProfileInt("Color", "RefTextColor2", 0x123456);
    CColorTextPreview* preview = Make<CColorTextPreview>();
    LOGFONTA lf = {};
    lf.lfHeight = 240;
    lstrcpyA(lf.lfFaceName, "IPAGothic");
    preview->SetFontAndColors(lf, 0x10, 0x20, 0, 0x40, 0, 0, 0x70, 0x80);
    const TextColors& c = preview->Colorizer().GetColors();
    EXPECT_EQ(c.crText, 0x10u);
    EXPECT_EQ(c.crQuote[0], 0x20u);
    EXPECT_EQ(c.crQuote[1], 0x123456u);  // from the setting
    EXPECT_EQ(c.crQuote[2], 0x40u);
    EXPECT_EQ(c.crUrl, 0x4000u);         // web and mail colours as a pair
    EXPECT_EQ(c.crAddress, 0x408080u);
    EXPECT_EQ(c.crBack, 0x80u);
    EXPECT_EQ(preview->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(m_host.GetSafeHwnd()),
                                   MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    preview->SetText("> preview");
    EXPECT_EQ(preview->GetLineCount(), 1);
}

// Commands the view posted to its frame (the test's host window).
int CountFrameCommands(HWND frame, UINT id)
{
    int n = 0;
    MSG msg;
    while (PeekMessageA(&msg, frame, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        if (LOWORD(msg.wParam) == id)
            ++n;
    return n;
}

TEST_F(ColorTextViewTest, SpaceAtTheEndGoesOnToTheNextUnreadMail)
{
    const UINT kNextUnread = 32931;
    CColorTextView* view = Make<CColorTextView>();
    HWND frame = m_host.GetSafeHwnd();
    const struct { const char* text; BOOL toNextUnread; int posted; } cases[] = {
        {"", TRUE, 1},                 // nothing to read
        {"short mail\r\n", TRUE, 1},  // all of it fits
        {"short mail\r\n", FALSE, 0},
    };
    for (const auto& c : cases) {
        view->SetText(c.text);
        CountFrameCommands(frame, kNextUnread);
        view->ScrollText(1, FALSE, c.toNextUnread);
        EXPECT_EQ(CountFrameCommands(frame, kNextUnread), c.posted) << c.text << c.toNextUnread;
    }

    // A long mail scrolls first and moves on only from its end.
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    view->SetText(text.c_str());
    view->FinishLayout();
    view->ScrollText(2, FALSE, TRUE);
    EXPECT_GT(view->GetScrollY(), 0);
    EXPECT_EQ(CountFrameCommands(frame, kNextUnread), 0);
    for (int i = 0; i < 20; ++i)
        view->ScrollText(2, FALSE, TRUE);
    EXPECT_EQ(CountFrameCommands(frame, kNextUnread) > 0, true);

    // Escape asks the frame for its escape command.
    view->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(CountFrameCommands(frame, 33127), 1);
}

} // namespace
