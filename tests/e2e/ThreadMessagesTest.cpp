// The thread messages other windows and threads post to the application
// thread, each posted to the running program and its effect seen from
// outside: a folder chosen, a mail selected, a dialog opened.
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"

#include "resources/mainwnd/MainWndResource.h"
#include "resources/rules/RulesResource.h"
#include "resources/tasklist/TasklistResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n"
                          "[ViewOption]\r\nPreViewTime=dword:-1\r\n\r\n";

class ThreadMessagesTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    void SetUp() override
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
        {
            CProgramUnderTest first(m_dir.Path());
            ASSERT_TRUE(first.Start("/INI \"/M:" + MailBox() + "\""));
            HWND main = first.WaitForMainWindow(kStartTimeout);
            ASSERT_NE(main, nullptr);
            PostMessageA(main, WM_CLOSE, 0, 0);
            ASSERT_EQ(first.WaitForExit(kStartTimeout), 0);
        }
        m_inbox = E2e::MailBoxFolderOfKind(MailBox(), CFolderRecord::kindInbox);
        m_trash = E2e::MailBoxFolderOfKind(MailBox(), CFolderRecord::kindTrash);
        CMailFolderStore inbox;
        inbox.SetFolderRecord(m_inbox);
        CString file = m_dir.File("mail.eml");
        for (int i = 0; i < 3; i++) {
            TestSupport::WriteFileBytes(file, "From: rule" + std::to_string(i) + "@example.jp\r\nSubject: 振分け " +
                                                  std::to_string(i) + "\r\nMessage-ID: <tm" + std::to_string(i) +
                                                  "@example.jp>\r\n\r\n本文\r\n");
            ASSERT_EQ(inbox.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        }
        inbox.Close();
        ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\""));
        m_main = m_program.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(m_main, nullptr);
        m_tree = E2e::FindDescendant(m_main, "SysTreeView32", IDC_FOLDER_TREE);
        m_list = E2e::FindDescendant(m_main, "SysListView32");
        ASSERT_TRUE(m_tree && m_list);
        ASSERT_TRUE(E2e::WaitUntil(20000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) == 3; },
                                   m_list));
    }
    void TearDown() override
    {
        if (m_main) {
            PostMessageA(m_main, WM_CLOSE, 0, 0);
            EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
        }
        m_program.Kill();
    }
    void PostToApp(UINT message, WPARAM wParam, LPARAM lParam)
    {
        ASSERT_TRUE(PostThreadMessageA(GetWindowThreadProcessId(m_main, nullptr), message, wParam, lParam));
    }
    CString SelectedFolder()
    {
        for (const E2e::TreeItem& item : E2e::ReadTree(m_tree))
            if (item.handle == reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0)))
                return item.text;
        return CString();
    }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{ m_dir.Path() };
    CFolderRecord m_inbox, m_trash;
    HWND m_main = nullptr;
    HWND m_tree = nullptr;
    HWND m_list = nullptr;
};

} // namespace

TEST_F(ThreadMessagesTest, FolderAndMailSelectionMessagesMoveTheTreeAndTheList)
{
    // 1435: a viewer or plug-in chooses a folder; the tree and the list follow.
    PostToApp(1435, static_cast<WPARAM>(m_trash.m_nId), 0);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) == 0; }, m_list));
    EXPECT_EQ(SelectedFolder(), CString("ごみ箱"));
    // 1353: a search window selects a mail of another folder.
    PostToApp(1353, static_cast<WPARAM>(m_inbox.m_nId), 0);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return E2e::ListSelectedItem(static_cast<HWND>(p)) >= 0; },
                               m_list));
    EXPECT_EQ(SelectedFolder(), CString("郵便受け"));
    EXPECT_EQ(E2e::ListItemText(m_list, E2e::ListSelectedItem(m_list), 1), CString("振分け 0"));
}

// 1417 (the text view's メールを振分けに登録): the rule list opens and a new
// rule is offered, filled from the mail's header.
TEST_F(ThreadMessagesTest, RegisterMailRuleOpensTheRuleDialogFilledFromTheMail)
{
    PostToApp(1417, 1, static_cast<LPARAM>(m_inbox.m_nId));
    HWND item = m_program.WaitForDialogWithControl(IDC_RULE_STRING1, 20000);
    ASSERT_NE(item, nullptr);
    const CString value = E2e::GetControlText(item, IDC_RULE_STRING1);
    EXPECT_TRUE(value == "rule1@example.jp" || value == "振分け 1") << value.Str();
    E2e::PressButton(item, IDCANCEL);
    HWND rules = m_program.WaitForDialogWithControl(IDC_DIVIDEUP_SET, 10000);
    ASSERT_NE(rules, nullptr);
    E2e::PressButton(rules, IDCANCEL);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, rules));
}

TEST_F(ThreadMessagesTest, TaskListAndTimeoutMessagesShowTheirWindows)
{
    PostToApp(1421, 0, 0);
    HWND box = m_program.WaitForMessageBox("タイムアウト", 20000);
    ASSERT_NE(box, nullptr);
    E2e::PressButton(box, IDOK);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, box));
    PostToApp(1476, 0, 0);
    HWND tasks = m_program.WaitForDialogWithControl(IDC_TASK_LIST, 20000);
    ASSERT_NE(tasks, nullptr);
    PostMessageA(tasks, WM_CLOSE, 0, 0);
}
