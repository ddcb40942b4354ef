// The automatic receive settings and the receive notification settings as a
// user meets them from the tools menu: each dialog opens over the main
// window and leaves its file behind when it closes.
#include "e2e/E2eDriver.h"
#include "resources/mainwnd/ToolsCommandsResource.h"

#include <gtest/gtest.h>

using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

void CloseWith(HWND window, int button)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    for (int i = 0; i < 100 && IsWindow(window); ++i)
        Sleep(100);
}

} // namespace

TEST(RouteNotifyMenu, RouteAndNotifySettingsOpenFromTheMenuAndWriteTheirFiles)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + dir.Path() + "\\MailBox\""));
    HWND main = program.WaitForMainWindow(kTimeout);
    ASSERT_NE(main, nullptr);

    PostMessageA(main, WM_COMMAND, ID_TOOLS_ROUTE_SETTINGS, 0);
    HWND route = program.WaitForWindow("#32770", "巡回の設定", kTimeout);
    ASSERT_NE(route, nullptr);
    CloseWith(route, IDOK);
    EXPECT_FALSE(IsWindow(route));
    // A mailbox without settings gets the default general record.
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("MailBox\\RouteSet.dat")), "0\t10\t0\t0\t0\t0\t0\t1\r\n99\t1\r\n");

    PostMessageA(main, WM_COMMAND, ID_TOOLS_RECEIVE_NOTIFY, 0);
    HWND notify = program.WaitForWindow("#32770", "受信通知", kTimeout);
    ASSERT_NE(notify, nullptr);
    CloseWith(notify, IDCANCEL);
    EXPECT_FALSE(IsWindow(notify));
    EXPECT_TRUE(TestSupport::FileExists(dir.File("MailBox\\Notify.dat")));

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kTimeout), 0);
}
