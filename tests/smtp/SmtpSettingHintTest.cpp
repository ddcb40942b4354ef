// A send that the server refuses because it wants an encrypted connection or
// a login says, beside the server's own words, which setting of the account
// dialog to change.
#include "SmtpTestSupport.h"

#include "net/SmtpSession.h"
#include "net/SmtpSettingHint.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace SmtpTest;

TEST(SmtpSettingHint, NamesTheSettingForTheServersReason)
{
    struct Case
    {
        int code;
        const char* reply;
        const char* setting;  // a part of the hint, or null for none
    } const cases[] = {
        {530, "530 5.7.0 Must issue a STARTTLS command first", "「SMTPS」"},
        {554, "554 5.7.1 TLS required", "「SMTPS」"},
        {530, "530 5.7.0 Authentication required", "「SMTP認証を行う」"},
        {554, "554 5.7.1 <a@example.jp>: Relay access denied", "「SMTP認証を行う」"},
        {535, "535 5.7.8 Error: authentication failed", "パスワード"},
        {550, "550 5.1.1 <nobody@cvm.test>: Recipient address rejected", nullptr},
        {452, "452 4.3.1 Insufficient system storage", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        CString hint = SmtpSettingHint(c.code, c.reply);
        if (!c.setting) {
            EXPECT_TRUE(hint.IsEmpty()) << hint.GetString();
            continue;
        }
        EXPECT_GE(hint.Find("「アカウントの設定」"), 0) << hint.GetString();
        EXPECT_GE(hint.Find(c.setting), 0) << hint.GetString();
    }
}

TEST(SmtpSettingHint, PlainSendToAServerThatWantsTlsNamesTheSslSetting)
{
    CVM_NEED_SERVER(ServerAnswers("127.0.0.3", 587) && !ServersDir().IsEmpty(), "Postfix");
    TestSupport::TempDir dir;
    // What the first-start wizard makes (no SSL, no login), on the port the
    // private Postfix takes mail on.
    CSmtpSession session;
    session.SetServer("smtp.cvm.test", 587);
    session.SetSsl(false);
    session.SetUseEhlo(false);
    session.SetTimeOut(10);
    session.SetFrom("cvmtest58@cvm.test");
    session.SetTo("cvmtest58@cvm.test");
    session.AddBodyLine("x\r\n");
    CString path = dir.File("out.eml");
    ASSERT_TRUE(session.BuildMessage(path, true));
    session.AddMessageFile(path);
    SessionResult result = DriveSession(session);
    EXPECT_FALSE(result.bResult);
    CString error = session.GetLastErrorText();
    // The code, its explanation and the server's words stay first.
    EXPECT_EQ(error.Find("SMTP Error Code [530]"), 0) << error.GetString();
    EXPECT_GE(error.Find("STARTTLS"), 0) << error.GetString();
    EXPECT_GT(error.Find("「接続情報」タブで「SMTPS」"), error.Find("STARTTLS")) << error.GetString();
}
