// Printing a text for real: a printer of the Wine prefix with the
// PostScript driver, the job written to a file, its pages counted from the
// document's page comments and compared with the pagination the printing
// uses.
#include "store/StoreTestUtil.h"
#include "support/TestPrinter.h"
#include "viewer/ColorTextView.h"
#include "viewer/MailView.h"
#include "store/MailFolderStore.h"
#include "viewer/PrintPreviewWnd.h"
#include "viewer/TextPrinter.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kPrinterName[] = "CVM Test Printer";

// A PostScript printer on a file port: each job goes to the file it names.
std::string TestPrinter()
{
    return TestSupport::InstallTestPrinter(kPrinterName, "FILE:");
}

int CountOf(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

class TextPrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        const char* cls = AfxRegisterWndClass("CVMTextPrintHost", 0, LoadCursor(nullptr, IDC_ARROW),
                                              GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(m_host.CreateEx(0, cls, "印刷テスト", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                    nullptr));
    }
    void TearDown() override
    {
        m_host.DestroyWindow();
        m_app.reset();
    }
    CColorTextView* Make(const std::string& text)
    {
        auto* view = new CColorTextView;
        RECT rc = {0, 0, 400, 300};
        EXPECT_TRUE(view->Create(&m_host, 10, rc));
        view->SetText(text.c_str());
        view->FinishLayout();
        return view;
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
    CWnd m_host;
};

} // namespace

TEST_F(TextPrintTest, PrintsEveryPageOfALongTextToThePrinter)
{
    std::string printer = TestPrinter();
    ASSERT_FALSE(printer.empty());
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += "印刷される行 " + std::to_string(i) + "\r\n";
    CColorTextView* view = Make(text);

    struct Case { int fontSize; int lineSize; } cases[] = {{10, 0}, {10, 3}, {20, 0}};
    for (const Case& c : cases) {
        m_app->WriteProfileInt("PrintSetting", "PrintFontSize", c.fontSize);
        m_app->WriteProfileInt("PrintSetting", "LineSize", c.lineSize);
        HDC hdc = CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr);
        ASSERT_NE(hdc, nullptr);
        // The pages the printing's own layout gives.
        PrintSettings settings = PrintSettings::Load();
        CTextPagination pages(CTextPrinter::MetricsOf(hdc), settings);
        HFONT font = CTextPrinter::CreatePrinterFont(hdc, settings);
        HGDIOBJ old = SelectObject(hdc, font);
        size_t lines = CTextPrinter::LayOut(hdc, text, pages.PrintableWidth(), 4).size();
        SelectObject(hdc, old);
        DeleteObject(font);
        const int expected = pages.PageCount(static_cast<int>(lines));
        EXPECT_GT(expected, 1);

        CString out = m_dir.File(FormatString("print%d_%d.ps", c.fontSize, c.lineSize));
        EXPECT_EQ(CTextPrinter::PrintView(view, hdc, out), expected);
        DeleteDC(hdc);
        std::string ps = TestSupport::ReadFileBytes(out);
        ASSERT_FALSE(ps.empty()) << out.GetString();
        EXPECT_EQ(ps.compare(0, 4, "%!PS"), 0);
        EXPECT_EQ(CountOf(ps, "\n%%Page: "), expected) << c.fontSize << "/" << c.lineSize;
    }
}

TEST_F(TextPrintTest, SelectionPrintsOnlyTheSelectedPart)
{
    std::string printer = TestPrinter();
    ASSERT_FALSE(printer.empty());
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    CColorTextView* view = Make(text);
    view->SetSelection({0, 0}, {3, 0});
    HDC hdc = CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    CString out = m_dir.File("selection.ps");
    EXPECT_EQ(CTextPrinter::PrintView(view, hdc, out, true), 1);
    DeleteDC(hdc);
    EXPECT_EQ(CountOf(TestSupport::ReadFileBytes(out), "\n%%Page: "), 1);
    // The screen is left as it was.
    EXPECT_EQ(view->GetSelectedText(), "line 0\r\nline 1\r\nline 2\r\n");
}

TEST_F(TextPrintTest, PreviewShowsThePagesAndCloses)
{
    std::string printer = TestPrinter();
    ASSERT_FALSE(printer.empty());
    SetDefaultPrinterA(printer.c_str());
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    CColorTextView* view = Make(text);
    CPrintPreviewWnd* preview = CPrintPreviewWnd::Show(view, false);
    ASSERT_NE(preview, nullptr);
    HWND hwnd = preview->GetSafeHwnd();
    EXPECT_GT(preview->GetPageCount(), 1);
    EXPECT_EQ(preview->GetPage(), 1);
    SendMessageA(hwnd, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(preview->GetPage(), 2);
    UpdateWindow(hwnd);
    SendMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(TextPrintTest, MailPrintsWithItsHeaderBlockAcrossThePrintableWidth)
{
    std::string printer = TestPrinter();
    ASSERT_FALSE(printer.empty());
    CMailFolderStore store;
    StoreTest::OpenStore(store, m_dir.Path() + "\\Inbox");
    std::string mail = "From: Taro <taro@example.jp>\r\nTo: hanako@example.jp\r\nSubject: printed\r\n"
                       "Message-ID: <pr1@example.jp>\r\n\r\n";
    for (int i = 0; i < 120; ++i)
        mail += "本文の行 " + std::to_string(i) + "\r\n";
    ASSERT_EQ(StoreTest::FileMail(store, m_dir.Path(), "QM1.eml", mail), 1);
    auto* view = new CMailView(FALSE);
    RECT rc = {0, 0, 600, 400};
    ASSERT_TRUE(view->Create(&m_host, 100, rc));
    view->ShowMail(0, &store, TRUE);

    HDC hdc = CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    PrintSettings settings = PrintSettings::Load();
    CTextPagination pages(CTextPrinter::MetricsOf(hdc), settings);
    HFONT font = CTextPrinter::CreatePrinterFont(hdc, settings);
    HGDIOBJ old = SelectObject(hdc, font);
    std::string text = CTextPrinter::TextToPrint(view->GetBodyView(), hdc, pages.PrintableWidth(), false);
    SIZE sep = {};
    GetTextExtentPoint32A(hdc, "=", 1, &sep);
    size_t lines = CTextPrinter::LayOut(hdc, text, pages.PrintableWidth(), 4).size();
    SelectObject(hdc, old);
    DeleteObject(font);
    // The separator line fills the printable width; the template follows it.
    const int count = pages.PrintableWidth() / (sep.cx + 1);
    EXPECT_EQ(text.find(std::string(static_cast<size_t>(count), '=') + "\r\n 件名： printed\r\n"), 0u);
    EXPECT_NE(text.find("本文の行 119"), std::string::npos);

    CString out = m_dir.File("mail.ps");
    const int expected = pages.PageCount(static_cast<int>(lines));
    EXPECT_EQ(CTextPrinter::PrintView(view->GetBodyView(), hdc, out), expected);
    DeleteDC(hdc);
    EXPECT_EQ(CountOf(TestSupport::ReadFileBytes(out), "\n%%Page: "), expected);
    // The header block is printed, not left in the view.
    EXPECT_TRUE(view->GetBodyView()->GetPrintHeader().empty());
    EXPECT_EQ(view->GetBodyView()->GetText().find("本文の行 0"), 0u);
}
