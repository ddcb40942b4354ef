// Receiving and sending from the main window: the receive command files the
// account's Japanese mails from the private Dovecot and the list shows them;
// the send command takes the outbox through the private Postfix.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "core/AccountDataSet.h"
#include "net/NetTestSupport.h"
#include "net/SmtpSession.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/resource.h"
#include "resources/utils/UtilsResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <set>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

HWND WaitForMainWindow(CProgramUnderTest& program)
{
    return program.WaitForMainWindow(kStartTimeout);
}

BOOL CALLBACK FindList(HWND hWnd, LPARAM lParam)
{
    char cls[64];
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (lstrcmpiA(cls, WC_LISTVIEWA) == 0 && IsWindowVisible(hWnd)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

int ListRows(HWND main)
{
    HWND list = nullptr;
    EnumChildWindows(main, FindList, reinterpret_cast<LPARAM>(&list));
    return list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

struct DumpContext
{
    DWORD pid;
    std::string text;
};

BOOL CALLBACK DumpWindow(HWND hWnd, LPARAM lParam)
{
    auto* d = reinterpret_cast<DumpContext*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == d->pid && IsWindowVisible(hWnd)) {
        char cls[64], title[256];
        GetClassNameA(hWnd, cls, sizeof(cls));
        GetWindowTextA(hWnd, title, sizeof(title));
        d->text += std::string(cls) + " [" + title + "]\n";
        HWND child = nullptr;
        while ((child = FindWindowExA(hWnd, child, nullptr, nullptr)) != nullptr) {
            GetWindowTextA(child, title, sizeof(title));
            GetClassNameA(child, cls, sizeof(cls));
            d->text += std::string("  ") + cls + " " + std::to_string(GetDlgCtrlID(child)) + " [" + title + "]\n";
        }
    }
    return TRUE;
}

std::string DumpWindows(DWORD pid)
{
    DumpContext d{pid, ""};
    EnumWindows(DumpWindow, reinterpret_cast<LPARAM>(&d));
    return d.text;
}

class ReceiveSendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    }
};

// A folder store of the program's mailbox, opened from the test process
// while the program does not run.
void OpenBox(CMailFolderStore& store, const CString& mailbox, const char* pszDir, int nId, int nKind)
{
    CFolderRecord r;
    r.m_nId = nId;
    r.m_nKind = nKind;
    r.m_strName = pszDir;
    r.m_strPath = mailbox + "\\" + pszDir;
    store.SetFolderRecord(r);
}

TEST_F(ReceiveSendTest, SendCommandTakesTheOutboxThroughPostfix)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND first = WaitForMainWindow(program);
    ASSERT_NE(first, nullptr);
    PostMessageA(first, WM_CLOSE, 0, 0);
    ASSERT_EQ(program.WaitForExit(kStartTimeout), 0);

    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("送信試験");
        a->SetMailAddress("cvmtest95@cvm.test");
        a->SetReceiveServer(NetTest::kHost);
        a->SetReceiveUser(NetTest::UserName(95));
        a->SetPassword(NetTest::Password(95));
        a->SetSmtpServer("smtp.cvm.test");
        a->SetSmtpPort(465);
        a->SetUseEsmtp(TRUE);
        a->SetSmtpAuth(TRUE);
        a->SetSendTls(TRUE);
        a->SetTimeout(10);
        ASSERT_TRUE(accounts.WriteToFile());
    }
    NetTest::ClearMaildir(96);
    {
        CMailFolderStore outbox;
        OpenBox(outbox, mailbox, "Send.Box", 3, CFolderRecord::kindSend);
        for (int i = 0; i < 3; i++) {
            CSmtpSession composer;
            composer.SetAccountName("送信試験");
            composer.SetFrom("cvmtest95@cvm.test");
            composer.SetTo("cvmtest96@cvm.test");
            composer.SetSubject(FormatString("送信箱 %d", i));
            composer.AddBodyText("送信箱から送る本文です。");
            CString path = dir.File("out.eml");
            ASSERT_TRUE(composer.BuildMessage(path));
            ASSERT_EQ(outbox.AddNewMailData(path, "2024/05/01 10:00:00 +0900", TRUE), 1);
            DeleteFileA(path);
        }
        outbox.Close();
    }

    CProgramUnderTest again(dir.Path());
    ASSERT_TRUE(again.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMainWindow(again);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_FILE_SEND_OUTBOX, 0);
    EXPECT_TRUE(E2e::WaitUntil(60000, [](void*) { return NetTest::CountServerMails(96) == 3; }, nullptr))
        << NetTest::CountServerMails(96);
    // The server has the mails before the session has quit and stored the
    // sent copies; a close meanwhile asks whether to end the transfer, and
    // a user who waits answers Cancel and closes again.
    E2e::CloseWhenTransfersEnd(again, main);
    ASSERT_EQ(again.WaitForExit(kStartTimeout), 0);

    // The outbox is empty and the sent copies are in the sent-mail folder.
    CMailFolderStore outbox, sent;
    OpenBox(outbox, mailbox, "Send.Box", 3, CFolderRecord::kindSend);
    OpenBox(sent, mailbox, "Out.Box", 4, CFolderRecord::kindSent);
    ASSERT_NE(outbox.GetMailList(), nullptr);
    ASSERT_NE(sent.GetMailList(), nullptr);
    EXPECT_EQ(outbox.GetMailList()->GetMailCount(), 0);
    EXPECT_EQ(sent.GetMailList()->GetMailCount(), 3);
    NetTest::ClearMaildir(96);
}

TEST_F(ReceiveSendTest, ReceiveCommandListsTheMailsInTheInbox)
{
    struct Case
    {
        const char* name;
        bool bImap;
        int nUser;
    } const cases[] = {{"POP3", false, 93}, {"IMAP", true, 94}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSupport::TempDir dir;
        CString mailbox = dir.Path() + "\\MailBox";
        TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
        CProgramUnderTest program(dir.Path());
        // A first start makes the mailbox with its folders.
        ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
        HWND first = WaitForMainWindow(program);
        ASSERT_NE(first, nullptr) << DumpWindows(program.ProcessId());
        PostMessageA(first, WM_CLOSE, 0, 0);
        ASSERT_EQ(program.WaitForExit(kStartTimeout), 0);
        NetTest::ClearMaildir(c.nUser);
        const int nMails = 12;
        for (int i = 0; i < nMails; i++) {
            std::string text = i % 2 ? "\x1b$B$3$s$K$A$O\x1b(B" : "日本語の本文";
            NetTest::DeliverMail(c.nUser, "From: sender@example.jp\r\nSubject: e2e " + std::to_string(i) +
                                              "\r\nMessage-ID: <e2e" + std::to_string(i) + "." + c.name +
                                              "@example.jp>\r\n\r\n" + text + "\r\n");
        }
        {
            CAccountDataSet accounts;
            accounts.SetFilePath(mailbox + "\\Account.dat");
            auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
            a->SetAccountName("試験");
            a->SetMailAddress(FormatString("cvmtest%d@cvm.test", c.nUser));
            a->SetReceiveServer(NetTest::kHost);
            a->SetReceiveUser(NetTest::UserName(c.nUser));
            a->SetPassword(NetTest::Password(c.nUser));
            a->SetReceivePort(c.bImap ? 143 : 110);
            a->SetProtocol(c.bImap ? 1 : 0);
            a->SetTimeout(10);
            ASSERT_TRUE(accounts.WriteToFile());
        }

        CProgramUnderTest again(dir.Path());
        ASSERT_TRUE(again.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = WaitForMainWindow(again);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(E2e::WaitUntil(20000, [](void* p) { return ListRows(static_cast<HWND>(p)) == 0; }, main));
        PostMessageA(main, WM_COMMAND, ID_FILE_RECEIVE_CURRENT, 0);
        struct Wait
        {
            HWND main;
            int nRows;
        } wait{main, nMails};
        EXPECT_TRUE(E2e::WaitUntil(60000, [](void* p) {
            auto* w = static_cast<Wait*>(p);
            return ListRows(w->main) == w->nRows;
        }, &wait)) << ListRows(main) << "\n" << DumpWindows(again.ProcessId());
        // The rows are the received mails; the status bar counts them.
        HWND list = E2e::FindDescendant(main, "SysListView32");
        std::set<std::string> subjects;
        for (int r = 0; r < E2e::ListItemCount(list); r++)
            subjects.insert(E2e::ListItemText(list, r, 1).GetString());
        for (int i = 0; i < nMails; i++)
            EXPECT_EQ(subjects.count("e2e " + std::to_string(i)), 1u) << i;
        HWND status = E2e::FindDescendant(main, "msctls_statusbar32");
        EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
            return E2e::StatusBarText(static_cast<HWND>(p), 1) == CString(" 総数：12");
        }, status)) << E2e::StatusBarText(status, 1).GetString();
        // The receive log has the pass.
        EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
            return TestSupport::ReadFileBytes(*static_cast<CString*>(p) + "\\$$Receive.Log")
                       .find("\t正常に終了しました。\t12\r\n") != std::string::npos;
        }, &mailbox));
        if (!c.bImap) {
            EXPECT_EQ(NetTest::CountServerMails(c.nUser), 0);
        }
        // The program answers and ends in order.
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(again.WaitForExit(kStartTimeout), 0);
    }
}

} // namespace
