// The deleted-mail history dialog: its rows, and restoring selected rows
// through thread message 1430 into the mails' folders.
#include "ImportTestUtil.h"

#include "resources/import/ImportResource.h"
#include "store/DlgDeleteHistory.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ImportTest::FileMail;
using ImportTest::SimpleMail;
using ImportTest::TestApp;
using TestSupport::TempDir;

namespace {

struct HistoryRun : ::testing::Test
{
    TempDir dir;
    TestApp app{dir.Path()};
    CMailFolderStore* a = nullptr;
    CMailFolderStore* b = nullptr;

    void SetUp() override
    {
        a = app.AddStore(dir.File("A"), 1, "フォルダA");
        b = app.AddStore(dir.File("B"), 2, "B");
        for (CMailFolderStore* s : {a, b}) {
            s->LoadIndex();
            for (int i = 0; i < 3; ++i)
                ASSERT_EQ(FileMail(*s, dir.Path(), SimpleMail(std::to_string(s->GetFolderId()) + "-" + std::to_string(i))), 1);
        }
        // Deleted in this order: A0 A1 B0 A2 B1 B2.
        const int order[][2] = { {1, 0}, {1, 1}, {2, 0}, {1, 2}, {2, 1}, {2, 2} };
        for (const auto& o : order) {
            ASSERT_TRUE(app.FindFolder(o[0])->DeleteMail(o[1]));
            app.m_deleteHistory.Add({o[0], o[1]});
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

std::vector<MSG> TakePosted(UINT message)
{
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), message, message, PM_REMOVE))
        out.push_back(msg);
    return out;
}

} // namespace

TEST_F(HistoryRun, RowsShowTheMailsAndRestoreIntoTheirFolders)
{
    CDlgDeleteHistory dlg(nullptr, app.m_deleteHistory);
    ASSERT_TRUE(dlg.Create(IDD_DELETE_HISTORY));
    HWND list = dlg.GetDlgItemHwnd(IDC_DELETE_HISTORY_LIST);
    CListCtrl& rows = *static_cast<CListCtrl*>(CWnd::FromHandle(list));
    ASSERT_EQ(rows.GetItemCount(), 6);
    EXPECT_EQ(rows.GetItemText(0, 0), "1-0");
    EXPECT_EQ(rows.GetItemText(2, 0), "2-0");
    EXPECT_EQ(rows.GetItemText(2, 1), "Sender <sender@example.com>");
    EXPECT_EQ(rows.GetItemText(0, 5), "フォルダA");
    EXPECT_FALSE(rows.GetItemText(0, 2).IsEmpty());
    EXPECT_NE(rows.GetItemText(0, 4), "0");
    // The last row comes up selected.
    EXPECT_EQ(rows.GetNextItem(-1, LVNI_SELECTED), 5);

    rows.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    dlg.OnRestore();
    EXPECT_EQ(rows.GetItemCount(), 4);
    EXPECT_EQ(rows.GetItemText(2, 0), "1-2");
    dlg.DestroyWindow();

    std::vector<MSG> posted = TakePosted(1430);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].lParam, 2);
    EXPECT_EQ(posted[1].lParam, 4);
    for (MSG& m : posted)
        EXPECT_TRUE(app.DispatchThreadMessage(&m));

    // B0 and B2 are back; the history keeps A0 A1 A2 B1 in step with the rows.
    EXPECT_FALSE(b->GetRecord(0)->m_bDeleted);
    EXPECT_TRUE(b->GetRecord(1)->m_bDeleted);
    EXPECT_FALSE(b->GetRecord(2)->m_bDeleted);
    EXPECT_EQ(b->GetMailCount(), 2);
    ASSERT_EQ(app.m_deleteHistory.GetSize(), 4);
    EXPECT_EQ(app.m_deleteHistory[3].nFolderId, 2);
    EXPECT_EQ(app.m_deleteHistory[3].nIndex, 1);

    // -1 restores the newest entry; an empty history does nothing.
    EXPECT_TRUE(app.RestoreDeletedMail(-1));
    EXPECT_FALSE(b->GetRecord(1)->m_bDeleted);
    while (app.m_deleteHistory.GetSize())
        app.RestoreDeletedMail(-1);
    EXPECT_EQ(a->GetMailCount(), 3);
    EXPECT_FALSE(app.RestoreDeletedMail(-1));
}

TEST_F(HistoryRun, RestoringDeletesTheCopyLeftInTheTrash)
{
    CMailFolderStore* trash = app.AddStore(dir.File("Trash"), 9, "ごみ箱", 4);
    trash->LoadIndex();
    ASSERT_EQ(FileMail(*trash, dir.Path(), SimpleMail("other")), 1);
    ASSERT_EQ(FileMail(*trash, dir.Path(), SimpleMail("1-1")), 1);
    app.m_deleteHistory.RemoveAll();
    app.m_deleteHistory.Add({1, 1, 9, 1});
    app.m_deleteHistory.Add({1, 2});  // deleted without a copy
    MSG restore = {};
    restore.message = 1430;
    restore.lParam = 0;
    EXPECT_TRUE(app.DispatchThreadMessage(&restore));

    EXPECT_FALSE(a->GetRecord(1)->m_bDeleted);
    EXPECT_FALSE(trash->GetRecord(0)->m_bDeleted) << "other mails of the trash stay";
    EXPECT_TRUE(trash->GetRecord(1)->m_bDeleted);
    EXPECT_EQ(trash->GetMailCount(), 1);

    EXPECT_TRUE(app.RestoreDeletedMail(-1));
    EXPECT_FALSE(a->GetRecord(2)->m_bDeleted);
    EXPECT_EQ(trash->GetMailCount(), 1);
    EXPECT_EQ(app.m_deleteHistory.GetSize(), 0);
}
