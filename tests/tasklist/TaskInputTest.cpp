// A task made from a stored mail through the task input dialog, and a task
// edited there: what the dialog shows and what lands in the table.
#include "core/DateTimeUtil.h"
#include "resources/tasklist/TasklistResource.h"
#include "store/StoreTestUtil.h"
#include "tasklist/DlgTaskInfoInput.h"
#include "tasklist/TaskListData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

using TestSupport::TempDir;

namespace {

CString ItemText(HWND dlg, int id)
{
    char buf[512] = {};
    SendMessageA(GetDlgItem(dlg, id), WM_GETTEXT, sizeof(buf), reinterpret_cast<LPARAM>(buf));
    return CString(buf);
}

// Runs work on the dialog from another thread once it shows, then presses
// the button; the dialog itself runs on this thread.
class CDialogDriver
{
public:
    CDialogDriver(std::function<void(HWND)> work, int button)
        : m_thread([work, button] {
              HWND dlg = nullptr;
              for (int i = 0; i < 200 && !dlg; ++i) {
                  // Visible once its controls are filled.
                  dlg = FindWindowA("#32770", "タスクの情報");
                  if (dlg && !IsWindowVisible(dlg))
                      dlg = nullptr;
                  if (!dlg)
                      Sleep(50);
              }
              if (!dlg)
                  return;
              work(dlg);
              PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
          })
    {
    }
    ~CDialogDriver() { m_thread.join(); }

private:
    std::thread m_thread;
};

} // namespace

TEST(TaskInput, TaskMadeFromAMailKeepsTheMailAndTheDialogValues)
{
    TempDir dir;
    StoreTest::TestApp app(dir.Path());
    CMailFolderStore store;
    StoreTest::OpenStore(store, dir.Path() + "\\Inbox", 7);
    const std::string mail = "From: 山田 太郎 <yamada@sakura-shoji.co.jp>\r\nTo: me@corvane.example\r\n"
                             "Cc: boss@corvane.example\r\nSubject: Quote\r\n"
                             "Date: Mon, 13 May 2024 09:30:00 +0900\r\nMessage-ID: <q1@sakura-shoji.co.jp>\r\n\r\nbody\r\n";
    ASSERT_EQ(StoreTest::FileMail(store, dir.Path(), "QM1715560200123.eml", mail, FALSE, "2024/05/13 09:31:00 +0900"),
              1);
    CMailIndexRecord* record = store.GetMailList() ? store.GetMailList()->GetMailRecord(0) : nullptr;
    ASSERT_NE(record, nullptr);

    CTaskListData table;
    table.SetFilePath(dir.File("TaskList.dat"));
    CString shownSubject, shownFrom, shownSent;
    BOOL deadlineOn = TRUE;
    BOOL added = FALSE;
    {
        CDialogDriver driver(
            [&](HWND dlg) {
                shownSubject = ItemText(dlg, IDC_TASK_MAIL_SUBJECT);
                shownFrom = ItemText(dlg, IDC_TASK_MAIL_FROM);
                shownSent = ItemText(dlg, IDC_TASK_MAIL_SENT);
                deadlineOn = IsDlgButtonChecked(dlg, IDC_TASK_HAS_DEADLINE);
                SendMessageA(GetDlgItem(dlg, IDC_TASK_MEMO), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("見積りを返す"));
                SendMessageA(GetDlgItem(dlg, IDC_TASK_HAS_DEADLINE), BM_SETCHECK, BST_CHECKED, 0);
                SendMessageA(GetDlgItem(dlg, IDC_TASK_NOTIFY), BM_SETCHECK, BST_CHECKED, 0);
                SendMessageA(GetDlgItem(dlg, IDC_TASK_LEAD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("30"));
            },
            IDOK);
        added = AddTaskForMail(record, &store, &table, nullptr);
    }
    ASSERT_TRUE(added);
    EXPECT_STREQ(shownSubject, "Quote");
    EXPECT_STREQ(shownFrom, record->GetText(CMailIndexRecord::colFrom));
    EXPECT_STREQ(shownSent, record->GetText(CMailIndexRecord::colDate));
    EXPECT_FALSE(deadlineOn) << "a task of a mail starts without a deadline";

    ASSERT_EQ(table.GetRecordCount(), 1);
    const CTaskListRecord* task = table.GetTask(0);
    EXPECT_EQ(task->m_nFolderId, 7);
    EXPECT_STREQ(task->m_strMailKey, record->GetText(CMailIndexRecord::colAttachDir));
    EXPECT_FALSE(task->m_strMailKey.IsEmpty());
    EXPECT_STREQ(task->m_strSubject, "Quote");
    EXPECT_STREQ(task->m_strCc, "boss@corvane.example");
    EXPECT_STREQ(CTime(task->m_tSend).Format("%Y/%m/%d %H:%M:%S"),
                 FormatDateTextAsLocal(record->GetText(CMailIndexRecord::colDate), "%Y/%m/%d %H:%M:%S"));
    EXPECT_TRUE(task->m_bHasDeadline);
    EXPECT_TRUE(task->m_bNotify);
    EXPECT_EQ(task->m_nLeadMinutes, 30);
    EXPECT_STREQ(task->m_strMemo, "見積りを返す");
    EXPECT_LE(std::llabs(task->m_tDeadline - CTime::GetCurrentTime().GetTime()), 120);

    // Cancel leaves the table alone.
    {
        CDialogDriver driver([](HWND) {}, IDCANCEL);
        EXPECT_FALSE(AddTaskForMail(nullptr, nullptr, &table, nullptr));
    }
    EXPECT_EQ(table.GetRecordCount(), 1);
}

TEST(TaskInput, EditingAFreeTaskShowsItsValuesAndStoresTheChanges)
{
    TempDir dir;
    StoreTest::TestApp app(dir.Path());
    CTaskListData table;
    table.SetFilePath(dir.File("TaskList.dat"));
    auto* task = static_cast<CTaskListRecord*>(table.CreateNewRecord());
    task->m_bHasDeadline = TRUE;
    task->m_tDeadline = CTime(2040, 2, 29, 18, 45, 0).GetTime();
    task->m_bNotify = TRUE;
    task->m_nLeadMinutes = 15;
    task->m_strNoticeSubject = "定例会議";
    task->m_strNoticeBody = "資料を印刷\r\n会議室を予約";
    CString body, lead;
    BOOL accountEnabled = TRUE;
    {
        CDialogDriver driver(
            [&](HWND dlg) {
                body = ItemText(dlg, IDC_TASK_NOTICE_BODY);
                lead = ItemText(dlg, IDC_TASK_LEAD);
                accountEnabled = IsWindowEnabled(GetDlgItem(dlg, IDC_TASK_ACCOUNT));
                SendMessageA(GetDlgItem(dlg, IDC_TASK_NOTIFIED), BM_SETCHECK, BST_CHECKED, 0);
            },
            IDOK);
        EXPECT_TRUE(table.EditTask(0, nullptr));
    }
    EXPECT_NE(std::string(body.GetString()).find("会議室を予約"), std::string::npos);
    EXPECT_STREQ(lead, "15");
    EXPECT_FALSE(accountEnabled) << "the account is for sent notices only";
    EXPECT_EQ(table.GetTask(0)->m_nNotified, 1);
    EXPECT_EQ(table.GetTask(0)->m_tDeadline, CTime(2040, 2, 29, 18, 45, 0).GetTime());
    EXPECT_STREQ(table.GetTask(0)->m_strNoticeBody, "資料を印刷\r\n会議室を予約");
}
