// Profiles: their files, their names, switching to one and the settings
// dialog's add, save and delete with its prompts.
#include "core/AccountDataSet.h"
#include "coreui/UiTestSupport.h"
#include "resources/settings/SettingsResource.h"
#include "resources/utils/UtilsResource.h"
#include "settings/DlgProfileSetting.h"
#include "settings/ProfileDataSet.h"
#include "settings/ProfileSwitch.h"
#include "transfer/RouteSetData.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <thread>

using namespace UiTest;
using TestSupport::TempDir;

namespace {

void WriteAccounts(const CString& path, std::initializer_list<const char*> names)
{
    CAccountDataSet set;
    set.SetFilePath(path);
    for (const char* name : names)
        static_cast<CAccountData*>(set.CreateNewRecord())->SetAccountName(name);
    ASSERT_TRUE(set.WriteToFile(TRUE));
}

void AnswerName(const char* name)
{
    for (int i = 0; i < 200; ++i) {
        HWND ask = FindWindowA("#32770", "名前の入力");
        if (ask && IsWindowVisible(ask)) {
            SetDlgItemTextA(ask, IDC_INPUT_NAME, name);
            SendMessageA(ask, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return;
        }
        Sleep(25);
    }
}

} // namespace

TEST(ProfileFiles, WrittenWholeInTypeOrderAndReadBack)
{
    TempDir dir;
    Profile p;
    p.accounts = { "仕事", "home" };
    p.folderIds = { 3, 7 };
    p.strRouteFile = "C:\\r\\RouteSet.dat";
    p.strAddressFolder = "C:\\addr";
    ASSERT_TRUE(WriteProfile(dir.File("work"), p));
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("work")),
              "0\t仕事\r\n0\thome\r\n1\t3\r\n1\t7\r\n2\tC:\\r\\RouteSet.dat\r\n3\tC:\\addr\r\n4\t\r\n");
    Profile back = ReadProfile(dir.File("work"));
    EXPECT_EQ(back.accounts, p.accounts);
    EXPECT_EQ(back.folderIds, p.folderIds);
    EXPECT_STREQ(back.strAddressFolder, "C:\\addr");
    Profile missing = ReadProfile(dir.File("none"));
    EXPECT_TRUE(missing.accounts.empty() && missing.folderIds.empty() && missing.strRouteFile.IsEmpty());
}

// New folders join the profiles that show their parent (or all, or none);
// a removed folder leaves every profile. The rest of each file stays.
TEST(ProfileFiles, FolderListsFollowNewAndRemovedFolders)
{
    TempDir dir;
    auto write = [&](const char* name, std::vector<int> ids) {
        Profile p;
        p.accounts = { "acct" };
        p.folderIds = ids;
        p.strRouteFile = "C:\\route.dat";
        ASSERT_TRUE(WriteProfile(dir.File(name), p));
    };
    auto ids = [&](const char* name) { return ReadProfile(dir.File(name)).folderIds; };
    write("inbox", { 6 });
    write("trash", { 5 });
    write("both", { 5, 6, 9 });
    CreateDirectoryA(dir.File("sub"), nullptr);  // a sub-folder is no profile

    const std::vector<int> parent = { 6 };
    AddFolderToProfiles(dir.Path(), &parent, 9);
    AddFolderToProfiles(dir.Path(), nullptr, 10);
    EXPECT_EQ(ids("inbox"), (std::vector<int>{ 6, 9, 10 }));
    EXPECT_EQ(ids("trash"), (std::vector<int>{ 5, 10 }));
    EXPECT_EQ(ids("both"), (std::vector<int>{ 5, 6, 9, 10 }));

    RemoveFolderFromProfiles(dir.Path(), 9);
    RemoveFolderFromProfiles(dir.Path(), 5);
    EXPECT_EQ(ids("inbox"), (std::vector<int>{ 6, 10 }));
    EXPECT_EQ(ids("trash"), (std::vector<int>{ 10 }));
    EXPECT_EQ(ids("both"), (std::vector<int>{ 6, 10 }));
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("trash")), "0\tacct\r\n1\t10\r\n2\tC:\\route.dat\r\n3\t\r\n4\t\r\n");

    // A profile whose file is gone is not made again.
    AddFolderToProfile(dir.File("gone"), 7);
    EXPECT_EQ(GetFileAttributesA(dir.File("gone")), INVALID_FILE_ATTRIBUTES);
}

TEST(ProfileFiles, NewNamesMustBeGivenAndFreeInAnyLetterCase)
{
    TempDir dir;
    TestSupport::WriteFileBytes(dir.File("Work"), "");
    CreateDirectoryA(dir.File("sub"), nullptr);
    struct Case
    {
        const char* name;
        const char* message;
    } cases[] = {
        { "", "プロファイル名を入力してください。" },
        { "work", "指定されたプロファイル名は既に存在しています。\r\n別の名前を指定してください。" },
        { "WORK", "指定されたプロファイル名は既に存在しています。\r\n別の名前を指定してください。" },
        { "home", "" },
        { "sub", "" },  // a sub-folder is no profile
    };
    for (const Case& c : cases)
        EXPECT_STREQ(CheckNewProfileName(dir.Path(), c.name), c.message) << c.name;
    EXPECT_EQ(ListProfileNames(dir.Path()), (std::vector<CString>{ "Work" }));
}

TEST(ProfileSwitch, AccountsRoutesAndAddressBookFollowTheProfileAndComeBackWithout)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    CString mailbox = dir.Path() + "\\MailBox";
    CreateDirectoryA(mailbox, nullptr);
    WriteAccounts(mailbox + "\\Account.dat", { "a", "b", "c" });
    WriteAccounts(dir.File("Other.dat"), { "x", "y" });
    Profile p;
    p.accounts = { "y" };
    p.folderIds = { 5 };
    p.strRouteFile = dir.File("ProfileRoute.dat");
    p.strAddressFolder = dir.File("ProfileAddress");
    p.strAccountFile = dir.File("Other.dat");
    ASSERT_TRUE(WriteProfile(app.GetProfileBoxPath() + "\\work", p));

    SwitchProfile(app, "work");
    EXPECT_STREQ(app.GetProfileName(), "work");
    ASSERT_EQ(app.m_pAccountDataSet->GetRecordCount(TRUE), 2);
    EXPECT_FALSE(app.m_pAccountDataSet->GetAccount(0)->m_bInProfile);
    EXPECT_TRUE(app.m_pAccountDataSet->GetAccount(1)->m_bInProfile);
    EXPECT_STREQ(app.GetRouteFilePath(), dir.File("ProfileRoute.dat"));
    EXPECT_STREQ(app.GetRouteSet()->GetFilePath(), dir.File("ProfileRoute.dat"));
    EXPECT_STREQ(app.GetAddressBoxPath(), dir.File("ProfileAddress"));
    ASSERT_EQ(app.m_profileFolderIds.GetSize(), 1);
    EXPECT_EQ(app.m_profileFolderIds[0], 5u);

    SwitchProfile(app, "");
    EXPECT_STREQ(app.GetProfileName(), "");
    EXPECT_EQ(app.m_pAccountDataSet->GetRecordCount(TRUE), 3);
    EXPECT_TRUE(app.m_pAccountDataSet->GetAccount(0)->m_bInProfile);
    EXPECT_STREQ(app.GetRouteFilePath(), mailbox + "\\RouteSet.dat");
    EXPECT_STREQ(app.GetAddressBoxPath(), mailbox + "\\Address.Box");
    EXPECT_EQ(app.m_profileFolderIds.GetSize(), 0);
}

// The profile in use is read again after its dialog; when its file is gone
// no profile is in use any more, rather than one that shows nothing.
TEST(ProfileSwitch, AProfileWhoseFileIsGoneIsNoLongerUsed)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    CreateDirectoryA(dir.Path() + "\\MailBox", nullptr);
    WriteAccounts(dir.Path() + "\\MailBox\\Account.dat", { "a", "b" });
    Profile p;
    p.accounts = { "b" };
    p.folderIds = { 5 };
    const CString file = app.GetProfileBoxPath() + "\\work";
    ASSERT_TRUE(WriteProfile(file, p));
    SwitchProfile(app, "work");

    p.folderIds = { 5, 6 };
    ASSERT_TRUE(WriteProfile(file, p));
    ReapplyProfile(app);
    EXPECT_STREQ(app.GetProfileName(), "work");
    EXPECT_EQ(app.m_profileFolderIds.GetSize(), 2);

    ASSERT_TRUE(DeleteFileA(file));
    ReapplyProfile(app);
    EXPECT_STREQ(app.GetProfileName(), "");
    EXPECT_EQ(app.m_profileFolderIds.GetSize(), 0);
    EXPECT_TRUE(app.m_pAccountDataSet->GetAccount(0)->m_bInProfile);
}

// The address-book thread reads the folder while the user switches
// profiles: every read is one of the two folders, whole.
TEST(ProfileSwitch, OtherThreadsReadThePathsWholeWhileProfilesSwitch)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    CString mailbox = dir.Path() + "\\MailBox";
    CreateDirectoryA(mailbox, nullptr);
    WriteAccounts(mailbox + "\\Account.dat", { "a" });
    Profile p;
    // Long enough that a copy made while the text is replaced would show it.
    p.strAddressFolder = dir.File("ProfileAddressFolderWithAMuchLongerNameThanTheMailboxOwnOne");
    ASSERT_TRUE(WriteProfile(app.GetProfileBoxPath() + "\\work", p));
    const CString own = mailbox + "\\Address.Box";

    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, wrong{0};
    std::thread reader([&] {
        while (!stop) {
            CString path = app.GetAddressBoxPath();
            if (path != own && path != p.strAddressFolder)
                ++wrong;
            ++reads;
        }
    });
    for (int i = 0; i < 200; ++i)
        SwitchProfile(app, i % 2 ? "" : "work");
    stop = true;
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_STREQ(app.GetAddressBoxPath(), own);
}

TEST(DlgProfileSetting, AddSaveDeleteWithThePromptsOfEachStep)
{
    TempDir dir;
    CString box = dir.Path() + "\\Profile.Box";
    CreateDirectoryA(box, nullptr);
    TestSupport::WriteFileBytes(box + "\\old", "0\ta\r\n1\t2\r\n2\t\r\n3\t\r\n4\t\r\n");
    WriteAccounts(dir.File("Account.dat"), { "a", "b" });
    std::vector<CDlgProfileSetting::FolderItem> folders = { { 1, 0, "送信" }, { 2, 1, "作成中" }, { 3, 0, "郵便受け" } };
    TestSupport::ClearMessages();
    CDlgProfileSetting dlg("old", box, dir.File("Account.dat"), folders);
    struct Seen
    {
        bool aChecked = false, bChecked = true;
        std::vector<int> folderStates;
    } seen;
    RunModal(dlg, "プロファイルの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        HWND accounts = GetDlgItem(hDlg, IDC_PF_ACCOUNTS);
        seen.aChecked = ListView_GetCheckState(accounts, 0) != 0;
        seen.bChecked = ListView_GetCheckState(accounts, 1) != 0;
        HWND tree = GetDlgItem(hDlg, IDC_PF_FOLDERS);
        HTREEITEM root = TreeView_GetRoot(tree);
        for (HTREEITEM item : { root, TreeView_GetChild(tree, root), TreeView_GetNextSibling(tree, root) })
            seen.folderStates.push_back(static_cast<int>(TreeView_GetItemState(tree, item, TVIS_STATEIMAGEMASK) >> 12));
        // A name in use in another letter case is refused.
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_PF_ADD, BN_CLICKED), 0);
        AnswerName("OLD");
        Sleep(200);
        // A new profile with account b.
        ListView_SetCheckState(accounts, 1, TRUE);
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_PF_ADD, BN_CLICKED), 0);
        AnswerName("new");
        Sleep(200);
        SetDlgItemTextA(hDlg, IDC_PF_ADDRESS, "D:\\book");
        Click(hDlg, IDC_PF_SAVE);
        // Deleting "new" asks first; Cancel keeps it, OK deletes it.
        TestSupport::QueueMessageBoxAnswer(IDCANCEL);
        Click(hDlg, IDC_PF_DELETE);
        Click(hDlg, IDCANCEL);
    });
    EXPECT_TRUE(seen.aChecked);
    EXPECT_FALSE(seen.bChecked);
    EXPECT_EQ(seen.folderStates, (std::vector<int>{ 1, 2, 1 })) << "only the listed folder is checked";
    const auto& messages = TestSupport::RecordedMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0], "指定されたプロファイル名は既に存在しています。\r\n別の名前を指定してください。");
    EXPECT_EQ(messages[1], "プロファイル[new]を削除します。\r\nよろしいですか？");
    EXPECT_EQ(TestSupport::ReadFileBytes(box + "\\new"), "0\ta\r\n0\tb\r\n1\t2\r\n2\t\r\n3\tD:\\book\r\n4\t\r\n");
    EXPECT_EQ(TestSupport::ReadFileBytes(box + "\\old"), "0\ta\r\n1\t2\r\n2\t\r\n3\t\r\n4\t\r\n");
}
