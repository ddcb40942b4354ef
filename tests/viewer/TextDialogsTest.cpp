// The small dialogs around the text: replace in an edit control, go to a
// line, the print range and the print settings, and the search routine
// under the replace dialog.
#include "resources/shownmail/ShownMailResource.h"
#include "store/StoreTestUtil.h"
#include "viewer/DlgGotoLine.h"
#include "viewer/DlgPrintRange.h"
#include "viewer/DlgPrintSetting.h"
#include "viewer/DlgReplace.h"
#include "viewer/EditSearch.h"

#include <gtest/gtest.h>

namespace {

class TextDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        const char* cls = AfxRegisterWndClass("CVMTextDialogsHost", 0, LoadCursor(nullptr, IDC_ARROW),
                                              GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(m_host.CreateEx(0, cls, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                    nullptr));
        m_edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 400, 300,
                                 m_host.GetSafeHwnd(), nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        m_host.DestroyWindow();
        m_app.reset();
    }
    std::string EditText()
    {
        char text[1024] = {};
        GetWindowTextA(m_edit, text, sizeof(text));
        return text;
    }
    void Click(CDialog& dlg, int id)
    {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dlg.GetDlgItemHwnd(id)));
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
    CWnd m_host;
    HWND m_edit = nullptr;
};

} // namespace

TEST(EditSearchTest, FindAndReplaceAllOnShiftJisText)
{
    struct Case { const char* text; const char* what; size_t from; bool matchCase; size_t at; } cases[] = {
        {"abc ABC", "abc", 0, false, 0},
        {"abc ABC", "abc", 1, false, 4},
        {"abc ABC", "ABC", 0, true, 4},
        {"abc", "x", 0, false, std::string::npos},
        {"ソ\\", "\\", 0, true, 2},  // never the second byte of ソ
        {"表示する", "示", 0, true, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CEditSearch::Find(c.text, c.what, c.from, c.matchCase), c.at) << c.text << " " << c.what;
    int count = 0;
    EXPECT_EQ(CEditSearch::ReplaceAll("cat Cat cAt dog", "cat", "fox", false, &count), "fox fox fox dog");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(CEditSearch::ReplaceAll("cat Cat", "cat", "cats", true, &count), "cats Cat");
    EXPECT_EQ(count, 1);
}

TEST_F(TextDialogsTest, ReplaceFindsReplacesAndReplacesAll)
{
    SetWindowTextA(m_edit, "one two one two one");
    CDlgReplace dlg(m_edit, &m_host);
    ASSERT_TRUE(dlg.Create(IDD_TEXT_REPLACE, &m_host));
    dlg.SetDlgItemText(IDC_REPLACE_FIND, "one");
    dlg.SetDlgItemText(IDC_REPLACE_WITH, "1");
    Click(dlg, IDC_REPLACE_FIND_NEXT);
    DWORD from = 0, to = 0;
    SendMessageA(m_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 3u);
    EXPECT_FALSE(dlg.m_bFromStart);
    // Replace the match found, and find the next one.
    Click(dlg, IDOK);
    EXPECT_EQ(EditText(), "1 two one two one");
    SendMessageA(m_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 6u);
    Click(dlg, IDC_REPLACE_ALL);
    EXPECT_EQ(EditText(), "1 two 1 two 1");
    EXPECT_TRUE(dlg.m_bFromStart);
    dlg.DestroyWindow();
}

TEST_F(TextDialogsTest, GotoLineAndPrintRangeHoldTheirValues)
{
    // 0 is the start of the text and -1 its end; a number below that or no
    // number at all keeps the dialog open with the line it had.
    const struct
    {
        const char* typed;
        int line;
        bool closed;
    } cases[] = { { "42", 42, true }, { "0", 0, true },   { "-1", -1, true },
                  { "-2", 7, false }, { "abc", 7, false }, { "", 7, false } };
    for (const auto& c : cases) {
        CDlgGotoLine line(&m_host);
        line.m_nLine = 7;
        ASSERT_TRUE(line.Create(IDD_GOTO_LINE, &m_host));
        EXPECT_EQ(line.GetDlgItemText(IDC_GOTO_LINE_NUMBER), "7");
        EXPECT_EQ(GetWindowLongA(line.GetDlgItemHwnd(IDC_GOTO_LINE_NUMBER), GWL_STYLE) & ES_NUMBER, 0)
            << "the minus sign of -1 can be typed";
        line.SetDlgItemText(IDC_GOTO_LINE_NUMBER, c.typed);
        line.OnOK();
        EXPECT_EQ(line.m_nLine, c.line) << c.typed;
        EXPECT_EQ(!line.m_hWnd || !IsWindow(line.m_hWnd), c.closed) << c.typed;
        if (line.m_hWnd)
            line.DestroyWindow();
    }

    CDlgPrintRange range(&m_host);
    ASSERT_TRUE(range.Create(IDD_PRINT_RANGE, &m_host));
    EXPECT_EQ(range.IsDlgButtonChecked(IDC_PRINT_RANGE_ALL), static_cast<UINT>(BST_CHECKED));
    CheckRadioButton(range.GetSafeHwnd(), IDC_PRINT_RANGE_ALL, IDC_PRINT_RANGE_SELECTION, IDC_PRINT_RANGE_SELECTION);
    range.OnOK();
    EXPECT_EQ(range.m_nRange, 1);
}

TEST_F(TextDialogsTest, PrintSettingsAreReadAndWritten)
{
    CDlgPrintSetting dlg(&m_host);
    ASSERT_TRUE(dlg.Create(IDD_PRINT_SETTING, &m_host));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PRINT_MARGIN_TOP), "20");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PRINT_FONT_SIZE), "10");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PRINT_LINE_SIZE), "0");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PRINT_SEPARATOR), "=");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PRINT_HEADER_TEMPLATE).Find(" 件名： %SUBJECT%\r\n"), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PRINT_MACRO_LIST), CDlgPrintSetting::MacroListText());

    dlg.SetDlgItemText(IDC_PRINT_MARGIN_LEFT, "15");
    dlg.SetDlgItemText(IDC_PRINT_LINE_SIZE, "2");
    dlg.SetDlgItemText(IDC_PRINT_SEPARATOR, "-+");
    dlg.SetDlgItemText(IDC_PRINT_FONT_SIZE, "0");  // refused: nothing is written
    dlg.OnOK();
    EXPECT_EQ(static_cast<int>(m_app->GetProfileInt("PrintSetting", "LineSize", -1)), -1);
    dlg.SetDlgItemText(IDC_PRINT_FONT_SIZE, "12");
    dlg.OnOK();
    EXPECT_EQ(static_cast<int>(m_app->GetProfileInt("PrintSetting", "PrintMarginLeft", 0)), 15);
    EXPECT_EQ(static_cast<int>(m_app->GetProfileInt("PrintSetting", "LineSize", 0)), 2);
    EXPECT_EQ(static_cast<int>(m_app->GetProfileInt("PrintSetting", "PrintFontSize", 0)), 12);
    EXPECT_EQ(m_app->GetProfileString("PrintSetting", "PrintHeaderSeparateChar", ""), "-+");
}
