// Fonts and colours chosen in their dialog are shown at once by the open
// main window, without a restart.
#include "e2e/E2eDriver.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/settings/SettingsResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

// Place of the list background among the dialog's colour buttons.
const int kListBackButton = IDC_FC_COLOR_FIRST + 5;
// The red, green and blue fields of the system colour dialog.
const int kRed = 706, kGreen = 707, kBlue = 708;

class ViewSettingsTest : public MaintE2e::CMailBoxTest
{
};

} // namespace

TEST_F(ViewSettingsTest, AListColourChosenInTheDialogIsShownByTheOpenListAtOnce)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "色" });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    const COLORREF chosen = RGB(10, 20, 30);
    ASSERT_NE(static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0)), chosen);

    PostMessageA(main, WM_COMMAND, ID_TOOLS_FONT_COLOR, 0);
    HWND dialog = m_program.WaitForWindow("#32770", "フォントと色の設定", 20000);
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kListBackButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, kListBackButton)));
    HWND colors = m_program.WaitForDialogWithControl(kRed, 20000);
    ASSERT_NE(colors, nullptr);
    E2e::SetControlText(colors, kRed, "10");
    E2e::SetControlText(colors, kGreen, "20");
    E2e::SetControlText(colors, kBlue, "30");
    E2e::PressButton(colors, IDOK);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, colors));
    E2e::PressButton(dialog, IDOK);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, dialog));

    struct Ctx
    {
        HWND list;
        COLORREF color;
    } ctx{ list, chosen };
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
        auto* c = static_cast<Ctx*>(p);
        return static_cast<COLORREF>(SendMessageA(c->list, LVM_GETBKCOLOR, 0, 0)) == c->color;
    }, &ctx)) << std::hex << SendMessageA(list, LVM_GETBKCOLOR, 0, 0);
    Close(main);
}
