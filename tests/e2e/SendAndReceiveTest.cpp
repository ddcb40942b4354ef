// Send-and-receive from the main window: the outbox goes out through the
// private Postfix first, then the route receives the account's mail from
// the private Dovecot, in one command.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "core/AccountDataSet.h"
#include "net/NetTestSupport.h"
#include "net/SmtpSession.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";
const int kSender = 63;
const int kRecipient = 64;

bool ServersAnswer()
{
    return NetTest::DovecotAvailable();
}

} // namespace

TEST(SendAndReceive, SendsTheOutboxAndThenReceivesTheAccountsMail)
{
    CVM_NEED_SERVER(ServersAnswer(), "Dovecot");
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    {
        CProgramUnderTest first(dir.Path());
        ASSERT_TRUE(first.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = first.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(first.WaitForExit(kStartTimeout), 0);
    }
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("送受信試験");
        a->SetMailAddress(FormatString("cvmtest%d@cvm.test", kSender));
        a->SetReceiveServer(NetTest::kHost);
        a->SetReceiveUser(NetTest::UserName(kSender));
        a->SetPassword(NetTest::Password(kSender));
        a->SetReceivePort(110);
        a->SetProtocol(0);
        a->SetInt(9, 1);  // taken by the route
        a->SetSmtpServer("smtp.cvm.test");
        a->SetSmtpPort(465);
        a->SetUseEsmtp(TRUE);
        a->SetSmtpAuth(TRUE);
        a->SetSendTls(TRUE);
        a->SetTimeout(10);
        ASSERT_TRUE(accounts.WriteToFile());
    }
    NetTest::ClearMaildir(kSender);
    NetTest::ClearMaildir(kRecipient);
    for (int i = 0; i < 2; i++)
        NetTest::DeliverMail(kSender, "From: sender@example.jp\r\nSubject: 受信 " + std::to_string(i) +
                                          "\r\nMessage-ID: <sr" + std::to_string(i) + "@example.jp>\r\n\r\n本文\r\n");
    {
        CFolderRecord r;
        r.m_nId = 3;
        r.m_nKind = CFolderRecord::kindSend;
        r.m_strName = "Send.Box";
        r.m_strPath = mailbox + "\\Send.Box";
        CMailFolderStore outbox;
        outbox.SetFolderRecord(r);
        CSmtpSession composer;
        composer.SetAccountName("送受信試験");
        composer.SetFrom(FormatString("cvmtest%d@cvm.test", kSender));
        composer.SetTo(FormatString("cvmtest%d@cvm.test", kRecipient));
        composer.SetSubject("送受信の送信");
        composer.AddBodyText("送ってから受ける。");
        CString path = dir.File("out.eml");
        ASSERT_TRUE(composer.BuildMessage(path));
        ASSERT_EQ(outbox.AddNewMailData(path, "2024/05/01 10:00:00 +0900", TRUE), 1);
        outbox.Close();
    }

    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    PostMessageA(main, WM_COMMAND, ID_FILE_SEND_RECEIVE, 0);
    // Sent first, then received: the recipient has the mail and the inbox
    // lists the two waiting ones.
    EXPECT_TRUE(E2e::WaitUntil(60000, [](void*) { return NetTest::CountServerMails(kRecipient) == 1; }, nullptr))
        << NetTest::CountServerMails(kRecipient);
    EXPECT_TRUE(E2e::WaitUntil(60000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) == 2; }, list))
        << E2e::ListItemCount(list);
    std::set<std::string> subjects;
    for (int row = 0; row < E2e::ListItemCount(list); row++)
        subjects.insert(E2e::ListItemText(list, row, 1).Str());
    EXPECT_EQ(subjects, (std::set<std::string>{ "受信 0", "受信 1" }));
    E2e::CloseWhenTransfersEnd(program, main);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    NetTest::ClearMaildir(kSender);
    NetTest::ClearMaildir(kRecipient);
}
