// The new-mail notification window as a user meets it: it opens where its
// position setting says, a second notice while it is up keeps the same
// window longer instead of opening another, it closes by itself after its
// display time, and after a receive a click on its folder row shows that
// folder in the main window.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "core/AccountDataSet.h"
#include "net/NetTestSupport.h"
#include "resources/keys/KeysResource.h"
#include "resources/mainwnd/MainWndResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kNotifyClass[] = "CVMNotifyUserWnd";

struct WindowCount
{
    DWORD pid;
    int count;
};

BOOL CALLBACK CountNotifyWindows(HWND hWnd, LPARAM lParam)
{
    auto* c = reinterpret_cast<WindowCount*>(lParam);
    char cls[64] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == c->pid && lstrcmpA(cls, kNotifyClass) == 0)
        c->count++;
    return TRUE;
}

int NotifyWindows(DWORD pid)
{
    WindowCount c{ pid, 0 };
    EnumWindows(CountNotifyWindows, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

bool IsOpen(void* p)
{
    HWND h = static_cast<HWND>(p);
    RECT rc = {};
    return IsWindow(h) && IsWindowVisible(h) && GetWindowRect(h, &rc) && rc.bottom - rc.top >= 155;
}

bool IsGone(void* p)
{
    HWND h = static_cast<HWND>(p);
    return !IsWindow(h) || !IsWindowVisible(h);
}

} // namespace

TEST(NotifyWindow, OpensWhereSetAndASecondNoticeKeepsTheSameWindowLonger)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"),
                                "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n"
                                "[Window]\r\nNotifyUserWindowPosLeft=dword:100\r\nNotifyUserWindowPosTop=dword:120\r\n"
                                "NotifyUserWindowOpenTime=dword:4\r\n\r\n");
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);

    PostMessageA(main, WM_COMMAND, ID_SHOW_NEW_MAIL_NOTICE, 0);
    HWND notice = program.WaitForWindow(kNotifyClass, "メール受信通知", 10000);
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(E2e::WaitUntil(5000, IsOpen, notice));
    RECT rc = {};
    GetWindowRect(notice, &rc);
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.top, 120);

    // Two seconds on, a second notice: the same window, shown four seconds more.
    Sleep(2500);
    PostMessageA(main, WM_COMMAND, ID_SHOW_NEW_MAIL_NOTICE, 0);
    Sleep(3000);
    EXPECT_TRUE(IsOpen(notice));
    EXPECT_EQ(NotifyWindows(program.ProcessId()), 1);
    EXPECT_TRUE(E2e::WaitUntil(10000, IsGone, notice));

    // Once it has gone, a notice opens a window again.
    PostMessageA(main, WM_COMMAND, ID_SHOW_NEW_MAIL_NOTICE, 0);
    HWND again = program.WaitForWindow(kNotifyClass, nullptr, 10000);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(NotifyWindows(program.ProcessId()), 1);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}

TEST(NotifyWindow, AReceiveWithNewMailOpensItAndItsRowShowsTheFolder)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    const int kUser = 40;
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"),
                                "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n"
                                "RecNotifyDialog=dword:1\r\n\r\n"
                                "[Window]\r\nNotifyUserWindowOpenTime=dword:30\r\n\r\n");
    {
        CProgramUnderTest first(dir.Path());
        ASSERT_TRUE(first.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = first.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(first.WaitForExit(kStartTimeout), 0);
    }
    NetTest::ClearMaildir(kUser);
    for (int i = 0; i < 2; i++)
        NetTest::DeliverMail(kUser, "From: sender@example.jp\r\nSubject: notice " + std::to_string(i) +
                                        "\r\nMessage-ID: <notice" + std::to_string(i) + "@example.jp>\r\n\r\nbody\r\n");
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("通知試験");
        a->SetMailAddress("cvmtest40@cvm.test");
        a->SetReceiveServer(NetTest::kHost);
        a->SetReceiveUser(NetTest::UserName(kUser));
        a->SetPassword(NetTest::Password(kUser));
        a->SetReceivePort(110);
        a->SetTimeout(10);
        ASSERT_TRUE(accounts.WriteToFile());
    }
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    ASSERT_NE(tree, nullptr);
    // Another folder is shown while the mail comes in.
    HTREEITEM sent = E2e::FindTreeItem(tree, "送信済");
    ASSERT_NE(sent, nullptr);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(sent));

    PostMessageA(main, WM_COMMAND, ID_FILE_RECEIVE_CURRENT, 0);
    HWND notice = program.WaitForWindow(kNotifyClass, nullptr, 60000);
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(E2e::WaitUntil(5000, IsOpen, notice));
    EXPECT_EQ(NotifyWindows(program.ProcessId()), 1);

    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)), sent);
    // The first row is the inbox with its two mails: a click shows it.
    const LPARAM row = MAKELPARAM(60, 33 + 8);
    PostMessageA(notice, WM_MOUSEMOVE, 0, row);
    PostMessageA(notice, WM_LBUTTONDOWN, MK_LBUTTON, row);
    EXPECT_TRUE(E2e::WaitUntil(10000, IsGone, notice));
    HWND list = E2e::FindDescendant(main, "SysListView32");
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) == 2; }, list));
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    EXPECT_EQ(selected, E2e::FindTreeItem(tree, "郵便受け"));

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    NetTest::ClearMaildir(kUser);
}
