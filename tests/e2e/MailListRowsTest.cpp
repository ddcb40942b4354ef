// The mail list's rows as a user moves through them: after a delete the
// newer neighbour is chosen whichever way the list is sorted, and a held
// arrow key shows the mail it stops on only when it is released.
#include "e2e/E2eDriver.h"
#include "e2e/FirstStart.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"

#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/viewer/ViewerResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kStartTimeout = 60000;

// A mailbox made by a first start with the settings given, its inbox
// holding "mail 1" to "mail 4" received a day apart.
void PrepareInbox(const TestSupport::TempDir& dir, const std::string& settings)
{
    const CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"),
                                "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n" + settings);
    ASSERT_TRUE(E2e::MakeMailBoxByFirstStart(dir.Path()));
    CMailFolderStore inbox;
    inbox.SetFolderRecord(E2e::MailBoxFolderOfKind(mailbox, CFolderRecord::kindInbox));
    for (int i = 1; i <= 4; ++i) {
        const CString path = dir.File("in.eml");
        TestSupport::WriteFileBytes(path, "From: a@example.jp\r\nSubject: mail " + std::to_string(i) + "\r\n\r\nbody\r\n");
        ASSERT_EQ(inbox.AddNewMailData(path, FormatString("2024/05/0%d 10:00:00 +0900", i), TRUE), 1);
        DeleteFileA(path);
    }
    inbox.Close();
}

// Starts the program on the mailbox; its main window once the inbox lists
// the four mails and the start-up has settled.
HWND StartOnInbox(E2e::CProgramUnderTest& program, const TestSupport::TempDir& dir, HWND& list)
{
    list = nullptr;
    if (!program.Start("/INI \"/M:" + dir.Path() + "\\MailBox\""))
        return nullptr;
    HWND main = program.WaitForMainWindow(kStartTimeout);
    list = main ? E2e::FindDescendant(main, "SysListView32") : nullptr;
    if (!list || !E2e::WaitUntil(20000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) == 4; }, list))
        return nullptr;
    // Right after start-up the window shows its folder afresh once.
    Sleep(1500);
    return main;
}

int RowOf(HWND list, const char* subject)
{
    for (int i = 0; i < E2e::ListItemCount(list); ++i)
        if (E2e::ListItemText(list, i, 1) == CString(subject))
            return i;
    return -1;
}

struct ChildSearch
{
    int id;
    HWND found;
};

HWND VisibleChildWithId(HWND parent, int id)
{
    ChildSearch c = { id, nullptr };
    EnumChildWindows(parent, [](HWND h, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<ChildSearch*>(p);
        if (!IsWindowVisible(h) || GetDlgCtrlID(h) != c->id)
            return TRUE;
        c->found = h;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

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

struct SubjectShown
{
    HWND field;
    const char* subject;
};

bool ShowsSubject(void* p)
{
    auto* s = static_cast<SubjectShown*>(p);
    return E2e::GetWindowTextOf(s->field) == CString(s->subject);
}

} // namespace

TEST(MailListRows, TheNewerMailIsChosenAfterADeleteInBothOrders)
{
    const int sortModes[] = { 1, 0 };  // ascending, descending
    for (int sortMode : sortModes) {
        SCOPED_TRACE(sortMode);
        TestSupport::TempDir dir;
        PrepareInbox(dir, "[Window]\r\nSortItem=dword:4\r\nSortMode=dword:" + std::to_string(sortMode) + "\r\n\r\n");
        E2e::CProgramUnderTest program(dir.Path());
        HWND list = nullptr;
        HWND main = StartOnInbox(program, dir, list);
        ASSERT_NE(main, nullptr);
        const int row = RowOf(list, "mail 2");
        ASSERT_GE(row, 0);
        E2e::ListSelectItem(list, row);
        Sleep(300);
        PostMessageA(main, WM_COMMAND, ID_MAIL_DELETE, 0);
        Selected s = { list, 3 };
        ASSERT_TRUE(E2e::WaitUntil(20000, RowsLeft, &s)) << E2e::ListItemCount(list);
        EXPECT_EQ(E2e::ListItemText(list, E2e::ListSelectedItem(list), 1), CString("mail 3"));
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    }
}

// One press of Down shows the next mail at once; while the key repeats the
// pane keeps the mail it showed until the key comes up.
TEST(MailListRows, AHeldArrowKeyShowsTheMailWhereItIsReleased)
{
    TestSupport::TempDir dir;
    PrepareInbox(dir, "");
    E2e::CProgramUnderTest program(dir.Path());
    HWND list = nullptr;
    HWND main = StartOnInbox(program, dir, list);
    ASSERT_NE(main, nullptr);
    HWND subject = VisibleChildWithId(main, IDC_VIEW_SUBJECT);
    ASSERT_NE(subject, nullptr);
    // Newest first: mail 4, 3, 2, 1.
    E2e::ListSelectItem(list, 0);
    SubjectShown first = { subject, "mail 4" };
    ASSERT_TRUE(E2e::WaitUntil(10000, ShowsSubject, &first)) << E2e::GetWindowTextOf(subject).Str();

    const LPARAM down = 1 | (MapVirtualKeyA(VK_DOWN, 0) << 16);
    PostMessageA(list, WM_KEYDOWN, VK_DOWN, down);
    SubjectShown next = { subject, "mail 3" };
    EXPECT_TRUE(E2e::WaitUntil(10000, ShowsSubject, &next)) << E2e::GetWindowTextOf(subject).Str();
    // The key is held: it repeats.
    PostMessageA(list, WM_KEYDOWN, VK_DOWN, down | 0x40000000);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return E2e::ListSelectedItem(static_cast<HWND>(p)) == 2; }, list));
    Sleep(500);
    EXPECT_EQ(E2e::GetWindowTextOf(subject), CString("mail 3"));
    PostMessageA(list, WM_KEYUP, VK_DOWN, down | 0xC0000000);
    SubjectShown released = { subject, "mail 2" };
    EXPECT_TRUE(E2e::WaitUntil(10000, ShowsSubject, &released)) << E2e::GetWindowTextOf(subject).Str();
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}
