// Send settings changed in "アカウントの設定" while the program runs are
// used by the next send, also from an editor opened before the change: the
// private Postfix's log names the port and the login each mail came by.
#include "e2e/AccountPages.h"
#include "e2e/E2eDriver.h"
#include "e2e/EditorSession.h"
#include "e2e/WaitFor.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/settings/SettingsResource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using E2e::CEditorSession;

namespace {

const int kSender = 98;
// The login the changed settings give; Postfix checks it against the test
// Dovecot's users.
const int kSmtpLogin = 99;

CString PostfixLog()
{
    const char* dir = getenv("CVM_POSTFIX_DIR");
    CString path = CString("Z:") + (dir && *dir ? dir : "/tmp/cvm-postfix") + "/postfix.log";
    path.Replace('/', '\\');
    return path;
}

// Postfix's queue id of a delivered mail, from the Received line it added.
std::string QueueId(const std::string& mail)
{
    size_t by = mail.find("by smtp.cvm.test (Postfix) with ");
    size_t id = by == std::string::npos ? by : mail.find(" id ", by);
    if (id == std::string::npos)
        return std::string();
    id += 4;
    size_t end = mail.find_first_of(" ;\r\n", id);
    return mail.substr(id, end - id);
}

// The log line of the smtpd that took the mail in, naming its service
// ("submission" for 587, "submissions" for 465) and the login.
std::string IntakeLine(const std::string& queueId)
{
    std::string line;
    E2e::WaitFor(10000, [&] {
        std::string log = TestSupport::ReadFileBytes(PostfixLog());
        size_t at = log.find(": " + queueId + ": client=");
        if (at == std::string::npos)
            return false;
        size_t begin = log.rfind('\n', at);
        line = log.substr(begin == std::string::npos ? 0 : begin + 1, log.find('\n', at) - begin - 1);
        return true;
    });
    return line;
}

HWND NewMail(CEditorSession& session, HWND main, const char* subject)
{
    size_t before = session.Editors().size();
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    if (!session.WaitForEditorCount(before + 1))
        return nullptr;
    for (HWND editor : session.Editors()) {
        HWND view = CEditorSession::ViewOf(editor);
        if (E2e::GetControlText(view, IDC_ME_SUBJECT).IsEmpty()) {
            E2e::SetControlText(view, IDC_ME_TO, FormatString("cvmtest%d@cvm.test", kSender));
            E2e::SetControlText(view, IDC_ME_SUBJECT, subject);
            E2e::SetControlText(view, IDC_ME_BODY, "本文");
            return editor;
        }
    }
    return nullptr;
}

} // namespace

TEST(AccountSendChange, SendSettingsChangedInTheDialogAreUsedByTheNextSendWithoutRestart)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(kSender, "SendConfirmDialog=dword:0\r\n"));
    const CString maildir = NetTest::ClearMaildir(kSender);
    HWND main = session.Start();
    ASSERT_NE(main, nullptr);

    // The account as written: STARTTLS on 587, the receive login.
    HWND first = NewMail(session, main, "変更前");
    ASSERT_NE(first, nullptr);
    PostMessageA(first, WM_COMMAND, ID_EDIT_SEND, 0);
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << session.Windows();
    const std::string firstId = QueueId(mails[0]);
    std::string intake = IntakeLine(firstId);
    EXPECT_NE(intake.find("postfix/submission/smtpd"), std::string::npos) << intake;
    EXPECT_NE(intake.find(FormatString("sasl_username=cvmtest%d", kSender).GetString()), std::string::npos) << intake;

    ASSERT_TRUE(session.WaitForEditorCount(0)) << session.Windows();

    // An editor already open while the settings change.
    HWND second = NewMail(session, main, "変更後");
    ASSERT_NE(second, nullptr);
    PostMessageA(main, WM_COMMAND, ID_TOOLS_ACCOUNTS, 0);
    HWND dialog = session.Program().WaitForWindow("#32770", "アカウントの設定", 20000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(E2e::ShowAccountPage(dialog, IDC_ACC_SMTP_PORT), nullptr);
    ASSERT_TRUE(E2e::SetPageField(dialog, IDC_ACC_SMTP_PORT, "465"));
    ASSERT_NE(E2e::ShowAccountPage(dialog, IDC_ACC_SMTP_USER), nullptr);
    ASSERT_TRUE(E2e::SetPageField(dialog, IDC_ACC_SMTP_USER, NetTest::UserName(kSmtpLogin)));
    ASSERT_TRUE(E2e::SetPageField(dialog, IDC_ACC_SMTP_PASSWORD, NetTest::Password(kSmtpLogin)));
    // Closing asks whether to keep the changes.
    E2e::PressButton(dialog, IDCANCEL);
    HWND ask = session.Program().WaitForMessageBox("保存しますか", 10000);
    ASSERT_NE(ask, nullptr) << session.Windows();
    E2e::PressButton(ask, IDYES);
    ASSERT_TRUE(E2e::WaitFor(10000, [&] { return !IsWindow(dialog); })) << session.Windows();

    PostMessageA(second, WM_COMMAND, ID_EDIT_SEND, 0);
    mails = CEditorSession::WaitForDelivered(maildir, 2);
    ASSERT_EQ(mails.size(), 2u) << session.Windows();
    const std::string laterId = QueueId(mails[0]) == firstId ? QueueId(mails[1]) : QueueId(mails[0]);
    intake = IntakeLine(laterId);
    EXPECT_NE(intake.find("postfix/submissions/smtpd"), std::string::npos) << intake;
    EXPECT_NE(intake.find(FormatString("sasl_username=cvmtest%d", kSmtpLogin).GetString()), std::string::npos)
        << intake;

    EXPECT_TRUE(session.WaitForEditorCount(0));
    EXPECT_EQ(E2e::CloseAfterSending(session.Program(), main), 0) << session.Windows();
}
