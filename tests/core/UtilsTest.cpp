// Shared utilities: key and command texts, error texts, marker texts and
// string copies, registry clean-up, the memory write file, the log writer and
// the account combo boxes.
#include "core/AccountCombo.h"
#include "core/AccountDataSet.h"
#include "core/CommandText.h"
#include "core/FontUtil.h"
#include "core/LogWriter.h"
#include "core/MemoryWriteFile.h"
#include "core/MiscUtil.h"
#include "core/QuendalApp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <regex>

using TestSupport::TempDir;

namespace {

struct UtilsApp : CQuendalApp
{
    explicit UtilsApp(const CString& ini) { SetProfileFileMode(ini); }
    ~UtilsApp() override { m_bFileMode = 0; }
};

} // namespace

TEST(KeyTexts, PrefixesInAltCtrlShiftOrderThenTheKeyName)
{
    struct Case
    {
        WORD key;
        BYTE flags;
        const char* text;
    } cases[] = {
        { 'A', 0x1C, "Alt+Ctrl+Shift+A" },
        { 0xFF, 0, "ICON" },
        { 0x26, FCONTROL, "Ctrl+↑" },
        { 0x25, FALT, "Alt+←" },
        { 0x7B, FSHIFT, "Shift+F12" },
        { 0x0D, 0, "Enter" },
        { 0x22, FCONTROL | FSHIFT, "Ctrl+Shift+PageDown" },
        { '0', FALT, "Alt+0" },
        { 0x20, 0, "Space" },
        { 0x07, FALT | FCONTROL, "Alt+Ctrl+" },  // not in the table: prefixes alone
        { 0x70, FVIRTKEY, "F1" },                // other flag bits add nothing
    };
    for (const Case& c : cases)
        EXPECT_STREQ(FormatHotKeyText(c.key, c.flags), c.text) << c.key;
}

TEST(KeyTexts, AcceleratorTableLookup)
{
    ACCEL table[] = {
        { FVIRTKEY | FCONTROL, 'R', 32773 },
        { FVIRTKEY, 0x74, 32787 },
        { FVIRTKEY | FSHIFT, 0x74, 32787 },  // a later entry of the same command is not used
    };
    EXPECT_STREQ(GetCommandKeyText(table, 32773, 3), "Ctrl+R");
    EXPECT_STREQ(GetCommandKeyText(table, 32787, 3), "F5");
    EXPECT_STREQ(GetCommandKeyText(table, 33058, 3), "F5");  // searched as 32787
    EXPECT_STREQ(GetCommandKeyText(table, 40001, 3), "");
    EXPECT_STREQ(GetCommandKeyText(table, 32787, 1), "");  // beyond the count
    EXPECT_STREQ(GetCommandKeyText(nullptr, 32773, 3), "");
}

TEST(ErrorTexts, FileCausesAndSystemCodes)
{
    EXPECT_STREQ(GetFileErrorText(0), "エラーなし");
    EXPECT_STREQ(GetFileErrorText(5), "ファイル アクセス禁止");
    EXPECT_STREQ(GetFileErrorText(13), "ディスク フル");
    EXPECT_STREQ(GetFileErrorText(14), "ファイルの終わりに到達");
    EXPECT_STREQ(GetFileErrorText(15), "");
    EXPECT_STREQ(GetFileErrorText(-1), "");
    EXPECT_FALSE(GetSystemErrorText(ERROR_FILE_NOT_FOUND).IsEmpty());
    EXPECT_STREQ(GetSystemErrorText(0x2000FFFF), "");
}

TEST(StringHelpers, MarkerTextsFolderNamesAndCaseCopies)
{
    struct Case
    {
        const char* text;
        const char* inner;
    } cases[] = {
        { "%GL$ラベル$%", "ラベル" },
        { "%GL$x$%", "x" },
        { "%GL$$%", "" },  // exactly six characters
        { "%GL$abc", "" }, // no suffix
        { "GL$abc$%", "" },
        { "", "" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(UnwrapMarkerText(c.text), c.inner) << c.text;
    EXPECT_STREQ(UnwrapMarkerText(nullptr), "");

    EXPECT_TRUE(IsMailFolderDirName("QM00012"));
    EXPECT_TRUE(IsMailFolderDirName("qm1"));
    EXPECT_TRUE(IsMailFolderDirName("Qm"));
    EXPECT_FALSE(IsMailFolderDirName("Q"));
    EXPECT_FALSE(IsMailFolderDirName("Attach"));
    EXPECT_FALSE(IsMailFolderDirName(nullptr));

    // "ア" is 0x83 0x41: its second byte must stay an 'A'.
    EXPECT_STREQ(GetLowerString("アBc"), "アbc");
    EXPECT_STREQ(GetUpperString("アbC"), "アBC");
    EXPECT_STREQ(GetUpperString(nullptr), "");
}

TEST(StringHelpers, ProgramFilePathIsBesideTheProgram)
{
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof(module));
    CString expected(module);
    expected = expected.Left(expected.ReverseFind('\\') + 1) + "CharSet.dat";
    EXPECT_STREQ(GetProgramFilePath("CharSet.dat"), expected);
}

TEST(VersionTexts, FixedVersionBlockOfAFile)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    WORD major = 0, minor = 0, build = 0, revision = 0;
    EXPECT_TRUE(GetFileVersionNumbers(CString(system) + "\\kernel32.dll", major, minor, build, revision));
    EXPECT_GT(major, 0);

    TempDir dir;
    TestSupport::WriteFileBytes(dir.File("plain.txt"), "no version here");
    EXPECT_FALSE(GetFileVersionNumbers(dir.File("plain.txt"), major, minor, build, revision));
    EXPECT_FALSE(GetFileVersionNumbers(dir.File("missing.dll"), major, minor, build, revision));
}

TEST(Fonts, FaceNamesAndScriptNames)
{
    CStringArray faces;
    EnumFontFaceNames(faces);
    EXPECT_GT(faces.GetSize(), 0);
    HDC screen = GetDC(nullptr);
    BuildCharSetScriptMap(screen);
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(GetCharSetScriptName(ANSI_CHARSET).IsEmpty());
    EXPECT_STREQ(GetCharSetScriptName(0x7F), "");
}

namespace {

const char kTestKey[] = "Software\\Hollowpine\\CorvaneMailUtilsTest";

void MakeEntry(const char* name, const char* application)
{
    HKEY hKey;
    CString path;
    path.Format("%s\\UnreadMail\\%s", kTestKey, name);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    if (application)
        RegSetValueExA(hKey, "Application", 0, REG_SZ, reinterpret_cast<const BYTE*>(application),
                       static_cast<DWORD>(strlen(application) + 1));
    RegCloseKey(hKey);
}

std::vector<std::string> Entries()
{
    std::vector<std::string> names;
    HKEY hKey;
    CString path;
    path.Format("%s\\UnreadMail", kTestKey);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD cch = sizeof(name);
        if (RegEnumKeyExA(hKey, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(hKey);
    return names;
}

} // namespace

TEST(RegistryCleanUp, OnlyThisProgramsEntriesGo)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    MakeEntry("a@example.jp", "Corvane Mail");
    MakeEntry("b@example.jp", "Corvane Mail Companion");  // another program whose name contains ours
    MakeEntry("c@example.jp", nullptr);                  // no value to read
    MakeEntry("d@example.jp", "CORVANE MAIL");
    MakeEntry("e@example.jp", "Other Mailer");
    MakeEntry("f@example.jp", "Corvane Mail");

    EXPECT_TRUE(DeleteRegistrySubKeys(HKEY_CURRENT_USER, CString(kTestKey) + "/UnreadMail", TRUE, "Application",
                                      "Corvane Mail"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{ "b@example.jp", "c@example.jp", "e@example.jp" }));

    EXPECT_TRUE(DeleteRegistrySubKeys(HKEY_CURRENT_USER, CString(kTestKey) + "\\UnreadMail", FALSE, nullptr, nullptr));
    EXPECT_TRUE(Entries().empty());
    // A path that does not exist is no failure.
    EXPECT_TRUE(DeleteRegistrySubKeys(HKEY_CURRENT_USER, CString(kTestKey) + "\\Missing", TRUE, "Application", "x"));
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
}

TEST(MemoryWriteFile, MeasuresThenFillsAndNeverWritesPastTheBuffer)
{
    auto writeMail = [](CFile& file) {
        file.Write("Subject: test\r\n", 15);
        file.Write("\r\nbody\r\n", 8);
    };
    CMemoryWriteFile measure;
    measure.Open("mail", 0);
    writeMail(measure);
    ASSERT_EQ(measure.GetLength(), 23u);

    std::string buffer(23, '\0');
    CMemoryWriteFile fill(reinterpret_cast<BYTE*>(&buffer[0]), 23);
    fill.Open("mail", 0);
    writeMail(fill);
    EXPECT_EQ(buffer, "Subject: test\r\n\r\nbody\r\n");

    std::string small(20, '#');
    CMemoryWriteFile tooSmall(reinterpret_cast<BYTE*>(&small[0]), 16);
    tooSmall.Open("mail", 0);
    tooSmall.Write("Subject: test\r\n", 15);
    try {
        tooSmall.Write("\r\nbody\r\n", 8);
        ADD_FAILURE() << "a write past the buffer must fail";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
    }
    EXPECT_EQ(small.substr(15), "#####") << "nothing may be written past the buffer's end";
    char ignored[4];
    EXPECT_EQ(fill.Read(ignored, 4), 4u);
}

TEST(LogWriter, AppendsStampedLinesWhenLoggingIsOn)
{
    TempDir dir;
    UtilsApp app(dir.File("CVM.ini"));
    CString log = dir.File("$$CVM.Log");
    app.WriteProfileString("Paths", "LogFilePath", log);

    app.m_bCommLog = FALSE;
    WriteLog("not written\r\n");
    EXPECT_FALSE(TestSupport::FileExists(log));
    WriteLog("forced\r\n", TRUE);
    app.m_bCommLog = TRUE;
    WriteLog("PASS *********\r\n");
    WriteLogLine("+OK");
    WriteLogTime();
    app.m_bCommLog = FALSE;
    WriteLogLine("stamped lines ignore the switch");

    std::string text = TestSupport::ReadFileBytes(log);
    std::regex expected("forced\r\nPASS \\*{9}\r\n[0-2][0-9]:[0-5][0-9]:[0-5][0-9]:\\+OK\r\n"
                        "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\r\n\r\n"
                        "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]:stamped lines ignore the switch\r\n");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;

    // A log that cannot be opened (here a folder) is skipped without a word.
    app.WriteProfileString("Paths", "LogFilePath", dir.Path());
    TestSupport::ClearMessages();
    WriteLog("lost\r\n", TRUE);
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
}

TEST(AccountCombos, NamesAndDistinctAddressesInTableOrder)
{
    TempDir dir;
    UtilsApp app(dir.File("CVM.ini"));
    app.m_strAccountFileOverride = dir.File("Account.dat");
    struct
    {
        const char* name;
        const char* address;
    } accounts[] = {
        { "会社", "taro@example.co.jp" },
        { "自宅", "Taro@Example.co.jp" },    // same address in other letter case
        { "旧", "taro@example.co" },         // the beginning of an address already added
        { "趣味", "hobby@example.jp" },
    };
    {
        CAccountDataSet set;
        set.SetFilePath(app.GetAccountFilePath());
        for (const auto& a : accounts) {
            auto* record = static_cast<CAccountData*>(set.CreateNewRecord());  // added to the set
            record->SetAccountName(a.name);
            record->SetMailAddress(a.address);
        }
            ASSERT_TRUE(set.WriteToFile());
        }
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 200, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(combo);
    auto items = [combo]() {
        std::vector<std::string> texts;
        int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[256];
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    };
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
    FillAccountNameCombo(combo);
    EXPECT_EQ(items(), (std::vector<std::string>{ "会社", "自宅", "旧", "趣味" }));
    AddAccountNamesToCombo(combo);
    EXPECT_EQ(items().size(), 8u);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    FillAccountAddressCombo(combo);
    EXPECT_EQ(items(), (std::vector<std::string>{ "taro@example.co.jp", "hobby@example.jp" }));
    DestroyWindow(combo);
}
