// The settings and tools commands of the main window as a user meets them:
// each opens its window over the main window, and the program ends cleanly
// afterwards.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "core/PasswordScrambler.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/resource.h"
#include "resources/rules/RulesResource.h"

#include <gtest/gtest.h>

using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

struct ToolCase
{
    UINT command;
    const char* windowClass;
    const char* caption;
};

} // namespace

class ToolsMenuTest : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ToolsMenuTest, CommandOpensItsWindowOverTheMainWindow)
{
    const ToolCase& c = GetParam();
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + dir.Path() + "\\MailBox\""));
    HWND main = program.WaitForMainWindow(kTimeout);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, c.command, 0);
    HWND window = program.WaitForWindow(c.windowClass, c.caption, kTimeout);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 100 && IsWindowVisible(window); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindowVisible(window));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kTimeout), 0);
}

INSTANTIATE_TEST_SUITE_P(Commands, ToolsMenuTest,
                         ::testing::Values(ToolCase{ID_TOOLS_TEMPLATES, "#32770", "テンプレートの編集"},
                                           ToolCase{ID_TOOLS_ADDRESS_BOOK, "CVMAddressNoteWndClass", nullptr},
                                           ToolCase{ID_TOOLS_ACCOUNTS, "#32770", "アカウントの設定"},
                                           ToolCase{ID_TOOLS_FONT_COLOR, "#32770", "フォントと色の設定"},
                                           ToolCase{ID_TOOLS_MAILBOX, "#32770", "メールボックスの設定"},
                                           ToolCase{ID_TOOLS_START_PASSWORD, "#32770", "起動パスワードの設定"},
                                           // The common controls' own dialog; its caption is theirs.
                                           ToolCase{ID_VIEW_CUSTOMIZE_TOOLBAR, "#32770", nullptr}));

// The list of send passwords is behind the start-up password when one is
// set: Cancel at the question ends the command, the right password opens it.
TEST(ToolsMenu, SendPasswordsAskTheStartUpPasswordFirst)
{
    TestSupport::TempDir dir;
    CPasswordScrambler scrambler;
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), std::string("[Setting]\r\nMailBoxPassword=\"") +
                                                         scrambler.Scramble("secret").GetString() +
                                                         "\"\r\nStartupCheckPassword=dword:0\r\n\r\n");
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + dir.Path() + "\\MailBox\""));
    HWND main = program.WaitForMainWindow(kTimeout);
    ASSERT_NE(main, nullptr);

    PostMessageA(main, WM_COMMAND, ID_TOOLS_SEND_PASSWORDS, 0);
    HWND prompt = program.WaitForDialogWithControl(IDC_PASSWORD_PROMPT, 20000);
    ASSERT_NE(prompt, nullptr);
    E2e::PressButton(prompt, IDCANCEL);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, prompt));
    EXPECT_EQ(program.WaitForWindow("#32770", "暗号化パスワードの設定", 1500), nullptr);

    PostMessageA(main, WM_COMMAND, ID_TOOLS_SEND_PASSWORDS, 0);
    prompt = program.WaitForDialogWithControl(IDC_PASSWORD_PROMPT, 20000);
    ASSERT_NE(prompt, nullptr);
    E2e::SetControlText(prompt, IDC_PASSWORD, "secret");
    E2e::PressButton(prompt, IDOK);
    HWND list = program.WaitForWindow("#32770", "暗号化パスワードの設定", 20000);
    ASSERT_NE(list, nullptr) << E2e::VisibleWindows(program.ProcessId());
    PostMessageA(list, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, list));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kTimeout), 0);
}
