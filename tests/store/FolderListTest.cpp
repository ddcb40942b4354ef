#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/FileSteps.h"
#include "core/FileUtil.h"
#include "store/FolderData.h"
#include "store/FolderRegistryHooks.h"
#include "StoreTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

using StoreTest::TestApp;
using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

std::string Line(const std::vector<std::string>& cols)
{
    std::string s;
    for (size_t i = 0; i < cols.size(); i++)
        s += (i ? "\t" : "") + cols[i];
    return s + "\r\n";
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find("\r\n"));
}

CFolderRecord Folder(int id, int parent, int kind, const char* name, int icon = 0)
{
    CFolderRecord r;
    r.m_nId = id;
    r.m_nParentId = parent;
    r.m_nKind = kind;
    r.m_strName = name;
    r.m_nIcon = icon;
    return r;
}

std::string Ids(CQuendalApp& app)
{
    std::string s;
    for (int i = 0; i < app.GetFolderCount(); i++)
        s += FormatString("%d", app.GetFolderAt(i)->GetFolderId()).Str();
    return s;
}

} // namespace

TEST(FolderList, ReadsOldShortLinesWithDefaults)
{
    TempDir dir;
    TestApp app(dir.Path());
    WriteFileBytes(dir.File("Folder.dat"), Line({"0", "1", "12", "6", "郵便受け", "In.Box", "", "3", "10", "1", "1"}));
    CFolderData data(dir.Path());
    data.SetFilePath(dir.File("Folder.dat"));
    ASSERT_TRUE(data.ReadFromFile());
    ASSERT_EQ(data.GetRecordCount(), 1);
    CFolderRecord* r = data.GetFolder(0);
    EXPECT_EQ(r->m_strName, "郵便受け");
    EXPECT_TRUE(r->m_bHideTag);
    EXPECT_TRUE(r->m_bStripTagOnReply);  // column 29 follows column 10
    EXPECT_EQ(r->m_nReserved24, -1);
    EXPECT_EQ(r->m_nReserved25, -1);
    EXPECT_EQ(r->m_nCharSet, 128);
}

TEST(FolderList, WritesRelativePathsScrambledPasswordsAndSkipsHiddenFolders)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString mailbox = app.GetMailBoxFolder();
    CreateDirectoryA(mailbox + "\\In.Box", nullptr);
    CFolderData data(mailbox);
    CFolderRecord* inside = static_cast<CFolderRecord*>(data.CreateNewRecord());
    *inside = Folder(1, 0, 1, "in");
    inside->m_strPath = mailbox + "\\In.Box";
    inside->m_strPassword = "secret";
    CFolderRecord* oneMore = static_cast<CFolderRecord*>(data.CreateNewRecord());
    *oneMore = Folder(2, 0, 0, "edge");
    oneMore->m_strPath = mailbox + "\\";
    CFolderRecord* hidden = static_cast<CFolderRecord*>(data.CreateNewRecord());
    *hidden = Folder(3, 0, 7, "SendTempFolder");
    data.SetFilePath(dir.File("Folder.dat"));
    ASSERT_TRUE(data.WriteToFile());
    EXPECT_EQ(inside->m_strPath, "In.Box");
    EXPECT_EQ(oneMore->m_strPath, mailbox + "\\");
    std::string text = ReadFileBytes(dir.File("Folder.dat"));
    EXPECT_EQ(text.find("SendTempFolder"), std::string::npos);
    EXPECT_EQ(text.find("secret"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 2 * 38);

    CFolderData back(mailbox);
    back.SetFilePath(dir.File("Folder.dat"));
    ASSERT_TRUE(back.ReadFromFile());
    ASSERT_EQ(back.GetRecordCount(), 2);
    EXPECT_EQ(back.GetFolder(0)->m_strPassword, "secret");
    EXPECT_EQ(back.ResolveFolderPath(back.GetFolder(0)), mailbox + "\\In.Box");
    EXPECT_FALSE(back.IsPathsChanged());

    // A relative path missing under the base folder is taken under the
    // current mailbox instead.
    CFolderData moved(dir.File("elsewhere"));
    CFolderRecord* r = static_cast<CFolderRecord*>(moved.CreateNewRecord());
    r->m_strPath = "In.Box";
    EXPECT_EQ(moved.ResolveFolderPath(r), mailbox + "\\In.Box");
    EXPECT_TRUE(moved.IsPathsChanged());
}

TEST(FolderList, FirstFreeIdRescansAfterEveryHit)
{
    struct Case
    {
        std::vector<int> ids;
        int expected;
    };
    const Case cases[] = {{{1, 2, 4}, 3}, {{3, 1, 2}, 4}, {{}, 1}, {{2}, 1}};
    for (const Case& c : cases) {
        CFolderData data;
        for (int id : c.ids)
            static_cast<CFolderRecord*>(data.CreateNewRecord())->m_nId = id;
        EXPECT_EQ(data.GetFirstFreeId(), c.expected);
    }
}

TEST(FolderList, UnsoundLinesAreDroppedOrMadeTopLevel)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString mailbox = app.GetMailBoxFolder();
    CString elsewhere = dir.Path() + "\\OtherDrive\\Mail";
    std::string text = Line({"0", "1", "12", "1", "good", "In.Box"}) +
                       Line({"0", "0", "0"}) +                                  // missing columns: no id
                       Line({"0", "0", "0", "abc", "non-numeric id", "A"}) +
                       Line({"99", "0", "0", "2", "orphan", "B"}) +             // parent not listed
                       Line({"0", "0", "0", "3", "escape", "..\\..\\Windows"}) +
                       Line({"0", "0", "0", "4", "absolute", elsewhere.Str()}) + // a folder kept outside
                       Line({"0", "0", "0", "1", "duplicate id", "C"}) +
                       Line({"6", "0", "0", "5", "ring a", "D"}) +
                       Line({"5", "0", "0", "6", "ring b", "E"}) +
                       Line({"0", "0", "0", "7", "inside", (mailbox + "\\F").Str()});
    WriteFileBytes(mailbox + "\\Folder.dat", text);
    ASSERT_TRUE(app.OpenFolderList());
    std::vector<std::string> names;
    for (int i = 0; i < app.GetFolderCount(); i++)
        names.push_back(app.GetFolderAt(i)->GetFolderName().Str());
    std::vector<std::string> expected = {"good", "orphan", "absolute", "ring a", "ring b", "inside"};
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(app.FindFolder(2)->GetParentId(), 0);
    // Only the relative climb out of the mailbox is gone; the full path
    // outside it is kept as given, and saving works.
    EXPECT_TRUE(app.SaveFolderList());
    std::string saved = ReadFileBytes(mailbox + "\\Folder.dat");
    EXPECT_EQ(saved.find("Windows"), std::string::npos);
    EXPECT_NE(saved.find("\t" + elsewhere.Str() + "\t"), std::string::npos);
}

TEST(FolderRegistry, IdsPositionsMovesAndRemoval)
{
    TempDir dir;
    TestApp app(dir.Path());
    app.AddFolder(0, 0, nullptr, Folder(1, 0, 6, "送信", 8));
    app.AddFolder(0, 0, nullptr, Folder(2, 1, 3, "作成中", 4));
    app.AddFolder(0, 0, nullptr, Folder(3, 1, 5, "未送信", 24));
    app.AddFolder(0, 0, nullptr, Folder(4, 1, 2, "送信済", 20));
    app.AddFolder(0, 0, nullptr, Folder(5, 0, 4, "ごみ箱", 16));
    app.AddFolder(0, 0, nullptr, Folder(6, 0, 1, "郵便受け", 12));
    EXPECT_EQ(app.GetNewFolderId(), 7);
    EXPECT_EQ(app.GetDefaultFolderId(1), 6);
    EXPECT_EQ(app.GetDefaultFolderId(6), 1);

    // Under the group folder: after its last descendant.
    app.AddFolder(0, 1, nullptr, Folder(7, 1, 10, "sub", 8));
    EXPECT_EQ(Ids(app), "1234756");
    app.AddFolder(0, 7, nullptr, Folder(8, 7, 10, "subsub"));
    EXPECT_EQ(Ids(app), "12347856");
    // After a given folder.
    app.AddFolder(5, 0, nullptr, Folder(9, 0, 0, "after trash"));
    EXPECT_EQ(Ids(app), "123478596");
    CPtrArray sub;
    app.CollectSubFolders(1, sub);
    EXPECT_EQ(sub.GetSize(), 6);
    EXPECT_EQ(app.GetPrevSiblingFolderId(5), 1);
    EXPECT_EQ(app.GetPrevSiblingFolderId(8), 7);

    // Moving a folder takes its descendants along.
    EXPECT_TRUE(app.MoveFolder(7, 6, 0));
    EXPECT_EQ(Ids(app), "123459678");
    EXPECT_TRUE(app.MoveFolder(7, 2, 2));
    EXPECT_EQ(Ids(app), "127834596");
    EXPECT_FALSE(app.MoveFolder(7, 8, 0));  // not into itself

    CPtrArray mailFolders;
    app.CollectMailFolders(mailFolders);
    EXPECT_EQ(mailFolders.GetSize(), 2);  // the inbox and the ordinary folder

    app.SetCurrentFolder(3);
    EXPECT_EQ(app.GetCurrentFolderPos(), 1 + 3);
    GetFolderRegistryHooks().pfnFolderRemoved = [](int id, int inbox) {
        EXPECT_EQ(inbox, 6);
        EXPECT_EQ(id, 3);
    };
    EXPECT_TRUE(app.RemoveFolder(3));
    GetFolderRegistryHooks().pfnFolderRemoved = nullptr;
    EXPECT_EQ(app.GetCurrentFolder(), nullptr);
    EXPECT_EQ(app.GetNewFolderId(), 3);
}

TEST(FolderRegistry, InheritedSettings)
{
    TempDir dir;
    TestApp app(dir.Path());
    CFolderRecord parent = Folder(1, 0, 0, "parent");
    parent.m_strSound = "parent.wav";
    parent.m_bApplyBelow = TRUE;
    parent.m_bHideTag = TRUE;
    app.AddFolder(0, 0, nullptr, parent);
    app.AddFolder(0, 1, nullptr, Folder(2, 1, 0, "child"));
    CFolderRecord own = Folder(3, 2, 0, "own");
    own.m_bApplyBelow = TRUE;
    app.AddFolder(0, 2, nullptr, own);
    EXPECT_EQ(app.FindFolder(2)->GetInheritedSound(), "parent.wav");
    EXPECT_TRUE(app.FindFolder(2)->GetInheritedHideTag());
    EXPECT_EQ(app.FindFolder(3)->GetInheritedSound(), "");
    EXPECT_EQ(app.FindFolder(3)->GetFolderPathName(), "parent\\child\\own");
}

TEST(MailBoxCreation, DefaultFoldersFilesAndAddressBook)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString mailbox = app.GetMailBoxFolder();
    ASSERT_TRUE(app.CreateDefaultMailBox());

    struct Expected
    {
        const char* file;
        const char* firstLine;  // nullptr: the file is empty; "": only that it exists
    };
    const Expected files[] = {
        {"Folder.dat", "0\t6\t8\t1\t送信\t\t\t0\t0\t1\t0"},
        {"Writing.Box\\FolderData.Dat", "1\t3\t4\t2\t作成中\tWriting.Box\t\t0\t0\t1\t0"},
        {"Send.Box\\FolderData.Dat", "1\t5\t24\t3\t未送信\tSend.Box\t\t0\t0\t1\t0"},
        {"Out.Box\\FolderData.Dat", "1\t2\t20\t4\t送信済\tOut.Box\t\t0\t0\t1\t0"},
        {"Trash.Box\\FolderData.Dat", "0\t4\t16\t5\tごみ箱\tTrash.Box\t\t0\t0\t1\t0"},
        {"In.Box\\FolderData.Dat", "0\t1\t12\t6\t郵便受け\tIn.Box\t\t0\t0\t1\t0"},
        {"Address.Box\\アドレス帳.dat", nullptr},
        {"Address.Box\\迷惑メール.dat", nullptr},
        {"Address.Box\\Group.lst", "-1\t0\t0\t0\tアドレス帳\tアドレス帳.dat\t\t0\t0\t0\t0"},
    };
    for (const Expected& e : files) {
        SCOPED_TRACE(e.file);
        CString path = mailbox + "\\" + e.file;
        ASSERT_TRUE(TestSupport::FileExists(path));
        std::string text = ReadFileBytes(path);
        if (!e.firstLine) {
            EXPECT_TRUE(text.empty());
            continue;
        }
        EXPECT_EQ(FirstLine(text).compare(0, strlen(e.firstLine), e.firstLine), 0) << FirstLine(text);
    }
    std::string list = ReadFileBytes(mailbox + "\\Folder.dat");
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 6);
    std::string groups = ReadFileBytes(mailbox + "\\Address.Box\\Group.lst");
    EXPECT_NE(groups.find("\r\n-1\t0\t0\t1\t迷惑メール\t迷惑メール.dat\t"), std::string::npos);
    EXPECT_EQ(app.GetDefaultFolderId(1), 6);
    EXPECT_EQ(app.GetDefaultFolderId(3), 2);

    // Loading it back gives the same records in tree order.
    ASSERT_TRUE(app.OpenFolderList());
    EXPECT_EQ(Ids(app), "123456");
    EXPECT_EQ(app.FindFolder(6)->GetFolderPath(), mailbox + "\\In.Box");
    EXPECT_EQ(app.FindFolder(1)->GetFolderPath(), "");
    EXPECT_EQ(app.GetDefaultFolderPath(5), mailbox + "\\Send.Box");

    // An existing list is used unchanged; a lost Group.lst alone comes back
    // without touching the group files.
    WriteFileBytes(mailbox + "\\Address.Box\\アドレス帳.dat", "keep me\r\n");
    DeleteFileA(mailbox + "\\Address.Box\\Group.lst");
    std::string before = ReadFileBytes(mailbox + "\\Folder.dat");
    ASSERT_TRUE(app.CreateDefaultMailBox());
    EXPECT_EQ(ReadFileBytes(mailbox + "\\Folder.dat"), before);
    EXPECT_TRUE(TestSupport::FileExists(mailbox + "\\Address.Box\\Group.lst"));
    EXPECT_EQ(ReadFileBytes(mailbox + "\\Address.Box\\アドレス帳.dat"), "keep me\r\n");
}

TEST(MailBoxCreation, SavedListSurvivesAnInterruptedReplace)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString mailbox = app.GetMailBoxFolder();
    ASSERT_TRUE(app.CreateDefaultMailBox());
    ASSERT_TRUE(app.OpenFolderList());
    app.AddFolder(0, 0, nullptr, Folder(7, 0, 0, "mine"));
    ASSERT_TRUE(app.SaveFolderList());
    std::string saved = ReadFileBytes(mailbox + "\\Folder.dat");
    EXPECT_NE(saved.find("mine"), std::string::npos);
    EXPECT_FALSE(TestSupport::FileExists(mailbox + "\\Folder.$$$"));

    // Interrupted after writing "Folder.$$$" with "Folder.dat" gone.
    MoveFileA(mailbox + "\\Folder.dat", mailbox + "\\Folder.$$$");
    ASSERT_TRUE(app.OpenFolderList());
    EXPECT_EQ(app.GetFolderCount(), 7);
    EXPECT_EQ(ReadFileBytes(mailbox + "\\Folder.dat"), saved);
    // Only the backup left.
    CopyFileA(mailbox + "\\Folder.dat", mailbox + "\\Folder.bak", FALSE);
    DeleteFileA(mailbox + "\\Folder.dat");
    ASSERT_TRUE(app.OpenFolderList());
    EXPECT_EQ(app.GetFolderCount(), 7);
}

TEST(MailBoxCreation, PrepareRunsTheDialogAndTheWizardOnlyWhenNeeded)
{
    TempDir dir;
    TestApp app(dir.Path());
    static int dialogs, wizards;
    dialogs = wizards = 0;
    static CString chosen;
    chosen = dir.Path();
    FolderRegistryHooks& h = GetFolderRegistryHooks();
    h.pfnMailBoxDialog = [] {
        dialogs++;
        QuendalApp()->WriteProfileString("Paths", "MailBoxPath", chosen);
        QuendalApp()->WriteProfileString("Paths", "MailBoxName", "Chosen");
        CreateDirectoryA(chosen + "\\Chosen", nullptr);
        return IDOK;
    };
    h.pfnAccountWizard = [](CAccountData& account, bool& route) {
        wizards++;
        account.SetAccountName("first");
        account.SetMailAddress("me@example.jp");
        route = false;
        return true;
    };
    app.m_strMailBoxNameOverride.Empty();
    app.m_strMailBoxPathOverride.Empty();
    EXPECT_EQ(app.PrepareMailBox(FALSE), 1);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(wizards, 1);
    EXPECT_TRUE(TestSupport::FileExists(dir.Path() + "\\Chosen\\Folder.dat"));
    EXPECT_EQ(app.m_pAccountDataSet->GetRecordCount(), 1);
    // Everything in place: neither runs again unless forced.
    EXPECT_EQ(app.PrepareMailBox(FALSE), 1);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(wizards, 1);
    h.pfnMailBoxDialog = [] { return IDCANCEL; };
    EXPECT_EQ(app.PrepareMailBox(TRUE), IDCANCEL);
    h = FolderRegistryHooks();
}

TEST(MailBoxCreation, FailedRecoveryOfTheListKeepsTheSavedCopy)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString mailbox = app.GetMailBoxFolder();
    ASSERT_TRUE(app.CreateDefaultMailBox());
    std::string saved = ReadFileBytes(mailbox + "\\Folder.dat");
    struct Case
    {
        const char* name;
        const char* left;  // the copy a save left behind
        const char* call;
    } const cases[] = {
        {"moving the new list in", "\\Folder.$$$", "MoveFileEx"},
        {"copying the backup", "\\Folder.bak", "CopyFile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(mailbox + "\\Folder.dat");
        WriteFileBytes(mailbox + c.left, saved);
        static const char* failing;
        failing = c.call;
        FileSteps::FailHook previous = FileSteps::SetFailHook([](const char* call) { return strcmp(call, failing) == 0; });
        TestSupport::ClearMessages();
        EXPECT_FALSE(app.OpenFolderList());
        FileSteps::SetFailHook(previous);
        // Said once, and nothing made afresh over the saved copy.
        EXPECT_EQ(TestSupport::RecordedMessages().size(), 1u);
        EXPECT_FALSE(TestSupport::FileExists(mailbox + "\\Folder.dat"));
        EXPECT_EQ(ReadFileBytes(mailbox + c.left), saved);
        ASSERT_TRUE(app.OpenFolderList());
        EXPECT_EQ(ReadFileBytes(mailbox + "\\Folder.dat"), saved);
        DeleteFileA(mailbox + c.left);
    }
}

TEST(MailBoxCreation, FolderWithoutTheListGetsTheDefaults)
{
    // A folder given as the mailbox (switch M) that exists but holds no
    // "Folder.dat": the program must not run without an inbox.
    TempDir dir;
    TestApp app(dir.Path());
    CString mailbox = app.GetMailBoxFolder();
    ASSERT_FALSE(TestSupport::FileExists(mailbox + "\\Folder.dat"));
    FolderRegistryHooks& h = GetFolderRegistryHooks();
    static int dialogs;
    dialogs = 0;
    // The dialog confirms the folder it offers, as a user pressing OK does.
    static TestApp* s_app;
    static CString s_path;
    s_app = &app;
    s_path = dir.Path();
    h.pfnMailBoxDialog = [] {
        dialogs++;
        s_app->WriteProfileString("Paths", "MailBoxPath", s_path);
        s_app->WriteProfileString("Paths", "MailBoxName", "MailBox");
        return IDOK;
    };
    EXPECT_EQ(app.PrepareMailBox(FALSE), 1);
    h = FolderRegistryHooks();
    // The folder is offered as at a first start, then filled.
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(TestSupport::FileExists(mailbox + "\\Folder.dat"));
    EXPECT_TRUE(TestSupport::FileExists(mailbox + "\\In.Box\\FolderData.Dat"));
    EXPECT_TRUE(TestSupport::FileExists(mailbox + "\\Address.Box\\Group.lst"));
    ASSERT_TRUE(app.OpenFolderList());
    EXPECT_EQ(app.GetFolderCount(), 6);
}
