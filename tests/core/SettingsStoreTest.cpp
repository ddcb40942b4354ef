#include "core/FileModeApp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

TEST(SettingsFile, WritesSectionsInOrderWithTypedValues)
{
    TempDir dir;
    CString path = dir.File("CVM.ini");
    {
        FileModeApp app(path);
        app.WriteProfileInt("Setting", "NoSplashWindow", 1);
        app.WriteProfileString("Window", "Title", "表示 \"quoted\" \\path");
        app.WriteProfileString("Setting", "Multi", "a\r\nb");
        const BYTE bytes[] = {0x3C, 0x00, 0xFF};
        app.WriteProfileBinary("Window", "Bin", bytes, 3);
        app.WriteProfileString("Setting", "LaterInt", "x");
        app.WriteProfileInt("Setting", "LaterInt", 42);  // keeps its string type
        EXPECT_TRUE(app.SaveProfileFile());
    }
    std::string expected = std::string("[Setting]\r\nNoSplashWindow=dword:1\r\nMulti=\"a") + std::string("\0\r\0\n", 4) +
                           "b\"\r\nLaterInt=\"42\"\r\n\r\n[Window]\r\nTitle=\"表示 \"quoted\" \\path\"\r\nBin=hex:MDAAPP\r\n\r\n";
    EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST(SettingsFile, RoundTripsEveryValueType)
{
    TempDir dir;
    CString path = dir.File("CVM.ini");
    const BYTE bytes[] = {0x00, 0x3C, 0x80, 0xFF};
    {
        FileModeApp app(path);
        app.WriteProfileInt("Setting", "Negative", -5);
        app.WriteProfileString("Paths", "MailBoxPath", "C:\\メール\\ソフト");
        app.WriteProfileString("Setting", "Lines", "one\r\ntwo");
        app.WriteProfileBinary("PlugIn\\Test", "Blob", bytes, 4);
    }  // written at destruction
    FileModeApp app(path);
    EXPECT_EQ(app.GetProfileInt("Setting", "Negative", 0), -5);
    EXPECT_STREQ(app.GetProfileString("Paths", "MailBoxPath"), "C:\\メール\\ソフト");
    EXPECT_STREQ(app.GetProfileString("Setting", "Lines"), "one\r\ntwo");
    BYTE* data = nullptr;
    UINT n = 0;
    ASSERT_TRUE(app.GetProfileBinary("PlugIn\\Test", "Blob", &data, &n));
    ASSERT_EQ(n, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 4), std::string(reinterpret_cast<const char*>(bytes), 4));
    delete[] data;
}

TEST(SettingsFile, EmptyValuesAndMissingEntriesGiveTheDefault)
{
    TempDir dir;
    FileModeApp app(dir.File("CVM.ini"));
    app.WriteProfileString("Setting", "Empty", "");
    EXPECT_STREQ(app.GetProfileString("Setting", "Empty", "def"), "def");
    EXPECT_EQ(app.GetProfileInt("Setting", "Empty", 7), 7);
    EXPECT_EQ(app.GetProfileInt("Setting", "Missing", 3), 3);
    app.WriteProfileInt("Setting", "Case", 1);
    EXPECT_EQ(app.GetProfileInt("setting", "Case", 9), 9);  // names compare exactly
}

TEST(SettingsFile, ReadsDuplicatesHeaderlessEntriesAndTruncatedTails)
{
    TempDir dir;
    CString path = dir.File("CVM.ini");
    WriteFileBytes(path, "Orphan=\"x\"\r\n[S]\r\nA=\"\"\r\nA=\"second\"\r\nN=dword:12abc\r\nH=hex:MDA\r\n\r\nLast=\"tail");
    FileModeApp app(path);
    EXPECT_STREQ(app.GetProfileString("", "Orphan"), "x");
    EXPECT_STREQ(app.GetProfileString("S", "A"), "second");
    EXPECT_EQ(app.GetProfileInt("S", "N", 0), 12);
    BYTE* data = nullptr;
    UINT n = 0;
    ASSERT_TRUE(app.GetProfileBinary("S", "H", &data, &n));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(data[0], 0x3C);
    delete[] data;
    EXPECT_STREQ(app.GetProfileString("S", "Last"), "tail");
    ASSERT_TRUE(app.SaveProfileFile());
    std::string written = ReadFileBytes(path);
    EXPECT_EQ(written.find("Orphan"), std::string::npos);  // the empty section is not written
    EXPECT_NE(written.find("A=\"\"\r\nA=\"second\"\r\n"), std::string::npos);
}

TEST(SettingsFile, UnwritableFileIsReportedAndLeavesTheOldFile)
{
    TempDir dir;
    CString path = dir.File("CVM.ini");
    WriteFileBytes(path, "[S]\r\nA=\"old\"\r\n\r\n");
    FileModeApp app(path);
    app.WriteProfileString("S", "A", "new");
    EXPECT_FALSE(app.SaveProfileFile(dir.File("missing\\CVM.ini")));
    // A locked target: the temporary file can be written but not moved over it.
    HANDLE lock = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(app.SaveProfileFile());
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nA=\"old\"\r\n\r\n");
    EXPECT_FALSE(TestSupport::FileExists(path + ".$$$"));
}

TEST(SettingsRegistry, RoundTripsThroughTheMakersKeyAndExportsToAFile)
{
    CMailApp app;
    ASSERT_FALSE(app.IsProfileFileMode());
    app.WriteProfileString("TestSection", "Text", "日本語");
    app.WriteProfileInt("TestSection", "Number", 1234);
    const BYTE bytes[] = {1, 2, 0xFE};
    app.WriteProfileBinary("TestSection", "Bin", bytes, 3);
    EXPECT_STREQ(app.GetProfileString("TestSection", "Text"), "日本語");
    EXPECT_EQ(app.GetProfileInt("TestSection", "Number", 0), 1234);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Hollowpine\\CorvaneMail\\TestSection", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);

    TempDir dir;
    CString path = dir.File("export.ini");
    ASSERT_TRUE(app.ExportRegistryToProfileFile(path));
    std::string text = ReadFileBytes(path);
    EXPECT_NE(text.find("[TestSection]\r\n"), std::string::npos);
    EXPECT_NE(text.find("Number=dword:1234\r\n"), std::string::npos);
    EXPECT_NE(text.find("Bin=hex:BACAOP\r\n"), std::string::npos);

    // Importing into a file-mode store lands in that store, not the registry.
    FileModeApp fileApp(dir.File("CVM.ini"));
    ASSERT_TRUE(fileApp.ImportProfileFileToRegistry(path));
    EXPECT_STREQ(fileApp.GetProfileString("TestSection", "Text"), "日本語");
    EXPECT_EQ(fileApp.GetProfileInt("TestSection", "Number", 0), 1234);
    app.WriteProfileString("TestSection", nullptr, nullptr);
}

TEST(SettingsStore, LetterPairsEncodeLowNibbleFirst)
{
    const BYTE b = 0x3C;
    EXPECT_STREQ(CMailApp::EncodeHexLetters(&b, 1), "MD");
    CByteArray out;
    CMailApp::DecodeHexLetters("MDA", out);
    ASSERT_EQ(out.GetSize(), 1);
    EXPECT_EQ(out[0], 0x3C);
}

TEST(SettingsStore, WindowsVersionClassUnderWine)
{
    CMailApp app;
    EXPECT_EQ(app.GetOSVersionType(), 4);  // Wine reports 6.1
}
