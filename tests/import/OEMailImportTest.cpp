// Outlook Express import: identities and folder files found through the
// registry of the Wine prefix, folder files built by the tests, converted and
// filed into a folder whose mails must read back exactly as they were.
#include "DbxBuilder.h"
#include "ImportTestUtil.h"

#include "store/DlgOEFolderSelect.h"
#include "store/MailListData.h"
#include "store/OEMailImporter.h"
#include "resources/import/ImportResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using ImportTest::DbxBuilder;
using ImportTest::SimpleMail;
using ImportTest::TestApp;
using StoreTest::StoredMails;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

const char kDefaultId[] = "{11111111-2222-3333-4444-555555555555}";
const char kOtherId[] = "{99999999-2222-3333-4444-555555555555}";

void SetRegString(const char* key, const char* name, const char* value, DWORD type = REG_SZ)
{
    HKEY h;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS);
    RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(h);
}

// Two identities in the registry, the default one with its store root given
// through an environment variable and without a trailing backslash.
struct Identities
{
    explicit Identities(const CString& storeRoot)
    {
        SetEnvironmentVariableA("CVM_OE_STORE", storeRoot);
        SetRegString("Identities", "Default User ID", kDefaultId);
        SetRegString(CString("Identities\\") + kDefaultId, "Username", "メインユーザ");
        SetRegString(CString("Identities\\") + kDefaultId + "\\Software\\Microsoft\\Outlook Express\\5.0",
                     "Store Root", "%CVM_OE_STORE%", REG_EXPAND_SZ);
        SetRegString(CString("Identities\\") + kOtherId, "Username", "other");
    }
    ~Identities() { RegDeleteTreeA(HKEY_CURRENT_USER, "Identities"); }
};

const std::string kMail1 = SimpleMail("one", "first line\r\n.\r\n..two dots\r\n.\r\n");
const std::string kMail2 = SimpleMail("two", "split\r\n.across blocks\r\nend\r\n");
const std::string kMail3 = SimpleMail("three", "third\r\n");

// A folder file of three mails in a two-level index, with a message that has
// no text between them.
std::string ThreeMailFolder()
{
    DbxBuilder b;
    // Mail 2 is cut right before a "." at a line start and inside "\r\n".
    size_t cut = kMail2.find(".across");
    uint32_t m2 = b.IndirectMessage(
        b.Blocks({kMail2.substr(0, cut - 1), kMail2.substr(cut - 1, 1), kMail2.substr(cut)}));
    uint32_t m1 = b.Message(b.Blocks({kMail1}));
    uint32_t none = b.MessageWithoutText();
    uint32_t m3 = b.Message(b.Blocks({kMail3}));
    uint32_t child = b.Node({m1});
    b.SetRoot(b.Node({m2, none, m3}, child));
    return b.Bytes();
}

struct OERun : ::testing::Test
{
    TempDir dir;
    TestApp app{dir.Path()};
    CString store;
    CMailFolderStore* target = nullptr;
    COEMailImporter importer;

    void SetUp() override
    {
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        store = dir.File("Store");
        CreateDirectoryA(store, nullptr);
        target = app.AddStore(dir.File("Target"), 5, "Target");
        importer.m_nTargetFolderId = 5;
    }
    BOOL ImportAll()
    {
        importer.LoadIdentities();
        importer.LoadFolders();
        for (int i = 0; i < importer.GetFolderCount(); ++i)
            importer.GetFolder(i)->bChosen = 1;
        return importer.RunImport();
    }
};

} // namespace

TEST_F(OERun, IdentitiesAndFolderFilesComeFromTheRegistry)
{
    Identities ids(store);
    for (const char* name : {"Inbox.dbx", "Folders.dbx", "OFFLINE.DBX", "Pop3uidl.dbx", "送信済み.dbx"})
        WriteFileBytes(store + "\\" + name, "x");
    importer.LoadIdentities();
    ASSERT_EQ(importer.GetIdentityCount(), 2);
    int defaults = 0;
    for (int i = 0; i < 2; ++i) {
        COEMailImporter::Identity* id = importer.GetIdentity(i);
        defaults += id->bDefault;
        if (id->bDefault) {
            EXPECT_EQ(id->strUserName, "メインユーザ");
            EXPECT_EQ(id->strKey, kDefaultId);
        }
    }
    EXPECT_EQ(defaults, 1);
    importer.LoadFolders();
    std::vector<std::string> titles;
    for (int i = 0; i < importer.GetFolderCount(); ++i) {
        titles.push_back(importer.GetFolder(i)->strTitle.Str());
        EXPECT_EQ(importer.GetFolder(i)->strPath, store + "\\" + importer.GetFolder(i)->strTitle + ".dbx");
        EXPECT_FALSE(importer.GetFolder(i)->bChosen);
    }
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"Inbox", "送信済み"}));

    // An identity without a store root has no folders.
    for (int i = 0; i < 2; ++i)
        importer.GetIdentity(i)->bDefault = importer.GetIdentity(i)->strKey == kOtherId;
    importer.LoadFolders();
    EXPECT_EQ(importer.GetFolderCount(), 0);
}

TEST_F(OERun, NoIdentitiesLeaveTheListsEmpty)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Identities");
    importer.LoadIdentities();
    importer.LoadFolders();
    EXPECT_EQ(importer.GetIdentityCount(), 0);
    EXPECT_EQ(importer.GetFolderCount(), 0);
}

TEST_F(OERun, MailsReadBackExactlyAsTheyWere)
{
    Identities ids(store);
    WriteFileBytes(store + "\\Inbox.dbx", ThreeMailFolder());
    DWORD before = GetFileAttributesA("C:\\temp");
    ASSERT_TRUE(ImportAll());
    EXPECT_EQ(StoredMails(*target), (std::vector<std::string>{kMail1, kMail2, kMail3}));
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    // The converted file lived in a private folder that is gone again.
    EXPECT_EQ(GetFileAttributesA("C:\\temp"), before);
    EXPECT_FALSE(importer.m_strOutputFolder.IsEmpty());
    EXPECT_EQ(GetFileAttributesA(importer.m_strOutputFolder), INVALID_FILE_ATTRIBUTES);
    // Imported mails are read.
    EXPECT_EQ(target->GetUnreadCount(), 0);
}

TEST_F(OERun, ConversionWritesTheSeparatorFileWithDotsDoubled)
{
    WriteFileBytes(dir.File("Inbox.dbx"), ThreeMailFolder());
    importer.m_strOutputFolder = dir.Path();
    ASSERT_TRUE(COEMailImporter::ConvertDbxToMbox("Inbox", &importer, dir.File("Inbox.dbx")));
    auto stuffed = [](const std::string& s) {
        std::string out;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '.' && (i == 0 || s[i - 1] == '\n'))
                out += '.';
            out += s[i];
        }
        return out;
    };
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("Inbox.mbx")),
              stuffed(kMail1) + "\r\n.\r\n" + stuffed(kMail2) + "\r\n.\r\n" + stuffed(kMail3) + "\r\n.\r\n");
}

TEST_F(OERun, DamagedFilesEndWithAMessage)
{
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    DbxBuilder cyclic;
    uint32_t block = cyclic.Blocks({"Subject: loop\r\n\r\nbody\r\n"});
    cyclic.Put32(block + 12, block);
    cyclic.SetRoot(cyclic.Node({cyclic.Message(block)}));
    DbxBuilder loopingIndex;
    uint32_t node = loopingIndex.Node({loopingIndex.Message(loopingIndex.Blocks({kMail3}))});
    loopingIndex.Put32(node + 8, node);
    loopingIndex.Put32(node + 20, 1);
    loopingIndex.SetRoot(node);
    DbxBuilder outside;
    outside.SetRoot(0x7FFFFFF0);
    const Case cases[] = {
        {"cyclic block chain", cyclic.Bytes()},
        {"index node that contains itself", loopingIndex.Bytes()},
        {"root outside the file", outside.Bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSupport::ClearMessages();
        Identities ids(store);
        WriteFileBytes(store + "\\Inbox.dbx", c.bytes);
        EXPECT_FALSE(ImportAll());
        ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
        EXPECT_NE(TestSupport::RecordedMessages()[0].find("Inbox.dbx"), std::string::npos);
        EXPECT_EQ(StoredMails(*target).size(), 0u);
    }
}

TEST_F(OERun, EmptyMissingAndCancelled)
{
    importer.m_strOutputFolder = dir.Path();
    DbxBuilder empty;
    WriteFileBytes(dir.File("Empty.dbx"), empty.Bytes());
    EXPECT_TRUE(COEMailImporter::ConvertDbxToMbox("Empty", &importer, dir.File("Empty.dbx")));
    EXPECT_FALSE(TestSupport::FileExists(dir.File("Empty.mbx")));

    EXPECT_FALSE(COEMailImporter::ConvertDbxToMbox("None", &importer, dir.File("None.dbx")));
    EXPECT_NE(importer.m_strError.Find("None.dbx"), -1);

    importer.m_strOutputFolder = dir.File("no such folder");
    WriteFileBytes(dir.File("Inbox.dbx"), ThreeMailFolder());
    EXPECT_FALSE(COEMailImporter::ConvertDbxToMbox("Inbox", &importer, dir.File("Inbox.dbx")));
    EXPECT_NE(importer.m_strError.Find("Inbox.mbx"), -1);

    // A cancel stops the run without a message and without filing.
    Identities ids(store);
    WriteFileBytes(store + "\\Inbox.dbx", ThreeMailFolder());
    BYTE cancel = 1;
    importer.m_pCancel = &cancel;
    EXPECT_FALSE(ImportAll());
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    EXPECT_EQ(StoredMails(*target).size(), 0u);
}

TEST_F(OERun, FlushImportsTheOutputSoFar)
{
    Identities ids(store);
    WriteFileBytes(store + "\\Inbox.dbx", ThreeMailFolder());
    static std::vector<std::string> seen;
    seen.clear();
    importer.m_pfnFlush = [](const char*, const char*, int, int nIndex, uint64_t) -> BOOL { return nIndex == 0; };
    importer.m_pfnComplete = [](const char* dbx, const char* mbx, int n, int i, uint64_t bytes,
                                COEMailImporter* p) -> BOOL {
        seen.push_back(std::to_string(i) + ":" + std::to_string(bytes > 0));
        return COEMailImporter::ImportConvertedFile(dbx, mbx, n, i, bytes, p);
    };
    ASSERT_TRUE(ImportAll());
    // After the first message, then at the end (the message without text is skipped).
    EXPECT_EQ(seen, (std::vector<std::string>{"0:1", "4:1"}));
    EXPECT_EQ(StoredMails(*target), (std::vector<std::string>{kMail1, kMail2, kMail3}));
}

namespace {

// Checks the second folder's row and presses OK once the dialog is up.
class FolderSelectProbe : public CDlgOEFolderSelect
{
public:
    using CDlgOEFolderSelect::CDlgOEFolderSelect;
    BOOL OnInitDialog() override
    {
        CDlgOEFolderSelect::OnInitDialog();
        HWND list = GetDlgItemHwnd(IDC_OE_FOLDER_LIST);
        m_bListEnabledAtStart = ::IsWindowEnabled(list);
        m_nRows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        CheckDlgButton(IDC_OE_ALL_FOLDERS, BST_UNCHECKED);
        CheckDlgButton(IDC_OE_CHOSEN_FOLDERS, BST_CHECKED);
        SendMessage(WM_COMMAND, MAKEWPARAM(IDC_OE_CHOSEN_FOLDERS, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItemHwnd(IDC_OE_CHOSEN_FOLDERS)));
        m_bListEnabledAfter = ::IsWindowEnabled(list);
        ListView_SetCheckState(list, 1, TRUE);
        PostMessage(WM_COMMAND, IDOK);
        return TRUE;
    }
    BOOL m_bListEnabledAtStart = TRUE, m_bListEnabledAfter = FALSE;
    int m_nRows = 0;
};

} // namespace

TEST_F(OERun, FolderDialogMarksTheCheckedFolders)
{
    Identities ids(store);
    WriteFileBytes(store + "\\A.dbx", "x");
    WriteFileBytes(store + "\\B.dbx", "x");
    WriteFileBytes(store + "\\C.dbx", "x");
    FolderSelectProbe dlg(&importer);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nRows, 3);
    EXPECT_FALSE(dlg.m_bListEnabledAtStart);
    EXPECT_TRUE(dlg.m_bListEnabledAfter);
    EXPECT_EQ(dlg.m_nMode, 1);
    EXPECT_EQ(dlg.m_nChosen, 1);
    ASSERT_EQ(importer.GetFolderCount(), 3);
    int chosenCount = 0;
    for (int i = 0; i < 3; ++i)
        chosenCount += importer.GetFolder(i)->bChosen;
    EXPECT_EQ(chosenCount, 1);
}
