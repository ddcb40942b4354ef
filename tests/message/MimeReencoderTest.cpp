// Someone else's mail rewritten for the road: long lines and 8-bit data in
// a transfer encoding, everything else as it was, and each part reading the
// same once decoded.
#include "message/MailMessage.h"
#include "message/MimeCodec.h"
#include "message/MimePart.h"
#include "message/MimeReencoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const std::string kUtf8 = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e";  // 日本語 in UTF-8

std::string Mail(const std::string& header, const std::string& body) { return header + "\r\n" + body; }

// The decoded bodies of the leaf parts, in order, joined by "|".
std::string Leaves(const std::string& mail)
{
    CMimePart root;
    root.Parse(mail.data(), mail.size());
    std::string out;
    std::function<void(const CMimePart&)> walk = [&](const CMimePart& part) {
        if (part.GetChildCount() == 0) {
            out += (out.empty() ? "" : "|") + part.DecodeContent();
            return;
        }
        for (int i = 0; i < part.GetChildCount(); ++i)
            walk(*part.GetChild(i));
    };
    walk(root);
    return out;
}

bool AllSevenBit(const std::string& text) { return !CMimeReencoder::HasEightBit(text); }

} // namespace

TEST(MimeReencoder, EightBitAndLongLinesTravelEncodedAndReadTheSame)
{
    const std::string longLine(1500, 'x');
    const std::string multipart =
        Mail("MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\nContent-Transfer-Encoding: 8bit\r\n",
             "preamble\r\n--b1\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
                 kUtf8 + "\r\n--b1\r\nContent-Type: text/plain\r\n\r\n" + longLine +
                 "\r\n--b1\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                 "AAEC\r\n--b1--\r\nepilogue\r\n");
    // Seven bits: every leaf reads the same, nothing 8-bit is left and the
    // multipart no longer claims 8-bit data; the Base64 part is untouched.
    std::string seven = CMimeReencoder::ToSevenBit(multipart);
    EXPECT_TRUE(AllSevenBit(seven)) << seven;
    EXPECT_FALSE(CMimeReencoder::HasLongLine(seven));
    EXPECT_EQ(Leaves(seven), Leaves(multipart));
    EXPECT_NE(seven.find("Content-Transfer-Encoding: 7bit\r\n\r\npreamble"), std::string::npos) << seven;
    EXPECT_NE(seven.find("AAEC\r\n--b1--\r\nepilogue"), std::string::npos);
    // Long lines only: the 8-bit part stays as it is.
    std::string fitted = CMimeReencoder::FitLines(multipart);
    EXPECT_FALSE(CMimeReencoder::HasLongLine(fitted));
    EXPECT_NE(fitted.find(kUtf8), std::string::npos);
    EXPECT_EQ(Leaves(fitted), Leaves(multipart));
    // A mail that needs nothing comes back byte for byte.
    const std::string plain = Mail("Subject: x\r\n", "text\r\n");
    EXPECT_EQ(CMimeReencoder::ToSevenBit(plain), plain);
}

TEST(MimeReencoder, RawHeaderTextAndEnclosedMailsBecomeSevenBit)
{
    const std::string inner = Mail("Subject: " + kUtf8 + "\r\nContent-Type: text/plain; charset=UTF-8; name=\"" + kUtf8 +
                                       ".txt\"\r\nContent-Transfer-Encoding: 8bit\r\n",
                                   kUtf8 + "\r\n");
    const std::string outer = Mail("Content-Type: message/rfc822\r\nContent-Transfer-Encoding: 8bit\r\n", inner);
    std::string seven = CMimeReencoder::ToSevenBit(outer);
    EXPECT_TRUE(AllSevenBit(seven)) << seven;
    std::string body = seven.substr(seven.find("\r\n\r\n") + 4);
    CMailMessage head;
    head.ParseHeaderText(body.substr(0, body.find("\r\n\r\n") + 2).c_str());
    EXPECT_STREQ(head.m_strSubject, "日本語");
    EXPECT_STREQ(head.m_strName, "日本語.txt");
    EXPECT_EQ(Leaves(body), kUtf8 + "\r\n");
}

TEST(MimeReencoder, OnlyTheRawPartsOfAMessageFileChange)
{
    // The program's own text is Shift_JIS for the send to convert: only the
    // part declared 8bit is someone else's bytes.
    const std::string file =
        Mail("Content-Type: multipart/mixed; boundary=\"B\"\r\nContent-Transfer-Encoding: 8bit\r\n",
             "--B\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit\r\n\r\n"
             "日本語の本文\r\n\r\n--B\r\nContent-Type: message/rfc822\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
                 Mail("Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n", kUtf8 + "\r\n") +
                 "\r\n--B--\r\n");
    std::string out = CMimeReencoder::SevenBitRawParts(file);
    EXPECT_NE(out.find("Content-Transfer-Encoding: 7bit\r\n\r\n日本語の本文\r\n"), std::string::npos) << out;
    EXPECT_EQ(out.find(kUtf8), std::string::npos);
    EXPECT_EQ(out.find("8bit"), std::string::npos) << out;
}
