// A mail whose every part holds lines that the dot-doubling of POP3 and of
// the store touches: ".", "..", "...", ".x" and "..x" in the text, in a
// base64 attachment, in a quoted-printable attachment (including a soft
// line break before such a line) and in a uuencoded attachment whose
// encoded lines themselves begin with "." (a line of 14 bytes).
#pragma once

#include "core/FileUtil.h"
#include "message/Base64.h"
#include "store/MailFolderStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace NetTest {

struct DotLinesMail
{
    std::string text;     // the whole mail, CR LF
    std::string body;     // the text part as written
    std::string binary;   // data.bin, base64
    std::string printed;  // printed.txt, quoted-printable
    std::string uu;       // uu.dat, uuencoded
};

inline std::string UuencodeLines(const std::string& data)
{
    auto c = [](int v) { return static_cast<char>(v ? v + 32 : '`'); };
    std::string out = "begin 644 uu.dat\r\n";
    for (size_t i = 0; i < data.size(); i += 14) {
        std::string line = data.substr(i, 14);
        out += c(static_cast<int>(line.size()));
        while (line.size() % 3)
            line += '\0';
        for (size_t k = 0; k < line.size(); k += 3) {
            unsigned b0 = static_cast<unsigned char>(line[k]), b1 = static_cast<unsigned char>(line[k + 1]),
                     b2 = static_cast<unsigned char>(line[k + 2]);
            out += c(b0 >> 2);
            out += c(((b0 & 3) << 4) | (b1 >> 4));
            out += c(((b1 & 15) << 2) | (b2 >> 6));
            out += c(b2 & 63);
        }
        out += "\r\n";
    }
    return out + "`\r\nend\r\n";
}

inline DotLinesMail MakeDotLinesMail(const std::string& id)
{
    const std::string lines = ".\r\n..\r\n...\r\n.x\r\n..x\r\n";
    DotLinesMail m;
    m.body = "first line\r\n" + lines + "last line\r\n";
    m.binary = "bin\r\n" + lines;
    for (int b = 0; b < 256; b++)
        m.binary += static_cast<char>(b);
    m.printed = lines + "joined..x";  // the last line break belongs to the delimiter
    m.uu = lines + "1234567";  // two lines of 14 bytes

    std::string b64;
    for (size_t i = 0; i < m.binary.size(); i += 57)
        b64 += CBase64::EncodeToString(m.binary.data() + i, std::min<size_t>(57, m.binary.size() - i)) + "\r\n";
    m.text = "From: dots@example.jp\r\n"
             "To: cvm@example.jp\r\n"
             "Subject: dot lines\r\n"
             "Date: Mon, 01 Jan 2024 12:00:00 +0900\r\n"
             "Message-ID: <" + id + "@example.jp>\r\n"
             "MIME-Version: 1.0\r\n"
             "Content-Type: multipart/mixed; boundary=\"dots\"\r\n"
             "\r\n"
             "--dots\r\n"
             "Content-Type: text/plain; charset=US-ASCII\r\n"
             "Content-Transfer-Encoding: 7bit\r\n"
             "\r\n" + m.body +
             "--dots\r\n"
             "Content-Type: application/octet-stream; name=\"data.bin\"\r\n"
             "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
             "Content-Transfer-Encoding: base64\r\n"
             "\r\n" + b64 +
             "--dots\r\n"
             "Content-Type: application/octet-stream; name=\"printed.txt\"\r\n"
             "Content-Disposition: attachment; filename=\"printed.txt\"\r\n"
             "Content-Transfer-Encoding: quoted-printable\r\n"
             "\r\n" + lines + "joined=\r\n..x\r\n"
             "--dots\r\n"
             "Content-Type: application/octet-stream; name=\"uu.dat\"\r\n"
             "Content-Disposition: attachment; filename=\"uu.dat\"\r\n"
             "Content-Transfer-Encoding: x-uuencode\r\n"
             "\r\n" + UuencodeLines(m.uu) +
             "--dots--\r\n";
    return m;
}

// The only mail of the inbox is stored as the session filed it (filed, the
// file it handed over) and its three attachments decode to what was sent.
inline void ExpectStoredAsSent(CMailFolderStore& inbox, const DotLinesMail& mail, const std::string& filed)
{
    ASSERT_NE(inbox.GetMailList(), nullptr);
    ASSERT_EQ(inbox.GetMailList()->GetMailCount(), 1);
    CString text;
    ASSERT_TRUE(inbox.ReadMailText(inbox.GetRecord(0), text));
    std::string stored(text.GetString(), text.GetLength());
    size_t nameEnd = stored.find("\r\n");
    ASSERT_NE(nameEnd, std::string::npos);
    EXPECT_EQ(stored.substr(nameEnd + 2), filed + "\r\n.\r\n");

    CStringArray files;
    ASSERT_TRUE(inbox.GetAttachFileList(0, files));
    std::map<std::string, std::string> got;
    for (int i = 0; i < files.GetSize(); i++)
        got[GetFileNameFromPath(files[i]).Str()] = TestSupport::ReadFileBytes(files[i]);
    EXPECT_EQ(got["data.bin"], mail.binary);
    EXPECT_EQ(got["printed.txt"], mail.printed);
    EXPECT_EQ(got["uu.dat"], mail.uu);
}

} // namespace NetTest
