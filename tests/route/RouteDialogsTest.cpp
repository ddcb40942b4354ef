// The route settings dialog and its time band dialog: the rules behind them
// without a window, then the dialogs driven as a user works them, checked
// against the file they write.
#include "coreui/UiTestSupport.h"
#include "route/ListRows.h"
#include "core/AccountDataSet.h"
#include "resources/route/RouteResource.h"
#include "store/StoreTestUtil.h"
#include "transfer/DlgRouteSetting.h"
#include "transfer/DlgRouteTime.h"
#include "transfer/RouteSetData.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;
using UiTest::Click;
using UiTest::RunModal;

using RouteTest::Rows;
using RouteTest::SelectRow;

namespace {

const char kRouteFile[] =
    "1\t30\t1\t7\t8\t9\t2\t15\r\n"   // automatic, 30 minutes, at start-up, ask 15 seconds
    "0\t5\t22\t0\t2\t0\t0\t0\r\n"     // 22:00 - 02:00 every 5 minutes
    "0\t0\t12\t0\t13\t0\t0\t0\r\n"    // no route at lunch
    "9\t会社\r\n"
    "9\t消えたアカウント\r\n"
    "0\t15\t7\t30\t10\t0\t0\t0\r\n"   // a band after the accounts keeps its place
    "99\t1\r\n";

std::string S(const CString& s) { return s.Str(); }

void AddAccount(CAccountDataSet& accounts, const char* name, int route)
{
    CAccountData* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
    a->SetAccountName(name);
    a->SetInt(9, route);
}

std::string Text(HWND hDlg, int id)
{
    char text[260] = "";
    GetDlgItemTextA(hDlg, id, text, sizeof(text));
    return text;
}

// Opens the time band dialog with a button of the route dialog, fills it and
// presses OK; waits until it is gone.
void EnterBand(HWND hDlg, int button, const char* startHour, const char* startMinute, const char* endHour,
               const char* endMinute, const char* interval)
{
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, button)));
    HWND hTime = UiTest::WaitForDialog(GetWindowThreadProcessId(hDlg, nullptr), "時間の入力", 10000);
    ASSERT_NE(hTime, nullptr);
    SetDlgItemTextA(hTime, IDC_ROUTE_START_HOUR, startHour);
    SetDlgItemTextA(hTime, IDC_ROUTE_START_MINUTE, startMinute);
    SetDlgItemTextA(hTime, IDC_ROUTE_END_HOUR, endHour);
    SetDlgItemTextA(hTime, IDC_ROUTE_END_MINUTE, endMinute);
    SetDlgItemTextA(hTime, IDC_ROUTE_BAND_INTERVAL, interval);
    PostMessageA(hTime, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    for (int i = 0; i < 500 && IsWindow(hTime); ++i)
        Sleep(20);
}

} // namespace

TEST(DlgRouteTime, HourAndMinuteFieldsAreKeptInRange)
{
    struct Case
    {
        const char* text;
        BOOL hour;
        const char* expected;
    };
    const Case cases[] = {
        { "", TRUE, "" },     { "0", TRUE, "0" },   { "-3", TRUE, "0" },  { "7", TRUE, "7" },
        { "22", TRUE, "22" }, { "23", TRUE, "23" }, { "24", TRUE, "23" }, { "99", TRUE, "23" },
        { "", FALSE, "" },    { "-1", FALSE, "0" }, { "30", FALSE, "30" }, { "58", FALSE, "58" },
        { "59", FALSE, "59" }, { "60", FALSE, "59" }, { "07", FALSE, "07" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(CDlgRouteTime::ClampField(c.text, c.hour)), c.expected) << c.text << (c.hour ? " hour" : " minute");
}

TEST(DlgRouteSetting, BandRowsShowTimesAndInterval)
{
    struct Case
    {
        int interval, startHour, startMinute, endHour, endMinute;
        const char* time;
        const char* every;
    };
    const Case cases[] = {
        { 5, 22, 0, 2, 0, "22:00 ～ 02:00", "5分" },
        { 0, 7, 5, 9, 30, "07:05 ～ 09:30", "0分" },
        { 1440, 0, 0, 23, 59, "00:00 ～ 23:59", "1440分" },
    };
    for (const Case& c : cases) {
        CRouteSetRecord band;
        band.SetValue(1, c.interval);
        band.SetValue(2, c.startHour);
        band.SetValue(3, c.startMinute);
        band.SetValue(4, c.endHour);
        band.SetValue(5, c.endMinute);
        EXPECT_EQ(S(CDlgRouteSetting::FormatBandTime(band)), c.time);
        EXPECT_EQ(S(CDlgRouteSetting::FormatBandInterval(band)), c.every);
    }
}

TEST(DlgRouteSetting, StoringSettingsKeepsGeneralFirstBandsInOrderAndRewritesAccounts)
{
    struct Case
    {
        const char* name;
        const char* before;
        BOOL bAuto;
        const char* after;
    };
    const Case cases[] = {
        { "a full table", kRouteFile, FALSE,
          "0\t20\t0\t7\t8\t9\t1\t3\r\n"
          "0\t5\t22\t0\t2\t0\t0\t0\r\n"
          "0\t0\t12\t0\t13\t0\t0\t0\r\n"
          "0\t15\t7\t30\t10\t0\t0\t0\r\n"
          "9\tプライベート\r\n"
          "9\t会社\r\n"
          "99\t1\r\n" },
        { "an empty file gets a general record", "", TRUE,
          "1\t20\t0\t0\t0\t0\t1\t3\r\n"
          "9\tプライベート\r\n"
          "9\t会社\r\n"
          "99\t1\r\n" },
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteFileBytes(dir.File("RouteSet.dat"), c.before);
        CRouteSetData table;
        table.SetFilePath(dir.File("RouteSet.dat"));
        table.ReadFromFile(TRUE);
        CDlgRouteSetting::Settings settings;
        settings.bAuto = c.bAuto;
        settings.nDefaultInterval = 20;
        settings.bAtStartup = FALSE;
        settings.nHangUpMode = 1;
        settings.nSeconds = 3;
        settings.accounts.Add("プライベート");
        settings.accounts.Add("会社");
        CDlgRouteSetting::StoreSettings(table, settings);
        ASSERT_TRUE(table.WriteToFile()) << c.name;
        EXPECT_EQ(ReadFileBytes(dir.File("RouteSet.dat")), c.after) << c.name;
    }
}

TEST(DlgRouteSetting, EditsBandsAndAccountsAndWritesTheFile)
{
    TempDir dir;
    StoreTest::TestApp app(dir.Path());
    WriteFileBytes(app.GetRouteFilePath(), kRouteFile);
    app.WriteProfileString("Setting", "LastRouteCheckTime", "2026/12/01 08:30:00");
    // The flags come from the last sync: "会社" in the route, the others not.
    AddAccount(*app.m_pAccountDataSet, "会社", 1);
    AddAccount(*app.m_pAccountDataSet, "プライベート", 0);
    AddAccount(*app.m_pAccountDataSet, "メルマガ", 0);

    struct Seen
    {
        std::vector<std::string> bands, accounts, bandsAfter;
        std::string now, last, defaultInterval, seconds, clampedHour, clampedMinute;
        bool secondsEnabled = false, secondsEnabledAfter = true;
        int checkedFirst = -1, checkedSecond = -1;
    } seen;
    CDlgRouteSetting dlg(7, "", "", 0);
    INT_PTR result = RunModal(dlg, "巡回の設定", [&](HWND hDlg) {
        ASSERT_NE(hDlg, nullptr);
        HWND hBands = GetDlgItem(hDlg, IDC_ROUTE_BANDS);
        HWND hAccounts = GetDlgItem(hDlg, IDC_ROUTE_ACCOUNTS);
        seen.bands = Rows(hBands, 2);
        seen.accounts = Rows(hAccounts, 2);
        seen.now = Text(hDlg, IDC_ROUTE_NOW_INTERVAL);
        seen.last = Text(hDlg, IDC_ROUTE_LAST_CHECK);
        seen.defaultInterval = Text(hDlg, IDC_ROUTE_DEFAULT_INTERVAL);
        seen.seconds = Text(hDlg, IDC_ROUTE_ASK_SECONDS);
        seen.secondsEnabled = IsWindowEnabled(GetDlgItem(hDlg, IDC_ROUTE_ASK_SECONDS)) != 0;
        seen.checkedFirst = ListView_GetCheckState(hAccounts, 0);
        seen.checkedSecond = ListView_GetCheckState(hAccounts, 1);

        // The time band dialog clamps what is typed into it.
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_ROUTE_ADD, BN_CLICKED), 0);
        HWND hTime = UiTest::WaitForDialog(GetWindowThreadProcessId(hDlg, nullptr), "時間の入力", 10000);
        ASSERT_NE(hTime, nullptr);
        SetDlgItemTextA(hTime, IDC_ROUTE_START_HOUR, "25");
        SetDlgItemTextA(hTime, IDC_ROUTE_END_MINUTE, "75");
        seen.clampedHour = Text(hTime, IDC_ROUTE_START_HOUR);
        seen.clampedMinute = Text(hTime, IDC_ROUTE_END_MINUTE);
        PostMessageA(hTime, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        for (int i = 0; i < 500 && IsWindow(hTime); ++i)
            Sleep(20);

        EnterBand(hDlg, IDC_ROUTE_ADD, "18", "0", "21", "30", "60");
        SelectRow(hBands, 0);
        EnterBand(hDlg, IDC_ROUTE_CHANGE, "23", "15", "1", "45", "3");
        SelectRow(hBands, 1);
        Click(hDlg, IDC_ROUTE_DELETE);
        seen.bandsAfter = Rows(hBands, 2);

        // "プライベート" joins the route, "会社" leaves it; keep the line.
        ListView_SetCheckState(hAccounts, 0, FALSE);
        ListView_SetCheckState(hAccounts, 1, TRUE);
        CheckDlgButton(hDlg, IDC_ROUTE_AUTO, BST_UNCHECKED);
        CheckDlgButton(hDlg, IDC_ROUTE_ASK, BST_UNCHECKED);
        CheckDlgButton(hDlg, IDC_ROUTE_KEEP_LINE, BST_CHECKED);
        Click(hDlg, IDC_ROUTE_KEEP_LINE);
        seen.secondsEnabledAfter = IsWindowEnabled(GetDlgItem(hDlg, IDC_ROUTE_ASK_SECONDS)) != 0;
        SetDlgItemTextA(hDlg, IDC_ROUTE_DEFAULT_INTERVAL, "45");
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.bands, (std::vector<std::string>{ "22:00 ～ 02:00|5分", "12:00 ～ 13:00|0分", "07:30 ～ 10:00|15分" }));
    EXPECT_EQ(seen.accounts, (std::vector<std::string>{ "|会社", "|プライベート", "|メルマガ" }));
    EXPECT_EQ(seen.checkedFirst, 1);
    EXPECT_EQ(seen.checkedSecond, 0);
    EXPECT_EQ(seen.now, "7");
    EXPECT_EQ(seen.last, "2026/12/01 08:30:00");
    EXPECT_EQ(seen.defaultInterval, "30");
    EXPECT_EQ(seen.seconds, "15");
    EXPECT_TRUE(seen.secondsEnabled);
    EXPECT_FALSE(seen.secondsEnabledAfter);
    EXPECT_EQ(seen.clampedHour, "23");
    EXPECT_EQ(seen.clampedMinute, "59");
    EXPECT_EQ(seen.bandsAfter,
              (std::vector<std::string>{ "23:15 ～ 01:45|3分", "07:30 ～ 10:00|15分", "18:00 ～ 21:30|60分" }));
    // The account gone from the account table leaves the route at this save.
    EXPECT_EQ(ReadFileBytes(app.GetRouteFilePath()),
              "0\t45\t1\t7\t8\t9\t1\t15\r\n"
              "0\t3\t23\t15\t1\t45\t0\t0\r\n"
              "0\t15\t7\t30\t10\t0\t0\t0\r\n"
              "0\t60\t18\t0\t21\t30\t0\t0\r\n"
              "9\tプライベート\r\n"
              "99\t1\r\n");
    // The application's table and the accounts' flags follow the file.
    EXPECT_FALSE(app.GetRouteSet()->IsAutoRoute());
    EXPECT_EQ(app.GetRouteSet()->GetGeneral()->GetValue(1), 45);
    EXPECT_EQ(app.m_pAccountDataSet->GetAccount(0)->GetInt(9), 0);
    EXPECT_EQ(app.m_pAccountDataSet->GetAccount(1)->GetInt(9), 1);
    EXPECT_EQ(app.m_pAccountDataSet->GetAccount(2)->GetInt(9), 0);
}

TEST(DlgRouteSetting, FileModeChecksByTheFileAndOverwritesIt)
{
    TempDir dir;
    StoreTest::TestApp app(dir.Path());
    WriteFileBytes(dir.File("profile-route.dat"), "1\t10\t0\t0\t0\t0\t0\t1\r\n9\tプライベート\r\n99\t1\r\n");
    WriteFileBytes(dir.File("profile-accounts.dat"), "");
    CAccountDataSet accounts;
    accounts.SetFilePath(dir.File("profile-accounts.dat"));
    AddAccount(accounts, "会社", 1);
    AddAccount(accounts, "プライベート", 0);
    ASSERT_TRUE(accounts.WriteToFile());
    WriteFileBytes(app.GetRouteFilePath(), kRouteFile);

    std::string okText, cancelText;
    int checkedFirst = -1, checkedSecond = -1;
    CDlgRouteSetting dlg(10, dir.File("profile-route.dat"), dir.File("profile-accounts.dat"), 1);
    INT_PTR result = RunModal(dlg, "巡回の設定", [&](HWND hDlg) {
        ASSERT_NE(hDlg, nullptr);
        okText = Text(hDlg, IDOK);
        cancelText = Text(hDlg, IDCANCEL);
        HWND hAccounts = GetDlgItem(hDlg, IDC_ROUTE_ACCOUNTS);
        checkedFirst = ListView_GetCheckState(hAccounts, 0);
        checkedSecond = ListView_GetCheckState(hAccounts, 1);
        ListView_SetCheckState(hAccounts, 0, TRUE);
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(okText, "上書き");
    EXPECT_EQ(cancelText, "閉じる");
    EXPECT_EQ(checkedFirst, 0);
    EXPECT_EQ(checkedSecond, 1);
    EXPECT_EQ(S(dlg.GetRouteSetting()), S(dir.File("profile-route.dat")));
    EXPECT_EQ(ReadFileBytes(dir.File("profile-route.dat")),
              "1\t10\t0\t0\t0\t0\t0\t1\r\n9\t会社\r\n9\tプライベート\r\n99\t1\r\n");
    // The mailbox's own settings are not touched in file mode.
    EXPECT_EQ(ReadFileBytes(app.GetRouteFilePath()), kRouteFile);
}
