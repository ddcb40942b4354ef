// Deleted mails as a user gets them back: mails deleted from the main list
// and from a viewer window appear in the deleted-mail history, which keeps
// the number of entries set, and its restore brings them back into their
// folder and out of the trash.
#include "e2e/MaintFixture.h"
#include "resources/import/ImportResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/viewerwnd/ViewerWndResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <set>
#include <string>

namespace {

class DeletedMailHistoryTest : public MaintE2e::CMailBoxTest
{
protected:
    // Settings put in front of what the program wrote: the first of two
    // equal keys counts.
    void PrependSettings(const char* text)
    {
        CString ini = m_dir.File("CVM.ini");
        TestSupport::WriteFileBytes(ini, text + TestSupport::ReadFileBytes(ini));
    }
    std::multiset<std::string> Rows(HWND list)
    {
        std::multiset<std::string> out;
        for (int r = 0; r < E2e::ListItemCount(list); ++r)
            out.insert(E2e::ListItemText(list, r, 1).Str());
        return out;
    }
    void ShowInbox(HWND main, HWND list, size_t rows)
    {
        HWND tree = E2e::FindDescendant(main, "SysTreeView32");
        HTREEITEM inbox = E2e::FindTreeItem(tree, "郵便受け");
        ASSERT_NE(inbox, nullptr);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(inbox));
        ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == static_cast<int>(rows); }));
    }
    static void SelectRow(HWND list, int row)
    {
        E2e::CRemoteBlock block(list, sizeof(LVITEMA));
        LVITEMA lv = {};
        lv.stateMask = LVIS_SELECTED;
        lv.state = LVIS_SELECTED;
        block.Write(&lv, sizeof(lv));
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), block.Param());
    }
};

} // namespace

TEST_F(DeletedMailHistoryTest, MailsDeletedFromTheListAndAViewerComeBackFromTheHistory)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox());
    ASSERT_NO_FATAL_FAILURE(FileMails(CFolderRecord::kindInbox, {"一通目", "二通目", "三通目", "四通目"}));
    PrependSettings("[Setting]\r\nDeleteMailHistoryCount=dword:2\r\n\r\n");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NO_FATAL_FAILURE(ShowInbox(main, list, 4));

    // One from the list, one from a viewer, one more from the list.
    ASSERT_TRUE(RowCommand(main, list, "一通目", ID_MAIL_DELETE, [&] { return E2e::ListItemCount(list) == 3; }));
    HWND viewer = nullptr;
    ASSERT_TRUE(RowCommand(main, list, "二通目", ID_MAIL_OPEN, [&] {
        return (viewer = m_program.WaitForWindow("CVMViewWndClass", "二通目", 0)) != nullptr;
    })) << E2e::VisibleWindows(m_program.ProcessId());
    Command(viewer, ID_VIEWER_DELETE);
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitGone(viewer));
    ASSERT_TRUE(RowCommand(main, list, "三通目", ID_MAIL_DELETE,
                           [&] { return Rows(list) == std::multiset<std::string>{"四通目"}; }));

    // The history keeps the two last, oldest first, the last one selected.
    PostMessageA(main, WM_COMMAND, ID_DELETED_MAIL_HISTORY, 0);
    HWND dialog = m_program.WaitForDialogWithControl(IDC_DELETE_HISTORY_LIST, 10000);
    ASSERT_NE(dialog, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    EXPECT_EQ(Caption(dialog), "削除されたメール履歴一覧");
    HWND rows = GetDlgItem(dialog, IDC_DELETE_HISTORY_LIST);
    ASSERT_EQ(E2e::ListItemCount(rows), 2);
    EXPECT_EQ(E2e::ListItemText(rows, 0, 0), "二通目");
    EXPECT_EQ(E2e::ListItemText(rows, 1, 0), "三通目");
    EXPECT_EQ(E2e::ListSelectedItem(rows), 1);

    // Both restored at once: the rows go, the mails are back in the list.
    SelectRow(rows, 0);
    E2e::PressButton(dialog, IDC_DELETE_HISTORY_RESTORE);
    EXPECT_TRUE(WaitFor([&] { return E2e::ListItemCount(rows) == 0; }));
    E2e::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitGone(dialog));
    EXPECT_TRUE(WaitFor([&] { return Rows(list) == std::multiset<std::string>{"二通目", "三通目", "四通目"}; }));

    // Nothing is left to restore.
    PostMessageA(main, WM_COMMAND, ID_DELETED_MAIL_HISTORY, 0);
    dialog = m_program.WaitForDialogWithControl(IDC_DELETE_HISTORY_LIST, 10000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(E2e::ListItemCount(GetDlgItem(dialog, IDC_DELETE_HISTORY_LIST)), 0);
    E2e::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitGone(dialog));
    Close(main);

    // The restored mails left the trash; the mail that dropped out of the
    // history stays there.
    EXPECT_EQ(Stored(CFolderRecord::kindInbox), (std::multiset<std::string>{"二通目", "三通目", "四通目"}));
    EXPECT_EQ(Stored(CFolderRecord::kindTrash), (std::multiset<std::string>{"一通目"}));
}
