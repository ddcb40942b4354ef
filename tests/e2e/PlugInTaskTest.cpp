// A plug-in and the task reminders reaching the transfers and the mail
// windows of the running program: the plug-in receives one account by its
// name and opens a stored mail in a viewer window; a due task's notice goes
// out through the private Postfix without a sent copy, and a notice kept at
// home opens the new-mail notification window.
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/StoredFolderCopy.h"

#include "core/AccountDataSet.h"
#include "net/NetTestSupport.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <gtest/gtest.h>

#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;
const int kUser = 43;       // the account's own mailbox
const int kRecipient = 44;  // where the sent notice goes

bool LogHas(const CString& path, const char* text)
{
    return TestSupport::ReadFileBytes(path).find(text) != std::string::npos;
}

bool WaitForLog(const CString& path, const char* text, DWORD timeoutMs)
{
    struct Ctx
    {
        const CString* path;
        const char* text;
    } ctx{ &path, text };
    return E2e::WaitUntil(timeoutMs, [](void* v) {
        auto* c = static_cast<Ctx*>(v);
        return LogHas(*c->path, c->text);
    }, &ctx);
}

int MailCount(const CFolderRecord& record)
{
    CStoredFolderCopy store(record);
    CMailListData* list = store.GetMailList();
    return list ? list->GetMailCount() : -1;
}

} // namespace

TEST(PlugInTask, PlugInReceivesAndOpensMailWhileDueTasksAreSentAndAnnounced)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    CString args = "/INI \"/M:" + mailbox + "\"";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"),
                                "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n"
                                "[Window]\r\nNotifyUserWindowOpenTime=dword:60\r\n\r\n");
    {
        CProgramUnderTest first(dir.Path());
        ASSERT_TRUE(first.Start(args));
        HWND main = first.WaitForMainWindow(kTimeout);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(first.WaitForExit(kTimeout), 0);
    }
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("通知");
        a->SetMailAddress(FormatString("cvmtest%d@cvm.test", kUser));
        a->SetReceiveServer(NetTest::kHost);
        a->SetReceiveUser(NetTest::UserName(kUser));
        a->SetPassword(NetTest::Password(kUser));
        a->SetReceivePort(110);
        a->SetSmtpServer("smtp.cvm.test");
        a->SetSmtpPort(465);
        a->SetUseEsmtp(TRUE);
        a->SetSmtpAuth(TRUE);
        a->SetSendTls(TRUE);
        a->SetTimeout(10);
        ASSERT_TRUE(accounts.WriteToFile());
    }
    NetTest::ClearMaildir(kUser);
    NetTest::ClearMaildir(kRecipient);
    for (int i = 0; i < 2; i++)
        NetTest::DeliverMail(kUser, "From: sender@example.jp\r\nSubject: plug " + std::to_string(i) +
                                        "\r\nMessage-ID: <plug" + std::to_string(i) + "@example.jp>\r\n\r\nbody\r\n");
    // A stored mail of the inbox for the plug-in to open, known by its key.
    CFolderRecord inbox = E2e::MailBoxFolderOfKind(mailbox, CFolderRecord::kindInbox);
    ASSERT_FALSE(inbox.m_strPath.IsEmpty());
    CString key;
    {
        CMailFolderStore store;
        store.SetFolderRecord(inbox);
        CString path = dir.File("stored.eml");
        TestSupport::WriteFileBytes(path, "From: yamada@example.jp\r\nSubject: 保存済みの件\r\n\r\n本文\r\n");
        ASSERT_EQ(store.AddNewMailData(path, "2024/05/01 10:00:00 +0900", FALSE), 1);
        key = store.GetMailList()->GetMailRecord(0)->GetText(CMailIndexRecord::colAttachDir);
        store.Close();
    }
    // Two free tasks whose deadline passed: one notice is sent to the
    // recipient, the other is kept in the shown folder.
    TestSupport::WriteFileBytes(mailbox + "\\TaskList.dat",
                                FormatString("0\t\t\t\t\t\t0\t0\t1\t1715560200\t送る\t1\t0\t0\t1\t期限の通知\t通知\t"
                                             "cvmtest%d@cvm.test\t\r\n"
                                             "0\t\t\t\t\t\t0\t0\t1\t1715560200\t見る\t1\t0\t0\t0\t手元の通知\t\t\t\r\n",
                                             kRecipient).GetString());
    CreateDirectoryA(dir.File("PlugIn"), nullptr);
    CopyFileA(E2e::WinPath(CVM_E2E_PLUGINS) + "\\AcceptingPlugIn.dll", dir.File("PlugIn\\AcceptingPlugIn.dll"), FALSE);
    TestSupport::WriteFileBytes(dir.File("PlugIn\\PlugInRequest.txt"),
                                FormatString("通知\r\n%d\r\n%s\r\n", inbox.m_nId, key.GetString()).GetString());
    CString events = dir.File("PlugIn\\PlugInEvents.log");

    CProgramUnderTest program(dir.Path());
    const DWORD started = GetTickCount();
    ASSERT_TRUE(program.Start(args));
    HWND main = program.WaitForMainWindow(kTimeout);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForLog(events, "init\n", 20000));

    // The plug-in's command receives the account by its name on its own
    // thread and waits for the end; the end is announced with the count.
    PostMessageA(main, WM_COMMAND, 40001, 0);
    EXPECT_TRUE(WaitForLog(events, "received 1\n", kTimeout)) << TestSupport::ReadFileBytes(events);
    EXPECT_TRUE(LogHas(events, "receive 1\n"));
    EXPECT_TRUE(WaitForLog(events, "notify 1 2\n", 20000)) << TestSupport::ReadFileBytes(events);
    EXPECT_EQ(NetTest::CountServerMails(kUser), 0);
    // Then it opens the stored mail: a viewer window shows it.
    EXPECT_TRUE(WaitForLog(events, "open 1\n", 20000)) << TestSupport::ReadFileBytes(events);
    HWND viewer = program.WaitForWindow("CVMViewWndClass", nullptr, 20000);
    EXPECT_NE(viewer, nullptr);

    // The reminder thread's first minute: the sent notice reaches the
    // recipient, the kept one opens the notification window.
    EXPECT_TRUE(E2e::WaitUntil(150000, [](void*) { return NetTest::CountServerMails(kRecipient) == 1; }, nullptr))
        << "after " << (GetTickCount() - started) / 1000 << " s";
    EXPECT_NE(program.WaitForWindow("CVMNotifyUserWnd", nullptr, 20000), nullptr);
    // The kept notice counts once beside the two received mails.
    EXPECT_TRUE(WaitForLog(events, "notify 1 3\n", 20000)) << TestSupport::ReadFileBytes(events);
    std::string tasks = TestSupport::ReadFileBytes(mailbox + "\\TaskList.dat");
    EXPECT_NE(tasks.find("\t送る\t1\t0\t1\t1\t"), std::string::npos) << tasks;
    EXPECT_NE(tasks.find("\t見る\t1\t0\t1\t0\t"), std::string::npos) << tasks;

    if (viewer)
        PostMessageA(viewer, WM_CLOSE, 0, 0);
    // The due notice may still be on its way out when the test closes.
    E2e::CloseWhenTransfersEnd(program, main);
    ASSERT_EQ(program.WaitForExit(kTimeout), 0) << E2e::VisibleWindows(program.ProcessId());

    // The sent notice left no copy: neither in the sent folder nor in the
    // hidden sending folder, which the folder list never names.
    CFolderRecord sent = E2e::MailBoxFolderOfKind(mailbox, CFolderRecord::kindSent);
    EXPECT_EQ(MailCount(sent), 0);
    CFolderRecord hidden;
    hidden.m_nId = 99;
    hidden.m_nKind = CFolderRecord::kindHidden;
    hidden.m_strPath = sent.m_strPath + "\\Temp";
    EXPECT_EQ(MailCount(hidden), 0);
    EXPECT_EQ(TestSupport::ReadFileBytes(mailbox + "\\Folder.dat").find("SendTempFolder"), std::string::npos);
    // The kept notice is in the inbox beside the received and the stored mails.
    EXPECT_EQ(MailCount(inbox), 4);
    NetTest::ClearMaildir(kUser);
    NetTest::ClearMaildir(kRecipient);
}
