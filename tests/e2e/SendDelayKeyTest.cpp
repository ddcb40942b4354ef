// The send key pressed again while a mail waits out its send delay: the
// window restored in between shows the send command greyed, the second
// press (and the command given without a key) does nothing, the mail goes
// once when the delay ends, the window closes and the program ends normally.
#include "classlib/CommandState.h"
#include "e2e/CommandCoverage.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

using E2e::CEditorSession;

namespace {

const int kUser = 127;

} // namespace

TEST(SendDelayKeyTest, SendKeyAgainDuringTheDelaySendsOnceAndTheWindowCloses)
{
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    // Long enough a delay for the window to be restored and the key pressed
    // again while the mail still waits.
    ASSERT_TRUE(session.Prepare(kUser, "SendWaitTime=dword:10\r\nSendConfirmDialog=dword:0\r\n"));
    CString maildir = NetTest::ClearMaildir(kUser);
    HWND main = nullptr;
    HWND editor = session.StartWithNewEditor(main);
    ASSERT_NE(editor, nullptr) << session.Windows();
    HWND view = CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_TO, FormatString("cvmtest%d@cvm.test", kUser));
    E2e::SetControlText(view, IDC_ME_SUBJECT, "一度だけ送る");
    E2e::SetControlText(view, IDC_ME_BODY, "送信の待ち時間に送信キーをもう一度押しました。");

    ASSERT_TRUE(CEditorSession::FocusBody(editor)) << session.Windows();
    CEditorSession::PressKey({VK_CONTROL, VK_MENU}, 'S');
    ASSERT_TRUE(E2e::WaitFor(10000, [&] { return IsIconic(editor) != FALSE; })) << session.Windows();

    ASSERT_TRUE(CEditorSession::FocusBody(editor)) << session.Windows();
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_SEND), kCommandHandled);
    EXPECT_EQ(E2e::QueryCommandState(editor, ID_EDIT_SEND_CANCEL), kCommandHandled | kCommandEnabled);
    CEditorSession::PressKey({VK_CONTROL, VK_MENU}, 'S');
    // And once more as a command without a control, as the menu or another
    // program gives it: greyed, it does not run either.
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);

    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << session.Windows();
    EXPECT_NE(mails[0].find("Subject: =?ISO-2022-JP?B?"), std::string::npos);
    ASSERT_TRUE(session.WaitForEditorCount(0)) << session.Windows();
    // The window is gone with its one job: nothing else can go out.
    EXPECT_EQ(CEditorSession::WaitForDelivered(maildir, 1).size(), 1u);
    EXPECT_EQ(E2e::CloseAfterSending(session.Program(), main), 0) << session.Windows();
    EXPECT_EQ(session.StoredMails(CFolderRecord::kindSent).size(), 1u);
    EXPECT_TRUE(session.StoredMails(CFolderRecord::kindWriting).empty());
}
