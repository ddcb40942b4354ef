// The tabbed settings dialogs, run modally and driven from a second thread:
// OK writes what the user changed and nothing else; Cancel writes nothing.
#include "coreui/UiTestSupport.h"
#include "core/PasswordScrambler.h"
#include "core/SoundPlayer.h"
#include "resources/keys/KeysResource.h"
#include "resources/settings/SettingsResource.h"
#include "settings/FileChooser.h"
#include "settings/DlgBasicSetting.h"
#include "settings/DlgEditorSetting.h"
#include "settings/DlgViewSetting.h"
#include "settings/InternetZoneList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace UiTest;
using TestSupport::TempDir;

namespace {

// IEZone 77 is a zone no zone list holds.
const char kIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\nReadNotifyTo=dword:1\r\n\r\n"
                    "[ViewOption]\r\nIEZone=dword:77\r\n\r\n";

HWND PageOf(CTabbedSettingDialog& dlg, int index)
{
    return dlg.m_tab.GetPage(index)->m_hWnd;
}

void ClickRadio(HWND page, int id)
{
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

class SettingDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kIni);
        TestSupport::ClearMessages();
    }
    std::string Ini() const { return TestSupport::ReadFileBytes(m_dir.File("CVM.ini")); }
    TempDir m_dir;
};

} // namespace

TEST_F(SettingDialogTest, OkOnUntouchedDialogsLeavesTheSettingsFileByteIdentical)
{
    struct Run
    {
        const char* caption;
        int pages;
    } runs[] = { { "コルヴェイン・メールの基本設定", 5 }, { "メールエディタの設定", 3 }, { "メール本文欄の設定", 2 } };
    for (const Run& r : runs) {
        App app(m_dir.File("CVM.ini"));
        app.LoadProfileFile(m_dir.File("CVM.ini"));
        std::unique_ptr<CTabbedSettingDialog> dlg;
        if (r.pages == 5)
            dlg.reset(new CDlgBasicSetting(app));
        else if (r.pages == 3)
            dlg.reset(new CDlgEditorSetting(app));
        else
            dlg.reset(new CDlgViewSetting(app));
        int shownPages = 0;
        INT_PTR result = RunModal(*dlg, r.caption, [&](HWND hDlg) {
            if (!hDlg)
                return;
            shownPages = dlg->m_tab.GetPageCount();
            // Every page shown once, as a user leafing through them would.
            for (int i = 0; i < shownPages; ++i)
                dlg->m_tab.SelectPage(i);
            Click(hDlg, IDOK);
        });
        EXPECT_EQ(result, IDOK) << r.caption;
        EXPECT_EQ(shownPages, r.pages) << r.caption;
        ASSERT_TRUE(app.SaveProfileFile());
        EXPECT_EQ(Ini(), kIni) << r.caption;
        EXPECT_TRUE(TestSupport::RecordedMessages().empty()) << r.caption;
    }
}

TEST_F(SettingDialogTest, BasicSettingsWriteTheValuesShownWhenChanged)
{
    App app(m_dir.File("CVM.ini"));
    app.LoadProfileFile(m_dir.File("CVM.ini"));
    CDlgBasicSetting dlg(app);
    struct Seen
    {
        int readNotify = -1;
        CString formatDate;
    } seen;
    INT_PTR result = RunModal(dlg, "コルヴェイン・メールの基本設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        HWND view = PageOf(dlg, 0);
        char text[64] = "";
        GetDlgItemTextA(view, IDC_SET_FORMAT_DATE, text, sizeof(text));
        seen.formatDate = text;
        ClickRadio(view, IDC_SET_LIST_ADDRESS_TYPE_3);
        SendMessageA(GetDlgItem(view, IDC_SET_DISPLAY_PRIORITY), BM_CLICK, 0, 0);
        dlg.m_tab.SelectPage(2);
        HWND etc = PageOf(dlg, 2);
        for (int i = 0; i < 3; ++i) {
            if (IsDlgButtonChecked(etc, IDC_SET_READ_NOTIFY_TO + i) == BST_CHECKED)
                seen.readNotify = i;
        }
        SetDlgItemTextA(etc, IDC_SET_CVM_RECEIVE_LOG_COUNT, "250");
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(seen.formatDate, "%Y/%m/%d") << "the shared default is shown";
    EXPECT_EQ(seen.readNotify, 1);
    ASSERT_TRUE(app.SaveProfileFile());
    EXPECT_EQ(Ini(), "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\nReadNotifyTo=dword:1\r\n"
                     "ListAddressType=dword:3\r\nDisplayPriority=dword:0\r\nCVMReceiveLogCount=dword:250\r\n\r\n"
                     "[ViewOption]\r\nIEZone=dword:77\r\n\r\n");
}

TEST_F(SettingDialogTest, CancelWritesNothingAndAWrongPasswordKeepsTheDialogOpen)
{
    App app(m_dir.File("CVM.ini"));
    app.LoadProfileFile(m_dir.File("CVM.ini"));
    CDlgBasicSetting dlg(app);
    bool openAfterRefusal = false;
    int pageAfterRefusal = -1;
    INT_PTR result = RunModal(dlg, "コルヴェイン・メールの基本設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        dlg.m_tab.SelectPage(1);
        HWND option = PageOf(dlg, 1);
        SetDlgItemTextA(option, IDC_SET_PW_CURRENT, "wrong");
        SetDlgItemTextA(option, IDC_SET_PW_NEW, "new");
        SetDlgItemTextA(option, IDC_SET_PW_CONFIRM, "new");
        dlg.m_tab.SelectPage(0);
        Click(hDlg, IDOK);
        openAfterRefusal = IsWindowVisible(hDlg) != FALSE;
        pageAfterRefusal = dlg.m_tab.GetCurrentIndex();
        Click(hDlg, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(pageAfterRefusal, 1) << "the password page is shown";
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0], "現在のパスワードが間違っています。");
    ASSERT_TRUE(app.SaveProfileFile());
    EXPECT_EQ(Ini(), kIni);
}

TEST_F(SettingDialogTest, NewPasswordIsStoredScrambledAndPagesKeepTypedValues)
{
    App app(m_dir.File("CVM.ini"));
    app.LoadProfileFile(m_dir.File("CVM.ini"));
    app.WriteProfileString("Setting", "MailBoxPassword", CPasswordScrambler().Scramble("old"));
    CDlgBasicSetting dlg(app);
    CString keptOnLeaving;
    INT_PTR result = RunModal(dlg, "コルヴェイン・メールの基本設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        dlg.m_tab.SelectPage(1);
        HWND option = PageOf(dlg, 1);
        SetDlgItemTextA(option, IDC_SET_PW_CURRENT, "old");
        SetDlgItemTextA(option, IDC_SET_PW_NEW, "zz9");
        SetDlgItemTextA(option, IDC_SET_PW_CONFIRM, "zz9");
        SetDlgItemTextA(option, IDC_SET_MAIL_HISTORY_COUNT, "12");
        // Away and back (with the keys as a user would press them).
        dlg.m_tab.SelectNext(1);
        dlg.m_tab.SelectNext(0);
        char text[32] = "";
        GetDlgItemTextA(option, IDC_SET_MAIL_HISTORY_COUNT, text, sizeof(text));
        keptOnLeaving = text;
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(keptOnLeaving, "12");
    CString stored = app.GetProfileString("Setting", "MailBoxPassword", "");
    EXPECT_NE(stored, CString("zz9"));
    EXPECT_STREQ(CPasswordScrambler().Unscramble(stored), "zz9");
    EXPECT_EQ(app.GetProfileInt("Setting", "MailHistoryCount", 0), 12);
}

TEST(PageTabCtrl, OutOfRangeIndexesShowTheFirstPageAndStepsWrap)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    CDlgEditorSetting dlg(app);
    struct Step
    {
        const char* what;
        int (*act)(CPageTabCtrl&);
        int expected;
    } steps[] = {
        { "index -1", [](CPageTabCtrl& t) { return t.SelectPage(-1); }, 0 },
        { "index = count", [](CPageTabCtrl& t) { t.SelectPage(1); return t.SelectPage(t.GetPageCount()); }, 0 },
        { "back from the first", [](CPageTabCtrl& t) { t.SelectPage(0); return t.SelectNext(0); }, 2 },
        { "on from the last", [](CPageTabCtrl& t) { t.SelectPage(2); return t.SelectNext(1); }, 0 },
    };
    std::vector<int> shown;
    std::vector<int> visible;
    RunModal(dlg, "メールエディタの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        for (const Step& s : steps) {
            s.act(dlg.m_tab);
            shown.push_back(dlg.m_tab.GetCurrentIndex());
            int count = 0;
            for (int i = 0; i < dlg.m_tab.GetPageCount(); ++i)
                count += IsWindowVisible(PageOf(dlg, i)) ? 1 : 0;
            visible.push_back(count);
        }
        Click(hDlg, IDCANCEL);
    });
    ASSERT_EQ(shown.size(), 4u);
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i], steps[i].expected) << steps[i].what;
        EXPECT_EQ(visible[i], 1) << steps[i].what;
    }
}

namespace {

// A sound that plays until it is stopped.
MCIERROR WINAPI EndlessSound(LPCSTR pszCommand, LPSTR pszReturn, UINT cchReturn, HWND)
{
    const char* answer = strstr(pszCommand, "length") ? "100000" : strstr(pszCommand, "position") ? "5" : "";
    if (pszReturn && cchReturn)
        lstrcpynA(pszReturn, answer, static_cast<int>(cchReturn));
    return 0;
}

CString ButtonText(HWND page)
{
    char text[32] = "";
    GetDlgItemTextA(page, IDC_SET_SOUND_PLAY, text, sizeof(text));
    return CString(text);
}

} // namespace

TEST_F(SettingDialogTest, SoundTestPlaysUntilStoppedAndDoesNothingWithoutAFile)
{
    CSoundPlayer::MciSendStringFn old = CSoundPlayer::SetMciSendString(EndlessSound);
    App app(m_dir.File("CVM.ini"));
    app.LoadProfileFile(m_dir.File("CVM.ini"));
    CDlgBasicSetting dlg(app);
    std::vector<CString> texts;
    RunModal(dlg, "コルヴェイン・メールの基本設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        dlg.m_tab.SelectPage(1);
        HWND page = PageOf(dlg, 1);
        Click(page, IDC_SET_SOUND_PLAY);
        texts.push_back(ButtonText(page));  // no file: nothing starts
        SetDlgItemTextA(page, IDC_SET_REC_NOTIFY_SOUND_PATH, m_dir.File("ring.wav"));
        Click(page, IDC_SET_SOUND_PLAY);
        Sleep(300);
        texts.push_back(ButtonText(page));
        Click(page, IDC_SET_SOUND_PLAY);
        for (int i = 0; i < 100 && ButtonText(page) != "再生"; ++i)
            Sleep(50);
        texts.push_back(ButtonText(page));
        Click(hDlg, IDCANCEL);
    });
    CSoundPlayer::SetMciSendString(old);
    EXPECT_EQ(texts, (std::vector<CString>{ "再生", "中止", "再生" }));
}

// The option page's "位置指定" opens the notification window's position
// dialog, whose OK stores its values at once.
TEST_F(SettingDialogTest, PositionButtonOpensTheNotificationPositionDialog)
{
    App app(m_dir.File("CVM.ini"));
    app.LoadProfileFile(m_dir.File("CVM.ini"));
    CDlgBasicSetting dlg(app);
    const DWORD self = GetCurrentThreadId();
    bool shown = false;
    RunModal(dlg, "コルヴェイン・メールの基本設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        dlg.m_tab.SelectPage(1);
        HWND page = PageOf(dlg, 1);
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SET_NOTIFY_POS, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SET_NOTIFY_POS)));
        HWND position = WaitForDialog(self, "位置設定", 10000);
        shown = position != nullptr;
        if (position) {
            SetDlgItemTextA(position, IDC_NOTIFY_SECONDS, "7");
            Click(position, IDOK);
        }
        Click(hDlg, IDCANCEL);
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(app.GetProfileInt("Window", "NotifyUserWindowOpenTime", 10), 7);
}

TEST_F(SettingDialogTest, SecurityZoneListShowsTheStoredZoneAndKeepsOneItLacks)
{
    InternetZoneLister old = SetInternetZoneLister([] {
        return std::vector<InternetZone>{ { 1, "イントラネット" }, { 3, "インターネット" }, { 4, "制限付きサイト" } };
    });
    struct Case
    {
        const char* ini;
        CString shown;
        int chooseRow;  // -1: untouched
        const char* written;
    } cases[] = {
        { "[ViewOption]\r\nIEZone=dword:4\r\n\r\n", "制限付きサイト", -1, "[ViewOption]\r\nIEZone=dword:4\r\n\r\n" },
        { "[ViewOption]\r\nIEZone=dword:77\r\n\r\n", "インターネット", -1, "[ViewOption]\r\nIEZone=dword:77\r\n\r\n" },
        { "[ViewOption]\r\nIEZone=dword:77\r\n\r\n", "インターネット", 1, "[ViewOption]\r\nIEZone=dword:4\r\n\r\n" },
    };
    for (Case& c : cases) {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), c.ini);
        App app(m_dir.File("CVM.ini"));
        app.LoadProfileFile(m_dir.File("CVM.ini"));
        CDlgViewSetting dlg(app);
        int entries = 0;
        CString shown;
        RunModal(dlg, "メール本文欄の設定", [&](HWND hDlg) {
            if (!hDlg)
                return;
            HWND combo = GetDlgItem(PageOf(dlg, 0), IDC_SET_IE_ZONE);
            entries = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
            char text[64] = "";
            GetWindowTextA(combo, text, sizeof(text));
            shown = text;
            if (c.chooseRow >= 0)
                SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(c.chooseRow), 0);
            Click(hDlg, IDOK);
        });
        EXPECT_EQ(entries, 2) << "zones 0 to 2 are not offered";
        EXPECT_STREQ(shown, c.shown);
        ASSERT_TRUE(app.SaveProfileFile());
        EXPECT_EQ(Ini(), c.written) << c.ini;
    }
    SetInternetZoneLister(old);
}

TEST(FileChooser, FilterPatternsComeFromTheBracketsWithoutBlanks)
{
    struct Case
    {
        const char* shown;
        const char* pattern;
    } const cases[] = {
        { "AVI/WAV/MIDI (*.avi; *.wav; *.mid)", "*.avi;*.wav;*.mid" },
        { "AVIファイル (*.avi)", "*.avi" },
        { "すべて", "*.*" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(FileDialogFilter(c.shown), std::string(c.shown) + '\0' + c.pattern + '\0' + '\0');
    }
}
