// The HTML source window and the HTML text-edit mode in the running
// program: the editor's menu offers both; on a stored HTML mail (shown by
// the HTML view of our own, Wine having no HTML engine here) the source
// window shows the mail's HTML, and the text part written in text-edit is
// what arrives at the server beside the HTML as it was; on a text mail both
// are grey and inert.
#include "classlib/CommandState.h"
#include "e2e/CommandCoverage.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "message/MimePart.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <string>

using E2e::CEditorSession;

namespace {

class HtmlSourceTextEditTest : public ::testing::Test
{
protected:
    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
};

// The menu item of a command, as "menu 140 > ... > text".
CString MenuPlace(UINT nID)
{
    E2e::CProgramResources resources;
    for (const E2e::CommandBinding& binding : resources.MenuCommands(IDR_MAILEDIT))
        if (binding.id == nID)
            return binding.where;
    return CString();
}

// The decoded leaf part of a mail whose Content-Type starts with the type.
std::string PartOf(const CMimePart& part, const char* type)
{
    if (part.GetChildCount() == 0)
        return CString(part.m_header.GetHeader("Content-Type")).Find(type) == 0 ? part.DecodeContent() : "";
    for (int i = 0; i < part.GetChildCount(); ++i) {
        std::string found = PartOf(*part.GetChild(i), type);
        if (!found.empty())
            return found;
    }
    return std::string();
}

const char kHtml[] = "<html><body><b>bold</b> part</body></html>\r\n";

} // namespace

TEST_F(HtmlSourceTextEditTest, SourceShowsTheHtmlTextEditWritesTheTextPartAndBothWaitForHtmlMail)
{
    EXPECT_NE(MenuPlace(ID_EDIT_HTML_SOURCE).Find("ツール(&T) > HTMLのソースを表示(&H)"), -1)
        << MenuPlace(ID_EDIT_HTML_SOURCE).Str();
    EXPECT_NE(MenuPlace(ID_EDIT_HTML_TEXT_EDIT).Find("ツール(&T) > HTMLメールのテキスト編集(&E)"), -1)
        << MenuPlace(ID_EDIT_HTML_TEXT_EDIT).Str();
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");

    ASSERT_TRUE(m_session.Prepare(136));
    // The first start makes the mailbox's folders.
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr);
    m_session.Close(main);
    ASSERT_TRUE(m_session.AddStoredMail(
        CFolderRecord::kindWriting,
        std::string("From: cvmtest136@cvm.test\r\nTo: cvmtest136@cvm.test\r\nSubject: html draft\r\n"
                    "MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=\"h1\"\r\n\r\n"
                    "--h1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nplain part\r\n"
                    "--h1\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n") +
            kHtml + "--h1--\r\n"));
    CString maildir = NetTest::ClearMaildir(136);
    main = m_session.Start();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(m_session.OpenOnlyMail(main, "作成中"));
    ASSERT_TRUE(m_session.WaitForEditorCount(1));
    HWND editor = m_session.Editors()[0];
    HWND view = CEditorSession::ViewOf(editor);
    EXPECT_EQ(m_session.Program().WaitForMessageBox("HTMLの表示エラー", 1000), nullptr) << m_session.Windows();
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_HTML_SOURCE), kCommandHandled | kCommandEnabled);
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_HTML_TEXT_EDIT), kCommandHandled | kCommandEnabled);

    // The source window shows the mail's HTML.
    PostMessageA(editor, WM_COMMAND, ID_EDIT_HTML_SOURCE, 0);
    HWND source = m_session.Program().WaitForWindow("CVMHeaderWndClass", "HTMLのソース", 20000);
    ASSERT_NE(source, nullptr) << m_session.Windows();
    std::string shown;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(200)) {
        shown = E2e::DescendantTexts(source);
        if (shown.find("<b>bold</b> part") != std::string::npos)
            break;
    }
    EXPECT_NE(shown.find("<b>bold</b> part"), std::string::npos) << shown;
    PostMessageA(source, WM_CLOSE, 0, 0);

    // Text-edit offers to make the text part from the HTML; taken, it is the
    // HTML's text, and what is then written there goes out as the text part.
    PostMessageA(editor, WM_COMMAND, ID_EDIT_HTML_TEXT_EDIT, 0);
    HWND question = m_session.Program().WaitForMessageBox("現在のHTMLの内容から", 20000);
    ASSERT_NE(question, nullptr) << m_session.Windows();
    E2e::PressButton(question, IDYES);
    HWND body = GetDlgItem(view, IDC_ME_BODY);
    for (DWORD start = GetTickCount(); !IsWindowVisible(body) && GetTickCount() - start < 10000;)
        Sleep(100);
    ASSERT_TRUE(IsWindowVisible(body));
    CString made = E2e::GetControlText(view, IDC_ME_BODY);
    made.TrimRight("\r\n");
    EXPECT_EQ(made, CString("bold part"));
    E2e::SetControlText(view, IDC_ME_BODY, "written in text-edit");
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
    ASSERT_TRUE(m_session.ConfirmSendInfo()) << m_session.Windows();
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
    CMimePart root;
    root.Parse(mails[0].data(), mails[0].size());
    std::string text = PartOf(root, "text/plain");
    EXPECT_EQ(text.substr(0, text.find_last_not_of("\r\n") + 1), "written in text-edit") << mails[0];
    std::string html = PartOf(root, "text/html");
    EXPECT_EQ(html.substr(0, html.find_last_not_of("\r\n") + 1), "<html><body><b>bold</b> part</body></html>")
        << mails[0];
    ASSERT_TRUE(m_session.WaitForEditorCount(0)) << m_session.Windows();

    // On a text mail both are handled and grey; run anyway (a stale key or
    // menu), they neither ask nor open a window, and the body stays.
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    ASSERT_TRUE(m_session.WaitForEditorCount(1)) << m_session.Windows();
    editor = m_session.Editors()[0];
    view = CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_BODY, "plain text");
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_HTML_SOURCE), kCommandHandled);
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_HTML_TEXT_EDIT), kCommandHandled);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_HTML_TEXT_EDIT, 0);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_HTML_SOURCE, 0);
    EXPECT_EQ(m_session.Program().WaitForMessageBox("現在のHTMLの内容から", 3000), nullptr) << m_session.Windows();
    EXPECT_EQ(FindWindowA("CVMHeaderWndClass", "HTMLのソース"), nullptr);
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_BODY), CString("plain text"));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(view, IDC_ME_BODY)));
    ASSERT_TRUE(m_session.DiscardEditor(editor)) << m_session.Windows();
    m_session.Close(main);
}
