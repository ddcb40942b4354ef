// The address-book files: the group list in both versions, the group
// address files and the clipboard block.
#include "addressbook/AddressDataSet.h"
#include "addressbook/AddressGroupDataSet.h"
#include "addressbook/AddressObjectBlock.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

using TestSupport::ReadFileBytes;
using TestSupport::WriteFileBytes;

namespace {

const char kVersion1List[] =
    "FILE_VERSION\t1\r\n"
    "-1\t0\t1\t0\tアドレス帳\tアドレス帳.dat\t0\t0\t0\t1\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n"
    "0\t1\t1\t3\t営業部\tsub\\営業部.dat\t0\t0\t0\t0\tldap.example.jp\t636\tou=sales,dc=example,dc=jp"
    "\tcn=reader\t\t(sn=山田)\t1\tcn\tmail\tdescription\t3\t1\t10\r\n"
    "-1\t0\t1\t4\t外部\tD:\\Other\\外部.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n";

CString Version1List()
{
    return kVersion1List;
}

} // namespace

TEST(GroupList, Version1FileRoundTripsByteForByte)
{
    TestSupport::TempDir dir;
    const std::string text = Version1List().GetString();
    WriteFileBytes(dir.File("Group.lst"), text);

    CAddressGroupDataSet list;
    list.SetBaseFolder(dir.Path());
    list.SetFilePath(dir.File("Group.lst"));
    ASSERT_TRUE(list.ReadWithRetry());
    EXPECT_EQ(1, list.GetFileVersion());
    ASSERT_EQ(3, list.GetRecordCount(TRUE));  // the header is no group

    const CAddressGroupData* ldap = list.GetGroup(1);
    EXPECT_EQ(CAddressGroupData::typeLdap, ldap->m_nType);
    EXPECT_EQ(3, ldap->m_nId);
    EXPECT_EQ(CString("ldap.example.jp"), ldap->m_strLdapServer);
    EXPECT_EQ(636, ldap->m_nLdapPort);
    EXPECT_EQ(CString("(sn=山田)"), ldap->m_strFilter);
    EXPECT_EQ(3, ldap->m_nLdapVersion);
    EXPECT_TRUE(ldap->m_bUtf8);
    EXPECT_EQ(10, ldap->m_nTimeout);
    EXPECT_TRUE(list.GetGroup(0)->m_bExpanded);

    // Paths: a file below the folder is read back full and stored relative;
    // a file elsewhere keeps its full path.
    EXPECT_EQ(dir.Path() + "\\sub\\営業部.dat", list.GetAbsolutePath(list.GetGroup(1)));
    EXPECT_EQ(CString("D:\\Other\\外部.dat"), list.GetAbsolutePath(list.GetGroup(2)));

    ASSERT_TRUE(list.WriteToFile());
    EXPECT_EQ(text, ReadFileBytes(dir.File("Group.lst")));

    // The bind password is kept scrambled and comes back plain.
    list.GetGroup(1)->m_strBindPassword = "秘密 pass";
    ASSERT_TRUE(list.WriteToFile());
    EXPECT_EQ(std::string::npos, ReadFileBytes(dir.File("Group.lst")).find("秘密 pass"));
    CAddressGroupDataSet back;
    back.SetBaseFolder(dir.Path());
    back.SetFilePath(dir.File("Group.lst"));
    ASSERT_TRUE(back.ReadWithRetry());
    EXPECT_EQ(CString("秘密 pass"), back.GetGroup(1)->m_strBindPassword);
}

TEST(GroupList, ListOfANewMailboxReadsAsVersion0AndGainsTheHeaderWhenWritten)
{
    TestSupport::TempDir dir;
    StoreTest::TestApp app(dir.Path());
    ASSERT_TRUE(app.CreateDefaultAddressBook());
    CString box = app.GetAddressBoxPath();

    CAddressGroupDataSet list;
    list.SetBaseFolder(box);
    list.SetFilePath(box + "\\Group.lst");
    ASSERT_TRUE(list.ReadWithRetry());
    EXPECT_EQ(0, list.GetFileVersion());
    ASSERT_EQ(2, list.GetRecordCount(TRUE));
    const char* const names[] = {"アドレス帳", "迷惑メール"};
    for (int i = 0; i < 2; ++i) {
        const CAddressGroupData* g = list.GetGroup(i);
        EXPECT_EQ(CString(names[i]), g->m_strName);
        EXPECT_EQ(i, g->m_nId);
        EXPECT_EQ(-1, g->m_nParentId);
        EXPECT_EQ(CAddressGroupData::typeStandard, g->m_nType);
        // The old list's later columns belong to another layout: the LDAP
        // settings keep their defaults.
        EXPECT_EQ(389, g->m_nLdapPort);
        EXPECT_EQ(CString("mail=*"), g->m_strFilter);
        EXPECT_EQ(2, g->m_nScope);
        EXPECT_EQ(30, g->m_nTimeout);
        EXPECT_EQ(box + "\\" + names[i] + ".dat", list.GetAbsolutePath(list.GetGroup(i)));
    }

    // A group of type 7 is never written.
    list.GetGroup(1)->m_nType = CAddressGroupData::typeNeverWritten;
    ASSERT_TRUE(list.WriteToFile());
    EXPECT_EQ("FILE_VERSION\t1\r\n"
              "-1\t0\t0\t0\tアドレス帳\tアドレス帳.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n",
              ReadFileBytes(box + "\\Group.lst"));
}

TEST(GroupList, NextGroupIdIsTheSmallestFreePositiveId)
{
    struct Case { std::vector<int> ids; int next; };
    const Case cases[] = {
        {{}, 1},
        {{0}, 1},
        {{0, 1}, 2},
        {{3, 1, 2}, 4},
        {{2, 4, 1}, 3},
        {{-5, 7}, 1},
    };
    for (const Case& c : cases) {
        CAddressGroupDataSet list;
        for (int id : c.ids)
            static_cast<CAddressGroupData*>(list.CreateNewRecord())->m_nId = id;
        EXPECT_EQ(c.next, list.GetNextGroupId()) << c.ids.size();
    }
}

TEST(AddressFile, EntriesAndPropertiesRoundTrip)
{
    TestSupport::TempDir dir;
    CAddressDataSet set;
    set.SetFilePath(dir.File("g.dat"));
    CAddressData* a = static_cast<CAddressData*>(set.CreateNewRecord());
    a->m_strAddress = "yamada@example.jp";
    a->m_strName = "山田 太郎";
    a->m_strMemo = "営業\t部";  // a TAB would shift the columns
    a->m_properties.push_back({"電話", "03-1234-5678"});
    a->m_properties.push_back({"住所", "東京都\r\n千代田区"});
    static_cast<CAddressData*>(set.CreateNewRecord())->m_strAddress = "plain@example.jp";
    ASSERT_TRUE(set.WriteToFile());
    EXPECT_EQ("yamada@example.jp\t山田 太郎\t営業 部\tIconDefault\t電話\x1F" "03-1234-5678\x1E住所\x1F東京都 千代田区\x1E\r\n"
              "plain@example.jp\t\t\tIconDefault\t\r\n",
              ReadFileBytes(dir.File("g.dat")));

    CAddressDataSet back;
    back.SetFilePath(dir.File("g.dat"));
    ASSERT_TRUE(back.ReadWithRetry());
    ASSERT_EQ(2, back.GetRecordCount(TRUE));
    const CAddressData* y = back.GetAddress(0);
    ASSERT_EQ(2u, y->m_properties.size());
    EXPECT_EQ(CString("住所"), y->m_properties[1].m_strName);
    EXPECT_EQ(CString("東京都 千代田区"), y->m_properties[1].m_strValue);
    EXPECT_TRUE(back.GetAddress(1)->m_properties.empty());
}

TEST(AddressFile, PropertyTextParsing)
{
    struct Case { const char* text; std::vector<std::pair<const char*, const char*>> pairs; };
    const Case cases[] = {
        {"", {}},
        {"a\x1F" "1\x1E", {{"a", "1"}}},
        {"a\x1F" "1\x1E" "b\x1F\x1E", {{"a", "1"}, {"b", ""}}},
        {"a\x1F" "1\x1E" "unfinished\x1F" "x", {{"a", "1"}}},  // text behind the last pair is dropped
        {"ソ\x1F表\x1E", {{"ソ", "表"}}},
    };
    for (const Case& c : cases) {
        CAddressData d;
        d.SetPropertyText(c.text);
        ASSERT_EQ(c.pairs.size(), d.m_properties.size()) << c.text;
        for (size_t i = 0; i < c.pairs.size(); ++i) {
            EXPECT_EQ(CString(c.pairs[i].first), d.m_properties[i].m_strName);
            EXPECT_EQ(CString(c.pairs[i].second), d.m_properties[i].m_strValue);
        }
    }
}

TEST(AddressFile, ImportModeTakesDotAsEmptyAndIgnoresLaterColumns)
{
    TestSupport::TempDir dir;
    WriteFileBytes(dir.File("in.adr"), "a@example.jp\t.\tメモ\tIconX\tp\x1Fv\x1E\r\n.\t名前\t.\r\n");
    CAddressDataSet set;
    set.m_bImportMode = TRUE;
    set.SetFilePath(dir.File("in.adr"));
    ASSERT_TRUE(set.ReadWithRetry());
    ASSERT_EQ(2, set.GetRecordCount(TRUE));
    EXPECT_EQ(CString("a@example.jp"), set.GetAddress(0)->m_strAddress);
    EXPECT_EQ(CString(""), set.GetAddress(0)->m_strName);
    EXPECT_EQ(CString("メモ"), set.GetAddress(0)->m_strMemo);
    EXPECT_EQ(CString("IconDefault"), set.GetAddress(0)->m_strIconName);
    EXPECT_TRUE(set.GetAddress(0)->m_properties.empty());
    EXPECT_EQ(CString(""), set.GetAddress(1)->m_strAddress);
    EXPECT_EQ(CString("名前"), set.GetAddress(1)->m_strName);
}

TEST(AddressObjectBlock, FieldsKeepUpTo128BytesCutOnACharacterBoundary)
{
    CString kanji;
    for (int i = 0; i < 70; ++i)
        kanji += "漢";  // 140 bytes: longer than a field
    struct Case
    {
        CString memo;
        size_t kept;  // bytes in the field; a full field has no zero
    } const cases[] = {
        { kanji, 128 },
        { "a" + kanji, 127 },  // the 64th character would be cut in half
        { CString('m', 127), 127 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kept);
        CAddressData entry;
        entry.m_strAddress = "user@example.jp";
        entry.m_strName = CString('a', 1) + CString("漢", 2);
        entry.m_strMemo = c.memo;
        HGLOBAL h = AddressObjectBlock::Create(entry);
        ASSERT_NE(nullptr, h);
        EXPECT_GE(GlobalSize(h), AddressObjectBlock::kBlockSize);
        const char* p = static_cast<const char*>(GlobalLock(h));
        EXPECT_STREQ("user@example.jp", p);
        EXPECT_EQ(0, memcmp(p + 256, c.memo.GetString(), c.kept));
        if (c.kept < 128) {
            EXPECT_EQ('\0', p[256 + c.kept]);
        }
        GlobalUnlock(h);

        CAddressData back;
        ASSERT_TRUE(AddressObjectBlock::Read(h, back));
        EXPECT_EQ(entry.m_strAddress, back.m_strAddress);
        EXPECT_EQ(entry.m_strName, back.m_strName);
        EXPECT_EQ(c.memo.Left(static_cast<int>(c.kept)), back.m_strMemo);
        GlobalFree(h);
    }
}

TEST(AddressObjectBlock, ABlockFromAnotherProgramIsReadWithinItsFields)
{
    // Fields filled to the end without a zero, and a block that is too small.
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, AddressObjectBlock::kBlockSize);
    ASSERT_NE(nullptr, h);
    char* p = static_cast<char*>(GlobalLock(h));
    memset(p, 'A', 128);
    memset(p + 128, 'B', 128);
    memset(p + 256, 'C', 128);
    GlobalUnlock(h);
    CAddressData entry;
    ASSERT_TRUE(AddressObjectBlock::Read(h, entry));
    EXPECT_EQ(CString('A', 128), entry.m_strAddress);
    EXPECT_EQ(CString('B', 128), entry.m_strName);
    EXPECT_EQ(CString('C', 128), entry.m_strMemo);
    GlobalFree(h);

    HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 100);
    EXPECT_FALSE(AddressObjectBlock::Read(small, entry));
    GlobalFree(small);
    EXPECT_NE(0u, AddressObjectBlock::GetFormat());
}
