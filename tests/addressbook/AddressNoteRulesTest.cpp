// The rules behind the address book window: new group files, list order,
// recipient texts, which files a group deletion may remove, address files
// read into a group, the user icon names and the splitter range.
#include "addressbook/AddressManagerThread.h"
#include "addressbook/AddressNoteRules.h"
#include "addressbook/UserIconList.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

TEST(AddressNoteRules, NewGroupFileAvoidsExistingFilesWithNumbers)
{
    TempDir dir;
    EXPECT_EQ(dir.File("取引先.dat"), AddressNoteRules::ChooseGroupFilePath(dir.Path(), "取引先"));
    WriteFileBytes(dir.File("取引先.dat"), "");
    EXPECT_EQ(dir.File("取引先0.dat"), AddressNoteRules::ChooseGroupFilePath(dir.Path(), "取引先"));
    WriteFileBytes(dir.File("取引先0.dat"), "");
    EXPECT_EQ(dir.File("取引先1.dat"), AddressNoteRules::ChooseGroupFilePath(dir.Path(), "取引先"));
    // A name that cannot be a file name still gives a file in the folder.
    EXPECT_EQ(dir.File("a_b.dat"), AddressNoteRules::ChooseGroupFilePath(dir.Path(), "a/b"));
}

TEST(AddressNoteRules, ListOrderOfEachSortMode)
{
    CAddressData a, b;
    a.m_strName = "あ";
    a.m_strAddress = "b@example.jp";
    a.m_strMemo = "1";
    a.m_nIndex = 0;
    b.m_strName = "い";
    b.m_strAddress = "a@example.jp";
    b.m_strMemo = "1";
    b.m_nIndex = 1;
    struct Case
    {
        int mode;
        BOOL flag;
        int expected;  // sign of compare(a, b)
    } cases[] = {
        { 1, TRUE, -1 }, { 1, FALSE, 1 },   // name: flag set ascending
        { 2, TRUE, 1 },  { 2, FALSE, -1 },  // address
        { 3, TRUE, 0 },  { 3, FALSE, 0 },   // equal memos
        { 0, FALSE, -1 }, { 0, TRUE, 1 },   // registration order: flag clear ascending
    };
    for (const Case& c : cases) {
        int r = AddressNoteRules::CompareAddressItems(a, b, c.mode, c.flag);
        EXPECT_EQ(c.expected, (r > 0) - (r < 0)) << c.mode << " " << c.flag;
    }
}

TEST(AddressNoteRules, RecipientTextIsJoinedWithCommas)
{
    struct Case
    {
        const char* field;
        const char* added;
        const char* expected;
    } cases[] = {
        { "", "a@example.jp,", "a@example.jp," },
        { "a@example.jp", "b@example.jp,", "a@example.jp,b@example.jp," },
        { "a@example.jp;", "b@example.jp,", "a@example.jp;b@example.jp," },
        { "\"山田, 太郎\" <y@example.jp>", "鈴木 <s@example.jp>,", "\"山田, 太郎\" <y@example.jp>,鈴木 <s@example.jp>," },
        { "x@example.jp,", "", "x@example.jp," },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CString(c.expected), AddressNoteRules::AppendRecipients(c.field, c.added)) << c.field;
}

TEST(AddressNoteRules, OnlyFilesOfTheAddressFolderMayGoWithAGroup)
{
    TempDir dir;
    CString box = dir.File("Address.Box");
    struct Case
    {
        CString path;
        bool inside;
    } cases[] = {
        { box + "\\group.dat", true },
        { box + "\\sub\\group.dat", true },
        { box + "\\..\\Folder.dat", false },    // climbs out
        { dir.File("Address.Box2\\group.dat"), false },  // a folder that only begins alike
        { dir.File("group.dat"), false },
        { box, false },
        { "", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.inside, AddressNoteRules::IsFileInsideFolder(c.path, box)) << c.path.GetString();
}

TEST(AddressNoteRules, AddressFileReplacesTheGroupUnlessItCannotBeRead)
{
    TempDir dir;
    const std::string old = "old@example.jp\t古い\t\tIconDefault\t\r\n";
    WriteFileBytes(dir.File("group.dat"), old);
    // An ".adr" file: "." stands for an empty field, columns past the memo are ignored.
    WriteFileBytes(dir.File("book.adr"), "taro@example.jp\t山田 太郎\t.\ticon2\textra\r\n"
                                         "hanako@example.jp\t.\tメモ\r\n");
    CAddressDataSet set;
    set.SetFilePath(dir.File("group.dat"));
    set.ReadWithRetry();

    EXPECT_FALSE(AddressNoteRules::ReplaceWithAddressFile(set, dir.File("missing.adr")));
    EXPECT_EQ(old, ReadFileBytes(dir.File("group.dat")));
    ASSERT_EQ(1, set.GetRecordCount(TRUE));

    ASSERT_TRUE(AddressNoteRules::ReplaceWithAddressFile(set, dir.File("book.adr")));
    EXPECT_EQ("taro@example.jp\t山田 太郎\t\tIconDefault\t\r\n"
              "hanako@example.jp\t\tメモ\tIconDefault\t\r\n",
              ReadFileBytes(dir.File("group.dat")));
    EXPECT_EQ(dir.File("group.dat"), set.GetFilePath());
}

TEST(AddressNoteRules, SplitterStaysFortyPixelsFromEitherEdge)
{
    const int cases[][3] = { { 100, 500, 100 }, { 39, 500, 38 }, { 40, 500, 40 }, { 461, 500, 458 }, { 460, 500, 460 } };
    for (const auto& c : cases)
        EXPECT_EQ(c[2], AddressNoteRules::ClampSplitPos(c[0], c[1])) << c[0];
}

TEST(UserIcons, IconFilesNeedBothSizesAndListsStayAligned)
{
    TempDir dir;
    CreateDirectoryA(dir.File("Icons"), nullptr);
    CreateDirectoryA(dir.File("Icons\\Large"), nullptr);
    CreateDirectoryA(dir.File("Icons\\Small"), nullptr);
    // A real icon file: the program's own, saved from its resources is not
    // at hand here, so the built-in list gives the count to compare with.
    CUserIconList builtIn;
    builtIn.Build(dir.Path());
    ASSERT_EQ(3, builtIn.GetCount());
    EXPECT_EQ(CString("icon2"), builtIn.GetIconName(1));
    EXPECT_EQ(2, builtIn.FindIconIndex("ICON3"));
    EXPECT_EQ(0, builtIn.FindIconIndex("IconDefault"));
    EXPECT_EQ(CString(""), builtIn.GetIconName(3));

    const std::string ico = ReadFileBytes(TestSupport::TestDataDir() + "\\..\\..\\resources\\addressbook\\art\\ICON_280.ico");
    ASSERT_FALSE(ico.empty());
    WriteFileBytes(dir.File("Icons\\Large\\person.ico"), ico);
    WriteFileBytes(dir.File("Icons\\Small\\person.ico"), ico);
    WriteFileBytes(dir.File("Icons\\Large\\onlylarge.ico"), ico);
    WriteFileBytes(dir.File("Icons\\Large\\broken.ico"), "not an icon");
    WriteFileBytes(dir.File("Icons\\Small\\broken.ico"), ico);
    CUserIconList list;
    list.Build(dir.Path());
    ASSERT_EQ(4, list.GetCount());
    EXPECT_EQ(3, list.FindIconIndex("Person.ico"));
    EXPECT_EQ(4, list.GetLargeImages().GetImageCount());
    EXPECT_EQ(4, list.GetSmallImages().GetImageCount());
}

TEST(AddressSearch, NextHitGoesOnBehindTheLastOneAndStartsOverAfterAMiss)
{
    TempDir dir;
    StoreTest::TestApp app(dir.Path());
    CString box = app.GetAddressBoxPath();
    WriteFileBytes(box + "\\Group.lst", "-1\t0\t1\t0\tアドレス帳\ta.dat\t0\t0\t0\t0\r\n"
                                        "0\t0\t1\t2\t取引先\tb.dat\t0\t0\t0\t0\r\n");
    WriteFileBytes(box + "\\a.dat", "Yamada@Example.jp\t山田\tmemo\tIconDefault\t\r\n"
                                    "suzuki@example.jp\t鈴木\t\tIconDefault\t\r\n");
    WriteFileBytes(box + "\\b.dat", "tanaka@partner.example\t田中\tMEMO\tIconDefault\t\r\n");
    CAddressManagerThread thread;
    thread.LoadAddressBook();

    struct Case
    {
        const char* name;
        const char* address;
        const char* memo;
        std::vector<std::string> hits;  // "" for a miss
    } cases[] = {
        // Every entry in turn, through the default group (id 0) and on.
        { "", "", "", { "Yamada@Example.jp", "suzuki@example.jp", "tanaka@partner.example", "", "Yamada@Example.jp" } },
        { "", "example.JP", "", { "Yamada@Example.jp", "suzuki@example.jp", "", "Yamada@Example.jp" } },
        { "", "", "memo", { "Yamada@Example.jp", "tanaka@partner.example", "" } },
        { "田中", "", "", { "tanaka@partner.example", "", "tanaka@partner.example" } },
        { "山田", "partner", "", { "" } },
    };
    for (const Case& c : cases) {
        AddressNoteRules::SearchState state;
        for (const std::string& expected : c.hits) {
            int group = -1;
            CString address;
            bool hit = AddressNoteRules::FindNextAddress(thread, c.name, c.address, c.memo, state, group, address);
            EXPECT_EQ(!expected.empty(), hit) << c.address << c.memo;
            if (hit) {
                EXPECT_EQ(expected, address.GetString()) << c.address << c.memo;
            }
        }
    }
}
