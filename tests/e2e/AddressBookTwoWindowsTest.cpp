// The address book open twice at once, beside the main window and beside an
// editor, each edited from what it showed when it opened: the address file
// and the group list on disk keep every change of both.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"
#include "resources/addressbook/AddressbookResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kStartTimeout = 60000;
const char kNoteClass[] = "CVMAddressNoteWndClass";

struct NoteSearch
{
    DWORD pid;
    HWND other;
    HWND found;
};

// A shown address book window of the process other than the given one.
HWND WaitForNoteOtherThan(DWORD pid, HWND other)
{
    NoteSearch s = { pid, other, nullptr };
    for (DWORD start = GetTickCount(); !s.found && GetTickCount() - start < 20000; Sleep(100)) {
        EnumWindows([](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<NoteSearch*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof(cls));
            if (owner == s->pid && h != s->other && IsWindowVisible(h) && strcmp(cls, kNoteClass) == 0) {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(&s));
    }
    return s.found;
}

bool WaitForRows(HWND list, int rows)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(100))
        if (E2e::ListItemCount(list) == rows)
            return true;
    return false;
}

int RowOf(HWND list, const char* address)
{
    for (int i = 0; i < E2e::ListItemCount(list); ++i)
        if (E2e::ListItemText(list, i, 2) == address)
            return i;
    return -1;
}

// Waits until the list shows the address (or, with bShown false, no longer does).
bool WaitForAddress(HWND list, const char* address, bool bShown = true)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(100))
        if ((RowOf(list, address) >= 0) == bShown)
            return true;
    return false;
}

} // namespace

class AddressBookTwoWindowsTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    CString Box() const { return MailBox() + "\\Address.Box"; }

    void SetUp() override
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), "[Setting]\r\nMailBoxPassword=\"x\"\r\n"
                                                          "StartupCheckPassword=dword:0\r\nEditorAutoBackup=dword:0\r\n");
        CreateDirectoryA(MailBox(), nullptr);
        CAccountDataSet set;
        set.SetFilePath(MailBox() + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
        a->SetAccountName("テスト");
        a->SetMailAddress("cvmtest85@cvm.test");
        ASSERT_TRUE(set.WriteToFile(FALSE));
        CreateDirectoryA(Box(), nullptr);
        TestSupport::WriteFileBytes(
            Box() + "\\Group.lst",
            "FILE_VERSION\t1\r\n"
            "-1\t0\t1\t0\tアドレス帳\tアドレス帳.dat\t0\t0\t0\t1\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n");
        TestSupport::WriteFileBytes(Box() + "\\アドレス帳.dat", "yamada@example.jp\t山田 太郎\t\tIconDefault\t\r\n"
                                                              "tanaka@example.jp\t田中\t\tIconDefault\t\r\n");
    }

    // Adds an address through the window's add dialog.
    void AddAddress(HWND note, const char* name, const char* address)
    {
        PostMessageA(note, WM_COMMAND, ID_ADDRESS_ADD, 0);
        HWND dlg = m_program.WaitForWindow("#32770", "アドレスの追加", 20000);
        ASSERT_NE(dlg, nullptr);
        E2e::SetControlText(dlg, IDC_ENTRY_NAME, name);
        E2e::SetControlText(dlg, IDC_ENTRY_ADDRESS, address);
        E2e::PressButton(dlg, IDOK);
        ASSERT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, dlg));
    }

    TestSupport::TempDir m_dir;
    E2e::CProgramUnderTest m_program{ m_dir.Path() };
};

TEST_F(AddressBookTwoWindowsTest, EveryEntryAndGroupOfBothWindowsReachesTheFiles)
{
    ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\" "));
    HWND main = m_program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_TOOLS_ADDRESS_BOOK, 0);
    HWND mainNote = WaitForNoteOtherThan(m_program.ProcessId(), nullptr);
    ASSERT_NE(mainNote, nullptr);
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    HWND editor = m_program.WaitForWindow("CVMEditWndClass", nullptr, 20000);
    ASSERT_NE(editor, nullptr);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_ADDRESS_BOOK, 0);
    HWND editorNote = WaitForNoteOtherThan(m_program.ProcessId(), mainNote);
    ASSERT_NE(editorNote, nullptr);
    HWND mainList = GetDlgItem(mainNote, IDC_ADDRESS_LIST), editorList = GetDlgItem(editorNote, IDC_ADDRESS_LIST);
    ASSERT_TRUE(WaitForRows(mainList, 2));
    ASSERT_TRUE(WaitForRows(editorList, 2));

    // The main window's book adds; the editor's, which still shows the two
    // first entries, deletes one and creates a group.
    AddAddress(mainNote, "鈴木", "suzuki@example.jp");
    int row = RowOf(editorList, "tanaka@example.jp");
    ASSERT_GE(row, 0);
    E2e::ListSelectItem(editorList, row);
    PostMessageA(editorNote, WM_COMMAND, ID_ADDRESS_DELETE, 0);
    HWND question = m_program.WaitForMessageBox("削除します", 20000);
    ASSERT_NE(question, nullptr);
    E2e::PressButton(question, IDOK);
    // The editor's book shows the main window's entry after its own write.
    EXPECT_TRUE(WaitForAddress(editorList, "tanaka@example.jp", false));
    EXPECT_TRUE(WaitForAddress(editorList, "suzuki@example.jp"));
    EXPECT_EQ(E2e::ListItemCount(editorList), 2);
    PostMessageA(editorNote, WM_COMMAND, ID_GROUP_ADD, 0);
    HWND group = m_program.WaitForWindow("#32770", "グループ追加", 20000);
    ASSERT_NE(group, nullptr);
    E2e::SetControlText(group, IDC_GROUP_NAME, "取引先");
    E2e::PressButton(group, IDOK);

    // The main window's book, unaware of both, adds again and closes.
    AddAddress(mainNote, "佐藤", "sato@example.jp");
    EXPECT_TRUE(WaitForAddress(mainList, "tanaka@example.jp", false));
    EXPECT_TRUE(WaitForRows(mainList, 3));
    PostMessageA(mainNote, WM_CLOSE, 0, 0);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindowVisible(static_cast<HWND>(h)); }, mainNote));

    std::string entries = TestSupport::ReadFileBytes(Box() + "\\アドレス帳.dat");
    EXPECT_NE(entries.find("yamada@example.jp\t"), std::string::npos) << entries;
    EXPECT_NE(entries.find("suzuki@example.jp\t鈴木"), std::string::npos) << entries;
    EXPECT_NE(entries.find("sato@example.jp\t佐藤"), std::string::npos) << entries;
    EXPECT_EQ(entries.find("tanaka@example.jp"), std::string::npos) << entries;
    std::string groups = TestSupport::ReadFileBytes(Box() + "\\Group.lst");
    EXPECT_NE(groups.find("\tアドレス帳\t"), std::string::npos) << groups;
    EXPECT_NE(groups.find("\t取引先\t取引先.dat\t"), std::string::npos) << groups;
    EXPECT_TRUE(TestSupport::FileExists(Box() + "\\取引先.dat"));

    PostMessageA(editor, WM_CLOSE, 0, 0);
    if (HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 5000))
        E2e::PressButton(prompt, IDC_SC_DISCARD);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
    // Closing the editor's book last keeps the groups as well.
    groups = TestSupport::ReadFileBytes(Box() + "\\Group.lst");
    EXPECT_NE(groups.find("\t取引先\t"), std::string::npos) << groups;
}
