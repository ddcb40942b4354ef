// The automatic backup of a mail being written: it lies in the drafts while
// the mail is written and goes when the mail is sent.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <string>

using E2e::CEditorSession;

namespace {

class SendBackupTest : public ::testing::Test
{
protected:
    size_t Drafts() const { return m_session.StoredMails(CFolderRecord::kindWriting).size(); }
    bool WaitForDrafts(size_t count, DWORD timeoutMs)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs && Drafts() != count)
            Sleep(200);
        return Drafts() == count;
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
};

} // namespace

// Two mails in a row, each backed up (more than once) before it is sent;
// the second is also saved by hand first and sent through the send
// information dialog: the drafts are empty afterwards and both mails arrive.
TEST_F(SendBackupTest, SendingRemovesTheAutomaticBackup)
{
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    ASSERT_TRUE(m_session.Prepare(81, "AutoBackupInterval=dword:1\r\n"));
    std::string ini = TestSupport::ReadFileBytes(m_session.Program().Folder() + "\\CVM.ini");
    size_t at = ini.find("EditorAutoBackup=dword:0");
    ASSERT_NE(at, std::string::npos);
    ini.replace(at, 24, "EditorAutoBackup=dword:1");
    TestSupport::WriteFileBytes(m_session.Program().Folder() + "\\CVM.ini", ini);
    CString maildir = NetTest::ClearMaildir(81);
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr) << m_session.Windows();

    const char* subjects[] = {"backup one", "backup two"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(subjects[i]);
        PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
        ASSERT_TRUE(m_session.WaitForEditorCount(1)) << m_session.Windows();
        HWND view = CEditorSession::ViewOf(m_session.Editors()[0]);
        E2e::SetControlText(view, IDC_ME_TO, "cvmtest81@cvm.test");
        E2e::SetControlText(view, IDC_ME_SUBJECT, subjects[i]);
        E2e::SetControlText(view, IDC_ME_BODY, "first words");
        ASSERT_TRUE(WaitForDrafts(1, 15000)) << m_session.Windows();
        size_t copies = 1;
        if (i == 1) {
            PostMessageA(m_session.Editors()[0], WM_COMMAND, ID_EDIT_SAVE, 0);
            Sleep(1500);
            copies = Drafts();
        }
        // A change after the first backup, so that a second one replaces it.
        E2e::SetControlText(view, IDC_ME_BODY, "second words");
        Sleep(2500);
        EXPECT_EQ(Drafts(), copies + (i == 1 ? 1 : 0));
        PostMessageA(m_session.Editors()[0], WM_COMMAND, ID_EDIT_SEND, 0);
        ASSERT_TRUE(m_session.ConfirmSendInfo()) << m_session.Windows();
        ASSERT_EQ(CEditorSession::WaitForDelivered(maildir, i + 1).size(), static_cast<size_t>(i + 1))
            << m_session.Windows();
        ASSERT_TRUE(m_session.WaitForEditorCount(0)) << m_session.Windows();
        EXPECT_TRUE(WaitForDrafts(0, 5000)) << Drafts() << " copies left";
    }
    m_session.Close(main);
    EXPECT_EQ(Drafts(), 0u);
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 2);
    ASSERT_EQ(mails.size(), 2u);
    for (const std::string& mail : mails)
        EXPECT_NE(mail.find("second words"), std::string::npos) << mail.substr(0, 1500);
}
