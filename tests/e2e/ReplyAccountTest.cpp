// The account an answer goes out with: the one whose whole address the
// answered mail was sent to, not one whose address is a part of it.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

using E2e::CEditorSession;

TEST(ReplyAccountTest, AnswerGoesOutWithTheAccountOfTheWholeAddress)
{
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(122));
    {
        // First an account whose address is the end of the test user's.
        CAccountDataSet set;
        set.SetFilePath(session.MailBox() + "\\Account.dat");
        ASSERT_TRUE(set.ReadFromFile(TRUE));
        CAccountData* real = set.GetAccount(0);
        ASSERT_NE(real, nullptr);
        auto* second = static_cast<CAccountData*>(set.CreateNewRecord());
        for (int column = 0; column < CAccountData::ColumnCount; ++column)
            second->SetText(column, real->GetText(column));
        second->SetAccountName("本物");
        real->SetAccountName("短い");
        real->SetMailAddress("test122@cvm.test");
        ASSERT_TRUE(set.WriteToFile(FALSE));
    }
    HWND main = nullptr;
    HWND editor = session.EditorForInboxMail("From: Sato <sato@example.jp>\r\nTo: cvmtest122@cvm.test\r\n"
                                             "Subject: hello\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n\r\nbody\r\n",
                                             ID_MAIL_REPLY, main);
    ASSERT_NE(editor, nullptr) << session.Windows();
    // The account box sits on the editor's toolbar.
    HWND accounts = E2e::FindDescendant(editor, "ComboBox", IDC_ME_ACCOUNT);
    ASSERT_NE(accounts, nullptr) << session.Windows();
    EXPECT_EQ(E2e::GetWindowTextOf(accounts), CString("本物")) << session.Windows();
    ASSERT_TRUE(session.DiscardEditor(editor)) << session.Windows();
    session.Close(main);
}
