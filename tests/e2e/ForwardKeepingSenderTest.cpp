// Forwards that keep the sender: a received mail forwarded from the main
// window with "元の送信者を送信者で転送" and "元メールのまま転送", and the mail
// that reaches the test Dovecot user read back header by header.
#include "e2e/EditorSession.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "e2e/StoredFolderCopy.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderRecord.h"
#include "store/MailIndexRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

// A received mail that answers an earlier one, from a sender with a
// Japanese name ("佐藤").
const char kReceived[] = "From: =?ISO-2022-JP?B?GyRCOjRGIxsoQg==?= <sato@example.jp>\r\n"
                         "To: cvmtest119@cvm.test\r\nCc: team@example.jp\r\nReply-To: answers@example.jp\r\n"
                         "Subject: weekly report\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n"
                         "Message-ID: <report1@example.jp>\r\nIn-Reply-To: <ask1@example.jp>\r\n"
                         "References: <ask0@example.jp> <ask1@example.jp>\r\n\r\nthe report body\r\n";

class ForwardKeepingSenderTest : public ::testing::Test
{
protected:
    // Forwards the one inbox mail with the command, sends it to user 120
    // (at once, or through the outbox and the main window's send command),
    // and gives back the header of the mail delivered there (parsed) and its
    // raw text.
    void ForwardAndDeliver(int nCommand, const char* pszSubject, CMailMessage& delivered, std::string& raw,
                           bool bThroughOutbox = false)
    {
        CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
        ASSERT_TRUE(m_session.Prepare(119));
        CString maildir = NetTest::ClearMaildir(120), bccBox = NetTest::ClearMaildir(124);
        HWND main = nullptr;
        HWND editor = m_session.EditorForInboxMail(kReceived, nCommand, main);
        ASSERT_NE(editor, nullptr) << m_session.Windows();
        HWND view = CEditorSession::ViewOf(editor);
        EXPECT_EQ(E2e::GetControlText(view, IDC_ME_SUBJECT), CString(pszSubject));
        E2e::SetControlText(view, IDC_ME_TO, "cvmtest120@cvm.test");
        E2e::SetControlText(view, IDC_ME_BCC, "cvmtest124@cvm.test");
        if (bThroughOutbox) {
            PostMessageA(editor, WM_COMMAND, ID_EDIT_TO_OUTBOX, 0);
            ASSERT_TRUE(m_session.WaitForEditorCount(0)) << m_session.Windows();
            PostMessageA(main, WM_COMMAND, ID_FILE_SEND_OUTBOX, 0);
        } else {
            PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
            ASSERT_TRUE(m_session.ConfirmSendInfo()) << m_session.Windows();
        }
        std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
        ASSERT_EQ(mails.size(), 1u) << m_session.Windows();
        raw = mails[0];
        // The blind copy arrives too, without naming its reader.
        std::vector<std::string> blind = CEditorSession::WaitForDelivered(bccBox, 1);
        ASSERT_EQ(blind.size(), 1u) << m_session.Windows();
        EXPECT_EQ(raw.find("cvmtest124"), std::string::npos);
        delivered.Parse(raw.substr(0, raw.find("\r\n\r\n") + 2).c_str());
        EXPECT_TRUE(m_session.WaitForEditorCount(0)) << m_session.Windows();
        m_session.Close(main);
    }

    // The flags of the received mail in the inbox, read from disk.
    int InboxMailFlags() const
    {
        CStoredFolderCopy store(E2e::MailBoxFolderOfKind(m_session.MailBox(), CFolderRecord::kindInbox));
        CMailListData* list = store.GetMailList();
        CMailIndexRecord* record = list ? list->GetMailRecord(0) : nullptr;
        return record ? record->m_nFlags : -1;
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
};

} // namespace

TEST_F(ForwardKeepingSenderTest, KeepingTheSenderNamesWhoPassedTheMailOn)
{
    CMailMessage mail;
    std::string raw;
    ForwardAndDeliver(ID_MAIL_FORWARD_AS_SENDER, "Fw: weekly report", mail, raw);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(mail.GetHeader("From"), CString("佐藤 <sato@example.jp>")) << raw.substr(0, 1500);
    EXPECT_EQ(mail.GetHeader("Resent-From"), CString("cvmtest119@cvm.test"));
    EXPECT_EQ(mail.GetHeader("Resent-To"), CString("cvmtest120@cvm.test"));
    // The envelope names the one who passed it on, so that bounces reach them.
    EXPECT_EQ(mail.GetHeader("Return-Path"), CString("<cvmtest119@cvm.test>"));
    // A new mail of its own, answering the forwarded one.
    EXPECT_NE(mail.GetHeader("Message-ID"), CString("<report1@example.jp>"));
    EXPECT_EQ(mail.GetHeader("In-Reply-To"), CString("<report1@example.jp>"));
    EXPECT_NE(raw.find("the report body"), std::string::npos);
    // What only the program itself reads never leaves it.
    EXPECT_EQ(raw.find("X-ForwordType"), std::string::npos);
    EXPECT_EQ(raw.find("X-KeepFromAddress"), std::string::npos);
    EXPECT_EQ(InboxMailFlags() & (CMailIndexRecord::flagForwarded | CMailIndexRecord::flagReplied),
              CMailIndexRecord::flagForwarded);
}

class UnchangedForwardTest : public ForwardKeepingSenderTest, public ::testing::WithParamInterface<bool>
{
};

// Sent at once, and kept in the outbox first and sent from the main window.
TEST_P(UnchangedForwardTest, ArrivesAsTheSourceWasWithResentFields)
{
    CMailMessage mail;
    std::string raw;
    ForwardAndDeliver(ID_MAIL_FORWARD_AS_IS, "weekly report", mail, raw, GetParam());
    if (HasFatalFailure())
        return;
    struct Expected
    {
        const char* name;
        const char* value;
    };
    const Expected kept[] = {
        {"From", "佐藤 <sato@example.jp>"},
        {"To", "cvmtest119@cvm.test"},
        {"Cc", "team@example.jp"},
        {"Reply-To", "answers@example.jp"},
        {"Subject", "weekly report"},
        {"Date", "Mon, 1 Jan 2024 10:00:00 +0900"},
        {"Message-ID", "<report1@example.jp>"},
        {"In-Reply-To", "<ask1@example.jp>"},
        {"References", "<ask0@example.jp> <ask1@example.jp>"},
        {"Resent-From", "cvmtest119@cvm.test"},
        {"Resent-To", "cvmtest120@cvm.test"},
        {"Return-Path", "<cvmtest119@cvm.test>"},
    };
    for (const Expected& e : kept)
        EXPECT_EQ(mail.GetHeader(e.name), CString(e.value)) << e.name << "\n" << raw.substr(0, 1500);
    EXPECT_FALSE(mail.GetHeader("Resent-Date").IsEmpty());
    CString resentId = mail.GetHeader("Resent-Message-Id");
    EXPECT_FALSE(resentId.IsEmpty());
    EXPECT_NE(resentId, CString("<report1@example.jp>"));
    EXPECT_NE(raw.find("the report body"), std::string::npos);
    EXPECT_EQ(raw.find("X-ForwordType"), std::string::npos);
    EXPECT_EQ(InboxMailFlags() & CMailIndexRecord::flagForwarded, CMailIndexRecord::flagForwarded);
}

INSTANTIATE_TEST_SUITE_P(SentAtOnceOrThroughTheOutbox, UnchangedForwardTest, ::testing::Bool());
