// Folder maintenance as a user meets it: each command asks first, works
// behind the busy dialog and leaves the folder whole on disk.
#include "e2e/MaintFixture.h"
#include "resources/rules/RulesResource.h"
#include "resources/utils/UtilsResource.h"
#include "store/FolderRecord.h"

using MaintE2e::kTimeout;

namespace {

class FolderMaintenanceE2eTest : public MaintE2e::CMailBoxTest
{
protected:
    // Runs a command through its question and its busy dialog.
    void RunCommand(HWND main, UINT command, const char* question, int answer = IDOK)
    {
        PostMessageA(main, WM_COMMAND, command, 0);
        HWND box = m_program.WaitForMessageBox(question, kTimeout);
        ASSERT_NE(box, nullptr) << question;
        E2e::PressButton(box, answer);
        // The busy dialog stays up until it sees the worker done.
        HWND busy = m_program.WaitForDialogWithControl(IDC_BUSY_CANCEL, kTimeout);
        ASSERT_NE(busy, nullptr) << question;
        EXPECT_TRUE(WaitGone(busy)) << question;
    }
    LONGLONG DataSize(int kind)
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(Folder(kind).m_strPath + "\\MailData.Qmd", GetFileExInfoStandard, &data))
            return -1;
        return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
};

} // namespace

TEST_F(FolderMaintenanceE2eTest, DuplicatesOptimiseAndRebuildLeaveTheFolderWhole)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "一通目", "二通目", "三通目" });
    FileMails(CFolderRecord::kindInbox, { "一通目" });  // the same mail a second time
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    RunCommand(main, ID_FOLDER_DUPLICATES_CURRENT, "フォルダ内の重複したメールを削除します。");
    LONGLONG before = DataSize(CFolderRecord::kindInbox);
    RunCommand(main, ID_FOLDER_OPTIMIZE_CURRENT, "選択中のメールフォルダのメールデータを最適化します。");
    // A lost index is made again from the data.
    DeleteFileA(Folder(CFolderRecord::kindInbox).m_strPath + "\\Index.lst");
    RunCommand(main, ID_FOLDER_REBUILD_CURRENT, "メールのデータに基いてリストを作成し直します。");
    Close(main);
    EXPECT_LT(DataSize(CFolderRecord::kindInbox), before);
    EXPECT_EQ(Stored(CFolderRecord::kindInbox), (std::multiset<std::string>{ "一通目", "二通目", "三通目" }));
}

TEST_F(FolderMaintenanceE2eTest, AllFoldersRunWorksEveryFolderOnlyAfterYes)
{
    MakeMailBox();
    for (int copy = 0; copy < 2; ++copy) {
        FileMails(CFolderRecord::kindInbox, { "受信" }, "in");
        FileMails(CFolderRecord::kindTrash, { "ごみ" }, "trash");
    }
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_FOLDER_DUPLICATES_ALL, 0);
    HWND box = m_program.WaitForMessageBox("すべてのフォルダの重複したメールを削除します。", kTimeout);
    ASSERT_NE(box, nullptr);
    E2e::PressButton(box, IDNO);
    ASSERT_TRUE(WaitGone(box));
    RunCommand(main, ID_FOLDER_DUPLICATES_ALL, "すべてのフォルダの重複したメールを削除します。", IDYES);
    Close(main);
    EXPECT_EQ(Stored(CFolderRecord::kindInbox), (std::multiset<std::string>{ "受信" }));
    EXPECT_EQ(Stored(CFolderRecord::kindTrash), (std::multiset<std::string>{ "ごみ" }));
}
