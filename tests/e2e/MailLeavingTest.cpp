// What leaves when a mail goes out: the automatic backup of a mail being
// written lies in the drafts until the mail is sent and then goes; a read
// notice answered in the viewer reaches the sender.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/viewer/ViewerResource.h"
#include "e2e/WaitFor.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

class SendBackupTest : public ::testing::Test
{
protected:
    size_t Drafts() const { return m_session.StoredMails(CFolderRecord::kindWriting).size(); }
    bool WaitForDrafts(size_t count, DWORD timeoutMs)
    {
        return E2e::WaitFor(timeoutMs, [&] { return Drafts() == count; });
    }
    // The stored copies that hold a text. A backup writes its new copy
    // before it deletes the one it replaces, so while it runs a count of
    // all copies is one too high; what the copies hold is not.
    size_t DraftsHolding(const char* pszText) const
    {
        size_t n = 0;
        for (const std::string& mail : m_session.StoredMails(CFolderRecord::kindWriting))
            n += mail.find(pszText) != std::string::npos ? 1 : 0;
        return n;
    }
    // Saves the mail as the user does. While a backup runs the command is
    // refused, so it is given again until it took: a saved mail counts as
    // unchanged, the backups stop and one copy stays as it is.
    bool SaveByHand(HWND editor)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            PostMessageA(editor, WM_COMMAND, ID_EDIT_SAVE, 0);
            std::vector<std::string> seen;
            DWORD since = GetTickCount();
            if (E2e::WaitFor(8000, [&] {
                    std::vector<std::string> now = m_session.StoredMails(CFolderRecord::kindWriting);
                    if (now != seen) {
                        seen = now;
                        since = GetTickCount();
                        return false;
                    }
                    return now.size() == 1 && GetTickCount() - since > 2500;
                }))
                return true;
        }
        return false;
    }
    // Sends the mail through the send information dialog; the command too
    // is refused while a backup runs.
    bool SendByHand(HWND editor)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
            if (HWND dlg = m_session.Program().WaitForDialogWithControl(IDC_SI_TO, 8000)) {
                E2e::PressButton(dlg, IDOK);
                return true;
            }
        }
        return false;
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
};

using ReadNoticeTest = SendBackupTest;

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
        ASSERT_TRUE(E2e::WaitFor(15000, [&] { return DraftsHolding("first words") >= 1; })) << m_session.Windows();
        const size_t saved = i == 1 ? 1 : 0;
        if (saved) {
            ASSERT_TRUE(SaveByHand(m_session.Editors()[0])) << m_session.Windows();
        }
        // A change after the first backup: its backup replaces the earlier
        // backup, and only that; the copy saved by hand stays beside it.
        E2e::SetControlText(view, IDC_ME_BODY, "second words");
        EXPECT_TRUE(E2e::WaitFor(15000, [&] {
            return DraftsHolding("second words") >= 1 && DraftsHolding("first words") == saved;
        })) << DraftsHolding("first words") << " copies of the first words";
        ASSERT_TRUE(SendByHand(m_session.Editors()[0])) << m_session.Windows();
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

// A shown mail that asks for a read notice, answered with 送信: the notice
// reaches the sender. The mail is selected with a posted click: the
// question is modal inside the list's selection change, so a selection sent
// from here would wait for the answer it is meant to give.
TEST_F(ReadNoticeTest, ReadNoticeAnsweredWithSendReachesTheSender)
{
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    ASSERT_TRUE(m_session.Prepare(83, "ReadNotifyTo=dword:2\r\n"));
    HWND main = m_session.Start();
    ASSERT_NE(main, nullptr) << m_session.Windows();
    m_session.Close(main);
    ASSERT_TRUE(m_session.AddStoredMail(CFolderRecord::kindInbox,
                                        "From: cvmtest83@cvm.test\r\nTo: cvmtest83@cvm.test\r\nSubject: please read\r\n"
                                        "Message-ID: <rn1@example.jp>\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n"
                                        "Disposition-Notification-To: cvmtest83@cvm.test\r\n\r\nbody\r\n",
                                        false));
    CString maildir = NetTest::ClearMaildir(83);
    main = m_session.Start();
    ASSERT_NE(main, nullptr) << m_session.Windows();
    HWND list = m_session.ShowFolder(main, "郵便受け", 1);
    ASSERT_NE(list, nullptr) << m_session.Windows();
    SetForegroundWindow(main);
    Sleep(1500);
    RECT row = E2e::ListItemRect(list, 0);
    LPARAM at = MAKELPARAM(row.left + 20, (row.top + row.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    HWND question = m_session.Program().WaitForDialogWithControl(IDC_READ_NOTIFY_LATER, 30000);
    ASSERT_NE(question, nullptr) << m_session.Windows();
    E2e::PressButton(question, IDOK);  // 送信
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
    const std::string& mdn = mails[0];
    EXPECT_NE(mdn.find("report-type=disposition-notification"), std::string::npos) << mdn;
    EXPECT_NE(mdn.find("Content-Type: message/disposition-notification"), std::string::npos) << mdn;
    EXPECT_NE(mdn.find("Original-Message-Id: <rn1@example.jp>"), std::string::npos) << mdn;
    EXPECT_EQ(mdn.find("Disposition-Notification-To:"), std::string::npos) << mdn;
    m_session.Close(main);
}
