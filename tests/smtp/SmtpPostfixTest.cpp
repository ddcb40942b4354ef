// Sending through the private Postfix (STARTTLS on 587, TLS on 465, each
// login mechanism through Dovecot) and the whole road back: SMTP -> Postfix
// -> Dovecot -> POP3 -> the inbox store.
#include "SmtpTestSupport.h"

#include "core/FileUtil.h"
#include "message/AddressList.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "net/Pop3Session.h"
#include "net/Pop3TestSession.h"
#include "net/SmtpSession.h"
#include "store/MailFolderStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace SmtpTest;

namespace {

const char kSmtpHost[] = "smtp.cvm.test";

// The POP3 server of the round trip; a private address can stand in for it.
CString Pop3Host()
{
    char host[256];
    DWORD n = GetEnvironmentVariableA("CVM_SMTP_POP3_HOST", host, sizeof(host));
    return (n > 0 && n < sizeof(host)) ? CString(host) : CString("mail.cvm.test");
}

std::string WithoutCr(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

// Header block and body of a delivered Maildir file (LF line ends).
void SplitMail(const std::string& mail, std::string& header, std::string& body)
{
    std::string text = WithoutCr(mail);
    size_t end = text.find("\n\n");
    header = text.substr(0, end == std::string::npos ? text.size() : end + 1);
    body = end == std::string::npos ? std::string() : text.substr(end + 2);
}

bool HasHeader(const std::string& header, const char* pszName)
{
    std::string name = std::string("\n") + pszName + ":";
    std::string lower = "\n" + header;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (char& c : name)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower.find(name) != std::string::npos;
}

class SmtpPostfixTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(ServerAnswers("127.0.0.3", 587) && !ServersDir().IsEmpty(), "Postfix");
    }

    static void ConfigureSession(CSmtpSession& session, int nPort, const char* pszMechanism, const char* pszUser,
                                 const char* pszPassword)
    {
        session.SetServer(kSmtpHost, nPort);
        session.SetSsl(true);
        session.SetUseEhlo(true);
        session.SetAuthUser(pszUser, pszPassword);
        const std::string mech = pszMechanism;
        session.SetAuthMethods(mech == "LOGIN", mech == "CRAM-MD5", mech == "PLAIN");
        session.SetTimeOut(10);
    }

    TestSupport::TempDir m_dir;
};

TEST_F(SmtpPostfixTest, SendsWithEveryLoginOverBothTlsPorts)
{
    const std::vector<std::string> bodyLines = {"送信のテストです。", ".で始まる行", ".", "..", "最後の行"};
    std::string expectedBody;
    for (const std::string& line : bodyLines)
        expectedBody += line + "\n";

    struct Case
    {
        int nPort;
        const char* mechanism;
    } const cases[] = {{587, "CRAM-MD5"}, {587, "LOGIN"}, {587, "PLAIN"},
                       {465, "CRAM-MD5"}, {465, "LOGIN"}, {465, "PLAIN"}};
    ClearMaildir("cvmsend2");
    ClearMaildir("cvmsend3");
    for (const Case& c : cases) {
        const std::string name = std::string(c.mechanism) + " on " + std::to_string(c.nPort);
        SCOPED_TRACE(name);
        CSmtpSession session;
        ConfigureSession(session, c.nPort, c.mechanism, "cvmsend1", "send1");
        session.SetAccountName("送信テスト");
        session.SetCreateFolderId(5);
        session.SetArchiveId("7");
        session.SetFrom("cvmsend1@cvm.test");
        session.SetFromName("送信 太郎");
        session.SetTo("受信 花子 <cvmsend2@cvm.test>");
        session.SetBcc("cvmsend3@cvm.test");
        const CString subject = CString("配送の確認 ") + name.c_str();
        session.SetSubject(subject);
        for (const std::string& line : bodyLines)
            session.AddBodyLine((line + "\r\n").c_str());
        CString path = m_dir.File("out.eml");
        ASSERT_TRUE(session.BuildMessage(path, true)) << session.GetLastErrorText().GetString();
        session.AddMessageFile(path);

        SessionResult result = DriveSession(session);
        ASSERT_TRUE(result.bResult) << session.GetLastErrorText().GetString();
        EXPECT_EQ(result.nEnd, 1);

        std::string mail = WaitForDeliveredMail("cvmsend2", session.GetMessageId());
        ASSERT_FALSE(mail.empty()) << "not delivered";
        std::string header, body;
        SplitMail(mail, header, body);
        for (const char* name : {"Bcc", "X-SendAcount", "X-Create_Folder_ID", "X-Cvm_Arc_ID"})
            EXPECT_FALSE(HasHeader(header, name)) << name;
        EXPECT_EQ(std::string(JisToSjis(body.c_str(), static_cast<int>(body.size()))), expectedBody);
        // The parser takes a lone LF for part of a folded line.
        std::string crlfHeader;
        for (char c : header)
            crlfHeader += c == '\n' ? std::string("\r\n") : std::string(1, c);
        CMailMessage message;
        message.Parse(crlfHeader.c_str(), static_cast<int>(crlfHeader.size()));
        EXPECT_STREQ(message.m_strSubject, subject);
        // The Bcc recipient has its copy, without the Bcc line either.
        std::string copy = WaitForDeliveredMail("cvmsend3", session.GetMessageId());
        ASSERT_FALSE(copy.empty());
        SplitMail(copy, header, body);
        EXPECT_FALSE(HasHeader(header, "Bcc"));
    }
}

TEST_F(SmtpPostfixTest, WrongPasswordIsRefused)
{
    CSmtpSession session;
    ConfigureSession(session, 587, "PLAIN", "cvmsend1", "wrong");
    session.SetFrom("cvmsend1@cvm.test");
    session.SetTo("cvmsend2@cvm.test");
    session.AddBodyLine("x\r\n");
    CString path = m_dir.File("out.eml");
    ASSERT_TRUE(session.BuildMessage(path, true));
    session.AddMessageFile(path);
    SessionResult result = DriveSession(session);
    EXPECT_FALSE(result.bResult);
    EXPECT_NE(result.nEnd, 1);
    EXPECT_EQ(session.GetLastErrorText().Find("SMTP Error Code [535]"), 0) << session.GetLastErrorText().GetString();
}

TEST_F(SmtpPostfixTest, MailComesBackByPop3IntoTheInboxAsComposed)
{
    const CString subject = "往復の試験：日本語の件名と添付ファイル";
    const CString bodyText = "本文の一行目です。\r\n.点で始まる行\r\n三行目";
    std::string attachment;
    for (int i = 0; i < 4096; ++i)
        attachment += static_cast<char>((i * 7 + i / 256) & 0xFF);
    CString attachPath = m_dir.File("添付データ.bin");
    TestSupport::WriteFileBytes(attachPath, attachment);

    ClearMaildir("cvmsend1");
    CSmtpSession smtp;
    ConfigureSession(smtp, 587, "CRAM-MD5", "cvmsend2", "send2");
    smtp.SetAccountName("round trip");
    smtp.SetFrom("cvmsend2@cvm.test");
    smtp.SetFromName("差出人");
    smtp.SetTo("cvmsend1@cvm.test");
    smtp.SetSubject(subject);
    smtp.AddBodyText(bodyText);
    smtp.AddAttachment(attachPath);
    CString path = m_dir.File("out.eml");
    ASSERT_TRUE(smtp.BuildMessage(path, true)) << smtp.GetLastErrorText().GetString();
    smtp.AddMessageFile(path);
    SessionResult sent = DriveSession(smtp);
    ASSERT_TRUE(sent.bResult) << smtp.GetLastErrorText().GetString();
    ASSERT_FALSE(WaitForDeliveredMail("cvmsend1", smtp.GetMessageId()).empty()) << "not delivered";

    // Fetch it into a real inbox store.
    NetTest::TestSessionFolder mailbox;
    CMailFolderStore inbox;
    NetTest::SetUpInbox(inbox, mailbox.Root() + "\\Inbox");
    CPop3Session pop3;
    pop3.SetInboxPath(mailbox.Inbox());
    pop3.SetIdListFolder(mailbox.IdFolder());
    pop3.SetServer(Pop3Host(), 110);
    pop3.SetUser("cvmsend1", "send1");
    pop3.SetAccountName("roundtrip");
    pop3.SetTimeOut(10);
    pop3.SetTargetStore(&inbox);
    NetTest::PassResult pass = NetTest::RunPass(pop3, 60000);
    ASSERT_TRUE(pass.bFinished);
    EXPECT_EQ(pass.nFinishResult, 0) << pop3.GetErrorText().GetString();

    CMailListData* pList = inbox.GetMailList();
    ASSERT_NE(pList, nullptr);
    ASSERT_EQ(pList->GetMailCount(), 1);
    CString stored;
    ASSERT_TRUE(inbox.ReadMailText(inbox.GetRecord(0), stored));
    CMailMessage message;
    message.Parse(stored);
    EXPECT_STREQ(message.m_strSubject, subject);
    EXPECT_STREQ(ExtractMailAddress(message.m_strFrom), "cvmsend2@cvm.test");
    CString body = JisToSjis(stored);
    // The store keeps the text dot-doubled, as it came by POP3.
    EXPECT_GE(body.Find("本文の一行目です。\r\n..点で始まる行\r\n三行目"), 0) << body.GetString();

    CStringArray files;
    ASSERT_TRUE(inbox.GetAttachFileList(0, files));
    bool bFound = false;
    for (int i = 0; i < files.GetSize(); ++i) {
        if (GetFileNameFromPath(files[i]) == "添付データ.bin")
            bFound = TestSupport::ReadFileBytes(files[i]) == attachment;
    }
    EXPECT_TRUE(bFound) << (files.GetSize() ? files[0].GetString() : "no attachment filed");
}

} // namespace
