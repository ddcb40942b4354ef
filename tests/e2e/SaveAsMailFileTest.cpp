// The editor's "名前を付けて保存" writes the mail as a single-message file,
// offered under its subject with the characters a file name cannot hold
// replaced.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"

#include <gtest/gtest.h>

#include <string>

using E2e::CEditorSession;

TEST(SaveAsMailFileTest, MailIsWrittenToTheFileChosenUnderItsSubject)
{
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(126));
    HWND main = nullptr;
    HWND editor = session.StartWithNewEditor(main);
    ASSERT_NE(editor, nullptr) << session.Windows();
    HWND view = CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_TO, "someone@example.jp");
    E2e::SetControlText(view, IDC_ME_SUBJECT, "plan: a/b");
    E2e::SetControlText(view, IDC_ME_BODY, "the plan");
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SAVE_AS, 0);
    // The common save dialog: its file-name box (cmb13) offers the subject.
    const int kFileNameBox = 0x47c;
    HWND dialog = session.Program().WaitForDialogWithControl(kFileNameBox, 20000);
    ASSERT_NE(dialog, nullptr) << session.Windows();
    EXPECT_EQ(E2e::GetControlText(dialog, kFileNameBox), CString("plan_ a_b"));
    CString target = dir.File("saved.eml");
    E2e::SetControlText(dialog, kFileNameBox, target);
    E2e::PressButton(dialog, IDOK);
    EXPECT_TRUE(E2e::WaitFor(10000, [&] { return TestSupport::FileExists(target); })) << session.Windows();
    std::string saved = TestSupport::ReadFileBytes(target);
    EXPECT_NE(saved.find("Subject: plan: a/b"), std::string::npos) << saved.substr(0, 800);
    EXPECT_NE(saved.find("the plan"), std::string::npos);
    ASSERT_TRUE(session.DiscardEditor(editor)) << session.Windows();
    session.Close(main);
}
