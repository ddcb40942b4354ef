// The list's icon column follows the basic settings at once: the priority
// icons switched off there narrow the column by their slot without a
// restart.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/settings/SettingsResource.h"

#include <gtest/gtest.h>

namespace {

const DWORD kStartTimeout = 60000;

struct ColumnWanted
{
    HWND list;
    int width;
};

} // namespace

TEST(ListIconSettings, PriorityIconsSwitchedOffNarrowTheIconColumnAtOnce)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("CVM.ini"),
                                "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n");
    E2e::CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + dir.Path() + "\\MailBox\""));
    HWND main = program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(E2e::ListColumnWidth(list, 0), 35);

    PostMessageA(main, WM_COMMAND, ID_TOOLS_BASIC_SETTINGS, 0);
    HWND dialog = program.WaitForWindow("#32770", "基本設定", 20000);
    ASSERT_NE(dialog, nullptr) << E2e::VisibleWindows(program.ProcessId());
    HWND check = E2e::FindDescendant(dialog, "Button", IDC_SET_DISPLAY_PRIORITY);
    ASSERT_NE(check, nullptr);
    ASSERT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(check, BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    E2e::PressButton(dialog, IDOK);
    ColumnWanted wanted = { list, 27 };
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
        auto* w = static_cast<ColumnWanted*>(p);
        return E2e::ListColumnWidth(w->list, 0) == w->width;
    }, &wanted)) << E2e::ListColumnWidth(list, 0) << E2e::VisibleWindows(program.ProcessId());
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}
