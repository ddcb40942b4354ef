#include "core/AccountDataSet.h"
#include "core/PasswordScrambler.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == '\t')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

} // namespace

TEST(Accounts, ShortLineKeepsDefaults)
{
    TempDir dir;
    WriteFileBytes(dir.File("Account.dat"), "仕事\t山田\tyamada@example.jp\r\n");
    CAccountDataSet set;
    set.SetFilePath(dir.File("Account.dat"));
    ASSERT_TRUE(set.ReadFromFile());
    ASSERT_EQ(set.GetRecordCount(), 1);
    CAccountData* a = set.GetAccount(0);
    EXPECT_STREQ(a->GetAccountName(), "仕事");
    EXPECT_EQ(a->GetSmtpPort(), 25);
    EXPECT_EQ(a->GetReceivePort(), 110);
    EXPECT_EQ(a->GetTimeout(), 10);
    for (int col : {12, 18, 42, 43, 44})
        EXPECT_EQ(a->GetInt(col), 1) << col;
    EXPECT_STREQ(a->GetSendName(), "山田");
    EXPECT_STREQ(a->GetSendAddress(), "yamada@example.jp");
}

TEST(Accounts, RoundTripsAllColumnsWithScrambledPasswords)
{
    TempDir dir;
    CString path = dir.File("Account.dat");
    CAccountDataSet set;
    set.SetFilePath(path);
    CAccountData* a = static_cast<CAccountData*>(set.CreateNewRecord());
    for (int col = 0; col < CAccountData::ColumnCount; ++col) {
        if (CAccountData::GetColumnType(col) == CAccountData::colInt)
            a->SetInt(col, col * 3);
        else if (CAccountData::GetColumnType(col) == CAccountData::colFlag)
            a->SetInt(col, col % 2);
        else
            a->SetText(col, FormatString("値%d", col));
    }
    a->SetPassword("p@ss word");
    a->SetDialPassword("dial");
    a->SetSmtpPassword("smtp\tsecret");
    ASSERT_TRUE(set.WriteToFile());

    std::string file = ReadFileBytes(path);
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(file.substr(file.size() - 2), "\r\n");
    std::vector<std::string> cols = SplitTabs(file.substr(0, file.size() - 2));
    ASSERT_EQ(cols.size(), 47u);
    EXPECT_EQ(file.find("p@ss word"), std::string::npos);
    EXPECT_STREQ(CPasswordScrambler().Unscramble(cols[6].c_str()), "p@ss word");
    EXPECT_EQ(cols[7], "21");

    CAccountDataSet back;
    back.SetFilePath(path);
    ASSERT_TRUE(back.ReadFromFile());
    CAccountData* b = back.GetAccount(0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetInt(30), 0);  // never taken back
    a->SetInt(30, 0);
    EXPECT_TRUE(IsSameAccountData(a, b));
    EXPECT_STREQ(b->GetSmtpPassword(), "smtp\tsecret");

    // Rewriting an unchanged table keeps the passwords readable.
    ASSERT_TRUE(back.WriteToFile());
    CAccountDataSet again;
    again.SetFilePath(path);
    ASSERT_TRUE(again.ReadFromFile());
    EXPECT_TRUE(IsSameAccountData(b, again.GetAccount(0)));

    CAccountData copy;
    CopyAccountData(b, &copy);
    EXPECT_TRUE(IsSameAccountData(b, &copy));
    copy.SetAccountName("other");
    EXPECT_FALSE(IsSameAccountData(b, &copy));
}

TEST(Accounts, BccZeroMeansNoneAndExtraColumnsAreIgnored)
{
    TempDir dir;
    std::string line;
    for (int i = 0; i < 50; ++i)
        line += (i ? "\t" : "") + std::string(i == 41 ? "0" : (i == 0 ? "acc" : ""));
    WriteFileBytes(dir.File("Account.dat"), line + "\r\n");
    CAccountDataSet set;
    set.SetFilePath(dir.File("Account.dat"));
    ASSERT_TRUE(set.ReadFromFile());
    ASSERT_EQ(set.GetRecordCount(), 1);
    EXPECT_STREQ(set.GetAccount(0)->GetBccAddress(), "");
    EXPECT_EQ(set.FindAccountByName("acc"), set.GetAccount(0));
    EXPECT_EQ(set.FindAccountByName("none"), nullptr);
}
