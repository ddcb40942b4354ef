// After a mail is deleted the list chooses its newer neighbour, whichever
// way the list is sorted.
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"

#include "resources/mainwnd/MailCommandsResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kStartTimeout = 60000;

struct Selected
{
    HWND list;
    int rows;
};

bool RowsLeft(void* p)
{
    auto* s = static_cast<Selected*>(p);
    return E2e::ListItemCount(s->list) == s->rows && E2e::ListSelectedItem(s->list) >= 0;
}

} // namespace

TEST(DeleteNeighbour, TheNewerMailIsChosenInBothOrders)
{
    struct Case
    {
        int sortMode;  // 1 ascending, 0 descending
        const char* chosen;
    } const cases[] = { { 1, "mail 3" }, { 0, "mail 3" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sortMode);
        TestSupport::TempDir dir;
        const CString mailbox = dir.Path() + "\\MailBox";
        TestSupport::WriteFileBytes(dir.File("CVM.ini"),
                                    "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n[Window]\r\n"
                                    "SortItem=dword:4\r\nSortMode=dword:" + std::to_string(c.sortMode) + "\r\n\r\n");
        {
            E2e::CProgramUnderTest first(dir.Path());
            ASSERT_TRUE(first.Start("/INI \"/M:" + mailbox + "\""));
            HWND main = first.WaitForMainWindow(kStartTimeout);
            ASSERT_NE(main, nullptr);
            PostMessageA(main, WM_CLOSE, 0, 0);
            ASSERT_EQ(first.WaitForExit(kStartTimeout), 0);
        }
        {
            CMailFolderStore inbox;
            inbox.SetFolderRecord(E2e::MailBoxFolderOfKind(mailbox, CFolderRecord::kindInbox));
            for (int i = 1; i <= 4; ++i) {
                const CString path = dir.File("in.eml");
                TestSupport::WriteFileBytes(path, "From: a@example.jp\r\nSubject: mail " + std::to_string(i) +
                                                      "\r\n\r\nbody\r\n");
                ASSERT_EQ(inbox.AddNewMailData(path, FormatString("2024/05/0%d 10:00:00 +0900", i), TRUE), 1);
                DeleteFileA(path);
            }
            inbox.Close();
        }
        E2e::CProgramUnderTest program(dir.Path());
        ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = program.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(main, nullptr);
        HWND list = E2e::FindDescendant(main, "SysListView32");
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(E2e::WaitUntil(20000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) == 4; }, list));
        int row = -1;
        for (int i = 0; i < 4; ++i)
            if (E2e::ListItemText(list, i, 1) == CString("mail 2"))
                row = i;
        ASSERT_GE(row, 0);
        E2e::ListSelectItem(list, row);
        Sleep(300);
        PostMessageA(main, WM_COMMAND, ID_MAIL_DELETE, 0);
        Selected s = { list, 3 };
        ASSERT_TRUE(E2e::WaitUntil(20000, RowsLeft, &s)) << E2e::ListItemCount(list);
        EXPECT_EQ(E2e::ListItemText(list, E2e::ListSelectedItem(list), 1), CString(c.chosen));
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    }
}
