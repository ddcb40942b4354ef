// The address-book thread: loading, completion, group menus and look-ups,
// and LDAP groups refreshed from the private directory server.
#include "addressbook/AddressGroupDataSet.h"
#include "addressbook/AddressManagerThread.h"
#include "addressbook/LdapGroup.h"
#include "core/AppMessages.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

using TestSupport::ReadFileBytes;
using TestSupport::WriteFileBytes;

namespace {

// A mailbox whose address book holds three groups: the default one with a
// subgroup, and the junk-mail group.
class AddressBookTest : public ::testing::Test
{
protected:
    AddressBookTest() : m_app(m_dir.Path())
    {
        m_box = m_app.GetAddressBoxPath();
        WriteFileBytes(m_box + "\\Group.lst",
                       "FILE_VERSION\t1\r\n"
                       "-1\t0\t1\t0\tアドレス帳\tアドレス帳.dat\t0\t0\t0\t1\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n"
                       "0\t0\t1\t2\t取引先\t取引先.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n"
                       "-1\t0\t1\t1\t迷惑メール\t迷惑メール.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n"
                       "-1\t0\t1\t5\t消えた\tmissing.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n");
        WriteFileBytes(m_box + "\\アドレス帳.dat",
                       "yamada@example.jp\t山田\t\tIconDefault\t\r\n"
                       "Suzuki@Example.jp\t鈴木\t\tIconDefault\t\r\n"
                       "suzuki@example.jp\t鈴木\t\tIconDefault\t\r\n"
                       "spam@bad.example\t迷惑\t\tIconDefault\t\r\n");
        WriteFileBytes(m_box + "\\取引先.dat",
                       "yamada@example.jp\t山田\t\tIconDefault\t\r\n"      // the same line twice: listed once
                       "yamada@example.jp\t山田 太郎\t\tIconDefault\t\r\n"  // another name: listed again
                       "tanaka@partner.example\t田中\t取引先 担当\tIconDefault\t\r\n");
        WriteFileBytes(m_box + "\\迷惑メール.dat", "SPAM@bad.example\t\t\tIconDefault\t\r\n");
    }

    std::vector<std::string> Matching(CAddressManagerThread& thread, const char* prefix)
    {
        CStringArray lines;
        thread.GetMatchingAddresses(prefix, lines);
        std::vector<std::string> out;
        for (int i = 0; i < lines.GetSize(); ++i)
            out.push_back(lines[i].GetString());
        return out;
    }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp m_app;
    CString m_box;
};

} // namespace

TEST_F(AddressBookTest, CompletionIsSortedWithoutDuplicatesOrJunkSenders)
{
    CAddressManagerThread thread;
    thread.LoadAddressBook();
    EXPECT_EQ((std::vector<std::string>{"Suzuki@Example.jp\t鈴木", "suzuki@example.jp\t鈴木",
                                        "tanaka@partner.example\t田中", "yamada@example.jp\t山田",
                                        "yamada@example.jp\t山田 太郎"}),
              Matching(thread, ""));
    EXPECT_EQ((std::vector<std::string>{"Suzuki@Example.jp\t鈴木", "suzuki@example.jp\t鈴木"}),
              Matching(thread, "SUZ"));
    EXPECT_TRUE(Matching(thread, "nobody").empty());

    // Without a group of the junk name, its members are offered too.
    std::string list = ReadFileBytes(m_box + "\\Group.lst");
    list.replace(list.find("迷惑メール\t"), strlen("迷惑メール"), "以前の迷惑");
    WriteFileBytes(m_box + "\\Group.lst", list);
    thread.LoadAddressBook();
    EXPECT_EQ(7u, Matching(thread, "").size());
}

TEST_F(AddressBookTest, GroupsAreFoundByNameAndIdWithTheirMembers)
{
    CAddressManagerThread thread;
    thread.LoadAddressBook();
    CSingleLock hold(&thread.GetLock(), TRUE);
    ASSERT_EQ(4, thread.GetGroupCount());
    CAddressGroup* partners = thread.FindGroup("取引先");
    ASSERT_NE(nullptr, partners);
    EXPECT_EQ(nullptr, thread.FindGroup("とりひきさき"));
    EXPECT_STREQ(CString(m_box + "\\取引先.dat"), thread.GetGroupFilePath(2));
    EXPECT_EQ(nullptr, thread.GetGroupFilePath(99));
    EXPECT_TRUE(thread.FindGroup("消えた")->m_members.empty());

    // Member tests take upper-cased text and match inside longer text.
    EXPECT_TRUE(IsAddressInGroup(thread.FindGroup("迷惑メール"), "FROM: <SPAM@BAD.EXAMPLE>"));
    EXPECT_FALSE(IsAddressInGroup(thread.FindGroup("迷惑メール"), "YAMADA@EXAMPLE.JP"));

    CString found;
    const CAddressData* first = partners->FindAddress("山田", "", "", nullptr, found);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(CString("yamada@example.jp"), found);
    const CAddressData* second = partners->FindAddress("山田", "", "", first, found);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(CString("山田 太郎"), second->m_strName);
    EXPECT_EQ(nullptr, partners->FindAddress("山田", "", "", second, found));
    EXPECT_NE(nullptr, partners->FindAddress("", "PARTNER", "担当", nullptr, found));
}

TEST_F(AddressBookTest, GroupMenusNestAsTheGroupsAndNumberTheirItems)
{
    CAddressManagerThread thread;
    HMENU root = CreatePopupMenu();
    CStringArray lines;
    std::vector<HMENU> popups;
    thread.CreateGroupMenu(root, lines, popups);
    ASSERT_EQ(4u, popups.size());
    ASSERT_EQ(8, lines.GetSize());
    // Top level: アドレス帳, 迷惑メール, 消えた; 取引先 sits inside アドレス帳.
    EXPECT_EQ(3, GetMenuItemCount(root));
    EXPECT_EQ(popups[0], GetSubMenu(root, 0));
    EXPECT_EQ(popups[1], GetSubMenu(popups[0], 4));
    EXPECT_EQ(3, GetMenuItemCount(popups[1]));
    EXPECT_EQ(0, GetMenuItemCount(popups[3]));
    for (int i = 0; i < GetMenuItemCount(popups[1]); ++i) {
        UINT id = GetMenuItemID(popups[1], i);
        ASSERT_GE(id, CAddressManagerThread::kFirstMenuCommand);
        char text[256] = {};
        GetMenuStringA(popups[1], i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(lines[static_cast<int>(id - CAddressManagerThread::kFirstMenuCommand)], CString(text));
    }
    DestroyMenu(root);
}

TEST_F(AddressBookTest, TheThreadLoadsAtItsStartReloadsOnChangeAndEndsOnQuit)
{
    CAddressManagerThread* thread = new CAddressManagerThread;
    thread->m_bAutoDelete = FALSE;
    ASSERT_TRUE(thread->CreateThread());
    // Completion works before anybody announced a change.
    for (int i = 0; i < 200 && Matching(*thread, "tanaka").empty(); ++i)
        Sleep(10);
    EXPECT_EQ(1u, Matching(*thread, "tanaka").size());

    WriteFileBytes(m_box + "\\取引先.dat", "kato@partner.example\t加藤\t\tIconDefault\t\r\n");
    thread->PostThreadMessage(WM_QD_ADDRESS_CHANGED, 0, 0);
    for (int i = 0; i < 200 && Matching(*thread, "kato").empty(); ++i)
        Sleep(10);
    EXPECT_EQ(1u, Matching(*thread, "kato").size());
    EXPECT_TRUE(Matching(*thread, "tanaka").empty());

    thread->PostThreadMessage(WM_QD_QUIT_THREAD, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread->m_hThread, 5000));
    delete thread;
}

TEST_F(AddressBookTest, AMissingGroupListBringsBackTheDefaultAddressBook)
{
    DeleteFileA(m_box + "\\Group.lst");
    CAddressManagerThread thread;
    thread.LoadAddressBook();
    CSingleLock hold(&thread.GetLock(), TRUE);
    ASSERT_EQ(2, thread.GetGroupCount());
    EXPECT_EQ(CString("アドレス帳"), thread.GetGroup(0)->m_strName);
    // The existing address file is kept.
    EXPECT_EQ(4u, thread.GetGroup(0)->m_members.size());
}

// ---- LDAP groups against the private directory server ----

namespace {

CAddressGroupData SalesGroup(int version)
{
    CAddressGroupData g;
    g.m_nType = CAddressGroupData::typeLdap;
    g.m_strLdapServer = "127.0.0.4";
    g.m_strSearchBase = "ou=sales,dc=corvane,dc=test";
    g.m_strFilter = "(sn=山田)";
    g.m_nLdapVersion = version;
    g.m_bUtf8 = TRUE;
    g.m_nTimeout = 10;
    return g;
}

} // namespace

TEST(LdapGroup, RefreshReplacesTheFileWithTheDirectoryEntries)
{
    for (int version : {3, 2}) {
        TestSupport::TempDir dir;
        WriteFileBytes(dir.File("ldap.dat"), "old@example.jp\t古い\t\tIconDefault\t\r\n");
        CAddressGroupData g = SalesGroup(version);
        if (version == 2) {
            g.m_strBindName = "cn=reader,dc=corvane,dc=test";
            g.m_strBindPassword = "reader-secret";
        }
        CAddressDataSet set;
        set.SetFilePath(dir.File("ldap.dat"));
        LoadLdapGroup(&g, &set, TRUE);
        ASSERT_EQ(1, set.GetRecordCount(TRUE)) << version;
        const CAddressData* a = set.GetAddress(0);
        EXPECT_EQ(CString("yamada@corvane.test"), a->m_strAddress);
        EXPECT_EQ(CString("山田 太郎"), a->m_strName);
        EXPECT_EQ(CString("営業部 第一課"), a->m_strMemo);
        EXPECT_NE(std::string::npos, ReadFileBytes(dir.File("ldap.dat")).find("telephoneNumber\x1F" "03-1234-5678\x1E"));
    }
}

TEST(LdapGroup, AFailedSearchKeepsTheSavedAddressesAndAnEmptyOneEmptiesThem)
{
    TestSupport::InstallMessageBoxRecorder();
    struct Case { const char* what; const char* server; const char* filter; bool message; int entries; };
    const Case cases[] = {
        {"no server", "127.0.0.9", "(sn=山田)", true, 1},
        {"nothing found", "127.0.0.4", "(sn=存在しない)", false, 0},
    };
    for (const Case& c : cases) {
        TestSupport::TempDir dir;
        const std::string saved = "old@example.jp\t古い\t\tIconDefault\t\r\n";
        WriteFileBytes(dir.File("ldap.dat"), saved);
        CAddressGroupData g = SalesGroup(3);
        g.m_strLdapServer = c.server;
        g.m_strFilter = c.filter;
        g.m_nTimeout = 3;
        CAddressDataSet set;
        set.SetFilePath(dir.File("ldap.dat"));
        TestSupport::ClearMessages();
        LoadLdapGroup(&g, &set, TRUE);
        EXPECT_EQ(c.entries ? saved : std::string(), ReadFileBytes(dir.File("ldap.dat"))) << c.what;
        ASSERT_EQ(c.entries, set.GetRecordCount(TRUE)) << c.what;
        if (c.entries) {
            EXPECT_EQ(CString("old@example.jp"), set.GetAddress(0)->m_strAddress);
        }
        ASSERT_EQ(c.message ? 1u : 0u, TestSupport::RecordedMessages().size()) << c.what;
        if (c.message) {
            EXPECT_EQ(0u, TestSupport::RecordedMessages()[0].find("以下の理由でLDAPサーバからデータの取得に失敗しました。"));
        }
    }
}

TEST(LdapGroup, AStandardGroupIsOnlyRead)
{
    TestSupport::TempDir dir;
    WriteFileBytes(dir.File("s.dat"), "a@example.jp\tA\t\tIconDefault\t\r\n");
    CAddressGroupData g = SalesGroup(3);
    g.m_nType = CAddressGroupData::typeStandard;
    CAddressDataSet set;
    set.SetFilePath(dir.File("s.dat"));
    LoadLdapGroup(&g, &set, TRUE);
    ASSERT_EQ(1, set.GetRecordCount(TRUE));
    EXPECT_EQ(CString("a@example.jp"), set.GetAddress(0)->m_strAddress);
}
