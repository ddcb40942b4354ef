// Font sets for mail text: heights in twips, shared sets and the language
// fonts of "CharSet.dat".
#include "support/TestSupport.h"
#include "viewer/CharSetDataSet.h"
#include "viewer/MailFontSets.h"

#include <gtest/gtest.h>

TEST(MailFontSets, TwipsBecomePixels)
{
    const struct { int twips, ppi, matched, made; } cases[] = {
        {220, 96, 14, 14}, {240, 120, 20, 20}, {0, 96, 10, 13}, {10, 96, 10, 13}, {-220, 96, -14, 14},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CMailFontSets::TwipsToPixels(c.twips, c.ppi), c.matched) << c.twips;
        EXPECT_EQ(CMailFontSets::FontSetPixels(c.twips, c.ppi), c.made) << c.twips;
    }
}

TEST(MailFontSets, WindowsAskingForTheSameFontShareOneSet)
{
    CMailFontSets sets;
    CFontSet* a = sets.GetFontSet(1, nullptr, "IPAGothic", 220, 0, 0, SHIFTJIS_CHARSET);
    CFontSet* b = sets.GetFontSet(2, nullptr, "ipagothic", 220, 0, 0, SHIFTJIS_CHARSET);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_NE(sets.GetFontSet(3, nullptr, "IPAGothic", 220, 700, 0, SHIFTJIS_CHARSET), a);
    EXPECT_EQ(sets.GetFontSet(4, nullptr, "", 220, 0, 0, 0), sets.GetDefaultFontSet());
}

TEST(MailFontSets, LanguageFontsFollowCharSetDat)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    CString program = dir.Path() + "\\Program";
    CreateDirectoryA(mailbox, nullptr);
    CreateDirectoryA(program, nullptr);
    TestSupport::WriteFileBytes(program + "\\CharSet.dat", "UTF-8\tIPAPGothic\t200\t128\r\nGB2312\tIPAMincho\t240\t134\r\n");

    // A missing file is copied from the program folder; an existing one is kept.
    CString path = CMailFontSets::GetCharSetFilePath(mailbox, program);
    EXPECT_EQ(path, mailbox + "\\CharSet.dat");
    EXPECT_TRUE(TestSupport::FileExists(path));
    TestSupport::WriteFileBytes(path, "GB2312\tIPAMincho\t240\t134\r\n");
    CMailFontSets::GetCharSetFilePath(mailbox, program);
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "GB2312\tIPAMincho\t240\t134\r\n");

    CCharSetDataSet table;
    table.SetFilePath(program + "\\CharSet.dat");
    ASSERT_TRUE(table.ReadFromFile());
    CMailFontSets sets;
    sets.LoadCharSetFonts(table);
    ASSERT_NE(sets.GetFontForCharset("utf-8"), nullptr);
    EXPECT_EQ(sets.GetFontForCharset("gb2312")->GetLogFont().lfCharSet, 134);
    EXPECT_EQ(sets.GetFontForCharset("KOI8-R"), nullptr);
    EXPECT_EQ(sets.GetFontForCharset(""), nullptr);

    CFontSet* header = sets.GetHeaderFontForCharset("GB2312", 12);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetLogFont().lfHeight, -12);
    EXPECT_STREQ(header->GetLogFont().lfFaceName, "IPAMincho");
    EXPECT_EQ(sets.GetHeaderFontForCharset("GB2312", 20), header);  // kept
    EXPECT_EQ(sets.GetListFontForCharset("ISO-2022-JP", 12), nullptr);
    EXPECT_EQ(sets.GetListFontForCharset("KOI8-R", 12), nullptr);
}

TEST(MailFontSets, RebuiltFontsReplaceTheOldOnesWhichStayUsableMeanwhile)
{
    TestSupport::TempDir dir;
    CString path = dir.Path() + "\\CharSet.dat";
    TestSupport::WriteFileBytes(path, "GB2312\tIPAMincho\t240\t134\r\nBIG5\tIPAMincho\t240\t136\r\n");
    CCharSetDataSet table;
    table.SetFilePath(path);
    ASSERT_TRUE(table.ReadFromFile());
    CMailFontSets sets;
    sets.LoadCharSetFonts(table);
    CFontSet* oldHeader = sets.GetHeaderFontForCharset("GB2312", 12);
    ASSERT_NE(oldHeader, nullptr);
    HFONT oldFont = oldHeader->GetFont();
    HFONT oldDefault = sets.GetDefaultFontSet()->GetFont();

    // Another window thread may still draw with the fonts it was given.
    TestSupport::WriteFileBytes(path, "GB2312\tIPAPGothic\t200\t134\r\n");
    CCharSetDataSet changed;
    changed.SetFilePath(path);
    ASSERT_TRUE(changed.ReadFromFile());
    sets.LoadCharSetFonts(changed);
    sets.RebuildDefaultFontSet();
    EXPECT_EQ(GetObjectType(oldFont), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetObjectType(oldDefault), static_cast<DWORD>(OBJ_FONT));
    EXPECT_NE(sets.GetDefaultFontSet()->GetFont(), oldDefault);

    CFontSet* header = sets.GetHeaderFontForCharset("GB2312", 12);
    ASSERT_NE(header, nullptr);
    EXPECT_STREQ(header->GetLogFont().lfFaceName, "IPAPGothic");
    EXPECT_STREQ(sets.GetFontForCharset("GB2312")->GetLogFont().lfFaceName, "IPAPGothic");
    EXPECT_EQ(sets.GetFontForCharset("BIG5"), nullptr);  // no longer in the file
}
