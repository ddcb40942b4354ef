// When a reminder is due, the deadline texts of the list, the order of each
// sort column and when the window opens by itself.
#include "tasklist/TaskListFormat.h"
#include "tasklist/TaskListRecord.h"
#include "tasklist/TaskListThread.h"

#include <gtest/gtest.h>

namespace {

int64_t Local(int y, int mo, int d, int h, int mi, int s = 0) { return CTime(y, mo, d, h, mi, s).GetTime(); }

CTaskListRecord Task(int64_t deadline, int lead, BOOL notify = TRUE, int notified = 0, BOOL hasDeadline = TRUE)
{
    CTaskListRecord r;
    r.m_bHasDeadline = hasDeadline;
    r.m_tDeadline = deadline;
    r.m_nLeadMinutes = lead;
    r.m_bNotify = notify;
    r.m_nNotified = notified;
    return r;
}

} // namespace

TEST(TaskReminder, DueWhenTheDeadlineIsWithinTheLeadMinutes)
{
    const int64_t now = Local(2024, 5, 13, 9, 0);
    struct Case
    {
        const char* what;
        CTaskListRecord task;
        bool due;
    } cases[] = {
        { "10 minutes ahead, 15 minutes lead", Task(now + 600, 15), true },
        { "10 minutes ahead, 5 minutes lead", Task(now + 600, 5), false },
        { "5 minutes ahead, 5 minutes lead", Task(now + 300, 5), true },
        { "5 minutes 59 seconds ahead counts as 5", Task(now + 359, 5), true },
        { "6 minutes ahead, 5 minutes lead", Task(now + 360, 5), false },
        { "4 minutes 59 seconds ahead counts as 4", Task(now + 299, 4), true },
        { "passed a day ago, any lead", Task(now - 86400, 0), true },
        { "passed, already notified", Task(now - 60, 0, TRUE, 1), false },
        { "notify switch off", Task(now - 60, 0, FALSE), false },
        { "no deadline", Task(now - 60, 0, TRUE, 0, FALSE), false },
        { "tomorrow, 60 minutes lead", Task(now + 86400, 60), false },
        { "tomorrow, a day's lead", Task(now + 86400, 1440), true },
        { "2040, far away", Task(Local(2040, 1, 1, 9, 0), 60), false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.task.IsDue(now), c.due) << c.what;

    // Past 2038 the minutes are counted in 64 bits.
    const int64_t later = Local(2039, 6, 1, 12, 0);
    EXPECT_TRUE(Task(later + 600, 15).IsDue(later));
    EXPECT_FALSE(Task(later + 600, 5).IsDue(later));
}

TEST(TaskDeadlineText, TimeLeftOrOverdueWithTheNoticeMark)
{
    const int64_t now = Local(2024, 5, 13, 9, 0);
    struct Case
    {
        int64_t deadline;
        BOOL notify;
        int notified;
        const char* text;
    } cases[] = {
        { now + 90 * 60, FALSE, 0, "2024/05/13 10:30 《1時間30分 残り》 " },
        { now + 30 * 3600, FALSE, 0, "2024/05/14 15:00 《1日6時間 残り》 " },
        { now + 24 * 3600 + 59 * 60, FALSE, 0, "2024/05/14 09:59 《24時間59分 残り》 " },
        { now - 30 * 60, FALSE, 0, "2024/05/13 08:30 《0時間30分 経過》 " },
        { now - 50 * 3600, FALSE, 0, "2024/05/11 07:00 《2日2時間 経過》 " },
        { now - 2 * 3600, TRUE, 0, "2024/05/13 07:00 《2時間0分 経過》 【未通知】" },
        { now - 30, TRUE, 1, "2024/05/13 08:59 《0時間0分 残り》 【通知済】" },
        { now + 10 * 60, TRUE, 0, "2024/05/13 09:10 《0時間10分 残り》 【未通知】" },
        { Local(2040, 2, 29, 18, 45), TRUE, 0, "2040/02/29 18:45 《5770日9時間 残り》 【未通知】" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(FormatDeadlineText(Task(c.deadline, 0, c.notify, c.notified), now), c.text);
}

TEST(TaskListColumns, FirstLineOfMailTasksAndFreeTasks)
{
    CTaskListRecord mail;
    mail.m_strMailKey = "QM1";
    mail.m_strSubject = "見積書の件";
    mail.m_strFrom = "山田 太郎 <yamada@sakura-shoji.co.jp>";
    mail.m_tSend = Local(2024, 5, 13, 9, 30, 15);
    mail.m_tReceive = Local(2039, 1, 2, 3, 4, 5);
    CTaskListRecord free = Task(Local(2024, 5, 20, 10, 0), 30);
    free.m_strNoticeSubject = "定例会議";
    free.m_strNoticeTo = "me@corvane.example";

    EXPECT_STREQ(GetTaskColumnText(mail, 1, "受信箱"), "見積書の件");
    EXPECT_STREQ(GetTaskColumnText(mail, 3, "受信箱"), "2024/05/13 09:30");
    EXPECT_STREQ(GetTaskColumnText(mail, 4, "受信箱"), "2039/01/02 03:04");
    EXPECT_STREQ(GetTaskColumnText(mail, 5, "受信箱"), "受信箱");
    EXPECT_STREQ(GetTaskColumnText(free, 1, ""), "定例会議");
    EXPECT_STREQ(GetTaskColumnText(free, 2, ""), "⇒ me@corvane.example");
    EXPECT_STREQ(GetTaskColumnText(free, 3, ""), "2024/05/20 09:30");
    EXPECT_STREQ(GetTaskColumnText(free, 5, ""), "");
}

TEST(TaskListColumns, SortOrderOfEachColumn)
{
    CTaskListRecord soon = Task(Local(2024, 5, 13, 10, 0), 0), later = Task(Local(2038, 5, 13, 10, 0), 0),
                    none = Task(0, 0, FALSE, 0, FALSE);
    soon.m_strMailKey = later.m_strMailKey = "QM1";
    soon.m_strFrom = "Zed <a@example.jp>";
    later.m_strFrom = "Amy <B@example.jp>";
    soon.m_tSend = 200;
    later.m_tSend = 100;
    EXPECT_LT(CompareTasks(soon, later, 0, "", ""), 0);
    EXPECT_LT(CompareTasks(later, none, 0, "", ""), 0);
    EXPECT_GT(CompareTasks(none, soon, 0, "", ""), 0);
    EXPECT_LT(CompareTasks(soon, later, 2, "", ""), 0);  // by bare address, any case
    EXPECT_GT(CompareTasks(soon, later, 3, "", ""), 0);
    EXPECT_LT(CompareTasks(soon, later, 5, "仕事", "受信箱"), 0);
}

TEST(TaskListThread, OpensTheWindowAtTheIntervalWhenTasksExist)
{
    const int64_t last = Local(2024, 5, 13, 9, 0);
    EXPECT_TRUE(CTaskListThread::IsOpenDue(TRUE, 120, last, last + 120 * 60, 1));
    EXPECT_FALSE(CTaskListThread::IsOpenDue(TRUE, 120, last, last + 120 * 60 - 1, 1));
    EXPECT_FALSE(CTaskListThread::IsOpenDue(TRUE, 120, last, last + 120 * 60, 0));
    EXPECT_FALSE(CTaskListThread::IsOpenDue(FALSE, 120, last, last + 999 * 60, 3));
}
