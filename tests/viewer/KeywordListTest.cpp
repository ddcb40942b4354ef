// "KeywordList.dat": colour, keyword and bold flag per line.
#include "support/TestSupport.h"
#include "viewer/KeywordListDataSet.h"

#include <gtest/gtest.h>

TEST(KeywordList, ReadsHighlightsAndWritesBack)
{
    TestSupport::TempDir dir;
    CString path = dir.File("KeywordList.dat");
    TestSupport::WriteFileBytes(path, "255\tabc\t1\r\n0\t\t0\r\n16711680\t重要\t2\r\n65280\tソフト\t0\r\n");

    CKeywordListDataSet table;
    table.SetFilePath(path);
    ASSERT_TRUE(table.ReadFromFile());
    ASSERT_EQ(table.GetRecordCount(TRUE), 4);
    EXPECT_EQ(table.GetKeyword(0)->GetColor(), 255u);
    EXPECT_TRUE(table.GetKeyword(0)->GetBold());

    std::vector<KeywordEntry> words = table.CollectKeywords();
    ASSERT_EQ(words.size(), 3u);  // the empty keyword is not highlighted
    EXPECT_EQ(words[0].text, "abc");
    EXPECT_EQ(words[1].text, "重要");
    EXPECT_EQ(words[1].crColor, 16711680u);
    EXPECT_TRUE(words[1].bBold);
    EXPECT_EQ(words[2].text, "ソフト");
    EXPECT_FALSE(words[2].bBold);

    // Bold 2 is written back as 1; the empty keyword stays in the file.
    ASSERT_TRUE(table.WriteToFile());
    EXPECT_EQ(TestSupport::ReadFileBytes(path),
              "255\tabc\t1\r\n0\t\t0\r\n16711680\t重要\t1\r\n65280\tソフト\t0\r\n");
}

TEST(KeywordList, MissingFileIsAnEmptyList)
{
    TestSupport::TempDir dir;
    CKeywordListDataSet table;
    table.SetFilePath(dir.File("KeywordList.dat"));
    EXPECT_TRUE(table.ReadFromFile());
    EXPECT_TRUE(table.CollectKeywords().empty());
}
