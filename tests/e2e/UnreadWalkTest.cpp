// 次の未読へ移動 across folders as a user meets it: with no unread mail left
// in the folder shown, the key goes on to the next folder with unread mail,
// passing over a folder whose properties leave it out of the walk, and the
// folder tree selects the folder it went to; the variant that searches
// every folder goes to the left-out folder too.
#include "e2e/MaintFixture.h"

#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"

#include <commctrl.h>
#include <algorithm>
#include <map>

namespace {

using MaintE2e::kTimeout;

class UnreadWalk : public MaintE2e::CMailBoxTest
{
protected:
    static bool SelectTreeItem(HWND tree, const char* name)
    {
        HTREEITEM item = E2e::FindTreeItem(tree, name);
        return item && SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
    // The text of the folder tree's selected item, when it is drawn selected.
    static CString SelectedFolder(HWND tree)
    {
        HTREEITEM caret = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        for (const E2e::TreeItem& item : E2e::ReadTree(tree))
            if (item.handle == caret &&
                (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(caret), TVIS_SELECTED) & TVIS_SELECTED))
                return item.text;
        return CString();
    }
    // The commonest colour of a folder's label on the screen: its background.
    static COLORREF LabelBackground(HWND tree, const char* name)
    {
        std::map<COLORREF, int> counts;
        for (COLORREF c : E2e::CapturePixels(tree, E2e::TreeItemTextRect(tree, E2e::FindTreeItem(tree, name))))
            counts[c]++;
        auto most = std::max_element(counts.begin(), counts.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
        return most == counts.end() ? CLR_INVALID : most->first;
    }
    static CString FirstSubject(HWND list)
    {
        return E2e::ListItemCount(list) > 0 ? E2e::ListItemText(list, 0, 1) : CString();
    }
};

} // namespace

TEST_F(UnreadWalk, NextUnreadPassesOverALeftOutFolderAndTheTreeShowsWhereItWent)
{
    MakeMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    ASSERT_NE(tree, nullptr);
    MakeFolderUnderInbox(main, "除外");
    MakeFolderUnderInbox(main, "対象");
    // The properties of "除外" leave it out of the walk (and of the deletion
    // of duplicates in every folder, which shares the setting).
    ASSERT_TRUE(SelectTreeItem(tree, "除外"));
    PostMessageA(main, WM_COMMAND, ID_FOLDER_PROPERTIES, 0);
    HWND props = m_program.WaitForWindow("#32770", "フォルダのプロパティ", 10000);
    ASSERT_NE(props, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    HWND check = E2e::FindDescendant(props, "Button", IDC_PROP_NO_DUPLICATES);
    ASSERT_NE(check, nullptr);
    SendMessageA(check, BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    E2e::PressButton(props, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(props) || !IsWindowVisible(props); }));
    Close(main);

    FileMailsInto(FolderNamed("除外"), {"除外の未読"}, "x");
    FileMailsInto(FolderNamed("対象"), {"対象の未読"}, "t");

    main = Start();
    ASSERT_NE(main, nullptr);
    tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return SelectedFolder(tree) == "郵便受け"; })) << SelectedFolder(tree).GetString();
    ASSERT_EQ(E2e::ListItemCount(list), 0);
    // The picture shown at the start takes the first key that comes while it is up.
    ASSERT_TRUE(WaitFor([] {
        HWND splash = FindWindowA("CVMSplashWnd", nullptr);
        return !splash || !IsWindowVisible(splash);
    }));
    Command(main, ID_FOCUS_MAIL_LIST);
    // K (次の未読へ移動) in the list: nothing unread here, on to the next folder.
    PostMessageA(list, WM_KEYDOWN, 'K', 1);
    PostMessageA(list, WM_KEYUP, 'K', 0xC0000001);
    EXPECT_TRUE(WaitFor([&] { return FirstSubject(list) == "対象の未読"; })) << FirstSubject(list).GetString();
    EXPECT_TRUE(WaitFor([&] { return SelectedFolder(tree) == "対象"; })) << SelectedFolder(tree).GetString();
    EXPECT_EQ(E2e::ListSelectedItem(list), 0);
    // The label is drawn marked, not like the other folders' labels.
    EXPECT_TRUE(WaitFor([&] { return LabelBackground(tree, "対象") != LabelBackground(tree, "除外"); }));

    // U (the same, searching every folder) goes to the left-out folder.
    PostMessageA(list, WM_KEYDOWN, 'U', 1);
    PostMessageA(list, WM_KEYUP, 'U', 0xC0000001);
    EXPECT_TRUE(WaitFor([&] { return FirstSubject(list) == "除外の未読"; })) << FirstSubject(list).GetString();
    EXPECT_TRUE(WaitFor([&] { return SelectedFolder(tree) == "除外"; })) << SelectedFolder(tree).GetString();
    Close(main);
}
