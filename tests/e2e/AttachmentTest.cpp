// Attachments as a user meets them: a file chosen in the editor's attach
// dialog shows in its list, and sending asks for the password, packs the
// file into a ZIP archive with the kept password chosen by its name and
// delivers the mail; the archive that arrives in the recipient's mailbox
// opens with Debian's unzip and that password. Without the archiver the
// send is refused and the mail stays. A template made in its edit dialog
// keeps the file attached to it.
#include "archive/MailPart.h"
#include "archive/UnixTool.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "editor/SendPassData.h"
#include "e2e/E2eDriver.h"
#include "e2e/TestAccount.h"
#include "e2e/RemoteControls.h"
#include "net/NetTestSupport.h"
#include "resources/attach/AttachResource.h"
#include "resources/editor/EditorResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <cstring>
#include <string>
#include <vector>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kEditorClass[] = "CVMEditWndClass";
const char kContent[] = "見積金額：１２０万円\r\n";
const char kPassword[] = "e2e \"pass\"";
const int kSender = 38;
const int kRecipient = 39;

bool SmtpAnswers()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(587);
    addr.sin_addr.s_addr = inet_addr("127.0.0.3");
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    closesocket(s);
    return ok;
}

std::vector<std::string> Delivered(const CString& maildir)
{
    std::vector<std::string> mails;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(maildir + "\\new\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return mails;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            mails.push_back(TestSupport::ReadFileBytes(maildir + "\\new\\" + fd.cFileName));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return mails;
}

class AttachmentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SmtpAnswers()) {
            CVM_NEED_SERVER(false, "Postfix");
        }
        std::string ini = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n"
                          "EditorAutoBackup=dword:0\r\nSendConfirmDialog=dword:0\r\n";
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), ini);
        CreateDirectoryA(MailBox(), nullptr);
        ASSERT_TRUE(E2e::WriteTestAccount(MailBox(), kSender));
        m_maildir = NetTest::ClearMaildir(kRecipient);
        TestSupport::WriteFileBytes(m_dir.File("estimate.txt"), kContent);
    }

    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }

    // The archiver libraries beside the program, as a user installs them.
    void InstallArchivers()
    {
        CString program = E2e::WinPath(CVM_E2E_PROGRAM);
        CString build = program.Left(program.ReverseFind('\\'));
        for (const char* name : {"ZIP32J.DLL", "UNLHA32.DLL"})
            ASSERT_TRUE(CopyFileA(build + "\\tests\\archive\\" + name, m_dir.File(name), FALSE)) << name;
    }

    // A new editor with the mail written and the file attached through the
    // attach dialog; the editor's window, or null.
    HWND WriteMailWithAttachment(HWND main)
    {
        PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
        HWND editor = m_program.WaitForWindow(kEditorClass, nullptr, 20000);
        if (!editor)
            return nullptr;
        for (int i = 0; i < 100 && !IsWindowVisible(editor); ++i)
            Sleep(100);
        HWND view = GetDlgItem(editor, 0xE900);
        E2e::SetControlText(view, IDC_ME_TO, FormatString("cvmtest%d@cvm.test", kRecipient));
        E2e::SetControlText(view, IDC_ME_SUBJECT, "見積書の送付");
        E2e::SetControlText(view, IDC_ME_BODY, "見積書を添付します。");
        PostMessageA(editor, WM_COMMAND, ID_EDIT_ATTACH, 0);
        HWND open = m_program.WaitForWindow("#32770", "添付ファイルの選択", 20000);
        if (!open)
            return nullptr;
        // The file name box of the open dialog.
        E2e::SetControlText(open, 1148, m_dir.File("estimate.txt"));
        E2e::PressButton(open, IDOK);
        HWND list = GetDlgItem(view, IDC_ME_ATTACH_LIST);
        for (int i = 0; i < 100 && E2e::ListItemCount(list) < 1; ++i)
            Sleep(100);
        return editor;
    }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{m_dir.Path()};
    CString m_maildir;
};

} // namespace

TEST_F(AttachmentTest, AnAttachedFileArrivesAsAnArchiveThatOpensWithTheKeptPasswordChosenAtSending)
{
    InstallArchivers();
    // The password is one of the kept list, chosen by its name.
    CSendPassData passwords;
    passwords.SetFilePath(MailBox() + "\\CVMSendPass.dat");
    auto* kept = static_cast<CSendPassRecord*>(passwords.CreateNewRecord());
    kept->m_strName = "取引先";
    kept->m_strPassword = kPassword;
    ASSERT_TRUE(passwords.WriteToFile());
    ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\""));
    HWND main = m_program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    HWND editor = WriteMailWithAttachment(main);
    ASSERT_NE(editor, nullptr);
    HWND list = GetDlgItem(GetDlgItem(editor, 0xE900), IDC_ME_ATTACH_LIST);
    ASSERT_EQ(E2e::ListItemCount(list), 1);
    EXPECT_EQ(E2e::ListItemText(list, 0, 0), CString("estimate.txt"));
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(E2e::GetControlText(GetDlgItem(editor, 0xE900), IDC_ME_SIZE),
              FormatString("%d Byte", static_cast<int>(strlen(kContent))));

    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
    HWND ask = m_program.WaitForDialogWithControl(IDC_ZP_PASSWORD, 20000);
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(E2e::GetWindowTextOf(ask), CString("暗号化パスワードの入力"));
    SendDlgItemMessageA(ask, IDC_ZP_PASSWORD, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(E2e::GetControlText(ask, IDC_ZP_PASSWORD), CString("取引先"));
    E2e::PressButton(ask, IDOK);

    std::vector<std::string> mails;
    for (int i = 0; i < 150 && (mails = Delivered(m_maildir)).empty(); ++i)
        Sleep(200);
    ASSERT_EQ(mails.size(), 1u);
    const std::string& mail = mails[0];
    EXPECT_EQ(mail.find("estimate.txt\""), std::string::npos);  // never in clear
    std::string zip;
    ASSERT_TRUE(ArchiveTest::ExtractAttachment(mail, "estimate.zip", zip)) << mail.substr(0, 2000);
    TestSupport::WriteFileBytes(m_dir.File("arrived.zip"), zip);
    std::string bytes;
    EXPECT_FALSE(UnixTool::UnzipEntry(m_dir.File("arrived.zip"), "wrong", "estimate.txt", bytes));
    ASSERT_TRUE(UnixTool::UnzipEntry(m_dir.File("arrived.zip"), kPassword, "estimate.txt", bytes)) << bytes;
    EXPECT_EQ(bytes, kContent);
    // The sent editor closed; the user's file is untouched.
    for (int i = 0; i < 100 && IsWindow(editor) && IsWindowVisible(editor); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindow(editor) && IsWindowVisible(editor));
    EXPECT_EQ(TestSupport::ReadFileBytes(m_dir.File("estimate.txt")), kContent);

    Sleep(1000);
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (HWND question = m_program.WaitForMessageBox("編集中のメールがあります。", 3000))
        E2e::PressButton(question, IDOK);
    EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
    m_program.Kill();
}

TEST_F(AttachmentTest, WithoutTheArchiverTheFileGoesAsItIsAndNoPasswordIsAsked)
{
    ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\""));
    HWND main = m_program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    HWND editor = WriteMailWithAttachment(main);
    ASSERT_NE(editor, nullptr);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);

    std::vector<std::string> mails;
    for (int i = 0; i < 150 && (mails = Delivered(m_maildir)).empty(); ++i) {
        ASSERT_EQ(m_program.WaitForDialogWithControl(IDC_ZP_PASSWORD, 0), nullptr) << "a password was asked";
        Sleep(200);
    }
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_NE(mails[0].find("estimate.txt"), std::string::npos) << mails[0].substr(0, 2000);
    EXPECT_EQ(mails[0].find("estimate.zip"), std::string::npos);
    for (int i = 0; i < 100 && IsWindow(editor) && IsWindowVisible(editor); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindow(editor) && IsWindowVisible(editor));

    Sleep(1000);
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (HWND question = m_program.WaitForMessageBox("編集中のメールがあります。", 3000))
        E2e::PressButton(question, IDOK);
    EXPECT_GE(m_program.WaitForExit(kStartTimeout), 0);
    m_program.Kill();
}

TEST_F(AttachmentTest, ATemplateMadeInItsEditDialogKeepsTheFileAttachedToIt)
{
    ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\""));
    HWND main = m_program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_TOOLS_TEMPLATES, 0);
    HWND select = m_program.WaitForDialogWithControl(IDC_TS_ADD, 20000);
    ASSERT_NE(select, nullptr);
    E2e::PressButton(select, IDC_TS_ADD);
    HWND edit = m_program.WaitForDialogWithControl(IDC_TE_ATTACH_LIST, 20000);
    ASSERT_NE(edit, nullptr);
    E2e::SetControlText(edit, IDC_TE_NAME, "見積書テンプレート");
    E2e::SetControlText(edit, IDC_TE_SUBJECT, "見積書の送付");
    E2e::SetControlText(edit, IDC_TE_BODY, "%FNAME%様\r\n見積書を添付します。");
    E2e::PressButton(edit, IDC_TE_ATTACH);
    HWND open = m_program.WaitForDialogWithControl(1148, 20000);
    ASSERT_NE(open, nullptr);
    E2e::SetControlText(open, 1148, m_dir.File("estimate.txt"));
    E2e::PressButton(open, IDOK);
    HWND list = GetDlgItem(edit, IDC_TE_ATTACH_LIST);
    for (int i = 0; i < 100 && E2e::ListItemCount(list) < 1; ++i)
        Sleep(100);
    ASSERT_EQ(E2e::ListItemCount(list), 1);
    EXPECT_EQ(E2e::ListItemText(list, 0, 0), CString("estimate.txt"));
    E2e::PressButton(edit, IDOK);
    for (int i = 0; i < 100 && IsWindow(edit); ++i)
        Sleep(100);
    ASSERT_FALSE(IsWindow(edit));

    // The new template is listed, and its file holds the attachment.
    HWND rows = GetDlgItem(select, IDC_TS_LIST);
    for (int i = 0; i < 50 && SendMessageA(rows, LB_GETCOUNT, 0, 0) < 1; ++i)
        Sleep(100);
    EXPECT_EQ(SendMessageA(rows, LB_GETCOUNT, 0, 0), 1);
    std::string file = TestSupport::ReadFileBytes(MailBox() + "\\Template.Box\\見積書テンプレート");
    EXPECT_NE(file.find("Subject: 見積書の送付\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("X-Attach_File_Path: " + std::string(m_dir.File("estimate.txt").GetString()) + "\r\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("\r\n\r\n%FNAME%様\r\n見積書を添付します。"), std::string::npos) << file;
    E2e::PressButton(select, IDCANCEL);

    Sleep(1000);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
    m_program.Kill();
}
