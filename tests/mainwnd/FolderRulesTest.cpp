// Folder images, new folders' kinds and directories, and the stored values of the properties.
#include "mainwnd/FolderForm.h"
#include "mainwnd/FolderRules.h"
#include "store/FolderRecord.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace FolderRules;

TEST(FolderRules, ImageIsTheBaseGroupPlusOpenAndMail)
{
    struct Case { int base; bool mail, open; int image; } cases[] = {
        { 0, false, false, 0 },  { 0, false, true, 1 },  { 0, true, false, 2 }, { 0, true, true, 3 },
        { 8, false, false, 8 },  { 10, true, true, 11 }, { 12, true, true, 15 }, { 87, false, false, 84 },
        { 88, true, false, 2 },  { -4, false, true, 1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FolderImageIndex(c.base, c.mail, c.open), c.image) << c.base;
    EXPECT_TRUE(CountsAllMails(3));
    EXPECT_TRUE(CountsAllMails(5));
    EXPECT_FALSE(CountsAllMails(1));
}

TEST(FolderRules, FoldersBelowOutgoingFoldersTakeKindTenAndTheParentsImage)
{
    struct Case { int parentKind, parentImage, kind, image; } cases[] = {
        { 2, 20, 10, 20 }, { 3, 4, 10, 4 }, { 5, 24, 10, 24 }, { 6, 8, 10, 8 }, { 10, 20, 10, 20 },
        { 0, 16, 0, 0 },   { 1, 12, 0, 0 }, { 4, 16, 0, 0 },   { -1, 0, 0, 0 },
    };
    for (const Case& c : cases) {
        int kind = -5, image = -5;
        NewFolderKind(c.parentKind, c.parentImage, kind, image);
        EXPECT_EQ(kind, c.kind) << c.parentKind;
        EXPECT_EQ(image, c.image) << c.parentKind;
    }
}

TEST(FolderRules, ASecondFolderOfTheSameNameGetsItsOwnDirectory)
{
    TestSupport::TempDir dir;
    CString first = NewFolderDirectory(dir.Path(), "新しいフォルダ");
    EXPECT_EQ(first, dir.Path() + "\\新しいフォルダ.Box");
    CreateDirectoryA(first, nullptr);
    CString second = NewFolderDirectory(dir.Path(), "新しいフォルダ");
    EXPECT_EQ(second, dir.Path() + "\\新しいフォルダ_1.Box");
    CreateDirectoryA(second, nullptr);
    EXPECT_EQ(NewFolderDirectory(dir.Path(), "新しいフォルダ"), dir.Path() + "\\新しいフォルダ_2.Box");
    // "ソ" ends in the byte of a backslash; the parent is still found whole.
    EXPECT_EQ(RenamedFolderDirectory("C:\\M\\ソフト\\Folders\\a.Box", "b"), CString("C:\\M\\ソフト\\Folders\\b.Box"));
    EXPECT_FALSE(IsFolderPathTooLong("C:\\M\\Folders", "abc"));
    EXPECT_TRUE(IsFolderPathTooLong("C:\\M\\Folders", std::string(250, 'a').c_str()));
}

TEST(FolderRules, SameNamesAtALevelIgnoreCase)
{
    CStringArray names;
    names.Add("ABC");
    names.Add("仕事");
    EXPECT_TRUE(IsNameAtLevel(names, "abc"));
    EXPECT_TRUE(IsNameAtLevel(names, "仕事"));
    EXPECT_FALSE(IsNameAtLevel(names, "ab"));
}

TEST(FolderForm, StoredValuesOfTheProperties)
{
    CFolderRecord record;
    record.m_nIcon = 12;
    FolderForm form;
    form.FromRecord(record);
    EXPECT_EQ(form.iconGroup, 3);
    EXPECT_EQ(form.fontPoints, 0);  // no face: no size shown

    form.iconGroup = 2;  // the third icon
    form.fontFace = "ＭＳ ゴシック";
    form.fontPoints = 10;
    form.password = "0123456789abcdefXYZ";
    form.applyBelow = TRUE;
    form.compose[16 - 11] = "署名A";
    form.filterSet = "受信";
    form.ToRecord(record);
    EXPECT_EQ(record.m_nIcon, 8);
    EXPECT_EQ(record.m_nFontSize, 200);
    EXPECT_EQ(record.m_strPassword, CString("0123456789abcdef"));
    EXPECT_TRUE(record.m_bApplyBelow);
    EXPECT_EQ(record.m_strText[16 - 11], CString("署名A"));
    EXPECT_EQ(record.m_strText[22 - 11], CString("受信"));

    FolderForm back;
    back.FromRecord(record);
    EXPECT_EQ(back.fontPoints, 10);
    EXPECT_EQ(back.iconGroup, 2);

    // Clearing the face clears size, weight and italic, and the character set goes back to 128.
    back.fontFace.Empty();
    back.fontCharSet = 0;
    back.ToRecord(record);
    EXPECT_EQ(record.m_nFontSize, 0);
    EXPECT_EQ(record.m_nCharSet, 128);
    // A password is cut on whole characters.
    back.password = "あいうえおかきくa";  // 17 bytes
    back.ToRecord(record);
    EXPECT_EQ(record.m_strPassword, CString("あいうえおかきく"));
}
