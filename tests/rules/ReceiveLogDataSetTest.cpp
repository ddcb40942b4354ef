#include "RulesTestUtil.h"
#include "transfer/ReceiveLogDataSet.h"

#include <gtest/gtest.h>

using RulesTest::RulesApp;
using TestSupport::FileExists;
using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

CReceiveLogRecord* Entry(const char* account, const char* result, int count, int minute)
{
    CReceiveLogRecord* r = new CReceiveLogRecord;
    r->m_strAccount = account;
    r->m_strResult = result;
    r->m_nCount = count;
    r->m_time = CTime(2024, 5, 13, 9, minute, 5);
    return r;
}

size_t CountLines(const std::string& text)
{
    size_t n = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++n;
    return n;
}

} // namespace

TEST(ReceiveLogDataSet, KeepsTheNewestEntriesUpToTheLimitAndRoundTrips)
{
    TempDir dir;
    CReceiveLogDataSet log;
    log.SetFilePath(dir.File("$$Receive.Log"));
    ASSERT_TRUE(log.ReadFromFile());
    ASSERT_TRUE(log.AddEntry(Entry("会社", "正常終了", 3, 1), 2));
    ASSERT_TRUE(log.AddEntry(Entry("趣味", "受信エラー", 0, 2), 2));
    ASSERT_TRUE(log.AddEntry(Entry("会社", "正常終了", 12, 3), 2));
    const std::string two = "2024/05/13 09:03:05\t会社\t正常終了\t12\r\n"
                            "2024/05/13 09:02:05\t趣味\t受信エラー\t0\r\n";
    EXPECT_EQ(ReadFileBytes(dir.File("$$Receive.Log")), two);
    EXPECT_STREQ(log.GetEntry(0)->GetDisplayText(),
                 "受信日時[2024/05/13 09:03:05] アカウント[会社] 結果[正常終了] 受信メール数[12]");

    CReceiveLogDataSet reread;
    reread.SetFilePath(dir.File("$$Receive.Log"));
    ASSERT_TRUE(reread.ReadFromFile());
    ASSERT_EQ(reread.GetEntryCount(), 2);
    EXPECT_EQ(reread.GetEntry(1)->m_time, CTime(2024, 5, 13, 9, 2, 5));
    EXPECT_EQ(reread.GetEntry(0)->m_nCount, 12);
    ASSERT_TRUE(reread.WriteToFile());
    EXPECT_EQ(ReadFileBytes(dir.File("$$Receive.Log")), two);
}

TEST(ReceiveLogDataSet, ALoweredLimitTrimsTheLogAtTheNextReceive)
{
    TempDir dir;
    RulesApp app(dir.Path());
    struct
    {
        int limit;
        size_t existing;
        size_t after;  // entries in the file afterwards; 0: file not written
    } cases[] = {
        { 100, 5, 6 },
        { 2, 5, 2 },  // not one entry fewer: down to the limit
        { 1, 5, 1 },
        { 0, 0, 0 },  // nothing is logged
    };
    for (auto& c : cases) {
        DeleteFileA(app.GetReceiveLogPath());
        std::string old;
        for (size_t i = 0; i < c.existing; ++i)
            old += "2024/05/12 08:00:00\t会社\t正常終了\t1\r\n";
        if (c.existing)
            WriteFileBytes(app.GetReceiveLogPath(), old);
        app.FreeRuleTables();
        app.WriteProfileInt("Setting", "CVMReceiveLogCount", c.limit);
        app.AddReceiveLog("趣味", "正常終了", 4);
        if (!c.after) {
            EXPECT_FALSE(FileExists(app.GetReceiveLogPath())) << c.limit;
            continue;
        }
        std::string text = ReadFileBytes(app.GetReceiveLogPath());
        EXPECT_EQ(CountLines(text), c.after) << c.limit;
        EXPECT_NE(text.find("\t趣味\t正常終了\t4\r\n"), std::string::npos) << c.limit;
        EXPECT_EQ(text.find("\t趣味\t"), 19u) << c.limit;  // newest first
    }
}

TEST(DownloadLog, IsDeletedOnlyWhenItsReportsWereShown)
{
    TempDir dir;
    RulesApp app(dir.Path());
    ASSERT_TRUE(app.AppendDownloadLog("\r\n受信時間：2024/05/13 09:00\r\n"));
    EXPECT_FALSE(app.DeleteShownDownloadLog());
    EXPECT_TRUE(FileExists(app.GetDownloadLogPath()));

    app.MarkDownloadLogShown();
    ASSERT_TRUE(app.AppendDownloadLog("\r\n受信時間：2024/05/13 09:10\r\n"));  // a new report, not yet read
    EXPECT_FALSE(app.DeleteShownDownloadLog());
    EXPECT_TRUE(FileExists(app.GetDownloadLogPath()));

    app.MarkDownloadLogShown();
    EXPECT_TRUE(app.DeleteShownDownloadLog());
    EXPECT_FALSE(FileExists(app.GetDownloadLogPath()));
}
