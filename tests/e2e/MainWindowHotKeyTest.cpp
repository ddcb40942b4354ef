// The global key that brings the program to the front, pressed while the
// mailbox password is being asked and another program is in front: the
// prompt comes to the front with the focus to type into, not the main
// window it keeps locked.
#include "e2e/MaintFixture.h"

#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/resource.h"

namespace {

using MaintE2e::kTimeout;

class MainWindowHotKey : public MaintE2e::CMailBoxTest
{
protected:
    static HWND FocusOf(HWND window)
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
            return nullptr;
        return info.hwndFocus;
    }
    static void PressKeys(std::initializer_list<BYTE> keys)
    {
        for (BYTE k : keys)
            keybd_event(k, 0, 0, 0);
        for (auto k = keys.end(); k != keys.begin();)
            keybd_event(*--k, 0, KEYEVENTF_KEYUP, 0);
    }
};

} // namespace

TEST_F(MainWindowHotKey, TheFrontKeyBringsAnOpenPasswordPromptToTheFront)
{
    MakeMailBox();
    // Alt+Ctrl+F12 for 元のサイズに戻す: the program's key to the front.
    TestSupport::WriteFileBytes(MailBox() + "\\MainWnd.key", "32989\t123\t25\r\n");
    HWND main = Start();
    ASSERT_NE(main, nullptr);

    // The send passwords are guarded by the mailbox password.
    PostMessageA(main, WM_COMMAND, ID_TOOLS_SEND_PASSWORDS, 0);
    HWND prompt = m_program.WaitForDialogWithControl(IDC_SAVE_PASSWORD, 20000);
    ASSERT_NE(prompt, nullptr) << E2e::VisibleWindows(m_program.ProcessId());

    // Another program comes in front meanwhile.
    HWND other = CreateWindowExA(0, "STATIC", "他のプログラム", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }));

    PressKeys({ VK_CONTROL, VK_MENU, VK_F12 });
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == prompt; }))
        << "in front: " << E2e::GetWindowTextOf(GetForegroundWindow()).GetString();
    EXPECT_TRUE(WaitFor([&] {
        HWND focus = FocusOf(prompt);
        return focus && (focus == prompt || IsChild(prompt, focus));
    }));
    DestroyWindow(other);

    E2e::PressButton(prompt, IDCANCEL);
    EXPECT_TRUE(WaitGone(prompt));
    Close(main);
}
