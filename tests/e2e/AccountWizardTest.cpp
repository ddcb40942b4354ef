// A first start on an empty mailbox runs the account set-up wizard; the
// account the user enters lands in "Account.dat" and joins the route.
#include "e2e/AccountPages.h"
#include "e2e/E2eDriver.h"
#include "e2e/WaitFor.h"
#include "core/AccountDataSet.h"
#include "resources/settings/SettingsResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdlib>

using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

bool IsEnabledChild(HWND sheet, int id)
{
    HWND button = GetDlgItem(sheet, id);
    return button && IsWindowEnabled(button) && IsWindowVisible(button);
}

struct WizardInput
{
    bool imap;
    const char* name;
    const char* address;
    const char* server;
    const char* user;
    const char* password;
    const char* smtp;
    const char* account;
};

class AccountWizardTest : public ::testing::TestWithParam<WizardInput>
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    TestSupport::TempDir m_dir;
};

// The sheet's button ids.
const int kNextButton = 0x3024;
const int kFinishButton = 0x3025;

} // namespace

TEST_P(AccountWizardTest, FirstStartCreatesTheAccountTheUserEnters)
{
    const WizardInput& in = GetParam();
    TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
    CProgramUnderTest program(m_dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + MailBox() + "\""));
    // The mailbox folder dialog of a first start comes first when the
    // mailbox folder does not exist yet.
    HWND sheet = nullptr;
    DWORD start = GetTickCount();
    while (!sheet && GetTickCount() - start < kTimeout) {
        if (HWND box = program.WaitForDialogWithControl(IDC_MAILBOX_NAME, 0))
            E2e::PressButton(box, IDOK);
        sheet = program.WaitForWindow("#32770", "アカウントの作成", 200);
    }
    ASSERT_NE(sheet, nullptr) << "the wizard at a first start";
    // Without a main window yet it opens in the middle of the screen.
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT rc = {};
    EXPECT_TRUE(E2e::WaitFor(10000, [&] {
        GetWindowRect(sheet, &rc);
        return std::abs((rc.left + rc.right) - (work.left + work.right)) <= 2 &&
               std::abs((rc.top + rc.bottom) - (work.top + work.bottom)) <= 2;
    })) << rc.left << "," << rc.top << "-" << rc.right << "," << rc.bottom;

    HWND page = E2e::WaitForWizardPage(sheet, IDC_ACC_ADDRESS);
    ASSERT_NE(page, nullptr);
    Sleep(300);
    EXPECT_FALSE(IsEnabledChild(sheet, kNextButton)) << "no mail address yet";
    E2e::SetControlText(page, IDC_ACC_USER_NAME, in.name);
    E2e::SetControlText(page, IDC_ACC_ADDRESS, in.address);
    Sleep(300);
    EXPECT_TRUE(IsEnabledChild(sheet, kNextButton));
    E2e::WizardNext(sheet);

    page = E2e::WaitForWizardPage(sheet, IDC_ACC_RECV_SERVER);
    ASSERT_NE(page, nullptr);
    if (in.imap) {
        SendMessageA(GetDlgItem(page, IDC_ACC_IMAP4), BM_CLICK, 0, 0);
        EXPECT_EQ(E2e::GetControlText(page, IDC_ACC_RECV_SERVER_LABEL), CString("*IMAPサーバ名"));
    }
    E2e::SetControlText(page, IDC_ACC_RECV_SERVER, in.server);
    // The SMTP server follows the receive server until one is entered.
    EXPECT_EQ(E2e::GetControlText(page, IDC_ACC_SMTP_SERVER), CString(in.server));
    E2e::SetControlText(page, IDC_ACC_SMTP_SERVER, in.smtp);
    Sleep(200);
    EXPECT_FALSE(IsEnabledChild(sheet, kNextButton)) << "no user id yet";
    E2e::SetControlText(page, IDC_ACC_RECV_USER, in.user);
    E2e::SetControlText(page, IDC_ACC_RECV_PASSWORD, in.password);
    Sleep(200);
    E2e::WizardNext(sheet);

    page = E2e::WaitForWizardPage(sheet, IDC_ACC_SMTP_PORT);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(E2e::GetControlText(page, IDC_ACC_SMTP_PORT), CString("25"));
    EXPECT_EQ(E2e::GetControlText(page, IDC_ACC_RECV_PORT), CString(in.imap ? "143" : "110"));
    E2e::WizardNext(sheet);
    ASSERT_NE(E2e::WaitForWizardPage(sheet, IDC_ACC_LEAVE_ON_SERVER), nullptr);
    E2e::WizardNext(sheet);

    page = E2e::WaitForWizardPage(sheet, IDC_ACC_ACCOUNT_NAME);
    ASSERT_NE(page, nullptr);
    Sleep(300);
    EXPECT_FALSE(IsEnabledChild(sheet, kFinishButton)) << "no account name yet";
    E2e::SetControlText(page, IDC_ACC_ACCOUNT_NAME, in.account);
    Sleep(300);
    EXPECT_TRUE(IsEnabledChild(sheet, kFinishButton));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);

    HWND main = program.WaitForWindow("CVMWndClass", nullptr, kTimeout);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kTimeout), 0);

    CAccountDataSet accounts;
    accounts.SetFilePath(MailBox() + "\\Account.dat");
    ASSERT_TRUE(accounts.ReadFromFile(TRUE));
    ASSERT_EQ(accounts.GetRecordCount(TRUE), 1);
    CAccountData* a = accounts.GetAccount(0);
    // The wizard's values, and the defaults of a new record for the rest.
    CAccountData expected;
    expected.SetAccountName(in.account);
    expected.SetUserName(in.name);
    expected.SetMailAddress(in.address);
    expected.SetProtocol(in.imap ? 1 : 0);
    expected.SetReceiveServer(in.server);
    expected.SetSmtpServer(in.smtp);
    expected.SetReceiveUser(in.user);
    expected.SetPassword(in.password);
    expected.SetReceivePort(in.imap ? 143 : 110);
    expected.SetLeaveOnServer(TRUE);
    EXPECT_TRUE(IsSameAccountData(a, &expected));
    for (int column = 0; column < CAccountData::ColumnCount; ++column) {
        EXPECT_EQ(a->GetText(column), expected.GetText(column)) << column;
        EXPECT_EQ(a->GetInt(column), expected.GetInt(column)) << column;
    }
    std::string file = TestSupport::ReadFileBytes(MailBox() + "\\Account.dat");
    EXPECT_EQ(file.find(in.password), std::string::npos) << "the password is stored scrambled";

    std::string route = TestSupport::ReadFileBytes(MailBox() + "\\RouteSet.dat");
    EXPECT_NE(route.find(std::string("9\t") + in.account), std::string::npos) << route;
}

INSTANTIATE_TEST_SUITE_P(
    Protocols, AccountWizardTest,
    ::testing::Values(WizardInput{ false, "山田 太郎", "taro@example.com", "pop.example.com", "taro", "pw-pop-1",
                                   "smtp.example.com", "仕事" },
                      WizardInput{ true, "Hanako", "hanako@example.com", "imap.example.com", "hanako", "pw-imap-2",
                                   "mail.example.com", "imap account" }),
    [](const ::testing::TestParamInfo<WizardInput>& info) { return info.param.imap ? "Imap" : "Pop3"; });
