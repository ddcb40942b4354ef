// The address book beside an editor as a user meets it: opened from the
// editor's To button, its buttons fill the editor's To and BCC (which the
// editor then shows), rows dragged onto the CC field land there, the
// editor's address book command brings back the same window, and closing
// the editor closes it.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"
#include "resources/addressbook/AddressbookResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kEditorClass[] = "CVMEditWndClass";
const char kNoteClass[] = "CVMAddressNoteWndClass";

class AddressBookEditorTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }

    void Prepare()
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), "[Setting]\r\nMailBoxPassword=\"x\"\r\n"
                                                          "StartupCheckPassword=dword:0\r\nEditorAutoBackup=dword:0\r\n");
        CreateDirectoryA(MailBox(), nullptr);
        CAccountDataSet set;
        set.SetFilePath(MailBox() + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
        a->SetAccountName("テスト");
        a->SetMailAddress("cvmtest45@cvm.test");
        a->SetSmtpServer("smtp.cvm.test");
        ASSERT_TRUE(set.WriteToFile(FALSE));
        CString box = MailBox() + "\\Address.Box";
        CreateDirectoryA(box, nullptr);
        TestSupport::WriteFileBytes(
            box + "\\Group.lst",
            "FILE_VERSION\t1\r\n"
            "-1\t0\t1\t0\tアドレス帳\tアドレス帳.dat\t0\t0\t0\t1\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n");
        TestSupport::WriteFileBytes(box + "\\アドレス帳.dat", "yamada@example.jp\t山田 太郎\t\tIconDefault\t\r\n"
                                                            "tanaka@example.jp\t田中\t\tIconDefault\t\r\n");
    }

    static HWND ViewOf(HWND frame) { return GetDlgItem(frame, 0xE900); }

    // Waits until the field's text is the expected one; the text it has then.
    static CString WaitForText(HWND hDlg, int id, const char* expected)
    {
        CString text;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(100)) {
            text = E2e::GetControlText(hDlg, id);
            if (text == expected)
                break;
        }
        return text;
    }

    static void MouseTo(int x, int y)
    {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN));
        input.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN));
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof(INPUT));
        Sleep(50);
    }
    static void Button(DWORD flag)
    {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flag;
        SendInput(1, &input, sizeof(INPUT));
        Sleep(100);
    }

    // A row of the address book dragged with the mouse and released over a window.
    static void DragRowOnto(HWND note, HWND list, int row, HWND target)
    {
        // The first click on a window that is not active only activates it.
        RECT rc = {};
        GetWindowRect(note, &rc);
        SetForegroundWindow(note);
        MouseTo(rc.left + 60, rc.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2);
        Button(MOUSEEVENTF_LEFTDOWN);
        Button(MOUSEEVENTF_LEFTUP);
        RECT item = E2e::ListItemRect(list, row);
        POINT from = { item.left + 40, (item.top + item.bottom) / 2 };
        ClientToScreen(list, &from);
        GetWindowRect(target, &rc);
        POINT to = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
        MouseTo(from.x, from.y);
        Button(MOUSEEVENTF_LEFTDOWN);
        // The list sees the drag begin only while the mouse is over it.
        MouseTo(from.x + 8, from.y);
        MouseTo(from.x + 16, from.y);
        for (int step = 1; step <= 10; ++step)
            MouseTo(from.x + (to.x - from.x) * step / 10, from.y + (to.y - from.y) * step / 10);
        Button(MOUSEEVENTF_LEFTUP);
    }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{m_dir.Path()};
};

} // namespace

TEST_F(AddressBookEditorTest, PickedAndDraggedAddressesLandInTheEditorsFields)
{
    Prepare();
    ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\" "));
    HWND main = m_program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    HWND editor = m_program.WaitForWindow(kEditorClass, nullptr, 20000);
    ASSERT_NE(editor, nullptr);
    HWND view = ViewOf(editor);
    ASSERT_FALSE(IsWindowVisible(GetDlgItem(view, IDC_ME_BCC)));

    E2e::PressButton(view, IDC_ME_TO_BUTTON);
    HWND note = m_program.WaitForWindow(kNoteClass, "アドレス帳", 20000);
    ASSERT_NE(note, nullptr);
    HWND list = GetDlgItem(note, IDC_ADDRESS_LIST);
    for (DWORD start = GetTickCount(); E2e::ListItemCount(list) < 2 && GetTickCount() - start < 10000;)
        Sleep(100);
    ASSERT_EQ(E2e::ListItemCount(list), 2);
    EXPECT_EQ(E2e::ListItemText(list, 0, 2), CString("yamada@example.jp"));

    E2e::ListSelectItem(list, 0);
    E2e::PressButton(note, ID_ADDRESS_TO);
    EXPECT_EQ(WaitForText(view, IDC_ME_TO, "山田 太郎 <yamada@example.jp>,"), CString("山田 太郎 <yamada@example.jp>,"));

    // Into the hidden BCC: the editor shows the field.
    E2e::ListSelectItem(list, 1);
    E2e::PressButton(note, ID_ADDRESS_BCC);
    EXPECT_EQ(WaitForText(view, IDC_ME_BCC, "田中 <tanaka@example.jp>,"), CString("田中 <tanaka@example.jp>,"));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(view, IDC_ME_BCC)));

    // A row dragged out of the window with the mouse onto the CC field.
    SetWindowPos(editor, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(note, nullptr, 580, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(300);
    DragRowOnto(note, list, 1, GetDlgItem(view, IDC_ME_CC));
    EXPECT_EQ(WaitForText(view, IDC_ME_CC, "田中 <tanaka@example.jp>,"), CString("田中 <tanaka@example.jp>,"));

    // The editor's address book command brings back the one window.
    ShowWindow(note, SW_MINIMIZE);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_ADDRESS_BOOK, 0);
    for (DWORD start = GetTickCount(); IsIconic(note) && GetTickCount() - start < 10000;)
        Sleep(100);
    EXPECT_FALSE(IsIconic(note));
    EXPECT_EQ(m_program.WaitForWindow(kNoteClass, "アドレス帳", 0), note);

    // The mail was changed by the address book: closing asks, and the
    // address book goes with the editor.
    PostMessageA(editor, WM_CLOSE, 0, 0);
    HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 10000);
    ASSERT_NE(prompt, nullptr);
    E2e::PressButton(prompt, IDC_SC_DISCARD);
    for (DWORD start = GetTickCount(); (IsWindow(editor) || IsWindow(note)) && GetTickCount() - start < 20000;)
        Sleep(100);
    EXPECT_FALSE(IsWindow(note));
    EXPECT_FALSE(IsWindow(editor));

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
    m_program.Kill();
}
