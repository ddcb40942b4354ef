// The main window's keys as a user meets them: the key file made from the
// defaults at the first start, and a key changed in it running its command.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "core/AccountDataSet.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

HWND WaitForMain(CProgramUnderTest& program)
{
    return program.WaitForMainWindow(kStartTimeout);
}

void PressKey(HWND hWnd, UINT vk)
{
    PostMessageA(hWnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hWnd, WM_KEYUP, vk, 0xC0000001);
}

} // namespace

TEST(Keys, KeyFileFromTheDefaultsAndAChangedKeyRunsItsCommand)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    {
        CProgramUnderTest program(dir.Path());
        ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = WaitForMain(program);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(program.WaitForExit(kStartTimeout), 0);
    }
    // The first start wrote the main window's defaults, each with its texts.
    std::string keys = TestSupport::ReadFileBytes(mailbox + "\\MainWnd.key");
    size_t rows = 0;
    for (size_t p = keys.find("\r\n"); p != std::string::npos; p = keys.find("\r\n", p + 2))
        ++rows;
    EXPECT_EQ(rows, 77u);
    EXPECT_NE(keys.find("32773\t68\t9\t"), std::string::npos) << keys.substr(0, 400);
    EXPECT_NE(keys.find("\tCtrl+D\t\t-1\r\n"), std::string::npos);

    // The receive command moves from Ctrl+D to F7.
    size_t row = keys.find("32773\t68\t9\t");
    keys.replace(row, std::string("32773\t68\t9\t").size(), "32773\t118\t1\t");
    TestSupport::WriteFileBytes(mailbox + "\\MainWnd.key", keys);
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("試験");
        a->SetMailAddress("keys@cvm.test");
        a->SetReceiveServer("127.0.0.1");
        a->SetReceiveUser("keys");
        a->SetReceivePort(1);
        a->SetTimeout(5);
        ASSERT_TRUE(accounts.WriteToFile());
    }
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);
    Sleep(1000);
    PressKey(main, VK_F8);  // no command
    EXPECT_EQ(program.WaitForMessageBox("", 2000), nullptr);
    // The receive of the account at a closed port ends with a message box.
    PressKey(main, VK_F7);
    HWND box = program.WaitForMessageBox("", 30000);
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // Closing may ask about the failed receive first.
    PostMessageA(main, WM_CLOSE, 0, 0);
    int code = -1;
    for (int i = 0; i < 60 && (code = program.WaitForExit(1000)) == -1; ++i) {
        if (HWND more = program.WaitForMessageBox("", 0))
            PostMessageA(more, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(code, 0);
}

namespace {

struct MenuSearch
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindPopupMenu(HWND hWnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<MenuSearch*>(lParam);
    char cls[16] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == s->pid && lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(hWnd)) {
        s->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

// There may be no notification area on the test display: the tray's
// callback message is sent as the shell would.
TEST(Keys, TrayCallbackOpensTheMenuAndRestoresTheWindow)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);
    const UINT kTrayCallback = WM_USER + 371;

    PostMessageA(main, kTrayCallback, 3000, WM_RBUTTONDOWN);
    MenuSearch search{ program.ProcessId(), nullptr };
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* p) {
        auto* s = static_cast<MenuSearch*>(p);
        EnumWindows(FindPopupMenu, reinterpret_cast<LPARAM>(s));
        return s->found != nullptr;
    }, &search));
    PostMessageA(search.found, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(main, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindowVisible(static_cast<HWND>(p)); }, search.found));

    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* p) { return IsIconic(static_cast<HWND>(p)) != FALSE; }, main));
    PostMessageA(main, kTrayCallback, 3000, WM_LBUTTONDOWN);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsIconic(static_cast<HWND>(p)); }, main));

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}
