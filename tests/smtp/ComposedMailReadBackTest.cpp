// Mails as they go out on the wire, composed from a table of texts that
// readers trip over (long Japanese subjects, Japanese names, one with a
// comma, half-width katakana, Japanese file names, very long lines, a run of
// blanks, characters only Windows' code page has, attached mails of 8-bit
// text for servers with and without 8BITMIME), sent to the scripted peer and
// checked line by line.
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

// What the peer offers: EHLO with 8BITMIME, EHLO without it, or HELO only.
enum Peer { kEightBitMime, kSevenBitEhlo, kHelo };

struct MailCase
{
    const char* name;
    std::string subject, to, cc, body;
    std::string attachName, attachBytes;
    Peer peer = kEightBitMime;
    std::string innerBody;  // the text of an attached mail, as it must read
};

std::string Utf8Mail()
{
    return "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: utf8\r\nX-ReceiveAcount: 私の口座\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
           "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\x9c\xac\xe6\x96\x87\r\n";
}

// A stored HTML mail in UTF-8 whose page is one line of 3,035 octets.
std::string Utf8HtmlMail()
{
    std::string page = "<html><body>";
    while (page.size() < 3035 - 14)
        page += "\xe6\x97\xa5";  // 日
    page.resize(3035 - 14);
    page += "</body></html>";
    return "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: page\r\nMIME-Version: 1.0\r\n"
           "Content-Type: text/html; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
           page + "\r\n";
}

std::string HtmlPageText()
{
    std::string page = "<html><body>";
    for (size_t n = 12; n + 3 <= 3035 - 14; n += 3)
        page += "日";
    return page + "</body></html>";
}

std::vector<MailCase> Cases()
{
    std::string longSubject;
    for (int i = 0; i < 12; ++i)
        longSubject += "長い件名の試験です、";
    std::string longLine;
    for (int i = 0; i < 1000; ++i)
        longLine += i % 10 == 0 ? "a" : "字";
    const std::string syllables = "日本語の長い行";  // seven double-byte characters
    std::string japaneseLine;
    for (int i = 0; i < 2000; ++i)
        japaneseLine += syllables.substr((i % 7) * 2, 2);
    const std::string longFileName = "2024年度第3四半期営業報告書（関東地区・最終版）の補足資料と参考データ一覧.txt";
    std::vector<MailCase> cases = {
        {"long_subject", "ASCII prefix " + longSubject, "b@example.jp", "", "本文\r\n", "", ""},
        {"japanese_names", "宛名", "\"山田 太郎（営業部　第一課、担当課長代理）\" <taro@example.jp>",
         "\"鈴木, 一郎\" <ichiro@example.jp>, 佐藤 花子 <hanako@example.jp>", "本文\r\n", "", ""},
        {"half_width_kana", "ﾃｽﾄの件名", "ｶﾀｶﾅ <kana@example.jp>", "", "ﾊﾝｶｸ本文\r\n", "", ""},
        {"file_name_after_digits", "添付", "b@example.jp", "", "添付します\r\n", "2024年度計画.txt", "plan\r\n"},
        {"long_line", "長い行", "b@example.jp", "", longLine + "\r\n", "", ""},
        {"long_japanese_line", "二千字の行", "b@example.jp", "", japaneseLine + "\r\n", "", ""},
        {"long_ascii_subject",
         "A long plain subject that goes on and on well past the seventy-six characters of a line",
         "b@example.jp", "", "body\r\n", "", ""},
        {"blank_run_subject", "Re: " + std::string(1000, ' ') + "件名", "b@example.jp", "", "body\r\n", "", ""},
        {"long_file_name", "資料", "b@example.jp", "", "資料です\r\n", longFileName, "data\r\n"},
        {"ibm_extensions", "髙﨑さん", "髙﨑 <takasaki@example.jp>", "", "髙﨑さん、①㈱Ⅰ№の件です。\r\n", "", ""},
    };
    const std::string innerText = "日本語の本文";
    for (Peer peer : {kEightBitMime, kSevenBitEhlo, kHelo}) {
        static const char* const names[] = {"forwarded_8bit_mail_8bitmime", "forwarded_8bit_mail_ehlo",
                                            "forwarded_8bit_mail_helo"};
        MailCase c = {names[peer], "転送", "b@example.jp", "", "転送します\r\n", "utf8.eml", Utf8Mail()};
        c.peer = peer;
        c.innerBody = innerText;
        cases.push_back(c);
    }
    for (Peer peer : {kEightBitMime, kHelo}) {
        MailCase c = {peer == kHelo ? "forwarded_html_helo" : "forwarded_html_8bitmime", "ページ", "b@example.jp", "",
                      "転送します\r\n", "page.eml", Utf8HtmlMail()};
        c.peer = peer;
        c.innerBody = HtmlPageText();
        cases.push_back(c);
    }
    return cases;
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
        script.Send("220 fake ESMTP").Read();
        if (c.peer == kEightBitMime)
            script.Send("250-fake").Send("250-8BITMIME").Send("250 SIZE 10000000");
        else if (c.peer == kSevenBitEhlo)
            script.Send("250-fake").Send("250 SIZE 10000000");
        else
            script.Send("250 fake");
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
        session.SetUseEhlo(c.peer != kHelo);
        session.SetFrom("me@example.jp");
        session.SetTo(c.to.c_str());
        session.SetCc(c.cc.c_str());
        session.AddMessageFile(file);
        session.SetTimeOut(5);
        SessionResult result = DriveSession(session);
        ASSERT_TRUE(result.bResult) << session.GetLastErrorText().GetString();
        const std::vector<std::string> lines = server.Lines();
        std::string wire = WireMessage(lines);
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
        // 8-bit data only to a server that offered 8BITMIME, and then said
        // so in MAIL FROM; the store's own header of the attached mail stays
        // home.
        const bool bEightBit = std::any_of(wire.begin(), wire.end(), [](char ch) { return ch & 0x80; });
        auto from = std::find_if(lines.begin(), lines.end(),
                                 [](const std::string& l) { return l.compare(0, 10, "MAIL FROM:") == 0; });
        ASSERT_NE(from, lines.end());
        EXPECT_EQ(from->find(" BODY=8BITMIME") != std::string::npos, bEightBit) << *from;
        if (c.peer != kEightBitMime) {
            EXPECT_FALSE(bEightBit);
        }
        if (c.attachName == "utf8.eml") {
            EXPECT_EQ(c.peer == kEightBitMime, bEightBit);
        }
        if (!c.innerBody.empty()) {
            EXPECT_EQ(wire.find("X-ReceiveAcount"), std::string::npos);
        }
        if (!exportFolder.IsEmpty()) {
            TestSupport::WriteFileBytes(exportFolder + "\\" + c.name + ".eml", wire);
            // What it must read as, in code page 932: one field a line.
            std::string body = HalfWidthKanaToFullWidth(c.body.c_str()).Str();
            std::string expect = "subject\t" + std::string(HalfWidthKanaToFullWidth(c.subject.c_str()).Str()) +
                                 "\nto\t" + HalfWidthKanaToFullWidth(c.to.c_str()).Str() + "\ncc\t" + c.cc +
                                 "\nfile\t" + c.attachName + "\nbody\t" + body.substr(0, body.size() - 2) +
                                 "\ninner\t" + c.innerBody + "\n";
            TestSupport::WriteFileBytes(exportFolder + "\\" + c.name + ".expect", expect);
        }
    }
}
