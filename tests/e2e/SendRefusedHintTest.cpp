// An account as the first-start wizard makes it (no encryption, no login;
// the private Postfix takes mail on the submission port only) sends to a
// server that wants STARTTLS: the message the user gets shows the server's
// words and names the setting to change.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/E2eDriver.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"

#include <gtest/gtest.h>

using E2e::CProgramUnderTest;

TEST(SendRefusedHint, WizardAccountSendingToAServerThatWantsTlsIsToldWhichSettingToChange)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    const int kUser = 59;
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n"
                                                     "EditorAutoBackup=dword:0\r\nSendConfirmDialog=dword:0\r\n\r\n");
    CreateDirectoryA(mailbox, nullptr);
    {
        CAccountDataSet set;
        set.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
        a->SetAccountName("ウィザード");
        a->SetMailAddress(FormatString("cvmtest%d@cvm.test", kUser));
        a->SetReceiveServer(NetTest::kHost);
        a->SetReceiveUser(NetTest::UserName(kUser));
        a->SetPassword(NetTest::Password(kUser));
        a->SetSmtpServer("smtp.cvm.test");
        a->SetSmtpPort(587);
        a->SetTimeout(10);
        ASSERT_TRUE(set.WriteToFile(FALSE));
    }
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = program.WaitForMainWindow(60000);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    HWND editor = program.WaitForWindow("CVMEditWndClass", nullptr, 20000);
    ASSERT_NE(editor, nullptr);
    HWND view = GetDlgItem(editor, 0xE900);
    E2e::SetControlText(view, IDC_ME_TO, FormatString("cvmtest%d@cvm.test", kUser));
    E2e::SetControlText(view, IDC_ME_SUBJECT, "試験");
    E2e::SetControlText(view, IDC_ME_BODY, "本文");
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);

    HWND box = program.WaitForMessageBox("SMTP Error Code", 30000);
    ASSERT_NE(box, nullptr) << "no refusal shown";
    CString text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        text += E2e::GetWindowTextOf(child) + "\n";
    // The server's own words stay, before the hint.
    EXPECT_GE(text.Find("STARTTLS"), 0) << text.GetString();
    EXPECT_GE(text.Find("SMTP Error Code [530]"), 0) << text.GetString();
    EXPECT_GT(text.Find("「接続情報」タブで「SMTPS」"), text.Find("STARTTLS")) << text.GetString();
    E2e::PressButton(box, IDOK);
    program.Kill();
}
