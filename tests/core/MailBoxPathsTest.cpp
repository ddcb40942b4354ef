#include "core/QuendalApp.h"
#include "store/FolderRecord.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::TempDir;

namespace {

// An application object on a file-mode settings store, so that tests never
// touch the registry settings of another test.
struct PathsApp : CQuendalApp
{
    explicit PathsApp(const CString& ini) { SetProfileFileMode(ini); }
    ~PathsApp() override
    {
        CloseAllFolders();
        m_bFileMode = 0;
    }
};

CString ProgramDrive()
{
    char buf[MAX_PATH];
    GetModuleFileNameA(nullptr, buf, sizeof(buf));
    return CString(buf).Left(2);
}

} // namespace

TEST(MailBoxPaths, FolderComesFromOverridesOrSettings)
{
    TempDir dir;
    {
        PathsApp app(dir.File("CVM.ini"));
        app.WriteProfileString("Paths", "MailBoxPath", "C:\\Mail");
        app.WriteProfileString("Paths", "MailBoxName", "MailBox");
        EXPECT_STREQ(app.GetMailBoxFolder(), "C:\\Mail\\MailBox");
        EXPECT_STREQ(app.m_strMailBoxNameOverride, "MailBox");
    }
    {
        PathsApp app(dir.File("CVM.ini"));
        app.m_strMailBoxPathOverride = "D:\\From\\Switch";
        app.m_strMailBoxNameOverride = "Box";
        EXPECT_STREQ(app.GetMailBoxFolder(), "D:\\From\\Switch\\Box");
    }
    {
        PathsApp app(dir.File("CVM.ini"));
        app.WriteProfileString("Paths", "MailBoxPath", "*:\\Portable\\Mail");
        app.WriteProfileString("Paths", "MailBoxName", "Box");
        EXPECT_STREQ(app.GetMailBoxFolder(), ProgramDrive() + "\\Portable\\Mail\\Box");
    }
}

TEST(MailBoxPaths, FilesBoxFoldersAndOverrides)
{
    TempDir dir;
    PathsApp app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    CString box = dir.Path() + "\\MailBox";

    struct Case { CString actual; const char* name; };
    const Case files[] = {
        {app.GetKeywordListPath(), "KeywordList.dat"}, {app.GetTaskListPath(), "TaskList.dat"},
        {app.GetFilterRulePath(FALSE), "Divideup.dat"}, {app.GetFilterRulePath(TRUE), "DivideupS.dat"},
        {app.GetNotifyPath(), "Notify.dat"}, {app.GetShortCutTemplatePath(), "ShortCutTemplate.dat"},
        {app.GetAutoSignPath(), "AutoSign.dat"}, {app.GetKeyFilePath(0), "MainWnd.key"},
        {app.GetKeyFilePath(1), "Viewer.key"}, {app.GetKeyFilePath(2), "Editor.key"},
        {app.GetAccountFilePath(), "Account.dat"}, {app.GetRouteFilePath(), "RouteSet.dat"},
        {app.GetFolderDataPath(), "Folder.dat"}, {app.GetDownloadLogPath(), "$$Download.Log"},
        {app.GetReceiveLogPath(), "$$Receive.Log"}, {app.GetLogFilePath(), "$$CVM.Log"},
    };
    for (const Case& c : files) {
        EXPECT_STREQ(c.actual, box + "\\" + c.name);
        EXPECT_FALSE(TestSupport::FileExists(c.actual)) << c.name << " is not created here";
    }
    const Case folders[] = {
        {app.GetTemplateBoxPath(), "Template.Box"}, {app.GetProfileBoxPath(), "Profile.Box"},
        {app.GetAddressBoxPath(), "Address.Box"}, {app.GetSignatureBoxPath(), "Signature.Box"},
        {app.GetDivideupBoxPath(), "Divideup.Box"}, {app.GetFoldersPath(), "Folders"},
    };
    for (const Case& c : folders) {
        EXPECT_STREQ(c.actual, box + "\\" + c.name);
        EXPECT_TRUE(TestSupport::FileExists(c.actual)) << c.name << " is created on demand";
    }
    EXPECT_STREQ(app.GetTemplateFilePath("返信.txt"), box + "\\Template.Box\\返信.txt");

    app.m_strAccountFileOverride = "C:\\other\\Acc.dat";
    app.m_strRouteFileOverride = "C:\\other\\Route.dat";
    app.m_strAddressBoxOverride = dir.File("Addr");
    app.WriteProfileString("Paths", "LogFilePath", "C:\\logs\\cvm.log");
    EXPECT_STREQ(app.GetAccountFilePath(), "C:\\other\\Acc.dat");
    EXPECT_STREQ(app.GetRouteFilePath(), "C:\\other\\Route.dat");
    EXPECT_STREQ(app.GetAddressBoxPath(), dir.File("Addr"));
    EXPECT_STREQ(app.GetLogFilePath(), "C:\\logs\\cvm.log");
}

TEST(MailBoxPaths, DownloadLogAppends)
{
    TempDir dir;
    PathsApp app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    CreateDirectoryA(dir.File("MailBox"), nullptr);
    ASSERT_TRUE(app.AppendDownloadLog("one\r\n"));
    ASSERT_TRUE(app.AppendDownloadLog("二\r\n"));
    EXPECT_EQ(TestSupport::ReadFileBytes(app.GetDownloadLogPath()), "one\r\n二\r\n");
    EXPECT_TRUE(app.DeleteDownloadLog());
    EXPECT_FALSE(TestSupport::FileExists(app.GetDownloadLogPath()));
}

TEST(MailBoxPaths, WorkFoldersFollowTheTemporaryFolderSetting)
{
    TempDir dir;
    PathsApp app(dir.File("CVM.ini"));
    app.m_strMailBoxPathOverride = dir.Path();
    app.m_strMailBoxNameOverride = "MailBox";
    const struct { int kind; const char* dir; } folders[] = {
        {1, "In.Box"}, {2, "Out.Box"}, {3, "Writing.Box"}, {5, "Send.Box"}};
    for (const auto& f : folders) {
        CFolderRecord r;
        r.m_nId = f.kind;
        r.m_nKind = f.kind;
        r.m_strPath = dir.Path() + "\\MailBox\\" + f.dir;
        CreateDirectoryA(dir.File("MailBox"), nullptr);
        CreateDirectoryA(r.m_strPath, nullptr);
        app.AddFolder(0, 0, nullptr, r);
    }

    // Without the setting: the folders' own directories.
    EXPECT_STREQ(app.GetInboxWorkPath(), dir.Path() + "\\MailBox\\In.Box");
    EXPECT_STREQ(app.GetSentWorkPath(), dir.Path() + "\\MailBox\\Send.Box");

    // With it: named boxes under that folder, created when asked for.
    CString temp = dir.File("Work");
    app.WriteProfileString("Paths", "TempFolderPath", temp);
    struct Case { CString actual; const char* box; };
    const Case cases[] = {{app.GetInboxWorkPath(), "In.Box"}, {app.GetOutboxWorkPath(), "Out.Box"},
                          {app.GetDraftsWorkPath(), "Writing.Box"}, {app.GetSentWorkPath(), "Send.Box"}};
    for (const Case& c : cases) {
        EXPECT_STREQ(c.actual, temp + "\\" + c.box);
        EXPECT_TRUE(TestSupport::FileExists(c.actual)) << c.box;
    }
    EXPECT_STREQ(app.GetSendTempPath(), dir.Path() + "\\MailBox\\Out.Box\\Temp");
    EXPECT_TRUE(TestSupport::FileExists(app.GetSendTempPath()));
    EXPECT_STREQ(app.GetDownloadDataPath(), dir.Path() + "\\MailBox\\DownloadData");
}
