// The mail an editor was opened from: a reply window opens its source mail
// in a viewer (Alt+M) and selects it in the main window's list; a forward
// of several selected mails opens its own editor even when those mails are
// open in editors already.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const int kUser = 130;

std::string StoredMail(const char* pszSubject, const char* pszId)
{
    return std::string("From: sato@example.jp\r\nTo: cvmtest130@cvm.test\r\nSubject: ") + pszSubject +
           "\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\nMessage-ID: <" + pszId + "@example.jp>\r\n\r\n" + pszSubject +
           " body\r\n";
}

// The row of the list whose texts hold the text; -1 for none.
int RowWith(HWND list, const char* pszText)
{
    for (int row = 0; row < E2e::ListItemCount(list); ++row)
        for (int column = 0; column < 8; ++column)
            if (E2e::ListItemText(list, row, column).Find(pszText) >= 0)
                return row;
    return -1;
}

class SourceMailTest : public ::testing::Test
{
protected:
    // The program with the mails filed into the folder of that kind, the
    // folder shown; null when either did not come.
    HWND StartWithMails(int nFolderKind, const char* pszTreeText, const std::vector<std::string>& mails)
    {
        if (!m_session.Prepare(kUser))
            return nullptr;
        // A first start makes the mailbox with its folders.
        m_main = m_session.Start();
        if (!m_main)
            return nullptr;
        m_session.Close(m_main);
        m_main = nullptr;
        for (const std::string& mail : mails)
            if (!m_session.AddStoredMail(nFolderKind, mail))
                return nullptr;
        m_main = m_session.Start();
        return m_main ? m_session.ShowFolder(m_main, pszTreeText, static_cast<int>(mails.size())) : nullptr;
    }
    // The editor that is open now and was not before.
    HWND NewEditor(const std::vector<HWND>& before) const
    {
        for (HWND e : m_session.Editors())
            if (std::find(before.begin(), before.end(), e) == before.end())
                return e;
        return nullptr;
    }
    void TearDown() override { m_session.DiscardAllAndClose(m_main); }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
    HWND m_main = nullptr;
};

} // namespace

TEST_F(SourceMailTest, ReplyWindowOpensAndSelectsItsSourceMail)
{
    HWND list = StartWithMails(CFolderRecord::kindInbox, "郵便受け",
                               {StoredMail("first question", "q1"), StoredMail("second question", "q2")});
    ASSERT_NE(list, nullptr) << m_session.Windows();
    const int source = RowWith(list, "second question"), other = RowWith(list, "first question");
    ASSERT_TRUE(source >= 0 && other >= 0);
    E2e::ListSelectItem(list, source);
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_REPLY, 0);
    ASSERT_TRUE(m_session.WaitForEditorCount(1)) << m_session.Windows();
    HWND editor = m_session.Editors()[0];
    E2e::ListSelectItem(list, other);

    ASSERT_TRUE(CEditorSession::FocusBody(editor)) << m_session.Windows();
    CEditorSession::PressKey({VK_MENU}, 'M');
    HWND viewer = m_session.Program().WaitForWindow("CVMViewWndClass", "second question", 20000);
    ASSERT_NE(viewer, nullptr) << m_session.Windows();
    EXPECT_EQ(m_session.Program().WaitForMessageBox("編集元のメールが見つかりませんでした。", 0), nullptr);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(E2e::WaitFor(10000, [&] { return !IsWindow(viewer); }));

    // 編集元のメールを選択: the main window's list moves to the source.
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SELECT_SOURCE, 0);
    EXPECT_TRUE(E2e::WaitFor(10000, [&] { return E2e::ListSelectedItem(list) == source; }))
        << E2e::ListSelectedItem(list);
}

TEST_F(SourceMailTest, ForwardOfSeveralMailsOpensWhenTheyAreOpenInEditors)
{
    HWND list = StartWithMails(CFolderRecord::kindWriting, "作成中",
                               {StoredMail("draft one", "d1"), StoredMail("draft two", "d2")});
    ASSERT_NE(list, nullptr) << m_session.Windows();
    for (int row = 0; row < 2; ++row) {
        E2e::ListSelectItem(list, row);
        CEditorSession::OpenSelected(list);
        ASSERT_TRUE(m_session.WaitForEditorCount(static_cast<size_t>(row) + 1)) << m_session.Windows();
    }
    std::vector<HWND> drafts = m_session.Editors();

    PostMessageA(m_main, WM_COMMAND, ID_MAIL_SELECT_ALL, 0);
    ASSERT_TRUE(E2e::WaitFor(10000, [&] {
        return SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 2;
    })) << m_session.Windows();
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_FORWARD, 0);
    ASSERT_TRUE(m_session.WaitForEditorCount(3)) << m_session.Windows();
    HWND forward = NewEditor(drafts);
    ASSERT_NE(forward, nullptr);
    HWND attachments = GetDlgItem(CEditorSession::ViewOf(forward), IDC_ME_ATTACH_LIST);
    EXPECT_TRUE(E2e::WaitFor(10000, [&] { return E2e::ListItemCount(attachments) == 2; }))
        << E2e::ListItemCount(attachments);
}
