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

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{ m_dir.Path() };
    HWND m_main = nullptr;
};

} // namespace

TEST_F(TemplateCommandsTest, NewMailFromTheChosenTemplate)
{
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_NEW_FROM_TEMPLATE, 0);
    HWND choice = m_program.WaitForDialogWithControl(IDC_TS_LIST, 20000);
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
