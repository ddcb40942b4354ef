// Notice mails: built from the task, filed into the current folder or the
// sending folder, and marked notified only once they were delivered.
#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "store/StoreTestUtil.h"
#include "tasklist/TaskListData.h"
#include "tasklist/TaskListThread.h"
#include "tasklist/TaskNotice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

struct NoticeApp : StoreTest::TestApp
{
    explicit NoticeApp(const CString& root) : StoreTest::TestApp(root)
    {
        m_pInbox = AddStore(1, 1, "受信箱", root);
        m_pSendFolder = AddStore(20, 7, "SendTempFolder", root);
        m_pAccountDataSet = new CAccountDataSet;
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
    void AddAccount(const char* name, const char* address)
    {
        CDataStrgRecord* a = m_pAccountDataSet->CreateNewRecord();
        m_pAccountDataSet->SetRecordField(0, name, a);
        m_pAccountDataSet->SetRecordField(2, address, a);
    }
    void ShowInbox()
    {
        m_nCurrentFolderId = 1;
        m_pCurrentFolder = m_pInbox;
    }
    CMailFolderStore* m_pInbox;
    CMailFolderStore* m_pSendFolder;
};

struct Delivered
{
    int folder;
    int index;
};
std::vector<Delivered> g_newMails;
std::vector<int> g_sentFolders;
NoticeApp* g_app = nullptr;
// Set by a test that removes the task while its notice is delivered, the
// way the window's delete button can.
CTaskListData* g_removeDuringDelivery = nullptr;

void RecordNewMail(int folder, int index)
{
    g_newMails.push_back({ folder, index });
    if (g_removeDuringDelivery) {
        CSingleLock lock(&g_removeDuringDelivery->Lock(), TRUE);
        g_removeDuringDelivery->RemoveRecord(g_removeDuringDelivery->GetTask(0));
        g_removeDuringDelivery->WriteToFile();
    }
}
BOOL RecordSend(int folder, BOOL)
{
    g_sentFolders.push_back(folder);
    return TRUE;
}
CMailFolderStore* SendFolder() { return g_app ? g_app->m_pSendFolder : nullptr; }

class TaskNoticeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_newMails.clear();
        g_sentFolders.clear();
        g_removeDuringDelivery = nullptr;
        m_app = new NoticeApp(m_dir.Path());
        g_app = m_app;
        m_oldHooks = SetTaskNoticeHooks({ RecordNewMail, RecordSend, SendFolder });
        m_table.SetFilePath(m_dir.File("TaskList.dat"));
        m_now = CTime(2024, 5, 13, 9, 0, 0).GetTime();
    }
    void TearDown() override
    {
        SetTaskNoticeHooks(m_oldHooks);
        m_app->FreeTaskList();
        g_app = nullptr;
        delete m_app;
    }
    CTaskListRecord* AddDueTask(int action)
    {
        auto* r = static_cast<CTaskListRecord*>(m_table.CreateNewRecord());
        r->m_bHasDeadline = TRUE;
        r->m_tDeadline = m_now + 600;
        r->m_bNotify = TRUE;
        r->m_nLeadMinutes = 15;
        r->m_strMemo = "見積書を送る";
        r->m_nNoticeAction = action;
        return r;
    }
    // The whole stored text of the folder's mails, in order.
    std::vector<std::string> Mails(CMailFolderStore* folder)
    {
        std::vector<std::string> out;
        CMailListData* list = folder->GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); ++i) {
            CString text;
            if (folder->ReadMailText(list->GetMailRecord(i), text))
                out.push_back(StoreTest::FiledText(text.Str()));
        }
        return out;
    }
    static std::string Header(const std::string& mail, const char* name)
    {
        size_t at = mail.find(std::string("\r\n") + name + ": ");
        if (at == std::string::npos)
            return "<none>";
        at += 4 + std::strlen(name);
        return mail.substr(at, mail.find("\r\n", at) - at);
    }
    static std::string Body(const std::string& mail) { return mail.substr(mail.find("\r\n\r\n") + 4); }

    TempDir m_dir;
    NoticeApp* m_app = nullptr;
    CTaskListData m_table;
    TaskNoticeHooks m_oldHooks;
    int64_t m_now = 0;
};

} // namespace

TEST_F(TaskNoticeTest, NoticeBodyFromTheMemoDeadlineAndMail)
{
    CTaskListRecord free;
    free.m_strMemo = "見積書を送る";
    free.m_tDeadline = CTime(2024, 5, 13, 9, 10, 0).GetTime();
    EXPECT_STREQ(free.BuildNoticeBody(), "見積書を送る\r\n期限：2024/05/13 09:10:00\r\n");

    CTaskListRecord mail = free;
    mail.m_strMailKey = "QM1";
    mail.m_strSubject = "見積書の件";
    mail.m_strFrom = "yamada@sakura-shoji.co.jp";
    mail.m_strTo = "me@corvane.example";
    mail.m_strCc = "boss@corvane.example";
    mail.m_tSend = CTime(2024, 5, 10, 17, 0, 5).GetTime();
    mail.m_tReceive = CTime(2039, 5, 10, 17, 1, 0).GetTime();
    EXPECT_STREQ(mail.BuildNoticeBody(), "見積書を送る\r\n期限：2024/05/13 09:10:00\r\n件名：見積書の件\r\n"
                                         "差出人：yamada@sakura-shoji.co.jp\r\n宛先：me@corvane.example\r\n"
                                         "宛先：boss@corvane.example\r\n送信時間：2024/05/10 17:00:05\r\n"
                                         "受信時間：2039/05/10 17:01:00\r\n");
    mail.m_strNoticeBody = "自分で書いた本文\r\n二行目";
    EXPECT_STREQ(mail.BuildNoticeBody(), "自分で書いた本文\r\n二行目");
}

TEST_F(TaskNoticeTest, DueNoticeGoesIntoTheCurrentFolderOnceAndIsMarkedInTheFile)
{
    m_app->ShowInbox();
    AddDueTask(CTaskListRecord::NoticeStore);
    ASSERT_TRUE(m_table.WriteToFile());

    EXPECT_EQ(CTaskListThread::RunReminders(m_table, m_now), 1);
    std::vector<std::string> mails = Mails(m_app->m_pInbox);
    ASSERT_EQ(mails.size(), 1u);
    CMailIndexRecord* stored = m_app->m_pInbox->GetRecord(0);
    EXPECT_STREQ(stored->GetText(CMailIndexRecord::colSubject), "[Corvane Mail] タスクの通知時間です！");
    EXPECT_STREQ(stored->GetText(CMailIndexRecord::colFrom), "Corvane Mail");
    EXPECT_EQ(Header(mails[0], "From"), "Corvane Mail");
    EXPECT_EQ(Header(mails[0], "To"), "<none>");
    EXPECT_NE(Body(mails[0]).find("期限：2024/05/13 09:10:00"), std::string::npos);
    ASSERT_EQ(g_newMails.size(), 1u);
    EXPECT_EQ(g_newMails[0].folder, 1);
    EXPECT_EQ(g_newMails[0].index, 0);
    EXPECT_EQ(m_table.GetTask(0)->m_nNotified, 1);
    EXPECT_NE(ReadFileBytes(m_dir.File("TaskList.dat")).find("\t1\t15\t1\t0\t"), std::string::npos);

    // The next ticks announce nothing more.
    EXPECT_EQ(CTaskListThread::RunReminders(m_table, m_now + 60), 0);
    EXPECT_EQ(Mails(m_app->m_pInbox).size(), 1u);
}

TEST_F(TaskNoticeTest, FailedNoticeStaysUnnotifiedAndIsTriedAgain)
{
    AddDueTask(CTaskListRecord::NoticeStore);
    ASSERT_TRUE(m_table.WriteToFile());
    const std::string before = ReadFileBytes(m_dir.File("TaskList.dat"));

    // No folder is shown: the notice cannot be stored.
    EXPECT_EQ(CTaskListThread::RunReminders(m_table, m_now), 0);
    EXPECT_EQ(m_table.GetTask(0)->m_nNotified, 0);
    EXPECT_EQ(ReadFileBytes(m_dir.File("TaskList.dat")), before);

    m_app->ShowInbox();
    EXPECT_EQ(CTaskListThread::RunReminders(m_table, m_now + 60), 1);
    EXPECT_EQ(m_table.GetTask(0)->m_nNotified, 1);
}

TEST_F(TaskNoticeTest, SentNoticeUsesTheNamedAccountOrFallsBackToTheDefault)
{
    m_app->AddAccount("仕事", "me@corvane.example");
    m_app->AddAccount("個人", "private@corvane.example");
    m_app->m_pAccountDataSet->m_nCurrentAccount = 1;
    CTaskListRecord* named = AddDueTask(CTaskListRecord::NoticeSend);
    named->m_strNoticeAccount = "仕事";
    named->m_strNoticeTo = "boss@corvane.example";
    CTaskListRecord* missing = AddDueTask(CTaskListRecord::NoticeSend);
    missing->m_strNoticeAccount = "消えたアカウント";
    missing->m_strNoticeTo = "boss@corvane.example";
    missing->m_strNoticeSubject = "週報の締切";

    // Sent notices are no new mail; both were handed to the sending job.
    EXPECT_EQ(CTaskListThread::RunReminders(m_table, m_now), 0);
    std::vector<std::string> mails = Mails(m_app->m_pSendFolder);
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(Header(mails[0], "From"), "me@corvane.example");
    EXPECT_EQ(Header(mails[0], "To"), "boss@corvane.example");
    EXPECT_EQ(Header(mails[1], "From"), "private@corvane.example");
    EXPECT_EQ(m_app->m_pSendFolder->GetRecord(1)->GetText(CMailIndexRecord::colSubject), CString("週報の締切"));
    EXPECT_EQ(g_sentFolders, (std::vector<int>{ 20, 20 }));
    EXPECT_TRUE(g_newMails.empty());
    EXPECT_EQ(m_table.GetTask(0)->m_nNotified, 1);
    EXPECT_EQ(m_table.GetTask(1)->m_nNotified, 1);
}

TEST_F(TaskNoticeTest, SentNoticeWithoutAnyAccountIsSkipped)
{
    AddDueTask(CTaskListRecord::NoticeSend)->m_strNoticeAccount = "仕事";
    EXPECT_EQ(CTaskListThread::RunReminders(m_table, m_now), 0);
    EXPECT_TRUE(Mails(m_app->m_pSendFolder).empty());
    EXPECT_TRUE(g_sentFolders.empty());
    EXPECT_EQ(m_table.GetTask(0)->m_nNotified, 0);
}

TEST_F(TaskNoticeTest, TaskRemovedWhileItsNoticeIsDeliveredStaysRemoved)
{
    m_app->ShowInbox();
    AddDueTask(CTaskListRecord::NoticeStore);
    ASSERT_TRUE(m_table.WriteToFile());
    g_removeDuringDelivery = &m_table;
    EXPECT_EQ(CTaskListThread::RunReminders(m_table, m_now), 1);
    EXPECT_EQ(m_table.GetRecordCount(), 0);
    EXPECT_EQ(ReadFileBytes(m_dir.File("TaskList.dat")), "");
}

TEST_F(TaskNoticeTest, TaskListThreadDeliversAtItsTimerAndCountsTheNewMails)
{
    m_app->ShowInbox();
    TestSupport::WriteFileBytes(m_app->GetTaskListPath(),
                                "0\t\t\t\t\t\t0\t0\t1\t1715560200\t会議の準備\t1\t15\t0\t0\t定例会議\t\t\t\r\n");
    m_app->m_nThreadID = GetCurrentThreadId();
    CTaskListThread* thread = new CTaskListThread;
    ASSERT_TRUE(thread->CreateThread());
    HANDLE handle = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &handle, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    DWORD id = thread->m_nThreadID;
    ASSERT_TRUE(PostThreadMessageA(id, WM_TIMER, CTaskListThread::kTimerId, 0));
    MSG msg = {};
    bool counted = false;
    for (int i = 0; i < 100 && !counted; ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            counted = counted || (msg.message == CTaskListThread::WM_TASK_REMINDERS_DONE && msg.wParam == 1);
        Sleep(50);
    }
    EXPECT_TRUE(counted);
    EXPECT_EQ(m_app->m_pInbox->GetMailCount(), 1);
    PostThreadMessageA(id, 1404, 0, 0);
    EXPECT_EQ(WaitForSingleObject(handle, 5000), WAIT_OBJECT_0);
    CloseHandle(handle);
    EXPECT_NE(ReadFileBytes(m_app->GetTaskListPath()).find("\t1\t15\t1\t0\t"), std::string::npos);
}

TEST_F(TaskNoticeTest, WithoutInstalledHooksNoticesReachTheApplicationThreadAndTheHiddenSendingFolder)
{
    SetTaskNoticeHooks({});
    m_app->ShowInbox();
    m_app->m_nThreadID = GetCurrentThreadId();
    m_app->AddAccount("仕事", "me@corvane.example");
    m_app->AddStore(2, CFolderRecord::kindSent, "送信済み", m_dir.Path());
    AddDueTask(CTaskListRecord::NoticeStore);
    CTaskListRecord* sent = AddDueTask(CTaskListRecord::NoticeSend);
    sent->m_strNoticeAccount = "仕事";
    sent->m_strNoticeTo = "boss@corvane.example";
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }

    EXPECT_EQ(CTaskListThread::RunReminders(m_table, m_now), 1);
    // The kept notice is named to the frame with its index, so that the
    // notification window lists it.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QD_FOLDER_MAIL_FILED, WM_QD_FOLDER_MAIL_FILED, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 1);
    // The sent one waits in the hidden sending folder beside the sent
    // folder; with no main window to send it, it is tried again later.
    int hidden = m_app->GetSendTempFolder();
    ASSERT_GT(hidden, 0);
    EXPECT_EQ(m_app->FindFolder(hidden)->GetFolderPath().CompareNoCase(m_dir.Path() + "\\F2\\Temp"), 0);
    std::vector<std::string> mails = Mails(m_app->FindFolder(hidden));
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(Header(mails[0], "X-SendAcount"), "仕事");
    EXPECT_EQ(m_table.GetTask(0)->m_nNotified, 1);
    EXPECT_EQ(m_table.GetTask(1)->m_nNotified, 0);
}
