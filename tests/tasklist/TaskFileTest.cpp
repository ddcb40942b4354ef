// The task file: lines read and written back byte for byte, 64-bit times
// with old files' 32-bit values read as they were meant, bodies with line
// breaks, short lines.
#include "support/TestSupport.h"
#include "tasklist/TaskListData.h"
#include "tasklist/TaskListFormat.h"

#include <gtest/gtest.h>

#include <string>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

// A mail task, a free task whose body has two lines, a notified task with a
// deadline after 2038 and one after 2106.
const char kTaskFile[] =
    "3\tQM1715560200123\t見積書の件\t山田 太郎 <yamada@sakura-shoji.co.jp>\tme@corvane.example\tboss@corvane.example\t"
    "1715560200\t1715560260\t1\t1715731200\t返事を書く\t1\t15\t0\t0\t\t\t\t\r\n"
    "0\t\t\t\t\t\t0\t0\t1\t1716000000\t会議の準備\t1\t30\t0\t1\t定例会議\t仕事\tme@corvane.example\t"
    "資料を印刷\x1E会議室を予約\r\n"
    "0\t\t\t\t\t\t0\t0\t1\t2209032000\t遠い先\t1\t0\t1\t0\t\t\t\t\r\n"
    "0\t\t\t\t\t\t0\t0\t1\t4417113600\tさらに先\t0\t0\t0\t0\t\t\t\t\r\n";

} // namespace

TEST(TaskFile, ReadAndWrittenBackLineForLine)
{
    TempDir dir;
    CString path = dir.File("TaskList.dat");
    WriteFileBytes(path, kTaskFile);
    CTaskListData table;
    table.SetFilePath(path);
    ASSERT_TRUE(table.ReadFromFile());
    ASSERT_EQ(table.GetRecordCount(), 4);

    const CTaskListRecord* mail = table.GetTask(0);
    EXPECT_EQ(mail->m_nFolderId, 3);
    EXPECT_TRUE(mail->HasMail());
    EXPECT_STREQ(mail->m_strFrom, "山田 太郎 <yamada@sakura-shoji.co.jp>");
    EXPECT_EQ(mail->m_tReceive, 1715560260);
    EXPECT_EQ(mail->m_nLeadMinutes, 15);
    EXPECT_STREQ(table.GetTask(1)->m_strNoticeBody, "資料を印刷\r\n会議室を予約");
    EXPECT_EQ(table.GetTask(1)->m_nNoticeAction, 1);
    EXPECT_EQ(table.GetTask(2)->m_tDeadline, 2209032000LL);
    EXPECT_EQ(table.GetTask(3)->m_tDeadline, 4417113600LL);

    ASSERT_TRUE(table.WriteToFile());
    EXPECT_EQ(ReadFileBytes(path), std::string(kTaskFile));
}

TEST(TaskFile, TimeColumnsKeepSixtyFourBitsAndReadOldValuesAsMeant)
{
    struct Case
    {
        const char* field;
        long long value;
    } cases[] = {
        { "0", 0 },
        { "1715560200", 1715560200LL },     // 2024
        { "2147483647", 2147483647LL },     // the last second a signed 32-bit value holds
        { "2147483648", 2147483648LL },     // an old file's 2038 deadline, not 1901
        { "4102444800", 4102444800LL },     // 2100 as an old file wrote it
        { "4294967295", -1 },               // an old file's "no time"
        { "4417113600", 4417113600LL },     // 2109: only a 64-bit value holds it
        { "-86400", -86400 },
        { "910670515199", 910670515199LL },  // the last second a calendar date holds
        { "-11644473600", -11644473600LL },  // the first one
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CTaskListData::ParseTime(c.field), c.value) << c.field;
        if (c.value != -1) {
            EXPECT_STREQ(CTaskListData::FormatTime(c.value), c.field);
        }
    }
    // Times no date can show, and numbers beyond 64 bits, read as 0.
    for (const char* field : { "-9223372036854775808", "9223372036854775807", "910670515200", "-11644473601",
                               "99999999999999999999" })
        EXPECT_EQ(CTaskListData::ParseTime(field), 0) << field;
}

TEST(TaskFile, ADeadlineNoDateCanShowIsReadAsZeroAndGivesDefinedReminders)
{
    TempDir dir;
    CString path = dir.File("TaskList.dat");
    WriteFileBytes(path, "0\t\t\t\t\t\t0\t0\t1\t-9223372036854775808\t期限\t1\t15\t0\t0\t\t\t\t\r\n");
    CTaskListData table;
    table.SetFilePath(path);
    ASSERT_TRUE(table.ReadFromFile());
    ASSERT_EQ(table.GetRecordCount(), 1);
    const CTaskListRecord* task = table.GetTask(0);
    EXPECT_EQ(task->m_tDeadline, 0);
    const int64_t now = 100 * 86400;
    EXPECT_TRUE(task->IsDue(now));
    EXPECT_STREQ(FormatDeadlineText(*task, now),
                 CTime(0).Format("%Y/%m/%d %H:%M") + " 《100日0時間 経過》 【未通知】");
}

TEST(TaskFile, ShortLinesKeepNewValuesAndSwitchesAreWrittenAsZeroOrOne)
{
    TempDir dir;
    CString path = dir.File("TaskList.dat");
    WriteFileBytes(path, "0\t\t\t\t\t\t0\t0\t7\t1716000000\tメモだけ\t2\r\n5\tQM1\r\n");
    CTaskListData table;
    table.SetFilePath(path);
    ASSERT_TRUE(table.ReadFromFile());
    ASSERT_EQ(table.GetRecordCount(), 2);
    EXPECT_TRUE(table.GetTask(0)->m_bHasDeadline);
    EXPECT_TRUE(table.GetTask(0)->m_bNotify);
    EXPECT_EQ(table.GetTask(0)->m_nLeadMinutes, 0);
    EXPECT_STREQ(table.GetTask(1)->m_strMailKey, "QM1");
    EXPECT_FALSE(table.GetTask(1)->m_bHasDeadline);
    ASSERT_TRUE(table.WriteToFile());
    EXPECT_EQ(ReadFileBytes(path), "0\t\t\t\t\t\t0\t0\t1\t1716000000\tメモだけ\t1\t0\t0\t0\t\t\t\t\r\n"
                                   "5\tQM1\t\t\t\t\t0\t0\t0\t0\t\t0\t0\t0\t0\t\t\t\t\r\n");
}

TEST(TaskFile, TextsThatWouldBreakTheLineAreKeptInOneRecord)
{
    TempDir dir;
    CString path = dir.File("TaskList.dat");
    CTaskListData table;
    table.SetFilePath(path);
    auto* r = static_cast<CTaskListRecord*>(table.CreateNewRecord());
    r->m_strMemo = "タブ\tと改行\r\nのあるメモ";
    r->m_strNoticeBody = "一行目\r\n二行目\n三行目\t終わり";
    ASSERT_TRUE(table.WriteToFile());
    CTaskListData again;
    again.SetFilePath(path);
    ASSERT_TRUE(again.ReadFromFile());
    ASSERT_EQ(again.GetRecordCount(), 1);
    EXPECT_STREQ(again.GetTask(0)->m_strMemo, "タブ と改行  のあるメモ");
    EXPECT_STREQ(again.GetTask(0)->m_strNoticeBody, "一行目\r\n二行目\r\n三行目 終わり");
}
