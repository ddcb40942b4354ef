#include "editor/MailEditSendJob.h"

#include "core/AccountData.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "net/SmtpSession.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

CAccountData MakeAccount()
{
    CAccountData a;
    a.SetAccountName("会社");
    a.SetUserName("山田 太郎");
    a.SetMailAddress("taro@example.jp");
    a.SetSmtpServer("smtp.example.jp");
    return a;
}

} // namespace

TEST(MailEditSendJob, ChecksStopInTheirOrderOnlyWhenTheMailLeaves)
{
    struct Case
    {
        int mode;
        bool account;
        const char* host;
        const char* to;
        const char* subject;
        CMailEditSendJob::Check expected;
        const char* message;
    };
    const Case cases[] = {
        {0, true, "smtp.example.jp", "a@example.jp", "件名", CMailEditSendJob::checkOk, ""},
        {0, false, "", "a@example.jp", "件名", CMailEditSendJob::checkStop, "SMTPサーバが設定されていません。"},
        {1, true, " ", "a@example.jp", "件名", CMailEditSendJob::checkStop, "SMTPサーバが設定されていません。"},
        {0, true, "smtp.example.jp", "", "", CMailEditSendJob::checkStop, "宛先が設定されていません。"},
        {0, true, "smtp.example.jp", " , ", "件名", CMailEditSendJob::checkStop, "宛先が設定されていません。"},
        {1, true, "smtp.example.jp", "a@example.jp", "  ", CMailEditSendJob::checkAskSubject,
         "件名が入力されていませんが、\r\n送信してよろしいですか？"},
        // Saving a draft checks nothing.
        {2, false, "", "", "", CMailEditSendJob::checkOk, ""},
        {4, true, "", "", "", CMailEditSendJob::checkOk, ""},
    };
    for (const Case& c : cases) {
        CAccountData account = MakeAccount();
        account.SetSmtpServer(c.host);
        CMailEditSendJob job;
        job.m_nMode = c.mode;
        job.m_pAccount = c.account ? &account : nullptr;
        job.m_strTo = c.to;
        job.m_strSubject = c.subject;
        job.SettleSender("", "", "", "");
        CString message;
        EXPECT_EQ(job.CheckFields(message), c.expected) << c.mode << " " << c.to;
        EXPECT_STREQ(message, c.message);
    }
    // A sender missing everywhere stops after the server check.
    CAccountData account = MakeAccount();
    account.SetMailAddress("");
    CMailEditSendJob job;
    job.m_pAccount = &account;
    job.m_strTo = "a@example.jp";
    job.SettleSender("", "", "", "");
    CString message;
    EXPECT_EQ(job.CheckFields(message), CMailEditSendJob::checkStop);
    EXPECT_STREQ(message, "送信者が設定されていません。");
}

TEST(MailEditSendJob, SenderComesFromTheFolderTheAccountOrTheSendInformation)
{
    CAccountData account = MakeAccount();
    account.SetSendName("営業部");
    CMailEditSendJob job;
    job.m_pAccount = &account;
    job.SettleSender("", "", "", "");
    EXPECT_STREQ(job.m_strSenderName, "営業部");
    EXPECT_STREQ(job.m_strSenderAddress, "taro@example.jp");
    EXPECT_FALSE(job.m_bExplicitSender);
    job.SettleSender("", "folder@example.jp", "", "");
    EXPECT_STREQ(job.m_strSenderAddress, "folder@example.jp");
    EXPECT_TRUE(job.m_bExplicitSender);
    job.SettleSender("", "folder@example.jp", "花子", "hanako@example.jp");
    EXPECT_STREQ(job.m_strSenderName, "花子");
    EXPECT_STREQ(job.m_strSenderAddress, "hanako@example.jp");
}

TEST(MailEditSendJob, AccountBccAddsTheOwnAddressOnceAndIgnoresZero)
{
    struct Case
    {
        const char* bcc;
        int toSelf;
        const char* fixed;
        const char* expected;
    };
    const Case cases[] = {
        {"", 0, "0", ""},
        {"", 1, "0", "taro@example.jp"},
        {"x@example.jp", 1, "", "x@example.jp,taro@example.jp"},
        {"TARO@example.jp", 1, "", "TARO@example.jp"},
        {"", 0, "boss@example.jp", "boss@example.jp"},
        {"x@example.jp", 1, "boss@example.jp", "x@example.jp,taro@example.jp,boss@example.jp"},
    };
    for (const Case& c : cases) {
        CAccountData account = MakeAccount();
        account.SetBccToSelf(c.toSelf);
        account.SetBccAddress(c.fixed);
        CMailEditSendJob job;
        job.m_pAccount = &account;
        job.m_strBcc = c.bcc;
        job.AddAccountBcc();
        EXPECT_STREQ(job.m_strBcc, c.expected) << c.bcc << " " << c.fixed;
    }
}

TEST(MailEditSendJob, BodyLinesStayWholeWhateverTheirLength)
{
    // A paragraph far past the old 1021-character reading limit, with a
    // double-byte character where the limit used to cut.
    std::string longLine(1020, 'a');
    longLine += "日本語の段落";
    longLine += std::string(2000, 'b');
    std::string body = "一行目\r\n" + longLine + "\rCRだけ\nLFだけ\r\n\r\n";
    CStringArray lines;
    CMailEditSendJob::SplitBodyLines(body.c_str(), lines);
    ASSERT_EQ(lines.GetSize(), 5);
    EXPECT_STREQ(lines[0], "一行目\r\n");
    EXPECT_EQ(std::string(lines[1].GetString()), longLine + "\r\n");
    EXPECT_STREQ(lines[2], "CRだけ\r\n");
    EXPECT_STREQ(lines[3], "LFだけ\r\n");
    EXPECT_STREQ(lines[4], "\r\n");
    CMailEditSendJob::SplitBodyLines("", lines);
    ASSERT_EQ(lines.GetSize(), 1);
    EXPECT_STREQ(lines[0], "\r\n");
}

TEST(MailEditSendJob, EachJobWritesItsBodyFileInAFolderOfItsOwn)
{
    TestSupport::TempDir dir;
    CStringArray first, second;
    CMailEditSendJob::SplitBodyLines("一通目の本文\r\n二行目", first);
    CMailEditSendJob::SplitBodyLines("二通目の本文", second);
    CString a = CMailEditSendJob::WriteBodyFile(dir.Path(), first);
    CString b = CMailEditSendJob::WriteBodyFile(dir.Path(), second);
    ASSERT_FALSE(a.IsEmpty());
    ASSERT_FALSE(b.IsEmpty());
    EXPECT_STRNE(a, b);
    EXPECT_EQ(a.Right(8), CString("本文.txt"));
    EXPECT_EQ(TestSupport::ReadFileBytes(a), "一通目の本文\r\n二行目\r\n");
    EXPECT_EQ(TestSupport::ReadFileBytes(b), "二通目の本文\r\n");
}

TEST(MailEditSendJob, FillsTheOutgoingMessage)
{
    CAccountData account = MakeAccount();
    account.SetSmtpAuth(TRUE);
    account.SetReceiveUser("taro");
    account.SetPassword("secret");
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("a.txt"), "x");
    CMailEditSendJob job;
    job.m_pAccount = &account;
    job.m_strTo = "花子 <hanako@example.jp>, b@example.jp";
    job.m_strCc = "c@example.jp";
    job.m_strBcc = "d@example.jp";
    job.m_strSubject = "会議";
    job.m_strBody = "本文\r\n二行目";
    job.m_attachFiles.Add(dir.File("a.txt"));
    job.SettleSender("", "", "", "");
    CSmtpSession session;
    job.Fill(session);
    EXPECT_EQ(session.GetToList().GetSize(), 2);
    EXPECT_EQ(session.GetCcList().GetSize(), 1);
    EXPECT_EQ(session.GetBccList().GetSize(), 1);
    EXPECT_STREQ(session.GetSubject(), "会議");
    ASSERT_EQ(session.GetBodyLines().GetSize(), 2);
    EXPECT_STREQ(session.GetBodyLines()[1], "二行目\r\n");
    EXPECT_EQ(session.GetAttachments().GetSize(), 1);
    // The automatic backup carries no attachments.
    CSmtpSession backup;
    job.m_nMode = CMailEditSendJob::modeBackup;
    job.Fill(backup);
    EXPECT_EQ(backup.GetAttachments().GetSize(), 0);
}

namespace {

// A mail whose body goes as an encrypted archive, its body file below the folder.
void MakeArchivedBodyJob(CMailEditSendJob& job, const CAccountData& account, const CString& folder)
{
    job.m_pAccount = &account;
    job.m_strTo = "a@example.jp";
    job.m_strBody = "秘密の本文\r\n二行目";
    job.m_bBodyAsArchive = true;
    job.m_strBodyFileBase = folder;
    job.m_strBodyComment = "本文は添付されています。";
    job.m_strArchivePassword = "pw";
}

} // namespace

TEST(MailEditSendJob, BodyAsArchiveGoesAsAFileOfTheJobsOwn)
{
    TestSupport::TempDir dir;
    CAccountData account = MakeAccount();
    CMailEditSendJob job;
    MakeArchivedBodyJob(job, account, dir.Path());
    CSmtpSession first, second;
    ASSERT_TRUE(job.Fill(first));
    ASSERT_TRUE(job.Fill(second));
    ASSERT_EQ(first.GetBodyLines().GetSize(), 1);
    EXPECT_STREQ(first.GetBodyLines()[0], "本文は添付されています。\r\n");
    ASSERT_EQ(first.GetAttachments().GetSize(), 1);
    ASSERT_EQ(second.GetAttachments().GetSize(), 1);
    // Two jobs at once never share the body file.
    EXPECT_STRNE(first.GetAttachments()[0], second.GetAttachments()[0]);
    EXPECT_EQ(TestSupport::ReadFileBytes(first.GetAttachments()[0]), "秘密の本文\r\n二行目\r\n");
    // Drafts keep the body as it is.
    job.m_nMode = CMailEditSendJob::modeDraft;
    CSmtpSession draft;
    ASSERT_TRUE(job.Fill(draft));
    EXPECT_EQ(draft.GetBodyLines().GetSize(), 2);
    EXPECT_EQ(draft.GetAttachments().GetSize(), 0);
}

TEST(MailEditSendJob, LongLinesReachTheMessageWhole)
{
    // No line break that nobody typed: the message carries long lines in a
    // transfer encoding of their own.
    std::string japanese;
    for (int i = 0; i < 700; ++i)
        japanese += i % 7 == 0 ? "a" : "漢";
    CMailEditSendJob job;
    job.m_strBody = ("short\r\n" + japanese + "\r\n" + std::string(2000, 'x')).c_str();
    CSmtpSession session;
    ASSERT_TRUE(job.Fill(session));
    ASSERT_EQ(session.GetBodyLines().GetSize(), 3);
    EXPECT_EQ(session.GetBodyLines()[1].Str(), japanese + "\r\n");
    EXPECT_EQ(session.GetBodyLines()[2].Str(), std::string(2000, 'x') + "\r\n");
}

namespace {

// The unfolded value of the first header line of that name, "-" when none.
std::string HeaderOf(const std::string& mail, const std::string& name)
{
    std::string header = mail.substr(0, mail.find("\r\n\r\n") + 2);
    for (size_t at = 0; at < header.size();) {
        size_t end = header.find("\r\n", at);
        while (end != std::string::npos && end + 2 < header.size() && (header[end + 2] == ' ' || header[end + 2] == '\t'))
            end = header.find("\r\n", end + 2);
        std::string line = header.substr(at, end - at);
        if (line.compare(0, name.size() + 2, name + ": ") == 0)
            return line.substr(name.size() + 2);
        at = end + 2;
    }
    return "-";
}

} // namespace

TEST(MailEditSendJob, ForwardsNameWhoPassedThemOnAndTheUnchangedOneKeepsTheSource)
{
    CMailMessage source;
    source.Parse("From: Sato <sato@example.jp>\r\nTo: team@example.jp\r\nCc: boss@example.jp\r\n"
                 "Reply-To: answers@example.jp\r\nSubject: report\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n"
                 "Message-ID: <src@example.jp>\r\nIn-Reply-To: <q@example.jp>\r\n"
                 "References: <p@example.jp> <q@example.jp>\r\n");
    struct Case
    {
        int method;
        const char* from;  // the end of the line
        const char* resentFrom;
        const char* to;
        const char* messageId;  // "new": one of the program's own
        const char* references;
    };
    const Case cases[] = {
        {-1, "<taro@example.jp>", "-", "hanako@example.jp", "new", "<mine@example.jp>"},
        {0, "<taro@example.jp>", "taro@example.jp", "hanako@example.jp", "new", "<mine@example.jp>"},
        {1, "Sato <sato@example.jp>", "taro@example.jp", "hanako@example.jp", "new", "<mine@example.jp>"},
        {2, "Sato <sato@example.jp>", "taro@example.jp", "team@example.jp", "<src@example.jp>",
         "<p@example.jp> <q@example.jp>"},
    };
    for (const Case& c : cases) {
        CAccountData account = MakeAccount();
        TestSupport::TempDir dir;
        CMailEditSendJob job;
        job.m_pAccount = &account;
        job.m_nForwardMethod = c.method;
        job.KeepSourceSender(source);
        job.SettleSender("", "", "", "");
        job.m_strTo = "hanako@example.jp";
        job.m_strCc = "c@example.jp";
        job.m_strSubject = "report";
        job.m_strInReplyTo = "<mine@example.jp>";
        job.m_strReferences = "<mine@example.jp>";
        job.TakeResentSource(source);
        CSmtpSession session;
        ASSERT_TRUE(job.Fill(session));
        ASSERT_TRUE(session.BuildMessage(dir.File("out.eml"), true)) << session.GetLastErrorText().GetString();
        std::string mail = TestSupport::ReadFileBytes(dir.File("out.eml"));
        SCOPED_TRACE(c.method);
        std::string from = HeaderOf(mail, "From");
        EXPECT_EQ(from.substr(from.size() - std::min(from.size(), strlen(c.from))), c.from) << from;
        EXPECT_EQ(HeaderOf(mail, "Resent-From"), c.resentFrom);
        EXPECT_EQ(HeaderOf(mail, "To"), c.to);
        EXPECT_EQ(HeaderOf(mail, "References"), c.references);
        // The recipients are the forward's whatever the header shows.
        ASSERT_EQ(session.GetToList().GetSize(), 1);
        EXPECT_STREQ(session.GetToList()[0], "hanako@example.jp");
        if (std::string(c.messageId) == "new")
            EXPECT_NE(HeaderOf(mail, "Message-ID"), "<src@example.jp>");
        else
            EXPECT_EQ(HeaderOf(mail, "Message-ID"), c.messageId);
        if (c.method < 0)
            continue;
        EXPECT_EQ(HeaderOf(mail, "Resent-To"), "hanako@example.jp");
        EXPECT_EQ(HeaderOf(mail, "Resent-CC"), "c@example.jp");
        EXPECT_EQ(HeaderOf(mail, "X-ForwordType"), std::to_string(c.method));
        EXPECT_EQ(HeaderOf(mail, "Date") == "Mon, 1 Jan 2024 10:00:00 +0900", c.method == 2);
        EXPECT_EQ(HeaderOf(mail, "Reply-To") == "answers@example.jp", c.method == 2);
        EXPECT_EQ(HeaderOf(mail, "Resent-Message-Id") != "-", c.method == 2);
        EXPECT_EQ(HeaderOf(mail, "Cc"), c.method == 2 ? "boss@example.jp" : "c@example.jp");
    }
}

TEST(MailEditSendJob, KeptSenderGivesWayOnlyToTheSendInformation)
{
    CMailMessage source;
    source.Parse("From: =?ISO-2022-JP?B?GyRCOjRGIxsoQg==?= <sato@example.jp>\r\nSubject: x\r\n");
    CAccountData account = MakeAccount();
    account.SetSendName("営業部");
    CMailEditSendJob job;
    job.m_pAccount = &account;
    job.m_nForwardMethod = 1;
    job.KeepSourceSender(source);
    // The folder's sender does not replace the source's.
    job.SettleSender("", "folder@example.jp", "", "");
    EXPECT_STREQ(job.m_strSenderName, "佐藤");
    EXPECT_STREQ(job.m_strSenderAddress, "sato@example.jp");
    EXPECT_FALSE(job.m_bExplicitSender);
    job.SettleSender(nullptr, nullptr, "", "other@example.jp");
    EXPECT_STREQ(job.m_strSenderName, "佐藤");
    EXPECT_STREQ(job.m_strSenderAddress, "other@example.jp");
}

// A draft stored with a folder's own sender (X-KeepFromAddress) and opened
// from the drafts, where no folder names a sender.
TEST(MailEditSendJob, FixedSenderOfAStoredMailStaysFixed)
{
    CMailMessage source;
    source.Parse("From: =?ISO-2022-JP?B?GyRCMUQ2SEl0GyhC?= <sales@example.jp>\r\nX-KeepFromAddress: 1\r\n"
                 "Subject: x\r\n");
    ASSERT_TRUE(source.m_bKeepFromAddress);
    CAccountData account = MakeAccount();
    struct Case
    {
        bool fixed;
        const char* name;
        const char* address;
        bool explicitSender;
    };
    for (const Case& c : {Case{true, "営業部", "sales@example.jp", true},
                          Case{false, "山田 太郎", "taro@example.jp", false}}) {
        CMailEditSendJob job;
        job.m_pAccount = &account;
        job.KeepSourceSender(source, c.fixed);
        job.SettleSender("", "", "", "");
        EXPECT_STREQ(job.m_strSenderName, c.name) << c.fixed;
        EXPECT_STREQ(job.m_strSenderAddress, c.address) << c.fixed;
        EXPECT_EQ(job.m_bExplicitSender, c.explicitSender) << c.fixed;
    }
}

TEST(MailEditSendJob, StoredCopyOfAnArchivedBodyKeepsItReadableWhenAsked)
{
    TestSupport::TempDir dir;
    CAccountData account = MakeAccount();
    for (bool keep : {false, true}) {
        CMailEditSendJob job;
        MakeArchivedBodyJob(job, account, dir.Path());
        job.m_bKeepClearBody = keep;
        job.SettleSender("", "", "", "");
        CSmtpSession session;
        ASSERT_TRUE(job.Fill(session));
        EXPECT_EQ(session.IsArchiveWithCompanion(), keep);
        if (!keep)
            continue;
        // The copy the sent-mail folder keeps: the body as written.
        CString path = dir.File("clear.eml");
        ASSERT_TRUE(session.BuildMessage(path, false, true, false, false, true));
        std::string stored = TestSupport::ReadFileBytes(path);
        EXPECT_NE(stored.find("\r\n\r\n秘密の本文\r\n二行目\r\n"), std::string::npos) << stored;
        EXPECT_EQ(stored.find("本文は添付されています。"), std::string::npos) << stored;
    }
}

TEST(MailEditSendJob, AttachmentCommentForTheOthersFollowsTheSetting)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("a.txt"), "x");
    CAccountData account = MakeAccount();
    for (bool comment : {false, true}) {
        CMailEditSendJob job;
        job.m_pAccount = &account;
        job.m_strTo = "a@example.jp";
        job.m_strBcc = "b@example.jp";
        job.m_attachFiles.Add(dir.File("a.txt"));
        job.m_bAttachToOnly = true;
        job.m_bAttachComment = comment;
        CSmtpSession session;
        ASSERT_TRUE(job.Fill(session));
        EXPECT_EQ(session.GetAttachCommentFlag(), comment);
    }
}
