// Mails from templates in the main window: the toolbar's and the tray's
// "テンプレートから作成" runs the template choice and opens an editor filled
// from the chosen template; a registered template call opens it at once.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "core/AccountDataSet.h"
#include "resources/editor/EditorResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kEditorClass[] = "CVMEditWndClass";

class TemplateCommandsTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    void SetUp() override
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), "[Setting]\r\nMailBoxPassword=\"x\"\r\n"
                                                           "StartupCheckPassword=dword:0\r\nEditorAutoBackup=dword:0\r\n\r\n");
        CreateDirectoryA(MailBox(), nullptr);
        CAccountDataSet set;
        set.SetFilePath(MailBox() + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
        a->SetAccountName("テスト");
        a->SetMailAddress("cvmtest65@cvm.test");
        a->SetSmtpServer("smtp.cvm.test");
        a->SetReceiveServer("127.0.0.2");
        ASSERT_TRUE(set.WriteToFile(FALSE));
        CreateDirectoryA(MailBox() + "\\Template.Box", nullptr);
        TestSupport::WriteFileBytes(MailBox() + "\\Template.Box\\週報.txt",
                                    "X-SetHeaders: ON\r\nSubject: 今週の週報\r\n\r\n今週の作業:\r\n");
        ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\""));
        m_main = m_program.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(m_main, nullptr);
    }
    void TearDown() override
    {
        if (m_main) {
            Sleep(1000);
            PostMessageA(m_main, WM_CLOSE, 0, 0);
            if (HWND ask = m_program.WaitForMessageBox("編集中のメールがあります。", 3000))
                E2e::PressButton(ask, IDOK);
            EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
        }
        m_program.Kill();
    }

    // The template chosen in the choice dialog opens an editor filled from it.
    void ChooseTheTemplate(HWND choice)
    {
        ASSERT_NE(choice, nullptr);
        SendMessageA(GetDlgItem(choice, IDC_TS_LIST), LB_SETCURSEL, 0, 0);
        E2e::PressButton(choice, IDOK);
        HWND editor = m_program.WaitForWindow(kEditorClass, nullptr, 20000);
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
            HWND subject = E2e::FindDescendant(static_cast<HWND>(p), "Edit", IDC_ME_SUBJECT);
            return subject && E2e::GetWindowTextOf(subject) == "今週の週報";
        }, editor));
    }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{ m_dir.Path() };
    HWND m_main = nullptr;
};

} // namespace

TEST_F(TemplateCommandsTest, NewMailFromTheChosenTemplate)
{
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_NEW_FROM_TEMPLATE, 0);
    ChooseTheTemplate(m_program.WaitForDialogWithControl(IDC_TS_LIST, 20000));
}

// The toolbar's "テンプレートから作成" button clicked with the mouse.
TEST_F(TemplateCommandsTest, TheToolbarsTemplateButtonMakesAMailFromTheChosenTemplate)
{
    struct Find
    {
        HWND bar = nullptr;
    } found;
    EnumChildWindows(m_main, [](HWND h, LPARAM p) -> BOOL {
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof(cls));
        if (lstrcmpiA(cls, TOOLBARCLASSNAMEA) != 0 || SendMessageA(h, TB_COMMANDTOINDEX, ID_MAIL_NEW_FROM_TEMPLATE, 0) < 0)
            return TRUE;
        reinterpret_cast<Find*>(p)->bar = h;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    ASSERT_NE(found.bar, nullptr);
    const LRESULT index = SendMessageA(found.bar, TB_COMMANDTOINDEX, ID_MAIL_NEW_FROM_TEMPLATE, 0);
    E2e::CRemoteBlock block(found.bar, sizeof(RECT));
    ASSERT_TRUE(SendMessageA(found.bar, TB_GETITEMRECT, static_cast<WPARAM>(index), block.Param()));
    RECT rc = {};
    block.Read(&rc, sizeof(rc));
    POINT at = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    ClientToScreen(found.bar, &at);
    SetForegroundWindow(m_main);
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(at.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    move.mi.dy = MulDiv(at.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof(INPUT));
    Sleep(100);
    // The first click on a window that is not active may only activate it.
    HWND choice = nullptr;
    for (int attempt = 0; attempt < 2 && !choice; ++attempt) {
        for (DWORD flag : { MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP }) {
            INPUT click = {};
            click.type = INPUT_MOUSE;
            click.mi.dwFlags = flag;
            SendInput(1, &click, sizeof(INPUT));
            Sleep(100);
        }
        choice = m_program.WaitForDialogWithControl(IDC_TS_LIST, 5000);
    }
    ASSERT_NE(choice, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    ChooseTheTemplate(choice);
}
