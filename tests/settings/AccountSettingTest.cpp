// The account settings dialog on a small "Account.dat", driven from a second
// thread: shown values, storing, copying, deleting, reordering and the
// dialog's messages.
#include "coreui/UiTestSupport.h"
#include "resources/settings/SettingsResource.h"
#include "resources/utils/UtilsResource.h"
#include "settings/DlgAccountSetting.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <thread>

using namespace UiTest;
using TestSupport::TempDir;

namespace {

std::vector<std::string> g_renames;
std::vector<std::string> g_routeAdds;

CString Text(HWND hWnd, int id)
{
    char text[256] = "";
    GetDlgItemTextA(hWnd, id, text, sizeof(text));
    return CString(text);
}

class AccountSettingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::ClearMessages();
        g_renames.clear();
        g_routeAdds.clear();
        CAccountDataSet set;
        set.SetFilePath(File());
        const char* names[] = { "first", "second", "third" };
        for (int i = 0; i < 3; ++i) {
            auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
            a->SetAccountName(names[i]);
            a->SetMailAddress(CString(names[i]) + "@example.com");
            a->SetReceiveServer("pop.example.com");
            a->SetSmtpServer("smtp.example.com");
            a->SetPassword("pw");
        }
        set.GetAccount(1)->SetSmtpPort(0);
        set.GetAccount(1)->SetReceivePort(0);
        set.GetAccount(1)->SetBccAddress("0");
        ASSERT_TRUE(set.WriteToFile(TRUE));
    }
    CString File() const { return m_dir.File("Account.dat"); }
    std::unique_ptr<CDlgAccountSetting> MakeDialog(int current = 0)
    {
        std::unique_ptr<CDlgAccountSetting> dlg(
            new CDlgAccountSetting(File(), m_dir.Path(), m_dir.Path(), current));
        dlg->m_pfnRenameRouteAccount = [](const char* o, const char* n) {
            g_renames.push_back(std::string(o) + ">" + n);
        };
        dlg->m_pfnAddRouteAccount = [](const char* n) { g_routeAdds.push_back(n); };
        return dlg;
    }
    std::vector<std::string> Names()
    {
        CAccountDataSet set;
        set.SetFilePath(File());
        set.ReadFromFile(TRUE);
        std::vector<std::string> names;
        for (int i = 0; i < set.GetRecordCount(TRUE); ++i)
            names.push_back(set.GetAccount(i)->GetAccountName().GetString());
        return names;
    }
    CAccountData Read(const char* name)
    {
        CAccountDataSet set;
        set.SetFilePath(File());
        set.ReadFromFile(TRUE);
        CAccountData copy;
        CopyAccountData(set.FindAccountByName(name), &copy);
        return copy;
    }
    static HWND Page(CDlgAccountSetting& dlg, int i) { return dlg.m_tab.GetPage(i)->m_hWnd; }
    static void SelectRow(CDlgAccountSetting& dlg, int row)
    {
        HWND list = GetDlgItem(dlg.m_hWnd, IDC_ACC_LIST);
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    static int SelectedRow(CDlgAccountSetting& dlg)
    {
        return ListView_GetNextItem(GetDlgItem(dlg.m_hWnd, IDC_ACC_LIST), -1, LVNI_SELECTED);
    }

    TempDir m_dir;
};

} // namespace

TEST_F(AccountSettingTest, ShowsTheCurrentAccountWithStoredZeroPortsAsDefaults)
{
    auto dlg = MakeDialog(1);
    CString name, smtpPort, recvPort, bcc, password;
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        name = Text(hDlg, IDC_ACC_ACCOUNT_NAME);
        smtpPort = Text(Page(*dlg, 1), IDC_ACC_SMTP_PORT);
        recvPort = Text(Page(*dlg, 1), IDC_ACC_RECV_PORT);
        bcc = Text(Page(*dlg, 3), IDC_ACC_FIXED_BCC);
        password = Text(Page(*dlg, 0), IDC_ACC_RECV_PASSWORD);
        // Ports 0 show 25 and 110, so closing asks to store them.
        TestSupport::QueueMessageBoxAnswer(IDNO);
        Click(hDlg, IDCANCEL);
    });
    EXPECT_STREQ(name, "second");
    EXPECT_STREQ(smtpPort, "25");
    EXPECT_STREQ(recvPort, "110");
    EXPECT_STREQ(bcc, "");
    EXPECT_STREQ(password, "pw");
}

TEST_F(AccountSettingTest, UpdateStoresTheEditedPagesAndRenamesTheRouteAccount)
{
    auto dlg = MakeDialog(0);
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        SetDlgItemTextA(hDlg, IDC_ACC_ACCOUNT_NAME, "renamed");
        SendMessageA(GetDlgItem(Page(*dlg, 0), IDC_ACC_IMAP4), BM_CLICK, 0, 0);
        dlg->m_tab.SelectPage(1);
        SendMessageA(GetDlgItem(Page(*dlg, 1), IDC_ACC_AUTH_SECOND), BM_CLICK, 0, 0);
        dlg->m_tab.SelectPage(3);
        SendMessageA(GetDlgItem(Page(*dlg, 3), IDC_ACC_SMTP_AUTH), BM_CLICK, 0, 0);
        SetDlgItemTextA(Page(*dlg, 3), IDC_ACC_SMTP_PASSWORD, "smtp-secret");
        Click(hDlg, IDC_ACC_UPDATE);
        Click(hDlg, IDCANCEL);
    });
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{ "renamed", "second", "third" }));
    CAccountData a = Read("renamed");
    EXPECT_EQ(a.GetProtocol(), 1);
    EXPECT_EQ(a.GetReceivePort(), 143);
    EXPECT_EQ(a.GetReceiveAuth(), 2);
    EXPECT_TRUE(a.GetSmtpAuth());
    EXPECT_STREQ(a.GetSmtpPassword(), "smtp-secret");
    EXPECT_EQ(TestSupport::ReadFileBytes(File()).find("smtp-secret"), std::string::npos);
    EXPECT_EQ(g_renames, (std::vector<std::string>{ "first>renamed" }));
}

TEST_F(AccountSettingTest, LeavingAnEditedAccountAsksAndNoDropsTheEdit)
{
    auto dlg = MakeDialog(0);
    int rowAfter = -1;
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        SetDlgItemTextA(Page(*dlg, 0), IDC_ACC_USER_NAME, "changed");
        TestSupport::QueueMessageBoxAnswer(IDNO);
        SelectRow(*dlg, 2);
        rowAfter = SelectedRow(*dlg);
        Click(hDlg, IDCANCEL);
    });
    ASSERT_GE(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0], "内容が変更されています。\r\n保存しますか？");
    EXPECT_EQ(rowAfter, 2);
    EXPECT_STREQ(Read("first").GetUserName(), "");
    EXPECT_TRUE(g_renames.empty());
}

TEST_F(AccountSettingTest, CopyTakesTheShownValuesUnderTheNewNameAndJoinsTheRoute)
{
    auto dlg = MakeDialog(0);
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        SetDlgItemTextA(Page(*dlg, 0), IDC_ACC_USER_NAME, "edited");
        // The name question runs modally on the dialog's thread; answer it
        // from here once it shows.
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_ACC_COPY, BN_CLICKED), 0);
        HWND ask = nullptr;
        for (int i = 0; i < 200 && !ask; ++i) {
            ask = FindWindowA("#32770", "アカウント名");
            Sleep(25);
        }
        if (ask) {
            SetDlgItemTextA(ask, IDC_INPUT_NAME, "copy");
            SendMessageA(ask, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        Sleep(300);
        TestSupport::QueueMessageBoxAnswer(IDNO);
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        Sleep(300);
    });
    EXPECT_EQ(Names(), (std::vector<std::string>{ "first", "second", "third", "copy" }));
    EXPECT_STREQ(Read("copy").GetUserName(), "edited");
    EXPECT_STREQ(Read("first").GetUserName(), "") << "the account copied from is unchanged";
    EXPECT_EQ(g_routeAdds, (std::vector<std::string>{ "copy" }));
}

TEST_F(AccountSettingTest, DeleteReachesTheFileOnCloseAndSelectsTheRowBefore)
{
    auto dlg = MakeDialog(0);
    struct Seen
    {
        int rowAfterFirst = -1;
        std::vector<std::string> namesBeforeClose;
        CString shown;
    } seen;
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        TestSupport::QueueMessageBoxAnswer(IDYES);
        Click(hDlg, IDC_ACC_DELETE);
        seen.rowAfterFirst = SelectedRow(*dlg);
        seen.shown = Text(hDlg, IDC_ACC_ACCOUNT_NAME);
        Click(hDlg, IDC_ACC_UPDATE);
        seen.namesBeforeClose = Names();
        TestSupport::QueueMessageBoxAnswer(IDNO);
        Click(hDlg, IDCANCEL);
    });
    EXPECT_EQ(TestSupport::RecordedMessages()[0], "[first]を削除してもよろしいですか？");
    EXPECT_EQ(seen.rowAfterFirst, 0);
    EXPECT_STREQ(seen.shown, "second");
    EXPECT_EQ(seen.namesBeforeClose, (std::vector<std::string>{ "first", "second", "third" }));
    EXPECT_EQ(Names(), (std::vector<std::string>{ "second", "third" }));
}

TEST_F(AccountSettingTest, EscapeOnAPageAsksAsCancelDoesAndWritesThePendingDeletion)
{
    auto dlg = MakeDialog(0);
    bool closed = false;
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        TestSupport::QueueMessageBoxAnswer(IDYES);
        Click(hDlg, IDC_ACC_DELETE);
        SetDlgItemTextA(Page(*dlg, 0), IDC_ACC_USER_NAME, "escaped");
        TestSupport::QueueMessageBoxAnswer(IDYES);
        PostMessageA(GetDlgItem(Page(*dlg, 0), IDC_ACC_USER_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
        for (int i = 0; i < 100 && IsWindow(hDlg); ++i)
            Sleep(50);
        closed = !IsWindow(hDlg);
    });
    EXPECT_TRUE(closed);
    ASSERT_GE(TestSupport::RecordedMessages().size(), 2u);
    EXPECT_EQ(TestSupport::RecordedMessages()[1], "内容が変更されています。\r\n保存しますか？");
    EXPECT_EQ(Names(), (std::vector<std::string>{ "second", "third" }));
    EXPECT_STREQ(Read("second").GetUserName(), "escaped");
}

TEST_F(AccountSettingTest, UpAndDownReorderTheFileAndStopAtTheEnds)
{
    auto dlg = MakeDialog(0);
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        Click(hDlg, IDC_ACC_UP);    // first row: nothing
        Click(hDlg, IDC_ACC_DOWN);  // first goes below second
        Click(hDlg, IDC_ACC_DOWN);  // and below third
        Click(hDlg, IDC_ACC_DOWN);  // last row: nothing
        Click(hDlg, IDCANCEL);
    });
    EXPECT_EQ(Names(), (std::vector<std::string>{ "second", "third", "first" }));
}

TEST_F(AccountSettingTest, NewAccountFromEmptyFieldsNeedsAName)
{
    auto dlg = MakeDialog(0);
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        // A click beside the rows leaves none selected.
        ListView_SetItemState(GetDlgItem(hDlg, IDC_ACC_LIST), -1, 0, LVIS_SELECTED);
        Sleep(200);
        SetDlgItemTextA(hDlg, IDC_ACC_ACCOUNT_NAME, "");
        Click(hDlg, IDC_ACC_UPDATE);
        SetDlgItemTextA(hDlg, IDC_ACC_ACCOUNT_NAME, "fourth");
        Click(hDlg, IDC_ACC_UPDATE);
        Click(hDlg, IDCANCEL);
    });
    ASSERT_FALSE(TestSupport::RecordedMessages().empty());
    EXPECT_EQ(TestSupport::RecordedMessages()[0], "アカウント名を入力してください。");
    EXPECT_EQ(Names(), (std::vector<std::string>{ "first", "second", "third", "fourth" }));
}

TEST_F(AccountSettingTest, NewAccountFromTheWizardIsStoredShownAndJoinsTheRouteWhenAsked)
{
    auto dlg = MakeDialog(0);
    dlg->m_pfnRunWizard = [](CAccountData& account, bool& join) {
        account.SetAccountName("wizard");
        account.SetMailAddress("w@example.com");
        account.SetProtocol(1);
        account.SetReceivePort(143);
        join = true;
        return true;
    };
    CString shown, label;
    int rows = 0;
    RunModal(*dlg, "アカウントの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        Click(hDlg, IDC_ACC_NEW);
        shown = Text(hDlg, IDC_ACC_ACCOUNT_NAME);
        label = Text(Page(*dlg, 0), IDC_ACC_RECV_SERVER_LABEL);
        rows = ListView_GetItemCount(GetDlgItem(hDlg, IDC_ACC_LIST));
        Click(hDlg, IDCANCEL);
    });
    EXPECT_TRUE(TestSupport::RecordedMessages().empty()) << "no save prompt for the wizard's account";
    EXPECT_STREQ(shown, "wizard");
    EXPECT_STREQ(label, "IMAPサーバ名");
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(Names(), (std::vector<std::string>{ "first", "second", "third", "wizard" }));
    EXPECT_EQ(Read("wizard").GetReceivePort(), 143);
    EXPECT_EQ(g_routeAdds, (std::vector<std::string>{ "wizard" }));
}
