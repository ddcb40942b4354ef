// Profiles as a user meets them: the switch dialog and the box over the
// folder tree choose the profile in use, and the tree then shows only the
// folders its file lists, each under its nearest listed ancestor; without a
// profile every folder is back in its place.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"

#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/settings/SettingsResource.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

// A profile file as the profile dialog writes it: the folder ids it shows,
// then the route file, the address-book folder and the account file (all
// left to the mailbox's own).
std::string ProfileFile(std::initializer_list<int> folderIds)
{
    std::string text;
    for (int id : folderIds)
        text += "1\t" + std::to_string(id) + "\r\n";
    return text + "2\t\r\n3\t\r\n4\t\r\n";
}

// The index of an entry of a list box or combo box of the program (find is
// LB_FINDSTRINGEXACT or CB_FINDSTRINGEXACT), or -1. The system carries the
// text of these messages over to the program's process.
int FindEntry(HWND hBox, UINT find, const char* text)
{
    return static_cast<int>(SendMessageA(hBox, find, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
}

class FolderPane
{
public:
    explicit FolderPane(HWND main)
    {
        m_tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
        m_combo = E2e::FindDescendant(main, "ComboBox", IDC_ACCOUNT_COMBO);
        m_label = E2e::FindDescendant(main, "Static", IDC_ACCOUNT_LABEL);
    }
    bool Ready() const { return m_tree && m_combo && m_label; }
    HWND Tree() const { return m_tree; }
    HWND Combo() const { return m_combo; }

    // Every item as "name/depth", in tree order.
    std::string Items() const
    {
        std::string text;
        for (const E2e::TreeItem& item : E2e::ReadTree(m_tree))
            text += (text.empty() ? "" : " ") + std::string(item.text.GetString()) + "/" + std::to_string(item.depth);
        return text;
    }
    bool Shows(const std::string& items) const
    {
        return E2e::WaitFor(20000, [&] { return Items() == items; });
    }
    CString Selected() const
    {
        HTREEITEM hSel = reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        for (const E2e::TreeItem& item : E2e::ReadTree(m_tree))
            if (item.handle == hSel)
                return item.text;
        return "";
    }
    void Select(const char* name) const
    {
        SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(E2e::FindTreeItem(m_tree, name)));
    }
    bool FocusIsOnTree() const
    {
        GUITHREADINFO info = { sizeof(info) };
        return GetGUIThreadInfo(GetWindowThreadProcessId(m_tree, nullptr), &info) && info.hwndFocus == m_tree;
    }
    CString Label() const { return E2e::GetWindowTextOf(m_label); }
    CString ComboText() const { return E2e::GetWindowTextOf(m_combo); }

private:
    HWND m_tree = nullptr, m_combo = nullptr, m_label = nullptr;
};

class ProfileTreeTest : public ::testing::Test
{
protected:
    HWND Start()
    {
        m_program.reset(new CProgramUnderTest(m_dir.Path()));
        if (!m_program->Start("/INI \"/M:" + m_dir.Path() + "\\MailBox\""))
            return nullptr;
        return m_program->WaitForMainWindow(kTimeout);
    }
    void Close(HWND main)
    {
        E2e::CloseWhenTransfersEnd(*m_program, main);
        EXPECT_EQ(m_program->WaitForExit(kTimeout), 0);
    }
    void WriteProfile(const char* name, std::initializer_list<int> folderIds)
    {
        CreateDirectoryA(m_dir.File("MailBox\\Profile.Box"), nullptr);
        TestSupport::WriteFileBytes(m_dir.File(CString("MailBox\\Profile.Box\\") + name), ProfileFile(folderIds));
    }
    // The switch dialog through its command: the profile chosen in its list
    // (none for "プロファイルを使用しない"), the main window's box switched on
    // or off, the default profile chosen, then OK.
    void SwitchThroughDialog(HWND main, const char* profile, bool comboMode, const char* defaultProfile)
    {
        PostMessageA(main, WM_COMMAND, ID_TOOLS_PROFILE_SELECT, 0);
        HWND dlg = m_program->WaitForDialogWithControl(IDC_PS_CHANGE_MAIN, kTimeout);
        ASSERT_NE(dlg, nullptr) << E2e::VisibleWindows(m_program->ProcessId());
        HWND check = GetDlgItem(dlg, IDC_PS_CHANGE_MAIN);
        if ((SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED) != comboMode)
            SendMessageA(check, BM_CLICK, 0, 0);
        if (defaultProfile) {
            HWND combo = GetDlgItem(dlg, IDC_PS_DEFAULT);
            int index = FindEntry(combo, CB_FINDSTRINGEXACT, defaultProfile);
            ASSERT_GE(index, 0) << defaultProfile;
            SendMessageA(combo, CB_SETCURSEL, index, 0);
        }
        if (profile) {
            HWND list = GetDlgItem(dlg, IDC_PS_LIST);
            int index = FindEntry(list, LB_FINDSTRINGEXACT, profile);
            ASSERT_GE(index, 0) << profile;
            SendMessageA(list, LB_SETCURSEL, index, 0);
            E2e::PressButton(dlg, IDOK);
        } else {
            E2e::PressButton(dlg, IDC_PS_NONE);
        }
        ASSERT_TRUE(E2e::WaitFor(kTimeout, [&] { return !IsWindow(dlg); }));
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<CProgramUnderTest> m_program;
};

// The default folders: 送信 (1) holding 作成中 (2), 未送信 (3) and 送信済 (4);
// ごみ箱 (5); 郵便受け (6).
const char kAllFolders[] = "送信/0 作成中/1 未送信/1 送信済/1 ごみ箱/0 郵便受け/0";

} // namespace

TEST_F(ProfileTreeTest, TheChosenProfileShowsItsFoldersAndNoProfileShowsThemAll)
{
    TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    FolderPane pane(main);
    ASSERT_TRUE(pane.Ready()) << E2e::VisibleWindows(m_program->ProcessId());
    ASSERT_TRUE(pane.Shows(kAllFolders)) << pane.Items();
    EXPECT_STREQ(pane.Label(), "受信アカウント");
    // 仕事 lists two folders of 送信 but not 送信 itself; 私用 lists 送信 and one of its folders.
    WriteProfile("仕事", { 2, 3, 6 });
    WriteProfile("私用", { 1, 4, 6 });

    // The folder selected is not in 仕事: the inbox takes its place.
    pane.Select("送信済");
    ASSERT_TRUE(E2e::WaitFor(5000, [&] { return pane.Selected() == "送信済"; }));
    SwitchThroughDialog(main, "仕事", true, "仕事");
    EXPECT_TRUE(pane.Shows("作成中/0 未送信/0 郵便受け/0")) << pane.Items();
    EXPECT_STREQ(pane.Selected(), "郵便受け");
    EXPECT_STREQ(pane.Label(), "プロファイル");
    EXPECT_STREQ(pane.ComboText(), "仕事");
    EXPECT_EQ(SendMessageA(pane.Combo(), CB_GETCOUNT, 0, 0), 2);

    // A folder made below the inbox joins both profiles that show the inbox.
    PostMessageA(main, WM_COMMAND, ID_FOLDER_CREATE, 0);
    HWND create = m_program->WaitForDialogWithControl(IDC_FOLDER_NAME, kTimeout);
    ASSERT_NE(create, nullptr) << E2e::VisibleWindows(m_program->ProcessId());
    E2e::SetControlText(create, IDC_FOLDER_NAME, "会議資料");
    E2e::PressButton(create, IDOK);
    EXPECT_TRUE(pane.Shows("作成中/0 未送信/0 郵便受け/0 会議資料/1")) << pane.Items();

    // The box over the tree switches to the other profile from the keyboard.
    int current = static_cast<int>(SendMessageA(pane.Combo(), CB_GETCURSEL, 0, 0));
    int other = FindEntry(pane.Combo(), CB_FINDSTRINGEXACT, "私用");
    ASSERT_GE(other, 0);
    SendMessageA(pane.Combo(), WM_KEYDOWN, other > current ? VK_DOWN : VK_UP, 0);
    EXPECT_TRUE(pane.Shows("送信/0 送信済/1 郵便受け/0 会議資料/1")) << pane.Items();
    EXPECT_STREQ(pane.ComboText(), "私用");
    EXPECT_STREQ(pane.Selected(), "郵便受け");
    Close(main);

    // The default profile is in use from the next start.
    main = Start();
    ASSERT_NE(main, nullptr);
    FolderPane again(main);
    ASSERT_TRUE(again.Ready());
    EXPECT_TRUE(again.Shows("作成中/0 未送信/0 郵便受け/0 会議資料/1")) << again.Items();
    EXPECT_STREQ(again.Label(), "プロファイル");
    EXPECT_STREQ(again.ComboText(), "仕事");

    // Chosen from the list the account-switch command drops down, a profile
    // takes effect when the list closes, and the keys go back to the tree.
    const std::pair<const char*, const char*> choices[] = {
        { "私用", "送信/0 送信済/1 郵便受け/0 会議資料/1" },
        { "仕事", "作成中/0 未送信/0 郵便受け/0 会議資料/1" },
    };
    for (const auto& choice : choices) {
        PostMessageA(main, WM_COMMAND, ID_ACCOUNT_SWITCH, 0);
        ASSERT_TRUE(E2e::WaitFor(20000, [&] { return SendMessageA(again.Combo(), CB_GETDROPPEDSTATE, 0, 0) != 0; }));
        SendMessageA(again.Combo(), CB_SETCURSEL, FindEntry(again.Combo(), CB_FINDSTRINGEXACT, choice.first), 0);
        SendMessageA(again.Combo(), CB_SHOWDROPDOWN, FALSE, 0);
        EXPECT_TRUE(again.Shows(choice.second)) << choice.first << ": " << again.Items();
        EXPECT_TRUE(E2e::WaitFor(5000, [&] { return again.FocusIsOnTree(); })) << choice.first;
    }

    // The profile in use, edited while the profile dialog is open, is shown
    // as it is once the dialog closes.
    PostMessageA(main, WM_COMMAND, ID_TOOLS_PROFILE_SETTINGS, 0);
    HWND settings = m_program->WaitForDialogWithControl(IDC_PF_FOLDERS, kTimeout);
    ASSERT_NE(settings, nullptr) << E2e::VisibleWindows(m_program->ProcessId());
    WriteProfile("仕事", { 1, 2, 6 });
    E2e::PressButton(settings, IDCANCEL);
    ASSERT_TRUE(E2e::WaitFor(kTimeout, [&] { return !IsWindow(settings); }));
    EXPECT_TRUE(again.Shows("送信/0 作成中/1 郵便受け/0")) << again.Items();

    // No profile: every folder in its place, and the box chooses accounts again.
    SwitchThroughDialog(main, nullptr, false, nullptr);
    EXPECT_TRUE(again.Shows(std::string(kAllFolders) + " 会議資料/1")) << again.Items();
    EXPECT_STREQ(again.Label(), "受信アカウント");

    // A deleted folder leaves the profiles that listed it.
    again.Select("会議資料");
    PostMessageA(main, WM_COMMAND, ID_FOLDER_DELETE, 0);
    HWND remove = m_program->WaitForDialogWithControl(IDC_DELETE_FOLDER_ONLY, kTimeout);
    ASSERT_NE(remove, nullptr) << E2e::VisibleWindows(m_program->ProcessId());
    E2e::PressButton(remove, IDOK);
    EXPECT_TRUE(again.Shows(kAllFolders)) << again.Items();
    EXPECT_EQ(TestSupport::ReadFileBytes(m_dir.File("MailBox\\Profile.Box\\私用")), ProfileFile({ 1, 4, 6 }));
    Close(main);
}
