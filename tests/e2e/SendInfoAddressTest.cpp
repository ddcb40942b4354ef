// The addresses the send information dialog gives back reach the editor's
// fields as a user writes them: entries joined by ", ", nothing after the
// last. Checked through "宛先の編集" and through a send the server refuses,
// after which the editor stays open with the mail.
#include "e2e/E2eDriver.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/TestAccount.h"
#include "e2e/WaitFor.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

using E2e::CEditorSession;

namespace {

const int kUser = 100;
const char kTo[] = "山田 <cvmtest100@cvm.test>, b@example.jp";

// Presses OK in the send information dialog once it lists the two To rows.
bool ConfirmWithTwoRows(CEditorSession& session)
{
    HWND dlg = session.Program().WaitForDialogWithControl(IDC_SI_TO, 20000);
    if (!dlg || !E2e::WaitFor(10000, [&] { return E2e::ListItemCount(GetDlgItem(dlg, IDC_SI_TO)) == 2; }))
        return false;
    E2e::PressButton(dlg, IDOK);
    return E2e::WaitFor(10000, [&] { return !IsWindow(dlg); });
}

} // namespace

TEST(SendInfoAddress, FieldsKeepNoTrailingSeparatorAfterTheDialog)
{
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(kUser));
    // A wrong password: the send is refused and the editor keeps the mail.
    ASSERT_TRUE(E2e::WriteTestAccount(session.MailBox(), kUser, "wrong"));
    HWND main = session.Start();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    ASSERT_TRUE(session.WaitForEditorCount(1));
    HWND editor = session.Editors()[0];
    HWND view = CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_TO, kTo);
    E2e::SetControlText(view, IDC_ME_CC, "c@example.jp");
    E2e::SetControlText(view, IDC_ME_SUBJECT, "宛先");
    E2e::SetControlText(view, IDC_ME_BODY, "本文");

    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND_INFO, 0);
    ASSERT_TRUE(ConfirmWithTwoRows(session)) << session.Windows();
    ASSERT_TRUE(E2e::WaitFor(10000, [&] { return E2e::GetControlText(view, IDC_ME_CC) == "c@example.jp"; }))
        << E2e::GetControlText(view, IDC_ME_CC).GetString();
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_TO), CString(kTo));

    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
    ASSERT_TRUE(ConfirmWithTwoRows(session)) << session.Windows();
    HWND box = session.Program().WaitForMessageBox("SMTP Error Code [535]", 30000);
    ASSERT_NE(box, nullptr) << session.Windows();
    E2e::PressButton(box, IDOK);
    // The refused send has ended once its mail waits in the drafts.
    ASSERT_TRUE(E2e::WaitFor(20000, [&] { return session.StoredMails(CFolderRecord::kindWriting).size() == 1; }))
        << session.Windows();
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_TO), CString(kTo));
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_CC), CString("c@example.jp"));

    PostMessageA(editor, WM_CLOSE, 0, 0);
    if (HWND prompt = session.Program().WaitForDialogWithControl(IDC_SC_DISCARD, 10000))
        E2e::PressButton(prompt, IDC_SC_DISCARD);
    ASSERT_TRUE(session.WaitForEditorCount(0)) << session.Windows();
    EXPECT_EQ(E2e::CloseAfterSending(session.Program(), main), 0) << session.Windows();
}
