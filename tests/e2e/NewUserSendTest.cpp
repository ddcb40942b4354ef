// The road a new user takes: the first start asks for a start-up password
// and the mailbox folder, finds no account and runs the set-up wizard; the
// private Postfix takes mail only over TLS with a login, which the wizard
// cannot set, so the user opens "アカウントの設定", turns on SMTPS on 465
// and SMTP authentication as the README says, and the next mail written and
// sent, without a restart, reaches the private Dovecot and comes back with
// the next receive.
#include "e2e/AccountPages.h"
#include "e2e/E2eDriver.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/resource.h"
#include "resources/settings/SettingsResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <prsht.h>

using E2e::CEditorSession;
using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;
const int kUser = 97;

// The wizard as a newcomer fills it for the test servers; pages 3 and 4 keep
// what they offer.
void RunWizard(const CProgramUnderTest& program, HWND sheet)
{
    HWND page = E2e::WaitForWizardPage(sheet, IDC_ACC_ADDRESS);
    ASSERT_NE(page, nullptr);
    E2e::SetControlText(page, IDC_ACC_USER_NAME, "新井 花子");
    E2e::SetControlText(page, IDC_ACC_ADDRESS, FormatString("cvmtest%d@cvm.test", kUser));
    E2e::WizardNext(sheet);

    page = E2e::WaitForWizardPage(sheet, IDC_ACC_RECV_SERVER);
    ASSERT_NE(page, nullptr);
    E2e::SetControlText(page, IDC_ACC_RECV_SERVER, NetTest::kHost);
    E2e::SetControlText(page, IDC_ACC_SMTP_SERVER, "smtp.cvm.test");
    E2e::SetControlText(page, IDC_ACC_RECV_USER, NetTest::UserName(kUser));
    E2e::SetControlText(page, IDC_ACC_RECV_PASSWORD, NetTest::Password(kUser));
    E2e::WizardNext(sheet);

    page = E2e::WaitForWizardPage(sheet, IDC_ACC_SMTP_PORT);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(E2e::GetControlText(page, IDC_ACC_SMTP_PORT), CString("25"));
    E2e::WizardNext(sheet);
    ASSERT_NE(E2e::WaitForWizardPage(sheet, IDC_ACC_LEAVE_ON_SERVER), nullptr);
    E2e::WizardNext(sheet);

    page = E2e::WaitForWizardPage(sheet, IDC_ACC_ACCOUNT_NAME);
    ASSERT_NE(page, nullptr);
    E2e::SetControlText(page, IDC_ACC_ACCOUNT_NAME, "自宅");
    ASSERT_TRUE(E2e::WaitFor(10000, [&] {
        HWND finish = GetDlgItem(sheet, 0x3025);
        return finish && IsWindowEnabled(finish) && IsWindowVisible(finish);
    })) << E2e::VisibleWindows(program.ProcessId());
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
}

// The changes the README names, made on the dialog's pages.
void TurnOnSmtpsWithLogin(HWND dialog)
{
    HWND page = E2e::ShowAccountPage(dialog, IDC_ACC_SMTP_PORT);
    ASSERT_NE(page, nullptr) << "the page 接続情報";
    EXPECT_EQ(E2e::GetControlText(page, IDC_ACC_SMTP_PORT), CString("25"));
    ASSERT_TRUE(E2e::SetPageField(dialog, IDC_ACC_SMTP_PORT, "465"));
    ASSERT_TRUE(E2e::ClickPageButton(dialog, IDC_ACC_SMTPS));

    page = E2e::ShowAccountPage(dialog, IDC_ACC_SMTP_AUTH);
    ASSERT_NE(page, nullptr) << "the page 送信設定";
    ASSERT_TRUE(E2e::ClickPageButton(dialog, IDC_ACC_ESMTP));
    ASSERT_TRUE(E2e::ClickPageButton(dialog, IDC_ACC_SMTP_AUTH));
    // The SMTP user and password stay empty: the receive login is used.
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_ACC_SMTP_USER)));
}

} // namespace

TEST(NewUserSend, FirstStartWizardThenAccountDialogThenSendWithoutRestart)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    TestSupport::TempDir dir;
    const CString mailbox = dir.Path() + "\\MailBox";
    const CString maildir = NetTest::ClearMaildir(kUser);

    // No settings yet: the start-up password comes first.
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND password = program.WaitForDialogWithControl(IDC_PASSWORD_CONFIRM, kTimeout);
    ASSERT_NE(password, nullptr) << "the start-up password setting";
    E2e::SetControlText(password, IDC_PASSWORD, "himitsu");
    E2e::SetControlText(password, IDC_PASSWORD_CONFIRM, "himitsu");
    E2e::PressButton(password, IDOK);
    HWND sheet = nullptr;
    ASSERT_TRUE(E2e::WaitFor(kTimeout, [&] {
        if (HWND box = program.WaitForDialogWithControl(IDC_MAILBOX_NAME, 0))
            E2e::PressButton(box, IDOK);
        sheet = program.WaitForWindow("#32770", "アカウントの作成", 0);
        return sheet != nullptr;
    })) << "no wizard at the first start";
    RunWizard(program, sheet);
    if (HasFatalFailure())
        return;
    HWND main = program.WaitForWindow("CVMWndClass", nullptr, kTimeout);
    ASSERT_NE(main, nullptr);

    PostMessageA(main, WM_COMMAND, ID_TOOLS_ACCOUNTS, 0);
    HWND dialog = program.WaitForWindow("#32770", "アカウントの設定", 20000);
    ASSERT_NE(dialog, nullptr);
    TurnOnSmtpsWithLogin(dialog);
    if (HasFatalFailure())
        return;
    E2e::PressButton(dialog, IDC_ACC_UPDATE);
    E2e::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(E2e::WaitFor(10000, [&] { return !IsWindow(dialog); })) << E2e::VisibleWindows(program.ProcessId());

    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    HWND editor = program.WaitForWindow(CEditorSession::kEditorClass, nullptr, 20000);
    ASSERT_NE(editor, nullptr);
    HWND view = CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_TO, FormatString("cvmtest%d@cvm.test", kUser));
    E2e::SetControlText(view, IDC_ME_SUBJECT, "初めての送信");
    E2e::SetControlText(view, IDC_ME_BODY, "ウィザードで作ったアカウントから送ります。");
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
    HWND info = program.WaitForDialogWithControl(IDC_SI_TO, 20000);
    ASSERT_NE(info, nullptr) << "the send information dialog";
    E2e::PressButton(info, IDOK);

    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1, 40000);
    ASSERT_EQ(mails.size(), 1u) << E2e::VisibleWindows(program.ProcessId());
    CMailMessage message;
    ASSERT_TRUE(message.Parse(mails[0].c_str(), static_cast<int>(mails[0].size())));
    EXPECT_EQ(CString(message.m_strSubject), CString("初めての送信"));
    // The sender is the one the wizard was given.
    EXPECT_NE(message.m_strFrom.Find("新井 花子"), -1) << message.m_strFrom.GetString();
    EXPECT_NE(message.m_strFrom.Find(FormatString("cvmtest%d@cvm.test", kUser)), -1);
    // The sent mail's editor has gone; its thread may still be ending.
    EXPECT_TRUE(E2e::WaitFor(20000, [&] { return !IsWindow(editor); }));

    // The wizard's receive settings work as they are: the mail comes back
    // into the inbox the main window shows.
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    PostMessageA(main, WM_COMMAND, ID_FILE_RECEIVE_CURRENT, 0);
    EXPECT_TRUE(E2e::WaitFor(30000, [&] {
        return E2e::ListItemCount(list) == 1 && E2e::ListItemText(list, 0, 1) == "初めての送信";
    })) << E2e::VisibleWindows(program.ProcessId());
    EXPECT_EQ(E2e::CloseAfterSending(program, main), 0) << E2e::VisibleWindows(program.ProcessId());
}
