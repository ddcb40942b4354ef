// An account edited in the account dialog is used at once: the next
// receive goes to the server and mailbox the dialog now names, without a
// restart.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/AccountPages.h"
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"
#include "net/NetTestSupport.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/settings/SettingsResource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kStartTimeout = 60000;
// The account first names an empty mailbox; the dialog switches it to one
// that holds mails.
const int kEmptyUser = 85;
const int kFullUser = 86;

int InboxRows(HWND main)
{
    HWND list = E2e::FindDescendant(main, "SysListView32");
    return list ? E2e::ListItemCount(list) : -1;
}

} // namespace

TEST(AccountReload, AnAccountEditedInTheDialogReceivesAtOnce)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    TestSupport::TempDir dir;
    const CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"),
                                "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n");
    {
        // A first start makes the mailbox with its folders.
        E2e::CProgramUnderTest first(dir.Path());
        ASSERT_TRUE(first.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = first.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(first.WaitForExit(kStartTimeout), 0);
    }
    NetTest::ClearMaildir(kEmptyUser);
    NetTest::ClearMaildir(kFullUser);
    for (int i = 0; i < 2; ++i)
        NetTest::DeliverMail(kFullUser, "From: sender@example.jp\r\nSubject: reload " + std::to_string(i) +
                                            "\r\nMessage-ID: <reload" + std::to_string(i) +
                                            "@example.jp>\r\n\r\n本文\r\n");
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("試験");
        a->SetMailAddress(FormatString("cvmtest%d@cvm.test", kEmptyUser));
        a->SetReceiveServer(NetTest::kHost);
        a->SetReceiveUser(NetTest::UserName(kEmptyUser));
        a->SetPassword(NetTest::Password(kEmptyUser));
        a->SetReceivePort(110);
        a->SetTimeout(10);
        ASSERT_TRUE(accounts.WriteToFile());
    }

    E2e::CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(E2e::WaitUntil(20000, [](void* p) { return InboxRows(static_cast<HWND>(p)) == 0; }, main));

    PostMessageA(main, WM_COMMAND, ID_TOOLS_ACCOUNTS, 0);
    HWND dialog = program.WaitForWindow("#32770", "アカウントの設定", 20000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(E2e::SetPageField(dialog, IDC_ACC_RECV_USER, NetTest::UserName(kFullUser)));
    ASSERT_TRUE(E2e::SetPageField(dialog, IDC_ACC_RECV_PASSWORD, NetTest::Password(kFullUser)));
    E2e::PressButton(dialog, IDC_ACC_UPDATE);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, dialog));
    std::string saved = TestSupport::ReadFileBytes(mailbox + "\\Account.dat");
    ASSERT_NE(saved.find(NetTest::UserName(kFullUser).GetString()), std::string::npos);

    PostMessageA(main, WM_COMMAND, ID_FILE_RECEIVE_CURRENT, 0);
    EXPECT_TRUE(E2e::WaitUntil(60000, [](void* p) { return InboxRows(static_cast<HWND>(p)) == 2; }, main))
        << InboxRows(main);
    // The receive job has ended before the program is closed.
    EXPECT_TRUE(E2e::WaitUntil(20000, [](void* p) {
        return TestSupport::ReadFileBytes(*static_cast<const CString*>(p) + "\\$$Receive.Log")
                   .find("\t正常に終了しました。\t2\r\n") != std::string::npos;
    }, const_cast<CString*>(&mailbox)));
    EXPECT_EQ(NetTest::CountServerMails(kFullUser), 0);

    // Closed at once after the receive's end, the program asks nothing.
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0) << E2e::VisibleWindows(program.ProcessId());
}
