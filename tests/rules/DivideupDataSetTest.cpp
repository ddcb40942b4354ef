#include "core/QuendalApp.h"
#include "RulesTestUtil.h"
#include "transfer/DivideupDataSet.h"

#include <gtest/gtest.h>

using RulesTest::RulesApp;
using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

const char kJunkRuleLine[] = "From\t%GL$迷惑メール$%\t\t\t1\t0\t0\t0\t0\t1\t1\t0\t-1\t0\t0\t0\t1\r\n";

} // namespace

TEST(DivideupDataSet, RoundTripsEveryColumnAndFoldsFlagsToOne)
{
    TempDir dir;
    const std::string written =
        "From\t%GL$迷惑メール$%\t\t\t4\t0\t0\t0\t0\t1\t1\t0\t-1\t0\t0\t0\t1\r\n"
        "Subject\t【重要】会議\tTo-CC\tsales@corvane.example\t10\t1\t1\t1\t0\t0\t0\t1\t99\t16744448\t0\t1\t0\r\n"
        "<= Size\t50000\t\t\t11\t0\t0\t0\t1\t0\t0\t1\t3\t0\t1\t0\t0\r\n"
        "X-ML-Name\tソフト開発\tSize <=\t1000\t0\t0\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n";
    // Flags stored as 5 (by another program or a hand edit) are set and come
    // back as 1; numbers keep their value.
    std::string handEdited = written;
    const std::string flags = "\t1\t1\t1\t0\t0\t0\t1\t99", edited = "\t5\t1\t5\t0\t0\t0\t7\t99";
    handEdited.replace(handEdited.find(flags), flags.size(), edited);
    WriteFileBytes(dir.File("Divideup.dat"), handEdited);

    CDivideupDataSet set;
    set.SetFilePath(dir.File("Divideup.dat"));
    ASSERT_TRUE(set.ReadFromFile());
    ASSERT_EQ(set.GetRuleCount(), 4);
    CDivideupData* r = set.GetRule(1);
    EXPECT_STREQ(r->m_strString1, "【重要】会議");
    EXPECT_TRUE(r->m_bLeaveOnServer);
    EXPECT_EQ(r->m_nColorLabel, 99);
    EXPECT_EQ(r->m_crCustomColor, 16744448u);
    EXPECT_EQ(set.GetRule(0)->m_nColorLabel, -1);
    ASSERT_TRUE(set.WriteToFile());
    EXPECT_EQ(ReadFileBytes(dir.File("Divideup.dat")), written);
}

TEST(DivideupDataSet, BadLinesAreDroppedWithALogLineAndTheRestLoads)
{
    TempDir dir;
    RulesApp app(dir.Path());
    app.m_bCommLog = FALSE;  // the drop is logged whatever the log setting
    CString path = app.MailBox() + "\\Divideup.dat";
    WriteFileBytes(path, "Subject\t会議\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
                         "Subject\t見積\t\r\n"                                                     // no target folder
                         "Subject:\tabc\t\t\t11\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"             // not a header name
                         "件名\t請求\t\t\t13\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"                  // not a header name
                         "From\t@sakura-shoji.co.jp\tX-Spam-Flag\tYES\t12\r\n"                    // short, keeps defaults
                         "\r\n");
    CDivideupDataSet* set = app.GetReceiveRuleSet();
    ASSERT_EQ(set->GetRuleCount(), 2);
    EXPECT_STREQ(set->GetRule(0)->m_strString1, "会議");
    EXPECT_EQ(set->GetRule(1)->m_nFolderId, 12);
    EXPECT_FALSE(set->GetRule(1)->m_bNotReceive);
    EXPECT_EQ(set->GetDroppedCount(), 3);
    std::string log = ReadFileBytes(app.GetLogFilePath());
    size_t lines = 0;
    for (size_t at = log.find("読み飛ばしました"); at != std::string::npos; at = log.find("読み飛ばしました", at + 1))
        ++lines;
    EXPECT_EQ(lines, 3u);
    // Rules were kept, so no default rule is added.
    EXPECT_EQ(set->GetRule(0)->m_nProtected, 0);
}

TEST(DivideupDataSet, DefaultJunkRuleIsAddedOnceAndNeverOverAFileThatCouldNotBeRead)
{
    TempDir dir;
    RulesApp app(dir.Path());
    CString path = app.MailBox() + "\\Divideup.dat";
    // Missing file and empty file alike: the one default rule, written.
    for (const char* start : { static_cast<const char*>(nullptr), "" }) {
        DeleteFileA(path);
        if (start)
            WriteFileBytes(path, start);
        ASSERT_TRUE(app.LoadFilterRules());
        ASSERT_TRUE(app.LoadFilterRules());
        EXPECT_EQ(app.GetReceiveRuleSet()->GetRuleCount(), 1);
        EXPECT_EQ(ReadFileBytes(path), kJunkRuleLine);
    }

    // A file held open without sharing cannot be read: it is not taken as
    // empty, and the user's rules stay as they were.
    const std::string rules = "Subject\t会議\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n";
    WriteFileBytes(path, rules);
    HANDLE hLock = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hLock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(app.LoadFilterRules());
    EXPECT_EQ(app.GetReceiveRuleSet()->GetRuleCount(), 0);
    CloseHandle(hLock);
    EXPECT_EQ(ReadFileBytes(path), rules);

    // Only bad lines: the default rule guards in memory, the file is left
    // for the user to mend.
    const std::string bad = "件名\t会議\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n";
    WriteFileBytes(path, bad);
    ASSERT_TRUE(app.LoadFilterRules());
    ASSERT_EQ(app.GetReceiveRuleSet()->GetRuleCount(), 1);
    EXPECT_EQ(app.GetReceiveRuleSet()->GetRule(0)->m_nProtected, 1);
    EXPECT_EQ(ReadFileBytes(path), bad);
}

TEST(DivideupDataSet, SetNamesThatCannotBeFileNamesAreRefused)
{
    struct Case
    {
        const char* name;
        bool valid;
    } cases[] = {
        { "Work.dat", true },
        { "仕事用", true },
        { "ソフト開発", true },  // second byte of ソ is a backslash
        { "表示", true },        // and of 表
        { "", false },
        { "..", false },
        { "..\\Divideup.dat", false },
        { "a/b", false },
        { "a\\b", false },
        { "C:Work", false },
        { "a..b", false },
        { "CON", false },
        { "con.dat", false },
        { "NUL", false },
        { "COM1.txt", false },
        { "lpt9", false },
        { "COM10", true },
        { "Work?", false },
        { "Work ", false },
        { "Work.", false },
        { "tab\tname", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDivideupDataSet::IsValidSetName(c.name) != FALSE, c.valid) << c.name;
}

TEST(DivideupDataSet, NamedSetsAreFoundByNameInAnyCaseAndListedInNameOrder)
{
    TempDir dir;
    RulesApp app(dir.Path());
    CString box = app.GetDivideupBoxPath();
    WriteFileBytes(box + "\\Work.dat", "Subject\t会議\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n");
    WriteFileBytes(box + "\\archive", "");
    WriteFileBytes(box + "\\WORK.dat.$$$", "");  // left by an interrupted save
    CreateDirectoryA(box + "\\sub", nullptr);
    ASSERT_TRUE(app.LoadFilterRules());
    ASSERT_EQ(app.GetNamedRuleSetCount(), 2);
    EXPECT_STREQ(app.GetNamedRuleSet(0)->GetFileName(), "archive");
    EXPECT_STREQ(app.GetNamedRuleSet(1)->GetFileName(), "Work.dat");
    CDivideupDataSet* work = app.FindRuleSet("WORK.DAT");
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->GetRuleCount(), 1);

    EXPECT_EQ(app.AddNamedRuleSet("..\\..\\Account.dat"), nullptr);
    EXPECT_EQ(app.AddNamedRuleSet("work.DAT"), nullptr);  // taken
    CDivideupDataSet* added = app.AddNamedRuleSet("Bulk");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(app.GetNamedRuleSet(1), added);

    EXPECT_FALSE(app.RenameNamedRuleSet("Work.dat", "CON"));
    ASSERT_TRUE(app.RenameNamedRuleSet("Work.dat", "仕事.dat"));
    EXPECT_TRUE(TestSupport::FileExists(box + "\\仕事.dat"));
    EXPECT_FALSE(TestSupport::FileExists(box + "\\Work.dat"));
    EXPECT_EQ(app.FindRuleSet("仕事.DAT"), work);
}

TEST(DivideupDataSet, ARemovedFoldersRulesFileIntoTheInbox)
{
    TempDir dir;
    RulesApp app(dir.Path());
    WriteFileBytes(app.MailBox() + "\\Divideup.dat",
                   "Subject\t会議\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
                   "Subject\tメルマガ\t\t\t11\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n");
    WriteFileBytes(app.MailBox() + "\\DivideupS.dat", "To\tboss@\t\t\t10\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n");
    app.RetargetFilterRules(RulesTest::kWork, RulesTest::kInbox);
    EXPECT_EQ(ReadFileBytes(app.MailBox() + "\\Divideup.dat"),
              "Subject\t会議\t\t\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n"
              "Subject\tメルマガ\t\t\t11\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n");
    EXPECT_EQ(ReadFileBytes(app.MailBox() + "\\DivideupS.dat"),
              "To\tboss@\t\t\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n");
}
