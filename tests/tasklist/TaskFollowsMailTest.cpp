// A task linked to a mail follows the mail through the main window's moves
// and deletions, and the task file says so.
#include "core/QuendalApp.h"
#include "mainwnd/MailTransfer.h"
#include "store/MailIndexRecord.h"
#include "store/StoreTestUtil.h"
#include "tasklist/TaskListData.h"

#include <gtest/gtest.h>

namespace {

struct TwoFolderApp : StoreTest::TestApp
{
    explicit TwoFolderApp(const CString& root) : StoreTest::TestApp(root)
    {
        m_pInbox = AddStore(1, 1, "受信箱", root);
        m_pKeep = AddStore(7, 0, "保管", root);
    }
    CMailFolderStore* AddStore(int id, int kind, const char* name, const CString& root)
    {
        CFolderRecord r;
        r.m_nId = id;
        r.m_nKind = kind;
        r.m_strName = name;
        r.m_strPath.Format("%s\\F%d", root.GetString(), id);
        CreateDirectoryA(r.m_strPath, nullptr);
        return AddFolder(0, 0, nullptr, r);
    }
    CMailFolderStore* m_pInbox;
    CMailFolderStore* m_pKeep;
};

// The tasks as the file holds them now: (folder id, mail key) of each.
std::vector<std::pair<int, std::string>> StoredTasks(const CString& path)
{
    CTaskListData table;
    table.SetFilePath(path);
    table.ReadFromFile();
    std::vector<std::pair<int, std::string>> out;
    for (int i = 0; i < table.GetRecordCount(TRUE); ++i)
        out.emplace_back(table.GetTask(i)->m_nFolderId, table.GetTask(i)->m_strMailKey.GetString());
    return out;
}

} // namespace

TEST(TaskFollowsMail, AMovedMailTakesItsTaskAlongAndADeletedOneRemovesIt)
{
    TestSupport::TempDir dir;
    TwoFolderApp app(dir.Path());
    ASSERT_EQ(1, StoreTest::FileMail(*app.m_pInbox, dir.Path(), "m.eml", StoreTest::SimpleMail("打ち合わせ", "<a@x>")));
    CString key = app.m_pInbox->GetRecord(0)->GetText(CMailIndexRecord::colAttachDir);
    {
        CTaskListData* tasks = app.GetTaskListData();
        auto* task = static_cast<CTaskListRecord*>(tasks->CreateNewRecord());
        task->m_nFolderId = 1;
        task->m_strMailKey = key;
        task->m_strMemo = "返事をする";
        ASSERT_TRUE(tasks->WriteToFile());
    }
    app.InstallTaskListMailHooks();

    CMailTransfer::Result moved = CMailTransfer::CopyMails(app, {{1, 0}}, app.m_pKeep, true);
    ASSERT_EQ(1, moved.nDone);
    CString newKey = app.m_pKeep->GetRecord(0)->GetText(CMailIndexRecord::colAttachDir);
    EXPECT_EQ((std::vector<std::pair<int, std::string>>{{7, newKey.GetString()}}), StoredTasks(app.GetTaskListPath()));

    CMailTransfer::Result deleted = CMailTransfer::DeleteMails(app, app.m_pKeep, {0}, true);
    ASSERT_EQ(1, deleted.nDone);
    EXPECT_TRUE(StoredTasks(app.GetTaskListPath()).empty());

    CMailTransfer::SetHooks(nullptr, nullptr);
    app.FreeTaskList();
}
