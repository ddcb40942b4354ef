// The HTML editing view on our own document: loading, the editing commands
// it sends, the format shown in the frame's boxes, the background and the
// document of our own that stands in where no engine is installed.
#include "editor/FormatButtonState.h"
#include "html/MemoryHtmlDocument.h"
#include "html/QHtmlEditView.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/html/HtmlResource.h"
#include "support/TestSupport.h"
#include "viewer/WebBrowser.h"

#include <gtest/gtest.h>

#include <docobj.h>

#include <string>
#include <vector>

namespace {

// A view on a window of its own, loading pages into our document.
class EditViewRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CQHtmlEditView::SetEngineFactory([this](const CString& url) {
            std::shared_ptr<CMemoryHtmlDocument> doc = next ? next : CMemoryHtmlDocument::Load(url);
            next = nullptr;
            last = doc;
            return doc;
        });
        const char* cls = AfxRegisterWndClass("CVMTestHtmlHost", 0);
        ASSERT_TRUE(host.CreateEx(0, cls, "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
        ASSERT_TRUE(view.Create(&host, 1312, RECT{ 0, 0, 400, 300 }));
        fontName.Attach(CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 200, host.m_hWnd,
                                      nullptr, nullptr, nullptr));
        fontSize.Attach(CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 200, host.m_hWnd,
                                      nullptr, nullptr, nullptr));
        for (const char* face : { "MS 明朝", "MS ゴシック" })
            fontName.AddString(face);
        for (const char* size : { "1", "2", "3", "4", "5", "6", "7" })
            fontSize.AddString(size);
        view.SetFormatControls(&fontName, &fontSize, &receiver);
    }
    void TearDown() override
    {
        fontName.Detach();
        fontSize.Detach();
        host.DestroyWindow();
        CQHtmlEditView::SetEngineFactory(nullptr);
    }
    std::vector<std::string> Commands()
    {
        std::vector<std::string> out;
        for (const auto& c : last->Commands())
            out.push_back(std::to_string(c.id) + "/" + std::to_string(c.option) + "/" + std::to_string(c.type) +
                          "/" + CString(c.value.c_str()).GetString());
        return out;
    }
    bool PostedComplete()
    {
        MSG msg;
        return PeekMessageA(&msg, host.m_hWnd, WM_USER + 101, WM_USER + 101, PM_REMOVE) != FALSE;
    }

    CWnd host;
    CQHtmlEditView view;
    CComboBox fontName, fontSize;
    CFormatButtonState receiver;  // the editor frame's
    std::shared_ptr<CMemoryHtmlDocument> next, last;
};

CString PaneText(HWND hWnd)
{
    char text[256] = "";
    GetWindowTextA(hWnd, text, sizeof(text));
    return CString(text);
}

} // namespace

TEST(HtmlEditView, WithoutAnEngineOurOwnDocumentKeepsThePageAndShowsItsText)
{
    CQHtmlEditView::SetEngineFactory(nullptr);
    CWebBrowser::SetEngineProbe([] { return false; });
    TestSupport::TempDir dir;
    // A page as a mail's writer left it: mixed case, attributes our own tree
    // would write differently, a picture, Japanese text and CR LF lines.
    const std::string page = "<html><HEAD><meta charset=\"shift_jis\"></HEAD>\r\n"
                             "<body BGCOLOR=#ffffff><b>太字</b> text<br>\r\n<img src='pic.gif' alt=x>"
                             "<P>次の段落</p></body></html>\r\n";
    TestSupport::WriteFileBytes(dir.File("page.html"), page);

    CWnd host;
    const char* cls = AfxRegisterWndClass("CVMTestHtmlHost", 0);
    ASSERT_TRUE(host.CreateEx(0, cls, "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
    {
        CQHtmlEditView view;
        ASSERT_TRUE(view.Create(&host, 1312, RECT{ 0, 0, 400, 300 }));
        ASSERT_NE(view.GetTextPane(), nullptr);
        view.Navigate(dir.File("page.html"));
        EXPECT_EQ(std::string(view.GetDocumentHtml().GetString()), page);
        EXPECT_FALSE(view.IsModified());
        EXPECT_STREQ(PaneText(view.GetTextPane()), "太字 text\r\n次の段落");
        EXPECT_EQ(std::string(view.GetBodyText("shift_jis").GetString()).find("次の段落"), 11u);
        // What only an engine can do fails instead of doing nothing.
        EXPECT_FALSE(view.Bold());
        EXPECT_EQ(view.QueryCommandStatus(52), static_cast<DWORD>(OLECMDF_SUPPORTED));
        EXPECT_EQ(view.GetDocumentHtml(), CString(page.c_str()));
        EXPECT_TRUE(view.SetModified());
        EXPECT_TRUE(view.IsModified());
        EXPECT_TRUE(view.ClearModified());

        // Once the document changes, its BODY is written from the tree and
        // what stands around it stays as it was.
        ASSERT_TRUE(view.GetDocumentRef().GetDocument()->PasteHtml(L"<p>added</p>"));
        EXPECT_TRUE(view.IsModified());
        std::string changed = view.GetDocumentHtml().Str();
        EXPECT_EQ(changed.find("<html><HEAD><meta charset=\"shift_jis\"></HEAD>\r\n<BODY BGCOLOR=\"#ffffff\"><B>太字</B>"),
                  0u) << changed;
        EXPECT_NE(changed.find("次の段落</P><P>added</P></BODY></html>\r\n"), std::string::npos) << changed;
        EXPECT_TRUE(view.ClearBackgroundColor());
        EXPECT_NE(view.GetDocumentHtml().Find("<BODY><B>"), -1) << view.GetDocumentHtml().Str();
    }
    // A page of UTF-8 keeps its text: given back in Shift_JIS, as the
    // editor writes HTML.
    TestSupport::WriteFileBytes(dir.File("utf8.html"),
                                "<html><body><p>\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e</p></body></html>");
    {
        CQHtmlEditView view;
        ASSERT_TRUE(view.Create(&host, 1312, RECT{ 0, 0, 400, 300 }));
        view.Navigate(dir.File("utf8.html"));
        EXPECT_STREQ(view.GetDocumentHtml(), "<html><body><p>日本語</p></body></html>");
        EXPECT_STREQ(PaneText(view.GetTextPane()), "日本語");
    }
    host.DestroyWindow();
    CWebBrowser::SetEngineProbe(nullptr);

    // A view that cannot be made says why through the system's text.
    CQHtmlEditView orphan;
    SetLastError(0);
    EXPECT_FALSE(orphan.Create(nullptr, 1312, RECT{ 0, 0, 10, 10 }));
    EXPECT_NE(GetLastError(), 0u);
    CString format;
    ASSERT_TRUE(format.LoadString(IDS_HTML_SHOW_ERROR));
    EXPECT_STREQ(format, "HTMLの表示エラー\r\n%s");
}

TEST_F(EditViewRun, TheEditPageLoadsEditableAndTellsTheFrame)
{
    view.LoadEditPage();
    ASSERT_TRUE(last);
    EXPECT_TRUE(last->Find(L"DIV"));
    EXPECT_EQ(last->DesignMode(), L"On");
    EXPECT_EQ(Commands(), (std::vector<std::string>{ "2410/0/11/true", "2400/0/11/true" }));
    EXPECT_TRUE(PostedComplete());
    EXPECT_FALSE(view.IsModified());

    // A second page repeats none of the first page's set-up; a file loaded
    // by NavigateToFile is deleted once complete, and a mail that must count
    // as changed is marked so.
    TestSupport::TempDir dir;
    CString file = dir.File("QM1.html");
    TestSupport::WriteFileBytes(file, "<html><body><p>本文</p></body></html>");
    view.SetModifiedAfterLoad(1);
    view.NavigateToFile(file);
    EXPECT_EQ(GetFileAttributesA(file), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Commands(), (std::vector<std::string>{ "2342/0/11/true" }));
    EXPECT_TRUE(view.IsModified());
    EXPECT_STREQ(view.GetBodyText("shift_jis"), "本文");
    EXPECT_EQ(last->Charset(), L"shift_jis");
}

TEST_F(EditViewRun, CommandsReachTheDocumentWithTheirValuesAndOptions)
{
    view.LoadEditPage();
    last->SetNames(2233, { L"標準", L"見出し 1" });
    const auto before = last->Commands().size();
    view.Bold();
    view.SetFontName("MS 明朝");
    view.SetFontSize(0);
    view.InsertImage();
    view.InsertHyperlink();
    view.Undo();
    view.FindWithOption(true);
    EXPECT_EQ(view.GetBlockFormatNames(), 0);
    view.SendMessage(WM_COMMAND, 33294);
    std::vector<std::string> got = Commands();
    got.erase(got.begin(), got.begin() + static_cast<long>(before));
    EXPECT_EQ(got, (std::vector<std::string>{ "52/2/0/", "18/2/8/MS 明朝", "19/2/3/1", "2168/1/0/", "2124/2/0/",
                                              "43/0/11/false", "67/0/11/true", "2233/2/0/", "2234/2/8/見出し 1" }));
}

TEST_F(EditViewRun, TheFormatAtTheCaretShowsInTheFramesBoxes)
{
    view.LoadEditPage();
    last->SetValue(18, L"MS ゴシック");
    last->SetValue(19, 3);
    last->SetStatus(52, OLECMDF_SUPPORTED | OLECMDF_ENABLED | OLECMDF_LATCHED);
    EXPECT_EQ(view.OnUpdateUI(), S_OK);
    EXPECT_EQ(fontName.SendMessage(CB_GETCURSEL), 1);
    EXPECT_EQ(fontSize.SendMessage(CB_GETCURSEL), 2);
    EXPECT_EQ(receiver.GetCheck(ID_HTML_BOLD), 1);
    EXPECT_EQ(receiver.GetCheck(ID_HTML_ITALIC), 0);

    // Mixed fonts clear the name; a size that is no size leaves the box.
    last->SetStatus(18, OLECMDF_SUPPORTED | OLECMDF_ENABLED | OLECMDF_NINCHED);
    last->SetValue(19, 0);
    view.UpdateFormatState();
    EXPECT_EQ(fontName.SendMessage(CB_GETCURSEL), -1);
    EXPECT_EQ(fontSize.SendMessage(CB_GETCURSEL), 2);
    // A disabled size command disables its box.
    last->SetStatus(19, OLECMDF_SUPPORTED);
    view.UpdateFormatState();
    EXPECT_FALSE(fontSize.IsWindowEnabled());
}

// Where a released key or mouse button left the caret, the frame's boxes
// and its bold, italic and underline buttons show the format found there.
TEST_F(EditViewRun, MovingTheCaretShowsTheFormatFoundThere)
{
    view.LoadEditPage();
    const DWORD on = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    const DWORD latched = on | OLECMDF_LATCHED;
    const struct
    {
        UINT message;
        const wchar_t* face;
        int size;
        DWORD bold, italic, underline;
        int faceShown, sizeShown;
        int boldShown, italicShown, underlineShown;
    } cases[] = {
        { WM_KEYUP, L"MS 明朝", 5, latched, on, on, 0, 4, 1, 0, 0 },
        { WM_LBUTTONUP, L"MS ゴシック", 1, on, latched, latched, 1, 0, 0, 1, 1 },
        { WM_KEYUP, L"Arial", 7, on, on, on, -1, 6, 0, 0, 0 },
    };
    for (const auto& c : cases) {
        last->SetValue(18, c.face);
        last->SetValue(19, c.size);
        last->SetStatus(18, on);
        last->SetStatus(19, on);
        last->SetStatus(52, c.bold);
        last->SetStatus(56, c.italic);
        last->SetStatus(63, c.underline);
        view.SendMessage(c.message, c.message == WM_KEYUP ? VK_RIGHT : 0, 0);
        EXPECT_EQ(fontName.SendMessage(CB_GETCURSEL), c.faceShown) << CString(c.face).GetString();
        EXPECT_EQ(fontSize.SendMessage(CB_GETCURSEL), c.sizeShown) << c.size;
        EXPECT_EQ(receiver.GetCheck(ID_HTML_BOLD), c.boldShown);
        EXPECT_EQ(receiver.GetCheck(ID_HTML_ITALIC), c.italicShown);
        EXPECT_EQ(receiver.GetCheck(ID_HTML_UNDERLINE), c.underlineShown);
    }
    // The other buttons of the format toolbar have no pressed state.
    EXPECT_EQ(receiver.GetCheck(ID_HTML_LEFT), -1);
    EXPECT_EQ(receiver.GetCheck(ID_HTML_TAG_MENU), -1);
}

TEST_F(EditViewRun, HtmlIsCutAfterItsEndAndTheBackgroundIsSet)
{
    struct Trailing : CMemoryHtmlDocument
    {
        std::wstring GetHtml() override { return L"<HTML><BODY>a</BODY></HTML>\r\n<!-- tail -->"; }
    };
    next = std::make_shared<Trailing>();
    view.LoadEditPage();
    EXPECT_STREQ(view.GetDocumentHtml(), "<HTML><BODY>a</BODY></HTML>");
    struct Lower : CMemoryHtmlDocument
    {
        std::wstring GetHtml() override { return L"<html><body>a</body></html>tail"; }
    };
    next = std::make_shared<Lower>();
    view.LoadEditPage();
    EXPECT_STREQ(view.GetDocumentHtml(), "<html><body>a</body></html>tail");

    EXPECT_STREQ(CQHtmlEditView::FormatColor(RGB(255, 128, 0)), "#ff8000");
    ASSERT_TRUE(view.SetBackgroundColor(RGB(255, 128, 0)));
    EXPECT_EQ(last->BgColor(), L"#ff8000");
    ASSERT_TRUE(view.SetBackgroundImage("C:\\pic\\back.png"));
    CHtmlElementRef body(last->GetBody());
    EXPECT_STREQ(body.GetAttribute("background"), "C:\\pic\\back.png");
    EXPECT_TRUE(view.ClearBackgroundColor());
    EXPECT_TRUE(view.ClearBackgroundImage());
    EXPECT_STREQ(body.GetAttribute("bgcolor"), "");
    EXPECT_FALSE(view.ClearBackgroundImage());
}

TEST_F(EditViewRun, TableCommandsOutsideACellSayWhere)
{
    next = std::make_shared<CMemoryHtmlDocument>(L"<p>text</p>");
    view.LoadEditPage();
    last->SetCaret(last->Find(L"P"));
    TestSupport::ClearMessages();
    view.SendMessage(WM_COMMAND, 33334);
    view.SendMessage(WM_COMMAND, 33331);
    const auto& messages = TestSupport::RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "削除する列のセルにカーソルを置いて下さい。");
}

TEST_F(EditViewRun, ClipboardMessagesRunTheirCommandWhenOffered)
{
    view.LoadEditPage();
    last->SetStatus(16, OLECMDF_SUPPORTED);
    const auto before = last->Commands().size();
    view.SendMessage(WM_COPY);
    view.SendMessage(WM_CUT);
    view.SendMessage(WM_PASTE);
    std::vector<std::string> got = Commands();
    got.erase(got.begin(), got.begin() + static_cast<long>(before));
    EXPECT_EQ(got, (std::vector<std::string>{ "15/2/0/", "26/2/0/" }));
}
