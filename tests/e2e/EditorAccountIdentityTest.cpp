// Editors open while the account dialog reorders and deletes accounts: an
// editor sends through the account its toolbar box shows, wherever the
// dialog moved it in the table, and an editor whose account was deleted
// says so and sends nothing rather than taking another account.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/TestAccount.h"
#include "e2e/WaitFor.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/settings/SettingsResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const int kFirstUser = 128;   // the account "テスト", first in the table
const int kSecondUser = 129;  // the account "二番目"
const UINT kMainToolBarId = 0xE800;
const char kSecond[] = "二番目";

class EditorAccountIdentityTest : public ::testing::Test
{
protected:
    HWND AccountBox(HWND editor) const
    {
        return E2e::FindDescendant(GetDlgItem(editor, kMainToolBarId), "ComboBox", IDC_ME_ACCOUNT);
    }
    // A new mail's editor with the second account chosen in its box.
    HWND EditorOfTheSecondAccount()
    {
        size_t before = m_session.Editors().size();
        PostMessageA(m_main, WM_COMMAND, ID_MAIL_NEW, 0);
        if (!m_session.WaitForEditorCount(before + 1))
            return nullptr;
        HWND editor = nullptr;
        for (HWND e : m_session.Editors())
            if (std::find(m_editors.begin(), m_editors.end(), e) == m_editors.end())
                editor = e;
        HWND box = editor ? AccountBox(editor) : nullptr;
        if (!box)
            return nullptr;
        int item = static_cast<int>(SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(kSecond)));
        SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageA(GetParent(box), WM_COMMAND, MAKEWPARAM(IDC_ME_ACCOUNT, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        HWND view = CEditorSession::ViewOf(editor);
        E2e::SetControlText(view, IDC_ME_TO, FormatString("cvmtest%d@cvm.test", kFirstUser));
        E2e::SetControlText(view, IDC_ME_SUBJECT, "account kept by name");
        E2e::SetControlText(view, IDC_ME_BODY, "which account sends this?");
        m_editors.push_back(editor);
        return editor;
    }
    // The account dialog: the second account's row chosen, one button
    // pressed (with its question answered Yes), then the dialog closed.
    void ChangeSecondAccount(int nButton)
    {
        PostMessageA(m_main, WM_COMMAND, ID_TOOLS_ACCOUNTS, 0);
        HWND dialog = m_session.Program().WaitForWindow("#32770", "アカウントの設定", 20000);
        ASSERT_NE(dialog, nullptr) << m_session.Windows();
        HWND list = GetDlgItem(dialog, IDC_ACC_LIST);
        int row = -1;
        for (int i = 0; i < E2e::ListItemCount(list); ++i)
            if (E2e::ListItemText(list, i, 0) == CString(kSecond))
                row = i;
        ASSERT_GE(row, 0);
        E2e::ListSelectItem(list, row);
        E2e::PressButton(dialog, nButton);
        if (nButton == IDC_ACC_DELETE) {
            HWND ask = m_session.Program().WaitForMessageBox("を削除してもよろしいですか？", 10000);
            ASSERT_NE(ask, nullptr) << m_session.Windows();
            E2e::PressButton(ask, IDYES);
            ASSERT_TRUE(E2e::WaitFor(10000, [&] { return E2e::ListItemCount(list) == 1; }));
        } else {
            ASSERT_TRUE(E2e::WaitFor(10000, [&] { return E2e::ListItemText(list, 0, 0) == CString(kSecond); }));
        }
        E2e::PressButton(dialog, IDCANCEL);
        ASSERT_TRUE(E2e::WaitFor(10000, [&] { return !IsWindow(dialog); })) << m_session.Windows();
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
    HWND m_main = nullptr;
    std::vector<HWND> m_editors;
};

} // namespace

TEST_F(EditorAccountIdentityTest, ReorderedAccountStillSendsAndADeletedOneIsSaid)
{
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    ASSERT_TRUE(m_session.Prepare(kFirstUser, "SendConfirmDialog=dword:0\r\n"));
    ASSERT_TRUE(E2e::AddTestAccount(m_session.MailBox(), kSecondUser, kSecond, "鈴木 花子"));
    CString maildir = NetTest::ClearMaildir(kFirstUser);
    m_main = m_session.Start();
    ASSERT_NE(m_main, nullptr);
    HWND first = EditorOfTheSecondAccount();
    ASSERT_NE(first, nullptr) << m_session.Windows();
    HWND second = EditorOfTheSecondAccount();
    ASSERT_NE(second, nullptr) << m_session.Windows();

    // Moved to the top of the table: the editor still sends through it.
    ChangeSecondAccount(IDC_ACC_UP);
    if (HasFatalFailure())
        return;
    PostMessageA(first, WM_COMMAND, ID_EDIT_SEND, 0);
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
    CMailMessage header;
    header.Parse(mails[0].substr(0, mails[0].find("\r\n\r\n") + 2).c_str());
    EXPECT_NE(header.GetHeader("From").Find(FormatString("cvmtest%d@cvm.test", kSecondUser)), -1)
        << header.GetHeader("From").GetString();
    ASSERT_TRUE(m_session.WaitForEditorCount(1)) << m_session.Windows();

    // Deleted: the other editor says so, sends nothing and stays open.
    ChangeSecondAccount(IDC_ACC_DELETE);
    if (HasFatalFailure())
        return;
    PostMessageA(second, WM_COMMAND, ID_EDIT_SEND, 0);
    HWND told = m_session.Program().WaitForMessageBox("アカウント[二番目]は削除されています。", 20000);
    ASSERT_NE(told, nullptr) << m_session.Windows();
    E2e::PressButton(told, IDOK);
    ASSERT_TRUE(E2e::WaitFor(10000, [&] { return !IsWindow(told); }));
    // The box now offers the accounts there are and chooses none of them.
    HWND box = AccountBox(second);
    EXPECT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(box, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(m_session.Editors().size(), 1u);
    EXPECT_EQ(CEditorSession::WaitForDelivered(maildir, 1).size(), 1u);
    ASSERT_TRUE(m_session.DiscardEditor(second)) << m_session.Windows();
    m_session.Close(m_main);
}
