// Decoding into buffers kept from one part and one mail to the next gives
// what decoding into fresh strings gives, whatever an earlier, longer part
// left in them.
#include "message/JapaneseCode.h"
#include "message/MimePart.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// UTF-8 to the ANSI code page in one piece through the platform: the
// yardstick for the conversion that goes through the stack a piece at a time.
std::string PlatformUtf8ToAnsi(const std::string& utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    int m = WideCharToMultiByte(CP_ACP, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), n, &out[0], m, nullptr, nullptr);
    return out;
}

std::string Part(const char* type, const char* encoding, const std::string& body)
{
    return std::string("--b\r\nContent-Type: ") + type + "\r\n" +
           (*encoding ? std::string("Content-Transfer-Encoding: ") + encoding + "\r\n" : "") + "\r\n" + body + "\r\n";
}

} // namespace

TEST(DecodeBuffers, KeptBuffersDecodeLikeFreshOnes)
{
    // Long parts first, so that the short ones after them meet buffers
    // holding more than they give; a UTF-8 text puts a character outside the
    // basic plane across the end of a stack piece.
    std::string longUtf8 = std::string(2047, 'a') + "\xF0\x9F\x98\x80" + "\xE6\x97\xA5\xE6\x9C\xAC" + "z";
    std::string longJis = SjisToJis(std::string(3000, 'x').append("本日は晴天なり").c_str()).Str();
    std::string mail = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n" +
                       Part("text/plain; charset=UTF-8", "8bit", longUtf8) +
                       Part("text/plain; charset=ISO-2022-JP", "7bit", longJis) +
                       Part("application/octet-stream", "base64", "QUJDREVGR0g=\r\nSUo=") +
                       Part("text/plain; charset=ISO-2022-JP", "base64", "GyRCJCIbKEI=") +
                       Part("text/plain; charset=EUC-JP", "8bit", "\xC6\xFC\xCB\xDC") +
                       Part("text/plain; charset=UTF-8", "quoted-printable", "=E6=97=A5=\r\nx") +
                       Part("text/plain; charset=UTF-8", "8bit", "\xE6\x97") + "--b--\r\n";
    CMimePart root;
    root.Parse(mail.data(), mail.size());
    ASSERT_EQ(root.GetChildCount(), 7);

    const std::vector<std::string> expected = {PlatformUtf8ToAnsi(longUtf8),
                                               std::string(3000, 'x') + "本日は晴天なり",
                                               "ABCDEFGHIJ",
                                               "あ",
                                               "日本",
                                               "日x",
                                               "?"};
    CString text;
    std::string bytes;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        SCOPED_TRACE(i);
        const CMimePart& part = *root.GetChild(i);
        if (part.m_header.m_nMainType == kContentText) {
            part.DecodeText(text, bytes);
            EXPECT_EQ(text.Str(), expected[static_cast<size_t>(i)]);
            EXPECT_EQ(part.DecodeText().Str(), expected[static_cast<size_t>(i)]);
        } else {
            part.DecodeContent(bytes);
            EXPECT_EQ(bytes, expected[static_cast<size_t>(i)]);
            EXPECT_EQ(part.DecodeContent(), expected[static_cast<size_t>(i)]);
        }
    }
}
