// The thread and window messages that viewers, search windows and other
// threads send to the main window, walked as a table: each is posted to the
// running program and its effect is seen from outside (the folder chosen in
// the tree, the mail selected in the list, the answer posted back, the panes'
// sizes).
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"

#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
// Mails shown in the list are not marked read by the preview.
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n"
                          "[ViewOption]\r\nPreViewTime=dword:-1\r\n\r\n";
// The numbers as other windows post them.
const UINT kAskThreadId = 1334, kMovePrevious = 1347, kMoveNext = 1348, kSelectMail = 1353;
const UINT kMailViewDoubleClick = 1365, kNextFolder = 1368, kPreviousFolder = 1369;
const UINT kViewerNextFolder = 1371, kViewerPreviousFolder = 1372, kViewerNextFolderAll = 1382;
const UINT kNextFolderAll = 1384, kSelectFolder = 1435;
// A viewer's folder search is answered with this number (wParam 1: found).
const UINT kFolderSearchAnswer = 1368;

class ThreadMessageEffectsTest : public ::testing::Test
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
            TestSupport::WriteFileBytes(file, "From: m" + std::to_string(i) + "@example.jp\r\nSubject: 件 " +
                                                  std::to_string(i) + "\r\nMessage-ID: <te" + std::to_string(i) +
                                                  "@example.jp>\r\n\r\n本文\r\n");
            ASSERT_EQ(inbox.AddNewMailData(file, "2024/02/01 10:0" + CString(std::to_string(i).c_str()) + ":00 +0900",
                                           FALSE), 1);
        }
        inbox.Close();
        ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\""));
        m_main = m_program.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(m_main, nullptr);
        m_tree = E2e::FindDescendant(m_main, "SysTreeView32", IDC_FOLDER_TREE);
        m_list = E2e::FindDescendant(m_main, "SysListView32");
        ASSERT_TRUE(m_tree && m_list);
        ASSERT_TRUE(Wait([&] { return E2e::ListItemCount(m_list) == 3; }));
        // This thread's queue takes the program's answers.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
    void TearDown() override
    {
        if (m_main) {
            E2e::CloseWhenTransfersEnd(m_program, m_main);
            EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
        }
        m_program.Kill();
    }

    static bool Wait(const std::function<bool()>& done, DWORD ms = 10000)
    {
        for (DWORD waited = 0; waited < ms; waited += 50, Sleep(50))
            if (done())
                return true;
        return done();
    }
    void PostToApp(UINT message, WPARAM wParam, LPARAM lParam)
    {
        ASSERT_TRUE(PostThreadMessageA(GetWindowThreadProcessId(m_main, nullptr), message, wParam, lParam));
    }
    CString SelectedFolder()
    {
        HTREEITEM caret = reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        for (const E2e::TreeItem& item : E2e::ReadTree(m_tree))
            if (item.handle == caret)
                return item.text;
        return CString();
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

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{ m_dir.Path() };
    CFolderRecord m_inbox, m_trash;
    HWND m_main = nullptr;
    HWND m_tree = nullptr;
    HWND m_list = nullptr;
};

} // namespace

TEST_F(ThreadMessageEffectsTest, EachMessageOtherWindowsSendHasItsEffect)
{
    const LPARAM me = static_cast<LPARAM>(GetCurrentThreadId());
    const DWORD uiThread = GetWindowThreadProcessId(m_main, nullptr);
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
        { "a mail of another folder selected", true, kSelectMail, static_cast<WPARAM>(m_inbox.m_nId), 2,
          [&] { return SelectedFolder() == "郵便受け" && SelectedSubject() == "件 2"; } },
        { "the next mail", false, kMoveNext, 0, 0, [&] { return SelectedSubject() == "件 1"; } },
        { "the previous mail", false, kMovePrevious, 0, 0, [&] { return SelectedSubject() == "件 2"; } },
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
TEST_F(ThreadMessageEffectsTest, ADoubleClickOnTheMailViewPaneMaximisesItAndRestoresTheList)
{
    const int height = ListHeight();
    ASSERT_GT(height, 20);
    PostMessageA(m_main, kMailViewDoubleClick, 0, 0);
    EXPECT_TRUE(Wait([&] { return ListHeight() < 5; })) << ListHeight();
    PostMessageA(m_main, kMailViewDoubleClick, 0, 0);
    EXPECT_TRUE(Wait([&] { return ListHeight() == height; })) << ListHeight();
}
