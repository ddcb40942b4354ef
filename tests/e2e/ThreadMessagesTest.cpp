// The thread messages other windows and threads post to the application
// thread, each posted to the running program and its effect seen from
// outside: a folder chosen, a mail selected, a dialog opened, an answer
// posted back, the panes' sizes.
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

#include <functional>
#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n"
                          "[ViewOption]\r\nPreViewTime=dword:-1\r\n\r\n";
// The numbers as other windows post them.
const UINT kAskThreadId = 1334, kMovePrevious = 1347, kMoveNext = 1348, kSelectMail = 1353;
const UINT kMailViewDoubleClick = 1365, kNextFolder = 1368, kPreviousFolder = 1369;
const UINT kViewerNextFolder = 1371, kViewerPreviousFolder = 1372, kViewerNextFolderAll = 1382;
const UINT kNextFolderAll = 1384, kSelectFolder = 1435;
// A viewer's folder search is answered with this number (wParam 1: found).
const UINT kFolderSearchAnswer = 1368;

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
        // This thread's queue takes the program's answers.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
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
    static bool Wait(const std::function<bool()>& done, DWORD ms = 10000)
    {
        for (DWORD waited = 0; waited < ms; waited += 50, Sleep(50))
            if (done())
                return true;
        return done();
    }
    CString SelectedSubject()
    {
        int row = E2e::ListSelectedItem(m_list);
        return row < 0 ? CString() : E2e::ListItemText(m_list, row, 1);
    }
    // The program's answer to this thread, or -1 when none came.
    static LONG_PTR Answer(UINT message)
    {
        MSG msg;
        for (int i = 0; i < 200; ++i, Sleep(50))
            if (PeekMessageA(&msg, nullptr, message, message, PM_REMOVE))
                return static_cast<LONG_PTR>(msg.wParam);
        return -1;
    }
    int ListHeight()
    {
        RECT rc = {};
        GetClientRect(m_list, &rc);
        return IsWindowVisible(m_list) ? rc.bottom - rc.top : 0;
    }
    bool InInboxWithAMailSelected()
    {
        return SelectedFolder() == "郵便受け" && E2e::ListItemCount(m_list) == 3 && E2e::ListSelectedItem(m_list) >= 0;
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

TEST_F(ThreadMessagesTest, EachMessageOtherWindowsSendHasItsEffect)
{
    const LPARAM me = static_cast<LPARAM>(GetCurrentThreadId());
    const DWORD uiThread = GetWindowThreadProcessId(m_main, nullptr);
    // The mail of the middle row ("振分け n" is mail n).
    const CString middleSubject = E2e::ListItemText(m_list, 1, 1);
    const LPARAM middle = middleSubject.Right(1).Str()[0] - '0';
    const struct
    {
        const char* what;
        bool fromTrash;  // the trash is shown first
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::function<bool()> effect;
    } rows[] = {
        { "a folder chosen", false, kSelectFolder, static_cast<WPARAM>(m_trash.m_nId), 0,
          [&] { return SelectedFolder() == "ごみ箱" && E2e::ListItemCount(m_list) == 0; } },
        { "a mail of another folder selected", true, kSelectMail, static_cast<WPARAM>(m_inbox.m_nId), middle,
          [&] { return SelectedFolder() == "郵便受け" && SelectedSubject() == middleSubject; } },
        { "the next mail", false, kMoveNext, 0, 0, [&] { return E2e::ListSelectedItem(m_list) == 2; } },
        { "the previous mail", false, kMovePrevious, 0, 0, [&] { return E2e::ListSelectedItem(m_list) == 1; } },
        { "on to the next folder with unread mail", true, kNextFolder, 0, 0,
          [&] { return InInboxWithAMailSelected(); } },
        { "on to the next folder, all folders", true, kNextFolderAll, 0, 0,
          [&] { return InInboxWithAMailSelected(); } },
        { "back to the previous folder with unread mail", true, kPreviousFolder, 0, 0,
          [&] { return InInboxWithAMailSelected(); } },
        { "a viewer's search for the next folder, answered", true, kViewerNextFolder, 0, me,
          [&] { return Answer(kFolderSearchAnswer) == 1 && InInboxWithAMailSelected(); } },
        { "a viewer's search for the next folder of all, answered", true, kViewerNextFolderAll, 0, me,
          [&] { return Answer(kFolderSearchAnswer) == 1 && InInboxWithAMailSelected(); } },
        { "a viewer's search for the previous folder, answered", true, kViewerPreviousFolder, 0, me,
          [&] { return Answer(kFolderSearchAnswer) == 1 && InInboxWithAMailSelected(); } },
        { "the main thread's id asked for", false, kAskThreadId, static_cast<WPARAM>(me), 0,
          [&] { return Answer(kAskThreadId) == static_cast<LONG_PTR>(uiThread); } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.fromTrash) {
            PostToApp(kSelectFolder, static_cast<WPARAM>(m_trash.m_nId), 0);
            ASSERT_TRUE(Wait([&] { return SelectedFolder() == "ごみ箱" && E2e::ListItemCount(m_list) == 0; }));
        }
        PostToApp(row.message, row.wParam, row.lParam);
        EXPECT_TRUE(Wait(row.effect)) << row.message << " folder " << SelectedFolder().Str() << " mail "
                                      << SelectedSubject().Str();
    }
}

// A double click on the mail view pane maximises it; another one brings the
// list back to its height.
TEST_F(ThreadMessagesTest, ADoubleClickOnTheMailViewPaneMaximisesItAndRestoresTheList)
{
    const int height = ListHeight();
    ASSERT_GT(height, 20);
    PostMessageA(m_main, kMailViewDoubleClick, 0, 0);
    EXPECT_TRUE(Wait([&] { return ListHeight() < 5; })) << ListHeight();
    PostMessageA(m_main, kMailViewDoubleClick, 0, 0);
    EXPECT_TRUE(Wait([&] { return ListHeight() == height; })) << ListHeight();
}
