// An HTML mail in the editor view: its text-edit mode, where the user writes
// the text part that readers without HTML see, and the window that shows
// the HTML source. The view is real; the HTML document is our own engine.
#include "coreui/UiTestSupport.h"
#include "editor/EditorTestUtil.h"
#include "editor/HtmlBodyMode.h"
#include "editor/MailEditView.h"
#include "html/MemoryHtmlDocument.h"
#include "html/QHtmlEditView.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Steps: H the mail becomes HTML, T text-edit is switched (entered after
// its question), L the mail becomes text again.
TEST(HtmlBodyModeTest, TextEditShowsTheTextBodyAndKeepsItAsTheTextPartUntilTheMailIsText)
{
    struct Case
    {
        const char* steps;
        CHtmlBodyMode::Step lastToggle;  // what the last T asked for
        bool htmlView, textEditing, textPartIsBody;
    } const cases[] = {
        {"", CHtmlBodyMode::stepNone, false, false, false},
        {"T", CHtmlBodyMode::stepNone, false, false, false},
        {"H", CHtmlBodyMode::stepNone, true, false, false},
        {"HT", CHtmlBodyMode::stepAskEnter, false, true, true},
        // Back in the HTML view, what was written stays the text part.
        {"HTT", CHtmlBodyMode::stepShowHtml, true, false, true},
        {"HTTT", CHtmlBodyMode::stepAskEnter, false, true, true},
        // A text mail again: the body is the mail, and HTML starts afresh.
        {"HTL", CHtmlBodyMode::stepAskEnter, false, false, false},
        {"HTLH", CHtmlBodyMode::stepAskEnter, true, false, false},
        {"HTLT", CHtmlBodyMode::stepNone, false, false, false},
        // K: a stored HTML mail came back with a text part of its own.
        {"K", CHtmlBodyMode::stepNone, false, false, false},
        {"HK", CHtmlBodyMode::stepNone, true, false, true},
        {"HKL", CHtmlBodyMode::stepNone, false, false, false},
    };
    for (const Case& c : cases) {
        CHtmlBodyMode mode;
        CHtmlBodyMode::Step last = CHtmlBodyMode::stepNone;
        for (const char* s = c.steps; *s; ++s) {
            if (*s == 'H')
                mode.EnterHtml();
            else if (*s == 'K')
                mode.KeepTextPart();
            else if (*s == 'L')
                mode.LeaveHtml();
            else if ((last = mode.ToggleTextEdit()) == CHtmlBodyMode::stepAskEnter)
                mode.EnterTextEdit();
        }
        EXPECT_EQ(last, c.lastToggle) << c.steps;
        EXPECT_EQ(mode.ShowsHtmlView(), c.htmlView) << c.steps;
        EXPECT_EQ(mode.ShowsTextBody(), !c.htmlView) << c.steps;
        EXPECT_EQ(mode.IsTextEditing(), c.textEditing) << c.steps;
        EXPECT_EQ(mode.TextPartIsBody(), c.textPartIsBody) << c.steps;
    }
}

// What an update handler says about a command, without a menu.
class CStateUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnabled = bOn != FALSE;
        CCmdUI::Enable(bOn);
    }
    void SetCheck(int nCheck) override { m_nCheck = nCheck; }
    bool m_bEnabled = false;
    int m_nCheck = -1;
};

const int kHtmlViewId = 1312;
const char kQuestion[] = "現在のHTMLの内容からテキストを自動作成しますか？";

class HtmlTextEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_richEdit = LoadLibraryA("RICHED20.DLL");
        ASSERT_NE(m_richEdit, nullptr);
        CQHtmlEditView::SetEngineFactory([](const CString& url) { return CMemoryHtmlDocument::Load(url); });
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        m_view = new CMailEditView;  // deletes itself with its window
        RECT rc = {0, 0, 560, 400};
        ASSERT_TRUE(m_view->Create(&m_host, AFX_IDW_PANE_FIRST, rc));
        m_view->OnInitialUpdate();
    }
    void TearDown() override
    {
        if (m_view && m_view->m_hWnd)
            m_view->DestroyWindow();
        CQHtmlEditView::SetEngineFactory(nullptr);
        TestSupport::ClearMessages();
    }
    // A page as an HTML mail's part is kept on disk.
    CString WritePage(const char* name, const std::string& html)
    {
        CString path = m_box.dir.File(name);
        TestSupport::WriteFileBytes(path, html);
        return path;
    }
    void Command(UINT nID)
    {
        m_view->SendMessage(WM_COMMAND, nID, 0);
        UiTest::Pump(50);
    }
    CStateUI State(UINT nID)
    {
        CStateUI ui;
        ui.m_nID = nID;
        ui.DoUpdate(m_view, TRUE);
        return ui;
    }
    bool Shown(int nId) const
    {
        HWND child = m_view->GetDlgItemHwnd(nId);
        return child && (::GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
    }
    std::string Body() const
    {
        CString body = m_view->GetBody();
        body.Remove('\r');
        body.TrimRight("\n");
        return body.Str();
    }
    std::string TextPart() const
    {
        CString text = m_view->GetHtmlTextPart();
        text.Remove('\r');
        text.TrimRight("\n");
        return text.Str();
    }

    HMODULE m_richEdit = nullptr;
    EditorTest::Mailbox m_box;
    UiTest::CHostWnd m_host;
    CMailEditView* m_view = nullptr;
};

} // namespace

TEST_F(HtmlTextEditTest, TextEditWritesTheTextPartAndTheHtmlViewComesBackUnchanged)
{
    m_view->SetBody("前に書いたテキスト");
    ASSERT_TRUE(m_view->ShowHtmlPane(true, WritePage("mail.html", "<html><body><div>こんにちは <b>世界</b></div></body></html>"),
                                     true, false));
    UiTest::Pump(50);
    EXPECT_TRUE(Shown(kHtmlViewId));
    EXPECT_FALSE(Shown(IDC_ME_BODY));
    // Until the user writes one, the text part is the HTML's own text.
    EXPECT_EQ(TextPart(), "こんにちは 世界");
    EXPECT_TRUE(State(ID_EDIT_HTML_TEXT_EDIT).m_bEnabled);
    EXPECT_EQ(State(ID_EDIT_HTML_TEXT_EDIT).m_nCheck, 0);
    EXPECT_TRUE(State(ID_EDIT_HTML_SOURCE).m_bEnabled);

    // "No": the text written before the mail became HTML is the text part.
    TestSupport::QueueMessageBoxAnswer(IDNO);
    Command(ID_EDIT_HTML_TEXT_EDIT);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0].find(kQuestion), 0u) << TestSupport::RecordedMessages()[0];
    EXPECT_TRUE(Shown(IDC_ME_BODY));
    EXPECT_FALSE(Shown(kHtmlViewId));
    EXPECT_EQ(::GetFocus(), m_view->GetDlgItemHwnd(IDC_ME_BODY));
    EXPECT_EQ(State(ID_EDIT_HTML_TEXT_EDIT).m_nCheck, 1);
    EXPECT_EQ(Body(), "前に書いたテキスト");
    EXPECT_EQ(TextPart(), "前に書いたテキスト");

    // Off again: the HTML view is back as it was, the text part kept.
    Command(ID_EDIT_HTML_TEXT_EDIT);
    EXPECT_EQ(TestSupport::RecordedMessages().size(), 1u) << "leaving asks nothing";
    EXPECT_TRUE(Shown(kHtmlViewId));
    EXPECT_FALSE(Shown(IDC_ME_BODY));
    EXPECT_EQ(State(ID_EDIT_HTML_TEXT_EDIT).m_nCheck, 0);
    EXPECT_EQ(m_view->GetHtmlText(), CString("<html><body><div>こんにちは <b>世界</b></div></body></html>"));
    EXPECT_EQ(TextPart(), "前に書いたテキスト");

    // "Yes": the text is made from the HTML; what the user then writes is
    // what the mail carries as its text part.
    TestSupport::QueueMessageBoxAnswer(IDYES);
    Command(ID_EDIT_HTML_TEXT_EDIT);
    EXPECT_EQ(Body(), "こんにちは 世界");
    m_view->SetBody("テキストで読む人へ");
    EXPECT_EQ(TextPart(), "テキストで読む人へ");
    EXPECT_TRUE(m_view->IsModified());
    // Emptied, the text part is missing; sending offers to make it again.
    m_view->SetBody("");
    EXPECT_TRUE(m_view->LacksHtmlTextPart());
    m_view->MakeHtmlTextPart();
    EXPECT_EQ(TextPart(), "こんにちは 世界");
    EXPECT_FALSE(m_view->LacksHtmlTextPart());

    // The mail made text again leaves text-edit: the commands go grey.
    ASSERT_TRUE(m_view->ToggleHtmlMode());
    EXPECT_FALSE(m_view->IsHtmlTextEditing());
    EXPECT_TRUE(Shown(IDC_ME_BODY));
    EXPECT_FALSE(State(ID_EDIT_HTML_TEXT_EDIT).m_bEnabled);
    EXPECT_EQ(State(ID_EDIT_HTML_TEXT_EDIT).m_nCheck, 0);
    EXPECT_FALSE(State(ID_EDIT_HTML_SOURCE).m_bEnabled);
    TestSupport::ClearMessages();
    Command(ID_EDIT_HTML_TEXT_EDIT);
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    EXPECT_TRUE(Shown(IDC_ME_BODY));
}

// A page loaded anew while the mail is text-edited (the external HTML
// editor wrote it) puts its text into the body and keeps the body shown.
TEST_F(HtmlTextEditTest, APageLoadedWhileTextEditingBecomesTheTextBody)
{
    ASSERT_TRUE(m_view->ShowHtmlPane(true, WritePage("first.html", "<html><body><p>最初</p></body></html>"), true, false));
    // An empty text body is no missing text part while the HTML's text is it.
    EXPECT_FALSE(m_view->LacksHtmlTextPart());
    TestSupport::QueueMessageBoxAnswer(IDYES);
    Command(ID_EDIT_HTML_TEXT_EDIT);
    ASSERT_EQ(Body(), "最初");
    ASSERT_TRUE(m_view->ShowHtmlPane(true, WritePage("edited.html", "<html><body><p>書き直し</p></body></html>"), true,
                                     true));
    UiTest::Pump(100);
    EXPECT_EQ(Body(), "書き直し");
    EXPECT_TRUE(m_view->IsHtmlTextEditing());
    EXPECT_TRUE(Shown(IDC_ME_BODY));
    EXPECT_FALSE(Shown(kHtmlViewId));
    EXPECT_NE(m_view->GetHtmlText().Find("書き直し"), -1);
}

// The source window is a window of its own, titled "HTMLのソース", holding
// the HTML as the mail would carry it.
TEST_F(HtmlTextEditTest, TheSourceCommandOpensAWindowWithTheHtml)
{
    ASSERT_TRUE(m_view->ShowHtmlPane(
        true, WritePage("mail.html", "<html><body><div>ソース<a href=\"http://example.jp/\">リンク</a></div></body></html>"),
        true, false));
    UiTest::Pump(50);
    const CString html = m_view->GetHtmlText();
    ASSERT_NE(html.Find("http://example.jp/"), -1);
    Command(ID_EDIT_HTML_SOURCE);
    HWND window = nullptr;
    for (int i = 0; i < 250 && !window; ++i) {
        window = FindWindowA("CVMHeaderWndClass", "HTMLのソース");
        if (!window)
            UiTest::Pump(20);  // the new window's thread talks to the active one here
    }
    ASSERT_NE(window, nullptr);
    EXPECT_NE(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
    HWND pane = GetDlgItem(window, AFX_IDW_PANE_FIRST);
    ASSERT_NE(pane, nullptr);
    std::string text(static_cast<size_t>(SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(pane, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    EXPECT_EQ(text, html.Str());
    PostMessageA(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 250 && IsWindow(window); ++i)
        UiTest::Pump(20);
    EXPECT_FALSE(IsWindow(window));
}

// A stored HTML mail opened again: a text part its writer wrote (it is not
// the HTML's own text) goes out again as it is; one that is the HTML's own
// text keeps following the HTML.
TEST_F(HtmlTextEditTest, AStoredHtmlMailOpenedAgainKeepsATextPartOfItsOwn)
{
    const struct
    {
        const char* textPart;
        bool own;
    } cases[] = {
        {"テキストで読む人へ", true},
        {"rich text", false},
    };
    for (const auto& c : cases) {
        CString mail;
        mail.Format("From: me@corvane.example\r\nTo: b@example.jp\r\nSubject: draft\r\nMIME-Version: 1.0\r\n"
                    "Content-Type: multipart/alternative; boundary=\"a\"\r\n\r\n"
                    "--a\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n%s\r\n"
                    "--a\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n"
                    "<html><body><b>rich</b> text</body></html>\r\n--a--\r\n",
                    SjisToJis(c.textPart).GetString());
        int index = m_box.File(m_box.inbox, mail.Str());
        ASSERT_GE(index, 0);
        auto* view = new CMailEditView;  // deletes itself with its window
        RECT rc = {0, 0, 560, 400};
        ASSERT_TRUE(view->Create(&m_host, AFX_IDW_PANE_FIRST + 1, rc));
        view->OnInitialUpdate();
        ASSERT_TRUE(view->SetMailData(index, &m_box.inbox, 0, nullptr, -1));
        UiTest::Pump(100);
        ASSERT_TRUE(view->IsHtmlMode()) << c.textPart;
        EXPECT_EQ(view->GetHtmlBodyText().Str(), "rich text");
        view->SetBody("書き足した");
        EXPECT_EQ(view->GetHtmlTextPart().Str(), c.own ? "書き足した" : "rich text") << c.textPart;
        view->DestroyWindow();
    }
}

// What is written in the HTML view is a change of the mail (closing asks,
// the backup takes it) until the mail is stored; a page loaded as a change
// (the external HTML editor's) counts from the start.
TEST_F(HtmlTextEditTest, EditsInTheHtmlViewCountAsChangesOfTheMail)
{
    ASSERT_TRUE(m_view->ShowHtmlPane(true, WritePage("mail.html", "<html><body><p>元</p></body></html>"), true, false));
    UiTest::Pump(50);
    EXPECT_FALSE(m_view->IsModified());
    ASSERT_TRUE(m_view->ShowHtmlPane(true, WritePage("edited.html", "<html><body><p>外で</p></body></html>"), true, true));
    UiTest::Pump(50);
    EXPECT_TRUE(m_view->IsModified());
    m_view->SetModified(false);
    EXPECT_FALSE(m_view->IsModified());
}
