// The received-id file: its line format, stamps, and ids that must never be
// recorded or matched.
#include "net/ReceivedIdList.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace TestSupport;

TEST(ReceivedIdList, KeepsIdsWithTheirStampsAndNeverAnEmptyId)
{
    TempDir dir;
    CString path = dir.File("ids.dat");
    WriteFileBytes(path, "a@x\t3\t1000\r\n\t4\t1001\r\nb@x\t5\t\r\n");
    CReceivedIdList list;
    list.SetFilePath(path);
    EXPECT_EQ(list.GetLiveCount(), 2);  // the line without an id is dropped
    EXPECT_EQ(list.GetStamp("a@x"), "1000");
    EXPECT_EQ(list.FindId(""), nullptr);
    EXPECT_EQ(list.AddId("", 1, ""), nullptr);

    EXPECT_TRUE(list.MarkIdDeleted("a@x"));
    EXPECT_EQ(list.FindId("a@x"), nullptr);
    long long before = CReceivedIdList::CurrentTime();
    ASSERT_TRUE(list.WriteToFile(FALSE));
    std::string text = ReadFileBytes(path);
    ASSERT_EQ(text.compare(0, 6, "b@x\t5\t"), 0) << text;
    long long stamp = atoll(text.c_str() + 6);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, CReceivedIdList::CurrentTime());
    EXPECT_EQ(text.find("a@x"), std::string::npos);
}

TEST(ReceivedIdList, FirstSaveOfAPassRewritesLaterOnesAppend)
{
    TempDir dir;
    CString path = dir.File("ids.dat");
    WriteFileBytes(path, "old\t1\t5\r\n");
    CReceivedIdList list;
    list.SetFilePath(path);
    list.Reset();  // the pass starts from the server's listing, not the file
    list.StartPass();
    ASSERT_TRUE(list.AddIdAndSave("n1", 1, "10"));
    ASSERT_TRUE(list.AddIdAndSave("n2", 2, "11"));
    EXPECT_EQ(ReadFileBytes(path), "n1\t1\t10\r\nn2\t2\t11\r\n");
}

// A mail noted before filing counts as received once it is confirmed by a
// later line of its id, or found in the folder it was noted for; otherwise
// it is new mail again.
TEST(ReceivedIdList, PendingRecordsCountOnlyForMailTheFolderHolds)
{
    TempDir dir;
    CString path = dir.File("ids.dat");
    CReceivedIdList writer;
    writer.SetFilePath(path);
    writer.Reset();
    writer.StartPass();
    ASSERT_TRUE(writer.AddIdAndSave("known", 1, "10"));
    ASSERT_TRUE(writer.AddPendingAndSave("confirmed", 2, 7, "QM1"));
    ASSERT_TRUE(writer.AddIdAndSave("confirmed", 2, "11"));
    ASSERT_TRUE(writer.AddPendingAndSave("filed", 3, 7, "QM2"));      // stopped after filing
    ASSERT_TRUE(writer.AddPendingAndSave("not filed", 4, 7, "QM3"));  // stopped before
    ASSERT_TRUE(writer.AddPendingAndSave("other folder", 5, 8, "QM2"));

    CReceivedIdList list;
    list.SetFilePath(path);
    ASSERT_TRUE(list.ReadFromFile(TRUE));
    std::vector<std::pair<int, std::string>> asked;
    EXPECT_TRUE(list.ResolvePending([&](int nFolder, const CString& name) {
        asked.emplace_back(nFolder, name.Str());
        return nFolder == 7 && name == "QM2";
    }));
    EXPECT_EQ(asked, (std::vector<std::pair<int, std::string>>{{7, "QM2"}, {7, "QM3"}, {8, "QM2"}}));
    for (const char* id : {"known", "confirmed", "filed"})
        EXPECT_NE(list.FindId(id), nullptr) << id;
    for (const char* id : {"not filed", "other folder"})
        EXPECT_EQ(list.FindId(id), nullptr) << id;
    ASSERT_TRUE(list.WriteToFile(FALSE));
    std::string text = ReadFileBytes(path);
    EXPECT_EQ(text.find("QM"), std::string::npos) << text;
}
