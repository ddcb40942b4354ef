// The received-id file: its line format, stamps, and ids that must never be
// recorded or matched.
#include "net/ReceivedIdList.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
