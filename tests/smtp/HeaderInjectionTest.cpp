// A received mail whose subject or names are encoded words that decode to
// line breaks and other control characters, answered, forwarded, answered
// through a template, and a subject handed over by another program: the
// mail built for the outbox, read again as the outbox send reads it, has
// exactly the header lines the program writes and no others.
#include "core/FileUtil.h"
#include "editor/EditorTestUtil.h"
#include "editor/MailEditComposer.h"
#include "editor/MailEditData.h"
#include "editor/MailEditSendJob.h"
#include "message/MailMessage.h"
#include "net/SmtpSession.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using EditorTest::Utf8Word;

namespace {

// An encoded word in ISO-2022-JP (plain ASCII is valid JIS text).
std::string JisBWord(const std::string& text)
{
    return "=?ISO-2022-JP?B?" + CBase64::EncodeToString(text.data(), text.size()) + "?=";
}

const char kEvil[] = "Bcc: v@example.com";

// A received mail whose subject and whose Reply-To and From names decode
// to text with the control characters given around kEvil.
std::string HostileMail(const std::string& word)
{
    return "From: " + word + " <taro@example.co.jp>\r\n"
           "To: me@corvane.example\r\n"
           "Subject: " + word + "\r\n"
           "Reply-To: " + word + " <reply@example.jp>\r\n"
           "Date: Wed, 01 May 2024 09:00:00 +0900\r\n"
           "Message-ID: <h1@example.co.jp>\r\n"
           "References: <h0@example.co.jp>\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
           "\r\n"
           "text\r\n";
}

// The header block's field names in order (folds belong to their field).
std::vector<std::string> FieldNames(const std::string& mail)
{
    std::vector<std::string> names;
    std::string header = mail.substr(0, mail.find("\r\n\r\n") + 2);
    for (size_t at = 0; at < header.size();) {
        size_t end = header.find("\r\n", at);
        std::string line = header.substr(at, end - at);
        if (!line.empty() && line[0] != ' ' && line[0] != '\t')
            names.push_back(line.substr(0, line.find(':')));
        at = end + 2;
    }
    return names;
}

} // namespace

TEST(HeaderInjection, DecodedControlCharactersNeverStartAHeaderLine)
{
    const std::string words[] = {
        Utf8Word((std::string("x\r\n") + kEvil).c_str()),
        Utf8Word((std::string("x\n") + kEvil).c_str()),
        Utf8Word((std::string("x\r") + kEvil).c_str()),
        JisBWord(std::string("x\r\n") + kEvil),
        "=?UTF-8?Q?x=0D=0A" + std::string("Bcc:_v@example.com") + "?=",
        "=?UTF-8?Q?x=00=0A" + std::string("Bcc:_v@example.com") + "?=",
        "=?ISO-8859-1?Q?x=0B=0C=1B=7F=0A" + std::string("Bcc:_v@example.com") + "?=",
        // A fold inside the word: CR LF and a blank.
        Utf8Word((std::string("x\r\n ") + kEvil).c_str()),
    };
    // Fields the program writes into a mail of the outbox.
    const std::set<std::string> programFields = {
        "X-SendAcount", "X-ForwordType", "X-KeepFromAddress", "X-Refer-Mail-Folder", "X-Refer-Mail-Handle", "Date",
        "Subject", "To", "Cc", "From", "Reply-To", "Resent-From", "Resent-To", "Resent-Date", "Resent-Message-Id",
        "Message-ID", "MIME-Version", "Content-Type", "Content-Transfer-Encoding", "In-Reply-To", "References",
        "X-Mailer"};
    const std::vector<std::string> replyFields = {"X-SendAcount", "X-KeepFromAddress", "Date", "Subject", "To",
                                                  "From", "Message-ID", "MIME-Version", "Content-Type",
                                                  "Content-Transfer-Encoding", "In-Reply-To", "References",
                                                  "X-Mailer"};

    for (const std::string& word : words) {
        SCOPED_TRACE(word);
        EditorTest::Mailbox box;
        int index = box.File(box.inbox, HostileMail(word));
        CString templatePath = GetTemplateFilePath("返信");
        TestSupport::WriteFileBytes(templatePath, "X-SetHeaders: 返信\r\nTo: %FROM%\r\nSubject: Re: %SUBJECT%\r\n\r\n"
                                                  "%FNAME%さん\r\n%REFBODY%");
        const struct
        {
            const char* road;
            int kind;
            int method;
            bool bTemplate;
        } roads[] = {
            {"reply", 1, -1, false},
            {"forward", 3, 0, false},
            {"forward as it is", 3, 2, false},
            {"template reply", 6, -1, true},
        };
        for (const auto& r : roads) {
            SCOPED_TRACE(r.road);
            CMailEditData data;
            CMailEditComposer composer;
            ASSERT_TRUE(composer.SetMailData(data, index, &box.inbox, r.kind, nullptr, r.method));
            if (r.bTemplate) {
                ASSERT_TRUE(composer.ApplyTemplate(data, templatePath, index, &box.inbox, r.kind, false));
            }
            // As the editor's send fills the job.
            CMailEditSendJob job;
            job.m_nMode = CMailEditSendJob::modeOutbox;
            if (data.m_bForwardMethodSet)
                job.m_nForwardMethod = data.m_nForwardMethod;
            job.KeepSourceSender(composer.GetSourceMessage());
            job.SettleSender("Me", "me@corvane.example", nullptr, nullptr);
            job.m_strTo = r.kind == 3 ? CString("next@example.jp") : data.m_strTo;
            job.m_strCc = data.m_strCc;
            job.m_strBcc = data.m_strBcc;
            job.m_strSubject = data.m_strSubject;
            job.m_strReplyTo = data.m_strReplyTo;
            job.m_strInReplyTo = data.m_strInReplyTo;
            job.m_strReferences = data.GetReferences();
            job.TakeResentSource(composer.GetSourceMessage());
            job.m_strBody = data.m_strBody;
            CSmtpSession session;
            ASSERT_TRUE(job.Fill(session));
            CString path = box.dir.File("outbox.eml");
            ASSERT_TRUE(session.BuildMessage(path)) << session.GetLastErrorText().GetString();
            std::string built = TestSupport::ReadFileBytes(path);

            std::vector<std::string> names = FieldNames(built);
            std::set<std::string> seen;
            for (const std::string& name : names) {
                EXPECT_TRUE(programFields.count(name)) << name << "\n" << built.substr(0, built.find("\r\n\r\n"));
                EXPECT_TRUE(seen.insert(name).second) << name << " twice";
            }
            if (r.kind == 1) {
                EXPECT_EQ(names, replyFields);
            }
            // Read again as the outbox send reads it: nobody to blind-copy.
            CMailMessage stored;
            stored.ParseHeaderText(built.substr(0, built.find("\r\n\r\n") + 2).c_str());
            EXPECT_STREQ(stored.GetHeader("Bcc"), "");
            EXPECT_NE(stored.m_strSubject.Find(kEvil), -1) << "the text stays, as text";
        }
    }
}

TEST(HeaderInjection, HandedOverFieldsStayOnTheirLines)
{
    // Another program (a mail link, Simple MAPI) hands the fields over as
    // they come: line breaks in them are text, not header lines.
    CMailEditSendJob job;
    job.m_nMode = CMailEditSendJob::modeOutbox;
    job.SettleSender("Me\r\nBcc: w@example.com", "me@corvane.example", nullptr, nullptr);
    job.m_strTo = "to@example.jp\r\nBcc: v@example.com";
    job.m_strSubject = std::string("x\r\n").append(kEvil).c_str();
    job.m_strReplyTo = "Reply\nBcc: u@example.com <r@example.jp>";
    job.m_strInReplyTo = "<a@example.jp>\r\nBcc: t@example.com";
    job.m_strPriorityHeaders = "X-Priority: 1 (高)\r\nno header line\r\n";
    job.m_strBody = "body\r\n";
    CSmtpSession session;
    ASSERT_TRUE(job.Fill(session));
    TestSupport::TempDir dir;
    ASSERT_TRUE(session.BuildMessage(dir.File("m.eml")));
    std::string built = TestSupport::ReadFileBytes(dir.File("m.eml"));
    const std::vector<std::string> expected = {"X-SendAcount", "X-KeepFromAddress", "Date", "Subject", "To", "From",
                                               "Reply-To", "Message-ID", "MIME-Version", "Content-Type",
                                               "Content-Transfer-Encoding", "In-Reply-To", "References",
                                               "X-Priority", "X-Mailer"};
    EXPECT_EQ(FieldNames(built), expected) << built;
}
