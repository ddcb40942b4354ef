// Attachments for the To recipient only, with the setting that names them in
// a comment for the others: a mail forwarded with its file, To one test
// user, Bcc another; what each of them receives.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using E2e::CEditorSession;

TEST(AttachToOnlyCommentTest, OthersCopyNamesTheFilesOnlyTheToRecipientGets)
{
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(123, "[EditWindow]\r\nAttachToCommentType=dword:1\r\n"));
    CString toBox = NetTest::ClearMaildir(123), bccBox = NetTest::ClearMaildir(124);
    HWND main = nullptr;
    HWND editor = session.EditorForInboxMail(
        "From: Sato <sato@example.jp>\r\nTo: cvmtest123@cvm.test\r\nSubject: plan\r\n"
        "Date: Mon, 1 Jan 2024 10:00:00 +0900\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
        "--b1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nsee the plan\r\n"
        "--b1\r\nContent-Type: application/octet-stream; name=\"plan.bin\"\r\n"
        "Content-Disposition: attachment; filename=\"plan.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        "AAECAwQFBgcICQ==\r\n--b1--\r\n",
        ID_MAIL_FORWARD, main);
    ASSERT_NE(editor, nullptr) << session.Windows();
    HWND view = CEditorSession::ViewOf(editor);
    ASSERT_EQ(E2e::ListItemCount(GetDlgItem(view, IDC_ME_ATTACH_LIST)), 1) << session.Windows();
    E2e::SetControlText(view, IDC_ME_TO, "cvmtest123@cvm.test");
    E2e::SetControlText(view, IDC_ME_BCC, "cvmtest124@cvm.test");
    SendMessageA(GetDlgItem(view, IDC_ME_TO_ONLY), BM_SETCHECK, BST_CHECKED, 0);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
    ASSERT_TRUE(session.ConfirmSendInfo()) << session.Windows();

    std::vector<std::string> toMails = CEditorSession::WaitForDelivered(toBox, 1);
    std::vector<std::string> bccMails = CEditorSession::WaitForDelivered(bccBox, 1);
    ASSERT_EQ(toMails.size(), 1u) << session.Windows();
    ASSERT_EQ(bccMails.size(), 1u) << session.Windows();
    EXPECT_NE(toMails[0].find("AAECAwQFBgcICQ=="), std::string::npos) << toMails[0].substr(0, 1500);
    EXPECT_EQ(bccMails[0].find("AAECAwQFBgcICQ=="), std::string::npos) << bccMails[0].substr(0, 1500);
    // The comment is Japanese text (ISO-2022-JP on the wire); the file's
    // name follows its mark.
    EXPECT_NE(bccMails[0].find("# plan.bin"), std::string::npos) << bccMails[0].substr(0, 1500);
    EXPECT_EQ(toMails[0].find("# plan.bin"), std::string::npos);
    EXPECT_TRUE(session.WaitForEditorCount(0)) << session.Windows();
    session.Close(main);
}
