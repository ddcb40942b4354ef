// The HTML source window and the HTML text-edit mode in the running
// program: the editor's menu offers both, they wait for an HTML mail, and a
// stored HTML mail that the HTML view cannot show (Wine has no HTML engine
// here) stays a text mail on which neither asks or opens anything.
#include "classlib/CommandState.h"
#include "e2e/CommandCoverage.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
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

} // namespace

TEST_F(HtmlSourceTextEditTest, TheCommandsWaitForAnHtmlMailAndDoNothingOnAText)
{
    EXPECT_NE(MenuPlace(ID_EDIT_HTML_SOURCE).Find("ツール(&T) > HTMLのソースを表示(&H)"), -1)
        << MenuPlace(ID_EDIT_HTML_SOURCE).Str();
    EXPECT_NE(MenuPlace(ID_EDIT_HTML_TEXT_EDIT).Find("ツール(&T) > HTMLメールのテキスト編集(&E)"), -1)
        << MenuPlace(ID_EDIT_HTML_TEXT_EDIT).Str();

    ASSERT_TRUE(m_session.Prepare(136));
    // The first start makes the mailbox's folders.
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr);
    m_session.Close(main);
    ASSERT_TRUE(m_session.AddStoredMail(
        CFolderRecord::kindWriting,
        "From: cvmtest136@cvm.test\r\nTo: a@example.jp\r\nSubject: html draft\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/alternative; boundary=\"h1\"\r\n\r\n"
        "--h1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nplain part\r\n"
        "--h1\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n<html><body><b>bold</b> part</body></html>\r\n"
        "--h1--\r\n"));
    main = m_session.Start();
    ASSERT_NE(main, nullptr);
    HWND list = m_session.ShowFolder(main, "作成中", 1);
    ASSERT_NE(list, nullptr);
    E2e::ListSelectItem(list, 0);
    CEditorSession::OpenSelected(list);
    HWND box = m_session.Program().WaitForMessageBox("HTMLの表示エラー", 20000);
    ASSERT_NE(box, nullptr) << m_session.Windows();
    E2e::PressButton(box, IDOK);
    ASSERT_TRUE(m_session.WaitForEditorCount(1));
    HWND editor = m_session.Editors()[0];
    HWND view = CEditorSession::ViewOf(editor);

    // Handled, and grey while the mail is text; replacing stays with the text body.
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_HTML_SOURCE), kCommandHandled);
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_HTML_TEXT_EDIT), kCommandHandled);
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_REPLACE), kCommandHandled | kCommandEnabled);

    // Run anyway (a stale key or menu), they neither ask nor open a window.
    PostMessageA(editor, WM_COMMAND, ID_EDIT_HTML_TEXT_EDIT, 0);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_HTML_SOURCE, 0);
    EXPECT_EQ(m_session.Program().WaitForMessageBox("現在のHTMLの内容から", 3000), nullptr) << m_session.Windows();
    EXPECT_EQ(FindWindowA("CVMHeaderWndClass", "HTMLのソース"), nullptr);
    CString body = E2e::GetControlText(view, IDC_ME_BODY);
    body.Remove('\r');
    body.TrimRight("\n");
    EXPECT_EQ(body, CString("plain part"));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(view, IDC_ME_BODY)));

    PostMessageA(editor, WM_CLOSE, 0, 0);
    if (HWND prompt = m_session.Program().WaitForDialogWithControl(IDC_SC_DISCARD, 3000))
        E2e::PressButton(prompt, IDC_SC_DISCARD);
    EXPECT_TRUE(m_session.WaitForEditorCount(0)) << m_session.Windows();
    m_session.Close(main);
}
