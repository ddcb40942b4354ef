// Mails in windows of their own, as a user meets them: viewer windows that
// move through the main list with it, delete through the trash and close
// on the folder's last mail, several at once on threads of their own; and
// the thread tree and related-mail list of a reply thread, with a mail
// unlinked from the thread for good.
#include "e2e/E2eDriver.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "e2e/StoredFolderCopy.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

struct TestMail
{
    const char* subject;
    const char* id;
    const char* replyTo;  // In-Reply-To, or empty
};

struct WindowSearch
{
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char cls[64] = {};
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (pid == s->pid && IsWindowVisible(hWnd) && lstrcmpA(cls, s->className) == 0)
        s->found.push_back(hWnd);
    return TRUE;
}

class ViewerWindowTest : public MaintE2e::CMailBoxTest
{
protected:
    // A first start makes the mailbox; then the mails go into the inbox.
    void MakeMailBox(const std::vector<TestMail>& mails, const char* extraIni = "")
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), std::string(kPresetIni) + extraIni);
        HWND main = Start();
        ASSERT_NE(main, nullptr);
        Close(main);
        CMailFolderStore inbox;
        inbox.SetFolderRecord(Folder(CFolderRecord::kindInbox));
        CString file = m_dir.File("mail.eml");
        int n = 0;
        for (const TestMail& m : mails) {
            std::string text = std::string("From: 山田 <taro@example.jp>\r\nTo: me@example.jp\r\nSubject: ") +
                               m.subject + "\r\nDate: Mon, 01 Jan 2024 10:0" + std::to_string(n++ % 10) +
                               ":00 +0900\r\nMessage-ID: " + m.id + "\r\n";
            if (*m.replyTo)
                text += std::string("In-Reply-To: ") + m.replyTo + "\r\n";
            text += "\r\n本文\r\n";
            TestSupport::WriteFileBytes(file, text);
            ASSERT_EQ(inbox.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        }
        inbox.Close();
    }
    // Live mails of a folder as the index on disk holds them: subject and reference id.
    std::vector<std::pair<CString, CString>> Stored(int kind)
    {
        CStoredFolderCopy store(Folder(kind));
        std::vector<std::pair<CString, CString>> out;
        CMailListData* list = store.GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++) {
            CMailIndexRecord* r = list->GetMailRecord(i);
            if (!r->m_bDeleted)
                out.emplace_back(r->GetText(CMailIndexRecord::colSubject), r->GetText(CMailIndexRecord::colReference));
        }
        return out;
    }
    std::set<CString> StoredSubjects(int kind)
    {
        std::set<CString> out;
        for (const auto& m : Stored(kind))
            out.insert(m.first);
        return out;
    }
    std::vector<HWND> Windows(const char* className)
    {
        WindowSearch s = {m_program.ProcessId(), className, {}};
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&s));
        return s.found;
    }

};

// The tree's items as "text-before-' : '@depth", the top item first.
std::vector<std::string> TreeShape(HWND tree)
{
    std::vector<std::string> out;
    for (const E2e::TreeItem& item : E2e::ReadTree(tree)) {
        std::string text = item.text.GetString();
        size_t cut = text.find(" : ");
        if (cut != std::string::npos)
            text.resize(cut);
        out.push_back(text + "@" + std::to_string(item.depth));
    }
    return out;
}

} // namespace

TEST_F(ViewerWindowTest, ViewersMoveWithTheListRunOnThreadsOfTheirOwnAndEndWithTheProgram)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({{"一通目", "<m1@x>", ""}, {"二通目", "<m2@x>", ""}, {"三通目", "<m3@x>", ""}}));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 3; }));
    Sleep(1500);  // the window shows its folder afresh once after start-up
    // Newest first: the rows hold the stored mails backwards.
    CString row0 = E2e::ListItemText(list, 0, 1), row1 = E2e::ListItemText(list, 1, 1);
    CString row2 = E2e::ListItemText(list, 2, 1);

    HWND viewer = OpenViewer(main, list, row0);
    ASSERT_NE(viewer, nullptr);
    // Next and previous walk the list's rows, and the list follows.
    Command(viewer, ID_VIEWER_NEXT_MAIL);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == row1; })) << Caption(viewer).GetString();
    EXPECT_EQ(E2e::ListSelectedItem(list), 1);
    Command(viewer, ID_VIEWER_NEXT_MAIL);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == row2; }));
    Command(viewer, ID_VIEWER_PREV_MAIL);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == row1; }));
    EXPECT_EQ(E2e::ListSelectedItem(list), 1);
    Command(viewer, ID_VIEWER_NEXT_MAIL);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == row2; }));
    // Past the list's last row the viewer leaves the list and walks the
    // folder's stored order: from the first stored mail to the second.
    ASSERT_EQ(row2, CString("一通目"));
    Command(viewer, ID_VIEWER_NEXT_MAIL);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == "二通目"; })) << Caption(viewer).GetString();
    EXPECT_EQ(E2e::ListSelectedItem(list), 2);
    // The thread message of the key assignment moves it as well.
    PostThreadMessageA(GetWindowThreadProcessId(viewer, nullptr), 1347, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == "一通目"; }));

    // A second viewer: a window of its own, on a thread of its own.
    HWND second = OpenViewer(main, list, row1);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(WaitFor([&] { return Windows("CVMViewWndClass").size() == 2; }));
    EXPECT_NE(second, viewer);
    DWORD mainThread = GetWindowThreadProcessId(main, nullptr);
    EXPECT_NE(GetWindowThreadProcessId(viewer, nullptr), mainThread);
    EXPECT_NE(GetWindowThreadProcessId(second, nullptr), mainThread);
    EXPECT_NE(GetWindowThreadProcessId(viewer, nullptr), GetWindowThreadProcessId(second, nullptr));
    // Closing one leaves the other.
    PostMessageA(second, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return Windows("CVMViewWndClass").size() == 1; }));
    HWND third = OpenViewer(main, list, row1);
    ASSERT_NE(third, nullptr);

    // The program ends cleanly with its viewers open.
    Close(main);
    EXPECT_TRUE(Windows("CVMViewWndClass").empty());
}

TEST_F(ViewerWindowTest, ReusedViewerDeletesThroughTheTrashAndClosesOnTheLastMail)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({{"一通目", "<m1@x>", ""}, {"二通目", "<m2@x>", ""}},
                                        "[Setting]\r\nNoCreateMailViewFrame=dword:1\r\n\r\n"));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));
    Sleep(1500);
    CString row0 = E2e::ListItemText(list, 0, 1), row1 = E2e::ListItemText(list, 1, 1);

    HWND viewer = OpenViewer(main, list, row0);
    ASSERT_NE(viewer, nullptr);
    // With the setting on, the open viewer shows the next mail opened.
    Select(list, row1);
    Command(main, ID_MAIL_OPEN);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == row1; }));
    Sleep(500);
    EXPECT_EQ(Windows("CVMViewWndClass").size(), 1u);

    // Delete: the mail goes to the trash, the viewer shows the other one.
    Command(viewer, ID_VIEWER_DELETE);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == row0; }));
    EXPECT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 1; }));
    EXPECT_EQ(StoredSubjects(CFolderRecord::kindTrash), (std::set<CString>{row1}));
    // Deleting the folder's last mail closes the viewer.
    Command(viewer, ID_VIEWER_DELETE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(viewer); }));
    EXPECT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 0; }));
    Close(main);
    EXPECT_TRUE(StoredSubjects(CFolderRecord::kindInbox).empty());
    EXPECT_EQ(StoredSubjects(CFolderRecord::kindTrash), (std::set<CString>{row0, row1}));
}

TEST_F(ViewerWindowTest, ThreadTreeAndListShowEachMailOnceAndUnlinkingLasts)
{
    // A > B > D, A > C; E answers a mail not in the folder; F and G answer each other.
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({{"A", "<a@x>", ""},
                                         {"B", "<b@x>", "<a@x>"},
                                         {"C", "<c@x>", "<a@x>"},
                                         {"D", "<d@x>", "<b@x>"},
                                         {"E", "<e@x>", "<gone@x>"},
                                         {"F", "<f@x>", "<g@x>"},
                                         {"G", "<g@x>", "<f@x>"}}));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 7; }));
    Sleep(1500);

    HWND viewer = OpenViewer(main, list, "D");
    ASSERT_NE(viewer, nullptr);
    Command(viewer, ID_VIEWER_RELATED_TREE);
    HWND treeWnd = m_program.WaitForWindow("CVMRefTreeWndClass", nullptr, 20000);
    ASSERT_NE(treeWnd, nullptr);
    HWND tree = E2e::FindDescendant(treeWnd, "SysTreeView32");
    ASSERT_NE(tree, nullptr);
    std::vector<std::string> expected = {"メールスレッド@0", "A@1", "B@2", "D@3", "C@2"};
    EXPECT_TRUE(WaitFor([&] { return TreeShape(tree) == expected; }));

    // The flat list of the same thread.
    Command(viewer, ID_VIEWER_RELATED_LIST);
    HWND listWnd = m_program.WaitForWindow("CVMRefListWndClass", "D", 20000);
    ASSERT_NE(listWnd, nullptr);
    HWND rows = E2e::FindDescendant(listWnd, "SysListView32");
    ASSERT_NE(rows, nullptr);
    std::vector<CString> listed;
    for (int r = 0; r < E2e::ListItemCount(rows); r++)
        listed.push_back(E2e::ListItemText(rows, r, 1));
    EXPECT_EQ(listed, (std::vector<CString>{"A", "B", "D", "C"}));
    PostMessageA(listWnd, WM_CLOSE, 0, 0);

    // Unlinking C takes it out of the tree and out of the thread on disk.
    HTREEITEM c = nullptr;
    for (const E2e::TreeItem& item : E2e::ReadTree(tree))
        if (item.text.Find("C : ") == 0)
            c = item.handle;
    ASSERT_NE(c, nullptr);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(c));
    PostMessageA(treeWnd, WM_COMMAND, ID_THREAD_UNLINK, 0);
    HWND box = m_program.WaitForMessageBox("このメールスレッドから削除します", 10000);
    ASSERT_NE(box, nullptr);
    E2e::PressButton(box, IDOK);
    std::vector<std::string> unlinked = {"メールスレッド@0", "A@1", "B@2", "D@3"};
    EXPECT_TRUE(WaitFor([&] { return TreeShape(tree) == unlinked; }));
    PostMessageA(treeWnd, WM_CLOSE, 0, 0);

    // A mail whose parent is missing, and two mails answering each other.
    HWND other = OpenViewer(main, list, "E");
    ASSERT_NE(other, nullptr);
    Command(other, ID_VIEWER_RELATED_TREE);
    EXPECT_TRUE(WaitFor([&] {
        for (HWND w : Windows("CVMRefTreeWndClass"))
            if (TreeShape(E2e::FindDescendant(w, "SysTreeView32")) == std::vector<std::string>{"メールスレッド@0", "E@1"})
                return true;
        return false;
    }));
    HWND loopViewer = OpenViewer(main, list, "F");
    ASSERT_NE(loopViewer, nullptr);
    Command(loopViewer, ID_VIEWER_RELATED_TREE);
    HWND loopTree = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        for (HWND w : Windows("CVMRefTreeWndClass")) {
            HWND t = E2e::FindDescendant(w, "SysTreeView32");
            if (TreeShape(t) == std::vector<std::string>{"メールスレッド@0", "G@1", "F@2"})
                loopTree = t;
        }
        return loopTree != nullptr;
    }));
    if (loopTree) {
        std::vector<E2e::TreeItem> items = E2e::ReadTree(loopTree);
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[2].image, 18);  // F closes the loop
    }
    Close(main);

    // The unlink is in the index: C answers nothing any more.
    for (const auto& m : Stored(CFolderRecord::kindInbox)) {
        if (m.first == "C") {
            EXPECT_TRUE(m.second.IsEmpty()) << m.second.GetString();
        } else if (m.first == "B") {
            EXPECT_EQ(m.second, CString("<a@x>"));
        }
    }
}

namespace {

// Whether a viewer shows both its bars with room of their own.
bool ShowsBothBars(HWND viewer)
{
    for (const char* cls : {TOOLBARCLASSNAMEA, STATUSCLASSNAMEA}) {
        HWND bar = E2e::FindDescendant(viewer, cls);
        RECT rc = {};
        if (!bar || !IsWindowVisible(bar) || !GetWindowRect(bar, &rc) || rc.bottom - rc.top < 10)
            return false;
    }
    return true;
}

bool ShowsNoToolBar(HWND viewer)
{
    HWND bar = E2e::FindDescendant(viewer, TOOLBARCLASSNAMEA);
    return bar && !IsWindowVisible(bar);
}

} // namespace

// The bars of a viewer stay after viewers were closed and after a restart;
// hidden from the viewer's 表示 menu, a bar stays hidden in the next viewer
// until the menu shows it again.
TEST_F(ViewerWindowTest, ViewerBarsLastAcrossClosedViewersAndRestartsAndFollowTheViewMenu)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({{"一通目", "<m1@x>", ""}, {"二通目", "<m2@x>", ""}}));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));

    HWND viewer = OpenViewer(main, list, "一通目");
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ShowsBothBars(viewer); }));
    // Esc closes it; the next viewer has both bars.
    PostMessageA(viewer, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitGone(viewer));
    viewer = OpenViewer(main, list, "二通目");
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ShowsBothBars(viewer); }));
    Close(main);
    const std::string ini = TestSupport::ReadFileBytes(m_dir.File("CVM.ini"));
    for (const char* key : {"\nViewerToolBar=dword:", "\nViewerStatusBar=dword:"}) {
        const size_t at = ini.find(key);
        EXPECT_TRUE(at == std::string::npos || strtoul(ini.c_str() + at + strlen(key), nullptr, 16) == 1)
            << key + 1 << " in\n" << ini;
    }

    // After a restart too; then the menu hides the toolbar.
    main = Start();
    ASSERT_NE(main, nullptr);
    list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));
    viewer = OpenViewer(main, list, "一通目");
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ShowsBothBars(viewer); }));
    Command(viewer, ID_VIEWER_TOOLBAR);
    EXPECT_TRUE(WaitFor([&] { return ShowsNoToolBar(viewer); }));
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitGone(viewer));
    viewer = OpenViewer(main, list, "二通目");
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ShowsNoToolBar(viewer); }));
    Command(viewer, ID_VIEWER_TOOLBAR);
    EXPECT_TRUE(WaitFor([&] { return ShowsBothBars(viewer); }));
    Close(main);
}
