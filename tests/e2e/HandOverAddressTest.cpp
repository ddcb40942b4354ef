// Texts handed over to the main window from the mail list, from a viewer
// window on its own thread and from another program: a sender goes to the
// address book's add dialog, a mail text into the current folder.
#include "e2e/E2eDriver.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "plugin/SharedMemory.h"
#include "resources/addressbook/AddressbookResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/shownmail/ShownMailResource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class HandOverAddressTest : public MaintE2e::CMailBoxTest
{
protected:
    // The add dialog the address book opens; its name and address fields,
    // then the dialog is answered with the button.
    void ExpectAddDialog(const char* name, const char* address, int button)
    {
        HWND dlg = m_program.WaitForWindow("#32770", "アドレスの追加", 20000);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(E2e::GetControlText(dlg, IDC_ENTRY_NAME), CString(name));
        EXPECT_EQ(E2e::GetControlText(dlg, IDC_ENTRY_ADDRESS), CString(address));
        E2e::PressButton(dlg, button);
        ASSERT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, dlg));
    }
    HWND MailList(HWND main) { return E2e::FindDescendant(main, "SysListView32"); }
    bool WaitForRows(HWND list, int rows)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(100))
            if (E2e::ListItemCount(list) == rows)
                return true;
        return false;
    }
};

} // namespace

TEST_F(HandOverAddressTest, TheSenderOfTheListsAndAViewersMailOpensTheAddDialogFilled)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "登録する" });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = MailList(main);
    ASSERT_TRUE(WaitForRows(list, 1));

    // A click gives the list the focus, so the frame's open command takes its row.
    RECT rc = E2e::ListItemRect(list, 0);
    LPARAM pt = MAKELPARAM(60, (rc.top + rc.bottom) / 2);
    for (int attempt = 0; attempt < 10; ++attempt) {
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, pt);
        PostMessageA(list, WM_LBUTTONUP, 0, pt);
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        Sleep(200);
        if (GetGUIThreadInfo(GetWindowThreadProcessId(list, nullptr), &info) && info.hwndFocus == list)
            break;
    }
    E2e::ListSelectItem(list, 0);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main, WM_COMMAND, ID_MAIL_OPEN, 0, SMTO_NORMAL, 20000, &result);
    HWND viewer = m_program.WaitForWindow("CVMViewWndClass", "登録する", 20000);
    ASSERT_NE(viewer, nullptr);
    HWND body = E2e::FindDescendant(viewer, "CVMColorTextView");
    ASSERT_NE(body, nullptr);
    PostMessageA(body, WM_COMMAND, IDM_TV_ADD_SENDER, 0);
    ExpectAddDialog("山田", "taro@example.jp", IDOK);
    // The address book thread writes its file once the dialog has closed.
    EXPECT_TRUE(E2e::WaitFor(10000, [&] {
        return TestSupport::ReadFileBytes(MailBox() + "\\Address.Box\\アドレス帳.dat").find("taro@example.jp\t山田") !=
               std::string::npos;
    }));

    // The list's own command on the selected mail.
    E2e::ListSelectItem(list, 0);
    PostMessageA(main, WM_COMMAND, ID_MAIL_ADD_SENDER, 0);
    ExpectAddDialog("山田", "taro@example.jp", IDCANCEL);

    PostMessageA(viewer, WM_CLOSE, 0, 0);
    Close(main);
}

TEST_F(HandOverAddressTest, AMailTextHandedOverIsFiledInTheCurrentFolder)
{
    MakeMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = MailList(main);
    ASSERT_TRUE(WaitForRows(list, 0));

    const std::string mail = "From: 佐藤 <sato@example.jp>\r\nSubject: 手渡し\r\nMessage-ID: <handed@example.jp>\r\n"
                             "\r\n.から始まる行\r\n本文\r\n";
    std::vector<BYTE> request = MakeHandOverRequest(3, mail);
    DWORD ticket = 0;
    ASSERT_TRUE(WriteSharedMemory(static_cast<DWORD>(request.size()), request.data(), &ticket));
    PostMessageA(main, 1494, 0, 0);
    ASSERT_TRUE(WaitForRows(list, 1));
    EXPECT_EQ(E2e::ListItemText(list, 0, 1), CString("手渡し"));
    Close(main);
    EXPECT_EQ(Stored(CFolderRecord::kindInbox), (std::multiset<std::string>{ "手渡し" }));
}
