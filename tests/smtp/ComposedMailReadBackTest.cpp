// Mails as they go out on the wire, composed from a table of texts that
// readers trip over (long Japanese subjects, Japanese names, half-width
// katakana, a Japanese file name after digits, a very long line, an attached
// mail of 8-bit text), sent to the scripted peer and checked line by line.
// With CVM_COMPOSED_EXPORT set each mail is also written there with what it
// should read as, for check_composed_mail.py to read back with Python's own
// mail parser.
#include "SmtpTestSupport.h"

#include "editor/MailEditSendJob.h"
#include "message/JapaneseCode.h"
#include "net/SmtpSession.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace SmtpTest;

namespace {

struct MailCase
{
    const char* name;
    std::string subject, to, cc, body;
    std::string attachName, attachBytes;
};

std::string Utf8Mail()
{
    return "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: utf8\r\nMIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
           "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\x9c\xac\xe6\x96\x87\r\n";
}

std::vector<MailCase> Cases()
{
    std::string longSubject;
    for (int i = 0; i < 12; ++i)
        longSubject += "長い件名の試験です、";
    std::string longLine;
    for (int i = 0; i < 1000; ++i)
        longLine += i % 10 == 0 ? "a" : "字";
    return {
        {"long_subject", "ASCII prefix " + longSubject, "b@example.jp", "", "本文\r\n", "", ""},
        {"japanese_names", "宛名", "\"山田 太郎（営業部　第一課、担当課長代理）\" <taro@example.jp>",
         "\"鈴木, 一郎\" <ichiro@example.jp>, 佐藤 花子 <hanako@example.jp>", "本文\r\n", "", ""},
        {"half_width_kana", "ﾃｽﾄの件名", "ｶﾀｶﾅ <kana@example.jp>", "", "ﾊﾝｶｸ本文\r\n", "", ""},
        {"file_name_after_digits", "添付", "b@example.jp", "", "添付します\r\n", "2024年度計画.txt", "plan\r\n"},
        {"long_line", "長い行", "b@example.jp", "", longLine + "\r\n", "", ""},
        {"forwarded_8bit_mail", "転送", "b@example.jp", "", "転送します\r\n", "utf8.eml", Utf8Mail()},
        {"long_ascii_subject",
         "A long plain subject that goes on and on well past the seventy-six characters of a line",
         "b@example.jp", "", "body\r\n", "", ""},
    };
}

// What the peer was sent between DATA and the final dot, dots undone.
std::string WireMessage(const std::vector<std::string>& lines)
{
    auto data = std::find(lines.begin(), lines.end(), "DATA");
    std::string message;
    for (auto it = data == lines.end() ? data : data + 1; it != lines.end() && *it != "."; ++it)
        message += (it->compare(0, 1, ".") == 0 ? it->substr(1) : *it) + "\r\n";
    return message;
}

CString ExportFolder()
{
    char value[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA("CVM_COMPOSED_EXPORT", value, sizeof(value));
    if (n == 0 || n >= sizeof(value))
        return CString();
    // The checker runs natively: a Unix path is drive Z: under Wine.
    CString folder = value;
    if (folder[0] == '/') {
        folder.Replace('/', '\\');
        folder = "Z:" + folder;
    }
    return folder;
}

} // namespace

TEST(ComposedMailReadBack, EveryLineFitsAndEveryEncodedWordStandsApart)
{
    CString exportFolder = ExportFolder();
    for (const MailCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        TestSupport::TempDir dir;
        FixedSource source;
        CSmtpSession compose;
        compose.SetComposeSource(&source);
        // Through the editor's send job, as a mail written in the window.
        CMailEditSendJob job;
        job.m_strSenderName = "送信者";
        job.m_strSenderAddress = "me@example.jp";
        job.m_strSubject = c.subject.c_str();
        job.m_strTo = c.to.c_str();
        job.m_strCc = c.cc.c_str();
        job.m_strBody = c.body.c_str();
        if (!c.attachName.empty()) {
            CString path = dir.File(c.attachName.c_str());
            TestSupport::WriteFileBytes(path, c.attachBytes);
            job.m_attachFiles.Add(path);
        }
        ASSERT_TRUE(job.Fill(compose));
        CString file = dir.File("mail.txt");
        ASSERT_TRUE(compose.BuildMessage(file, true)) << compose.GetLastErrorText().GetString();

        FakeSmtpScript script;
        script.Send("220 fake ESMTP").Read().Send("250-fake").Send("250 8BITMIME");
        script.Exchange("250 reset").Exchange("250 sender ok");
        int recipients = 1 + (c.cc.empty() ? 0 : 2);
        for (int i = 0; i < recipients; ++i)
            script.Exchange("250 ok");
        script.Exchange("354 go").ReadData().Send("250 queued").Exchange("221 bye");
        FakeSmtpServer server;
        CSmtpSession session;
        int port = server.Start(script);
        ASSERT_NE(port, 0) << "the scripted SMTP peer is not running";
        session.SetServer("127.0.0.1", port);
        session.SetFrom("me@example.jp");
        session.SetTo(c.to.c_str());
        session.SetCc(c.cc.c_str());
        session.AddMessageFile(file);
        session.SetTimeOut(5);
        SessionResult result = DriveSession(session);
        ASSERT_TRUE(result.bResult) << session.GetLastErrorText().GetString();
        std::string wire = WireMessage(server.Lines());
        ASSERT_FALSE(wire.empty());

        size_t headerEnd = wire.find("\r\n\r\n");
        ASSERT_NE(headerEnd, std::string::npos);
        for (size_t at = 0, eol; (eol = wire.find("\r\n", at)) != std::string::npos; at = eol + 2) {
            std::string line = wire.substr(at, eol - at);
            if (at < headerEnd) {
                ExpectHeaderLineFits(line, 0);
            } else {
                EXPECT_LE(line.size(), 998u) << line.substr(0, 80);
            }
        }
        if (c.attachName == "utf8.eml") {
            EXPECT_NE(wire.find(Utf8Mail().substr(Utf8Mail().find("\r\n\r\n"))), std::string::npos) << wire;
        }
        if (!exportFolder.IsEmpty()) {
            TestSupport::WriteFileBytes(exportFolder + "\\" + c.name + ".eml", wire);
            // What it must read as, in code page 932: one field a line.
            std::string body = HalfWidthKanaToFullWidth(c.body.c_str()).Str();
            std::string expect = "subject\t" + std::string(HalfWidthKanaToFullWidth(c.subject.c_str()).Str()) +
                                 "\nto\t" + HalfWidthKanaToFullWidth(c.to.c_str()).Str() + "\ncc\t" + c.cc +
                                 "\nfile\t" + c.attachName + "\nbody\t" + body.substr(0, body.size() - 2) + "\n";
            TestSupport::WriteFileBytes(exportFolder + "\\" + c.name + ".expect", expect);
        }
    }
}
