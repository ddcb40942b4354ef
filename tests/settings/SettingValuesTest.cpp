// Settings keys: one default per key for every reader, and a settings dialog
// writes only what the user changed.
#include "core/MailApp.h"
#include "core/SettingDefaults.h"
#include "settings/DlgBasicSetting.h"
#include "settings/SettingPageTables.h"
#include "settings/SettingValues.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::TempDir;

namespace {

struct FileModeApp : CMailApp
{
    explicit FileModeApp(const CString& path)
    {
        SetProfileFileMode(path);
        LoadProfileFile(path);
    }
    ~FileModeApp() override { m_bFileMode = 0; }
};

CSettingValues LoadAll(CMailApp& app)
{
    CSettingValues values;
    for (SettingDialogKind kind : { SettingDialogKind::basic, SettingDialogKind::editor, SettingDialogKind::view }) {
        int count = 0;
        const SettingPageTable* pages = GetSettingPages(kind, &count);
        for (int i = 0; i < count; ++i)
            values.Load(app, pages[i].pTable, pages[i].nCount);
    }
    return values;
}

const char kIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nFormatDate=\"%y-%m\"\r\nReadNotifyTo=dword:2\r\n\r\n"
                    "[ViewOption]\r\nSingleClickAction=dword:1\r\n\r\n";

} // namespace

TEST(SettingDefaults, KeysTheReadersDisagreedOnHaveOneDefault)
{
    TempDir dir;
    FileModeApp app(dir.File("none.ini"));
    EXPECT_EQ(GetSettingInt(app, "Setting", "HtmlAlwaysUseEditor"), 0);
    EXPECT_EQ(GetSettingInt(app, "EditWindow", "AddressMakeupType"), 0);
    EXPECT_STREQ(GetSettingText(app, "Setting", "FormatDate"), "%Y/%m/%d");
    EXPECT_STREQ(GetSettingText(app, "Setting", "FormatTime"), "%H:%M:%S");
    EXPECT_STREQ(GetSettingText(app, "EditWindow", "HtmlEditorTempFileExt"), "html");
    EXPECT_EQ(GetSettingInt(app, "Setting", "EditorTabSize"), 1);
    // A colour that defaults to another key's stored value.
    app.WriteProfileInt("Color", "ListTextColor", 0x123456);
    EXPECT_EQ(GetSettingInt(app, "Color", "ListTextColorNoRead"), 0x123456);
    EXPECT_EQ(GetSettingInt(app, "Color", "ListBkColor"), static_cast<int>(RGB(166, 188, 246)));
    app.WriteProfileInt("Setting", "HtmlAlwaysUseEditor", 1);
    EXPECT_EQ(GetSettingInt(app, "Setting", "HtmlAlwaysUseEditor"), 1);
}

TEST(SettingDefaults, EveryKeyADialogShowsHasADefaultInTheTable)
{
    for (SettingDialogKind kind : { SettingDialogKind::basic, SettingDialogKind::editor, SettingDialogKind::view }) {
        int count = 0;
        const SettingPageTable* pages = GetSettingPages(kind, &count);
        for (int p = 0; p < count; ++p) {
            for (int i = 0; i < pages[p].nCount; ++i) {
                const SettingBinding& b = pages[p].pTable[i];
                if (b.pszSection && lstrcmpA(b.pszKey, "LogFilePath") != 0) {
                    EXPECT_NE(FindSettingDefault(b.pszSection, b.pszKey), nullptr) << b.pszSection << "/" << b.pszKey;
                }
            }
        }
    }
}

TEST(SettingValues, UntouchedValuesWriteNothingAndTheFileStaysByteIdentical)
{
    TempDir dir;
    CString path = dir.File("CVM.ini");
    TestSupport::WriteFileBytes(path, kIni);
    {
        FileModeApp app(path);
        CSettingValues values = LoadAll(app);
        EXPECT_EQ(values.Save(app), 0);
        ASSERT_TRUE(app.SaveProfileFile());
    }
    EXPECT_EQ(TestSupport::ReadFileBytes(path), kIni);
}

TEST(SettingValues, OnlyTheChangedKeysAreWritten)
{
    TempDir dir;
    CString path = dir.File("CVM.ini");
    TestSupport::WriteFileBytes(path, kIni);
    {
        FileModeApp app(path);
        CSettingValues values = LoadAll(app);
        EXPECT_STREQ(values.Text("FormatDate"), "%y-%m");
        EXPECT_EQ(values.Int("HtmlAlwaysUseEditor"), 0);
        values.Int("HtmlAlwaysUseEditor") = 1;
        values.Text("FormatTime") = "%H";
        values.Int("ReadNotifyTo") = 2;  // set back to what it was
        EXPECT_EQ(values.Save(app), 2);
        ASSERT_TRUE(app.SaveProfileFile());
    }
    EXPECT_EQ(TestSupport::ReadFileBytes(path),
              "[Setting]\r\nMailBoxPassword=\"x\"\r\nFormatDate=\"%y-%m\"\r\nReadNotifyTo=dword:2\r\n"
              "FormatTime=\"%H\"\r\nHtmlAlwaysUseEditor=dword:1\r\n\r\n[ViewOption]\r\nSingleClickAction=dword:1\r\n\r\n");
}

TEST(SettingValues, RadioButtonsStandForStoredValues)
{
    const int inverted[] = { 1, 0 };
    SettingBinding plain = { "Setting", "K", SettingBinding::kRadio, 100, 3, nullptr };
    SettingBinding click = { "ViewOption", "SingleClickAction", SettingBinding::kRadio, 100, 2, inverted };
    struct Case
    {
        const SettingBinding* b;
        int stored, button;
    } cases[] = {
        { &plain, 0, 0 }, { &plain, 2, 2 }, { &plain, 3, -1 }, { &plain, -1, -1 },
        { &click, 1, 0 },  // "シングルクリック" is stored as 1
        { &click, 0, 1 }, { &click, 2, -1 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CSettingValues::RadioIndexOf(*c.b, c.stored), c.button) << c.b->pszKey << " " << c.stored;
        if (c.button >= 0) {
            EXPECT_EQ(CSettingValues::RadioValueOf(*c.b, c.button), c.stored);
        }
    }
}

TEST(SettingValues, HeaderChoiceIsOneGroupOverTwoKeys)
{
    struct Case
    {
        int mini, all, mode;
    } cases[] = { { 1, 0, 0 }, { 0, 0, 1 }, { 0, 1, 2 }, { 1, 1, -1 }, { 2, 0, -1 } };
    for (const Case& c : cases) {
        EXPECT_EQ(HeaderModeFromPair(c.mini, c.all), c.mode) << c.mini << "," << c.all;
        if (c.mode >= 0) {
            int mini = 9, all = 9;
            PairFromHeaderMode(c.mode, mini, all);
            EXPECT_EQ(mini, c.mini);
            EXPECT_EQ(all, c.all);
        }
    }
    int mini = 1, all = 1;
    PairFromHeaderMode(-1, mini, all);
    EXPECT_EQ(mini * 10 + all, 11) << "no choice leaves both keys";
}

TEST(MailBoxPasswordChange, CurrentPasswordMustBeKnownAndTheNewOneConfirmed)
{
    struct Case
    {
        const char *stored, *current, *newPassword, *confirm;
        int result;
    } cases[] = {
        { "old", "", "old", "old", 0 },         // untouched
        { "old", "old", "new", "new", 0 },      // changed with the right current one
        { "old", "bad", "new", "new", 1 },      // wrong current password, even though confirmed
        { "old", "", "new", "new", 1 },
        { "old", "old", "new", "nwe", 2 },
        { "", "", "", "", 0 },
        { "", "", "first", "first", 0 },        // no password yet: nothing to know
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckMailBoxPasswordChange(c.stored, c.current, c.newPassword, c.confirm), c.result)
            << c.stored << "/" << c.current << "/" << c.newPassword << "/" << c.confirm;
}
