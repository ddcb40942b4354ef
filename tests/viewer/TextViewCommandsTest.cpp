// The colour text view as the user works with it: selecting with the mouse,
// word selection, select all, copy without breaks at wrapped lines, find
// down and up, go to line, and the context menu and its commands on a link,
// an address and plain text (the shell and the editor are recorded, not
// started).
#include "resources/shownmail/ShownMailResource.h"
#include "store/StoreTestUtil.h"
#include "viewer/ColorTextView.h"
#include "viewer/TextViewActions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorded
{
    std::vector<std::string> shell;
    std::vector<std::string> editor;  // "mode|index|address|body"
    std::vector<std::string> handOver;
};
Recorded g_rec;

void RecordShell(const char* file, const char* params)
{
    g_rec.shell.push_back(std::string(file) + (params ? std::string("|") + params : ""));
}

BOOL RecordEditor(int mode, CMailFolderStore*, int index, const char* address, const char* body)
{
    g_rec.editor.push_back(std::to_string(mode) + "|" + std::to_string(index) + "|" + address + "|" + body);
    return TRUE;
}

void RecordHandOver(const char* text)
{
    g_rec.handOver.push_back(text);
}

std::string ClipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

class TextViewCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        g_rec = Recorded();
        TextViewActions& actions = GetTextViewActions();
        m_saved = actions;
        actions.pfnShellOpen = RecordShell;
        actions.pfnOpenEditor = RecordEditor;
        actions.pfnHandOverAddress = RecordHandOver;
        const char* cls = AfxRegisterWndClass("CVMTextViewCmdHost", 0, LoadCursor(nullptr, IDC_ARROW),
                                              GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(m_host.CreateEx(0, cls, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                    nullptr));
        OleInitialize(nullptr);
    }
    void TearDown() override
    {
        GetTextViewActions() = m_saved;
        m_host.DestroyWindow();
        m_app.reset();
        OleUninitialize();
    }
    CColorTextView* Make(const char* text, int wrapWidth = 0)
    {
        auto* view = new CColorTextView;
        RECT rc = {0, 0, 400, 300};
        EXPECT_TRUE(view->Create(&m_host, 10, rc));
        view->SetText(text, FALSE, wrapWidth);
        view->FinishLayout();
        return view;
    }
    void Pump()
    {
        MSG msg;
        for (int i = 0; i < 5; ++i) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(10);
        }
    }
    static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }
    int Y(CColorTextView* view, int line) { return line * view->GetLinePitch() + view->GetLinePitch() / 2; }
    void Drag(CColorTextView* view, POINT from, POINT to)
    {
        view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(from.x, from.y));
        view->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, Point((from.x + to.x) / 2, (from.y + to.y) / 2 + 1));
        view->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(to.x, to.y));
        view->SendMessage(WM_LBUTTONUP, 0, Point(to.x, to.y));
    }
    void Command(CColorTextView* view, UINT id)
    {
        view->SendMessage(WM_COMMAND, id, 0);
        Pump();
    }
    // The first x on a line where a link of the kind lies.
    int LinkX(CColorTextView* view, int line, SpanKind kind)
    {
        for (int x = 8; x < 400; ++x) {
            if (view->LinkAt({x, Y(view, line)}, nullptr) == kind)
                return x + 2;
        }
        return -1;
    }
    HMENU Popup(HMENU menu) { return GetSubMenu(menu, 0); }
    bool Enabled(HMENU menu, UINT id)
    {
        return !(GetMenuState(Popup(menu), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    }
    std::string ItemText(HMENU menu, UINT id)
    {
        char text[256] = {};
        GetMenuStringA(Popup(menu), id, text, sizeof(text), MF_BYCOMMAND);
        return text;
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
    CWnd m_host;
    TextViewActions m_saved;
};

} // namespace

TEST_F(TextViewCommandsTest, MouseDragSelectsAndCopyKeepsWrappedLinesTogether)
{
    const std::string para = "The quick brown fox jumps over the lazy dog and keeps running far away";
    CColorTextView* view = Make((para + "\r\nsecond line\r\nthird").c_str(), 150);
    ASSERT_TRUE(view->GetLine(0).wrapped);
    int wrapped = 0;
    while (view->GetLine(wrapped).wrapped)
        ++wrapped;

    // From the very start to the far right of the last line of the paragraph.
    Drag(view, {9, Y(view, 0)}, {390, Y(view, wrapped)});
    EXPECT_EQ(view->GetSelectedText(), para);
    Command(view, IDM_TV_COPY);
    EXPECT_EQ(ClipboardText(), para);

    // On into the next paragraph: a hard line end gives a break.
    Drag(view, {9, Y(view, wrapped)}, {390, Y(view, wrapped + 1)});
    EXPECT_EQ(view->GetSelectedText(), view->GetLine(wrapped).text + "\r\nsecond line");

    // Dragged upwards from the end of "second line" to the start of the
    // paragraph's last line: the ends are put in order.
    Drag(view, {390, Y(view, wrapped + 1)}, {9, Y(view, wrapped)});
    EXPECT_EQ(view->GetSelection().m_start, (TextPos{wrapped, 0}));
    EXPECT_EQ(view->GetSelectedText(), view->GetLine(wrapped).text + "\r\nsecond line");

    // A click without a drag clears it; copy is then not offered.
    view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(20, Y(view, 0)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(20, Y(view, 0)));
    EXPECT_FALSE(view->HasSelection());
}

TEST_F(TextViewCommandsTest, DoubleClickSelectsWordOrLineAndSelectAllTakesEverything)
{
    CColorTextView* view = Make("hello world\r\nメールボックスを開く\r\nlast");
    view->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Point(10, Y(view, 0)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(10, Y(view, 0)));
    EXPECT_EQ(view->GetSelectedText(), "hello");
    view->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Point(10, Y(view, 1)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(10, Y(view, 1)));
    EXPECT_EQ(view->GetSelectedText(), "メールボックス");
    // In the left margin: the whole line.
    view->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Point(3, Y(view, 1)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(3, Y(view, 1)));
    EXPECT_EQ(view->GetSelectedText(), "メールボックスを開く");

    for (UINT id : {IDM_TV_SELECT_ALL, IDM_TV_SELECT_ALL_TEXT}) {
        view->ClearSelection();
        Command(view, id);
        EXPECT_EQ(view->GetSelectedText(), "hello world\r\nメールボックスを開く\r\nlast");
    }
}

TEST_F(TextViewCommandsTest, FindGoesDownAndUpFromTheLastHit)
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += (i == 5 || i == 40 ? "a Mail here\r\n" : i == 50 ? "a mail there\r\n" : "filler line\r\n");
    CColorTextView* view = Make(text.c_str());

    EXPECT_EQ(view->FindText("mail", TRUE, -1), 1);  // ignoring case
    EXPECT_EQ(view->GetSelection().m_start.nLine, 5);
    EXPECT_EQ(view->GetSelectedText(), "Mail");
    EXPECT_EQ(view->FindNext(TRUE), 1);
    EXPECT_EQ(view->GetSelection().m_start.nLine, 40);
    // The hit is scrolled into view, a font height below the top.
    EXPECT_LE(view->GetScrollY(), 40 * view->GetLinePitch());
    EXPECT_GT(view->GetScrollY(), 0);
    EXPECT_EQ(view->FindNext(TRUE), 1);
    EXPECT_EQ(view->GetSelection().m_start.nLine, 50);
    EXPECT_EQ(view->FindNext(TRUE), 0);  // nothing further down
    EXPECT_EQ(view->GetSelection().m_start.nLine, 50);
    EXPECT_EQ(view->FindNext(FALSE), 1);
    EXPECT_EQ(view->GetSelection().m_start.nLine, 40);

    view->SetMatchCase(TRUE);
    EXPECT_EQ(view->FindText("mail", TRUE, -1), 1);
    EXPECT_EQ(view->GetSelection().m_start.nLine, 50);
    // Up from the top finds nothing and leaves the selection as it was.
    EXPECT_EQ(view->FindText("mail", FALSE, -1), 0);
    EXPECT_EQ(view->GetSelection().m_start.nLine, 50);
}

TEST_F(TextViewCommandsTest, GoToLineScrollsThatLineToTheTop)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    CColorTextView* view = Make(text.c_str());
    struct Case { int line; int top; } cases[] = {{0, 0}, {10, 10}, {120, 120}};
    for (const Case& c : cases) {
        view->GoToLine(c.line);
        EXPECT_EQ(view->GetScrollY(), c.top * view->GetLinePitch());
    }
    view->GoToLine(100000);  // past the end: as far as the text goes
    EXPECT_GT(view->GetScrollY(), 150 * view->GetLinePitch());
}

TEST_F(TextViewCommandsTest, ContextMenuFollowsSelectionSettingsAndHost)
{
    CColorTextView* view = Make("plain text line");
    HMENU menu = view->BuildContextMenu();
    ASSERT_NE(menu, nullptr);
    for (UINT id : {IDM_TV_COPY, IDM_TV_OPEN_BROWSER, IDM_TV_OPEN_APP1, IDM_TV_WRITE_MAIL, IDM_TV_ADD_ADDRESS})
        EXPECT_FALSE(Enabled(menu, id)) << id;
    EXPECT_TRUE(GetMenuState(Popup(menu), 0, MF_BYPOSITION) & MF_GRAYED);
    // Not inside a mail view (as in the header window): nothing about a mail.
    for (UINT id : {IDM_TV_ADD_SENDER, IDM_TV_SHOW_HEADER, IDM_TV_PROPERTIES})
        EXPECT_FALSE(Enabled(menu, id)) << id;
    DestroyMenu(menu);

    m_app->WriteProfileString("Setting", "OpenAppPath1", "C:\\tools\\one.exe");
    m_app->WriteProfileString("Setting", "OpenAppPath2", "C:\\tools\\two.exe");
    m_app->WriteProfileString("Setting", "OpenAppName2", "");
    Command(view, IDM_TV_SELECT_ALL);
    menu = view->BuildContextMenu();
    EXPECT_TRUE(Enabled(menu, IDM_TV_COPY));
    EXPECT_TRUE(Enabled(menu, IDM_TV_OPEN_BROWSER));
    EXPECT_TRUE(Enabled(menu, IDM_TV_OPEN_APP1));
    EXPECT_EQ(ItemText(menu, IDM_TV_OPEN_APP1), "開く(&1)");
    EXPECT_EQ(ItemText(menu, IDM_TV_OPEN_APP2), "アプリケーションから開く-2(&2)");
    EXPECT_FALSE(Enabled(menu, IDM_TV_OPEN_APP3));
    DestroyMenu(menu);

    Command(view, IDM_TV_OPEN_APP1);
    Command(view, IDM_TV_OPEN_APP3);  // no program: nothing
    ASSERT_EQ(g_rec.shell.size(), 1u);
    EXPECT_EQ(g_rec.shell[0], "C:\\tools\\one.exe|plain text line");
}

TEST_F(TextViewCommandsTest, LinksAndAddressesActThroughTheShellAndTheEditor)
{
    CColorTextView* view = Make("see http://example.jp/page now\r\nwrite to taro@example.jp please\r\nplain words");
    int x = LinkX(view, 0, SpanKind::WebAddress);
    ASSERT_GT(x, 0);
    // A double click opens the address, which the first click selected.
    view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(x, Y(view, 0)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(x, Y(view, 0)));
    EXPECT_EQ(view->GetSelectedText(), "http://example.jp/page");
    view->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x, Y(view, 0)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(x, Y(view, 0)));
    Pump();
    ASSERT_EQ(g_rec.shell.size(), 1u);
    EXPECT_EQ(g_rec.shell[0], "http://example.jp/page");

    // With a browser set, the browser gets the address as its parameter.
    m_app->WriteProfileString("Setting", "OpenBrowserPath", "C:\\browser.exe");
    Command(view, IDM_TV_OPEN_BROWSER);
    ASSERT_EQ(g_rec.shell.size(), 2u);
    EXPECT_EQ(g_rec.shell[1], "C:\\browser.exe|http://example.jp/page");

    x = LinkX(view, 1, SpanKind::MailAddress);
    ASSERT_GT(x, 0);
    view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(x, Y(view, 1)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(x, Y(view, 1)));
    view->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x, Y(view, 1)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(x, Y(view, 1)));
    Pump();
    ASSERT_EQ(g_rec.editor.size(), 1u);
    EXPECT_EQ(g_rec.editor[0], "-1|-1|taro@example.jp|");
    Command(view, IDM_TV_ADD_ADDRESS);
    ASSERT_EQ(g_rec.handOver.size(), 1u);
    EXPECT_EQ(g_rec.handOver[0], "taro@example.jp");

    // Plain text: a new mail with it as the body, and a reply quoting it
    // (without a mail view there is no mail to answer).
    view->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Point(3, Y(view, 2)));
    view->SendMessage(WM_LBUTTONUP, 0, Point(3, Y(view, 2)));
    Command(view, IDM_TV_MAIL_FROM_SELECTION);
    Command(view, IDM_TV_REPLY_QUOTE);
    ASSERT_EQ(g_rec.editor.size(), 3u);
    EXPECT_EQ(g_rec.editor[1], "-1|-1||plain words");
    EXPECT_EQ(g_rec.editor[2], "1|-1||plain words");
}

TEST_F(TextViewCommandsTest, SelectionStaysOnTheSameTextWhenTheLinesAreWrappedAgain)
{
    const std::string para = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron";
    CColorTextView* view = Make((para + "\r\nnext").c_str(), 300);
    // From "gamma" to the end of "next".
    size_t at = para.find("gamma");
    int line = 0;
    size_t before = 0;
    while (before + view->GetLine(line).text.size() <= at)
        before += view->GetLine(line++).text.size();
    int last = view->GetLineCount() - 1;
    view->SetSelection({line, static_cast<int>(at - before)}, {last, 4});
    const std::string selected = view->GetSelectedText();
    EXPECT_EQ(selected, para.substr(at) + "\r\nnext");
    for (int width : {120, 200, 0}) {
        view->SetText(nullptr, TRUE, width);
        EXPECT_EQ(view->GetSelectedText(), selected) << width;
    }
}
