// The rule list dialog's rows without a window: moves, protected deletes,
// searches and the write back into the set's file.
#include "RulesTestUtil.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/DivideupItemValues.h"
#include "transfer/DivideupRuleList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

std::unique_ptr<CDivideupData> Rule(const char* string1, const char* string2 = "", int folder = 0, int protectedMark = 0)
{
    std::unique_ptr<CDivideupData> rule(new CDivideupData);
    CDivideupData& r = *rule;
    r.m_strHeader1 = "Subject";
    r.m_strString1 = string1;
    r.m_strHeader2 = string2[0] ? "From" : "";
    r.m_strString2 = string2;
    r.m_nFolderId = folder;
    r.m_nProtected = protectedMark;
    return rule;
}

std::string Order(const CDivideupRuleList& list)
{
    std::string out;
    for (int i = 0; i < list.GetCount(); ++i)
        out += list.GetRule(i).m_strString1.Str();
    return out;
}

CDivideupRuleList ListOf(const char* names)
{
    CDivideupRuleList list;
    for (const char* p = names; *p; ++p)
        list.Add(*Rule(std::string(1, *p).c_str()));
    return list;
}

struct MoveCase
{
    const char* name;
    int (CDivideupRuleList::*move)(int);
    int row;
    int expectedRow;
    const char* expectedOrder;
};

} // namespace

TEST(DivideupRuleList, MovesKeepEveryRuleAndStopAtTheEdges)
{
    const MoveCase cases[] = {
        { "up from the top", &CDivideupRuleList::MoveUp, 0, -1, "ABCD" },
        { "down from the top", &CDivideupRuleList::MoveDown, 0, 1, "BACD" },
        { "up from the middle", &CDivideupRuleList::MoveUp, 2, 1, "ACBD" },
        { "down from the bottom", &CDivideupRuleList::MoveDown, 3, -1, "ABCD" },
        { "to the top", &CDivideupRuleList::MoveToTop, 2, 0, "CABD" },
        { "to the top from the top", &CDivideupRuleList::MoveToTop, 0, -1, "ABCD" },
        { "to the bottom", &CDivideupRuleList::MoveToBottom, 1, 3, "ACDB" },
        { "to the bottom from the bottom", &CDivideupRuleList::MoveToBottom, 3, -1, "ABCD" },
        { "no row selected", &CDivideupRuleList::MoveUp, -1, -1, "ABCD" },
        { "a row past the end", &CDivideupRuleList::MoveToTop, 4, -1, "ABCD" },
    };
    for (const MoveCase& c : cases) {
        CDivideupRuleList list = ListOf("ABCD");
        EXPECT_EQ((list.*c.move)(c.row), c.expectedRow) << c.name;
        EXPECT_EQ(Order(list), c.expectedOrder) << c.name;
    }
}

TEST(DivideupRuleList, AProtectedRuleIsNotRemoved)
{
    CDivideupRuleList list;
    list.Add(*Rule("junk", "", 0, 1));
    list.Add(*Rule("work"));
    EXPECT_FALSE(list.Remove(0));
    EXPECT_FALSE(list.Remove(2));
    EXPECT_TRUE(list.Remove(1));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_STREQ(list.GetRule(0).m_strString1, "junk");
}

TEST(DivideupRuleList, SearchFindsTextsAndFolderNamesInAnyCaseAndGoesOn)
{
    CDivideupRuleList list;
    list.Add(*Rule("会議", "", 10));
    list.Add(*Rule("news", "xabcx", 11));
    list.Add(*Rule("ABC 請求", "", 12));
    list.m_pfnFolderName = [](const CDivideupData& r) {
        return CString(r.m_nFolderId == 11 ? "メルマガ" : r.m_nFolderId == 12 ? "Invoices" : "仕事");
    };
    EXPECT_EQ(list.Find("ABC", CDivideupRuleList::targetString, 0), 1);
    EXPECT_EQ(list.Find("ABC", CDivideupRuleList::targetString, 2), 2);
    EXPECT_EQ(list.Find("ABC", CDivideupRuleList::targetString, 3), -1);
    EXPECT_EQ(list.Find("invoice", CDivideupRuleList::targetFolder, 0), 2);
    EXPECT_EQ(list.Find("メルマガ", CDivideupRuleList::targetFolder, 0), 1);
    // The folder's name is not a condition text, nor the other way round.
    EXPECT_EQ(list.Find("メルマガ", CDivideupRuleList::targetString, 0), -1);
    EXPECT_EQ(list.Find("会議", CDivideupRuleList::targetFolder, 0), -1);
    EXPECT_EQ(list.Find("", CDivideupRuleList::targetString, 0), -1);
}

TEST(DivideupRuleList, SavedRowsAreTheSetsFileInTheirNewOrder)
{
    TempDir dir;
    WriteFileBytes(dir.File("Divideup.dat"),
                   "From\t%GL$迷惑メール$%\t\t\t1\t0\t0\t0\t0\t1\t1\t0\t-1\t0\t0\t0\t1\r\n"
                   "Subject\t会議\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n");
    CDivideupDataSet set;
    set.SetFilePath(dir.File("Divideup.dat"));
    ASSERT_TRUE(set.ReadFromFile());
    CDivideupRuleList list;
    list.LoadFrom(set);
    ASSERT_EQ(list.GetCount(), 2);
    std::unique_ptr<CDivideupData> added = Rule("請求書", "billing@example.jp", 13);
    added->m_bOrMode = TRUE;
    EXPECT_EQ(list.Add(*added), 2);
    EXPECT_EQ(list.MoveToTop(2), 0);
    ASSERT_TRUE(list.Replace(2, *Rule("定例会議", "", 10)));
    list.StoreInto(set);
    ASSERT_TRUE(set.WriteToFile());

    CDivideupDataSet reread;
    reread.SetFilePath(dir.File("Divideup.dat"));
    ASSERT_TRUE(reread.ReadFromFile());
    ASSERT_EQ(reread.GetRuleCount(), 3);
    EXPECT_STREQ(reread.GetRule(0)->m_strString1, "請求書");
    EXPECT_STREQ(reread.GetRule(0)->m_strString2, "billing@example.jp");
    EXPECT_TRUE(reread.GetRule(0)->m_bOrMode);
    EXPECT_EQ(reread.GetRule(1)->m_nProtected, 1);
    EXPECT_STREQ(reread.GetRule(2)->m_strString1, "定例会議");
}

TEST(DivideupItemValues, StoredValuesFollowTheDialogsRules)
{
    struct Case
    {
        const char* name;
        BOOL noFolderMove;
        int colorRow;
        COLORREF rowColor;
        BOOL expectNotReceive;
        int expectLabel;
        COLORREF expectCustom;
    };
    const Case cases[] = {
        { "label only drops the server actions", TRUE, 0, 0, FALSE, 0, 0 },
        { "a filing rule keeps them", FALSE, 0, 0, TRUE, 0, 0 },
        { "the custom row is label 99 with its colour", FALSE, 17, 0x123456, TRUE, 99, 0x123456 },
        { "a fixed row keeps no custom colour", FALSE, 3, 0x123456, TRUE, 3, 0 },
    };
    for (const Case& c : cases) {
        DivideupItemValues v;
        v.strHeader1Name = "送信したアカウント";
        v.strString1 = "会議";
        v.bNoFolderMove = c.noFolderMove;
        v.bNotReceive = TRUE;
        v.bDeleteOnServer = TRUE;
        v.bLeaveOnServer = TRUE;
        v.nColorRow = c.colorRow;
        v.crRowColor = c.rowColor;
        CDivideupData rule;
        rule.m_nProtected = 1;
        v.StoreInto(rule);
        EXPECT_EQ(rule.m_bNotReceive, c.expectNotReceive) << c.name;
        EXPECT_EQ(rule.m_bDeleteOnServer, c.expectNotReceive) << c.name;
        EXPECT_EQ(rule.m_bLeaveOnServer, c.expectNotReceive) << c.name;
        EXPECT_EQ(rule.m_nColorLabel, c.expectLabel) << c.name;
        EXPECT_EQ(rule.m_crCustomColor, c.expectCustom) << c.name;
        EXPECT_EQ(rule.m_nProtected, 1) << c.name;
        EXPECT_STREQ(rule.m_strHeader1, "X-SendAcount") << c.name;
    }
    CDivideupData custom;
    custom.m_nColorLabel = 99;
    custom.m_crCustomColor = 0xABCDEF;
    DivideupItemValues shown = DivideupItemValues::FromRule(custom);
    EXPECT_EQ(shown.nColorRow, 17);
    EXPECT_EQ(shown.crRowColor, 0xABCDEFu);
    custom.m_nColorLabel = -1;
    EXPECT_EQ(DivideupItemValues::FromRule(custom).nColorRow, 0);
}
