#include "message/MimeCodec.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;

TEST(Base64, EncodeAndDecodeByTable)
{
    const struct { const char* plain; const char* encoded; } cases[] = {
        {"abc", "YWJj"}, {"ab", "YWI="}, {"a", "YQ=="}, {"", ""},
        {"\x1b$B%F%9%H\x1b(B", "GyRCJUYlOSVIGyhC"},
    };
    CBase64 b64;
    for (const auto& c : cases) {
        char out[64];
        ASSERT_EQ(b64.Encode(c.plain, out, sizeof(out)), 1) << c.plain;
        EXPECT_STREQ(out, c.encoded);
        char back[64];
        EXPECT_EQ(b64.Decode(c.encoded, back, sizeof(back)), static_cast<int>(strlen(c.plain)));
        EXPECT_STREQ(back, c.plain);
    }
}

// Decoding appends to what the output holds and stops at an "=" in the
// second to fourth place of a group or at an unfinished group; any other
// character outside the alphabet counts as zero bits.
TEST(Base64, DecodeAppendStopsWhereTheTextEnds)
{
    const struct { const char* text; std::string bytes; } cases[] = {
        {"YWJjZGVm", "abcdef"}, {"YWJjZA==", "abcd"}, {"YWJjZGU=", "abcde"}, {"YWJjZGU", "abcde"},
        {"YWJjZ", "abc"}, {"YWJj=GVm", std::string("abc\0ef", 6)}, {"YW=jZGVm", "a"}, {"=WJj", "\x01" "bc"},
        {"Y", ""}, {"YW*j", "a`#"}, {"////", "\xff\xff\xff"}, {"++++", "\xfb\xef\xbe"},
    };
    for (const auto& c : cases) {
        std::string out = "pre";
        CBase64::DecodeAppend(c.text, strlen(c.text), out);
        EXPECT_EQ(out, "pre" + c.bytes) << c.text;
    }
    std::string bytes;
    for (int i = 0; i < 3000; i++)
        bytes += static_cast<char>(i * 7);
    EXPECT_EQ(CBase64::DecodeToString(CBase64::EncodeToString(bytes.data(), bytes.size()).c_str()), bytes);
}

TEST(Base64, LineLengthAndBufferLimits)
{
    std::string data(57, 'x');
    std::string one = CBase64::EncodeToString(data.data(), 57, 76);
    EXPECT_EQ(one.size(), 78u);
    EXPECT_EQ(one.substr(76), "\r\n");
    std::string two = CBase64::EncodeToString(std::string(90, 'y').data(), 90, 60);
    EXPECT_EQ(two.find("\r\n"), 60u);

    CBase64 b64;
    // "abcdef" with the classic size test: 6 / 3 * 4 + 4 bytes; one too few writes nothing.
    char out[32];
    memset(out, '#', sizeof(out));
    EXPECT_EQ(b64.Encode("abcdef", out, 11), 0);
    EXPECT_EQ(out[0], '#');
    EXPECT_EQ(b64.Encode("abcdef", out, 12), 1);
    // Where the classic test is too small for the padding and the NUL, or for
    // the line breaks, nothing is written past the buffer.
    EXPECT_EQ(b64.Encode("abcd", out, 8), 0);
    EXPECT_EQ(b64.Encode("abcd", out, 9), 1);
    EXPECT_STREQ(out, "YWJjZA==");
    EXPECT_EQ(b64.Encode("abcdefghijkl", out, 24, 12, 4), 0);
    EXPECT_EQ(b64.Encode("abcdefghijkl", out, 25, 12, 4), 1);
    EXPECT_STREQ(out, "YWJj\r\nZGVm\r\nZ2hp\r\namts\r\n");

    char small[3];
    EXPECT_EQ(b64.Decode("YWJj", small, sizeof(small)), -1);
    // Line breaks are not skipped: they decode as zero bits.
    EXPECT_EQ(CBase64::DecodeToString("YW\r\nJj").size(), 4u);
    EXPECT_EQ(CBase64::DecodeChar('*'), 0);
}

TEST(QuotedPrintable, EncodeByTable)
{
    const struct { const char* plain; const char* encoded; } cases[] = {
        {"\x82\xa0", "=82=a0"}, {"a=b", "a=3db"}, {"\x1b", "=1b"},
        {"x\ry\nz\r\n", "x\r\ny\r\nz\r\n"}, {"tail \t", "tail \t"},
        {"end\x82", "end=82"},  // a lone last byte is not paired with the NUL
    };
    for (const auto& c : cases)
        EXPECT_EQ(CQuotedPrintable::EncodeToString(c.plain, strlen(c.plain)), c.encoded) << c.plain;

    // A full buffer stops before an item, never inside one.
    char out[7];
    CQuotedPrintable qp;
    EXPECT_EQ(qp.Encode("a\x82\xa0" "b", out, sizeof(out)), 1);
    EXPECT_STREQ(out, "a");
}

TEST(QuotedPrintable, DecodeByTable)
{
    const struct { const char* encoded; const char* plain; } cases[] = {
        {"=3D", "="}, {"=3d", "="}, {"soft=\r\nbreak", "softbreak"}, {"=G1", "=G1"},
        {"=4", "=4"}, {"=A", "=A"}, {"=", "="},  // cut short at the end: kept, never read past
        {"=4G", "@"},                            // second digit invalid counts as 0
        {"hard\r\nbreak", "hard\r\nbreak"},
    };
    CQuotedPrintable qp;
    for (const auto& c : cases) {
        char out[32];
        EXPECT_EQ(qp.Decode(c.encoded, out, sizeof(out)), static_cast<int>(strlen(c.plain))) << c.encoded;
        EXPECT_STREQ(out, c.plain) << c.encoded;
    }
    char tiny[3];
    EXPECT_EQ(qp.Decode("abcdef", tiny, sizeof(tiny)), 2);
    EXPECT_STREQ(tiny, "ab");
}

TEST(Uuencode, RoundTripAndLyingLengths)
{
    std::string data = "The quick brown fox jumps over the lazy dog\r\nsecond line";
    std::string enc = CUuencode::EncodeToString(data.data(), data.size());
    EXPECT_EQ(enc.substr(0, 1), "K");  // 43 bytes
    std::string back;
    size_t pos = 0;
    while (pos < enc.size()) {
        size_t eol = enc.find("\r\n", pos);
        CUuencode::DecodeLineAppend(enc.data() + pos, eol - pos, back);
        pos = eol + 2;
    }
    EXPECT_EQ(back, "The quick brown fox jumps over the lazy dogsecond line");

    // A length character that claims 45 bytes on a line holding 4 characters
    // yields the 3 bytes that are there.
    std::string lie;
    CUuencode::DecodeLineAppend("M86)C", 5, lie);
    EXPECT_EQ(lie, "abc");
    std::string empty;
    CUuencode::DecodeLineAppend("", 0, empty);
    EXPECT_TRUE(empty.empty());
    CUuencode::DecodeLineAppend("\r\n", 2, empty);
    EXPECT_EQ(empty, "\r\n");
    // Zero written as a backquote.
    EXPECT_EQ(CUuencode::EncodeToString("\0\0\0", 3), "#````\r\n");
}

TEST(Uuencode, BlockToFileHoldsExactlyTheData)
{
    TempDir dir;
    std::string data = "binary\x01\x02\xff data of 20 bytes";
    std::string block = "begin 644 a.bin\r\n" + CUuencode::EncodeToString(data.data(), data.size()) + "`\r\nend\r\n";
    CMimeCodec codec;
    ASSERT_TRUE(codec.UudecodeToFile(block.c_str(), dir.File("a.bin")));
    EXPECT_EQ(ReadFileBytes(dir.File("a.bin")), data);
    EXPECT_FALSE(codec.UudecodeToFile(block.c_str(), dir.File("no\\such\\folder\\a.bin")));
}

namespace {

// BinHex 4.0 text of raw bytes (run-length markers already in place).
std::string BinHexOf(const std::string& bytes)
{
    static const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
    std::string out = "(This file must be converted with BinHex 4.0)\r\n:";
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 2]);
        size_t chars = bytes.size() - i >= 3 ? 4 : bytes.size() - i + 1;
        for (size_t k = 0; k < chars; ++k)
            out += kAlphabet[(v >> (18 - 6 * k)) & 63];
        if (i && i % 48 == 0)
            out += "\r\n";
    }
    return out + ":";
}

} // namespace

TEST(BinHex, RunsAndDataForkFile)
{
    EXPECT_EQ(CBinHex::DecodeToString(BinHexOf(std::string("A\x90\x04z", 4)).c_str(), 100), "AAAAz");
    EXPECT_EQ(CBinHex::DecodeToString(BinHexOf(std::string("A\x90\x00z", 4)).c_str(), 100), std::string("A\x90z", 3));
    EXPECT_TRUE(CBinHex::DecodeToString("no colon", 8).empty());

    std::string header;
    header += static_cast<char>(9);
    header += "re:port?1";  // a name with characters a file name cannot hold
    header += '\0';
    header += "TEXTttxt";
    header += std::string(2, '\0');
    header += std::string("\0\0\0\x05", 4);  // data fork length 5
    header += std::string(4, '\0');
    header += std::string(2, '\0');
    std::string fork = header + "hello" + "resource";
    TempDir dir;
    CMimeCodec codec;
    ASSERT_TRUE(codec.DecodeBinHexToFile(BinHexOf(fork).c_str(), dir.File("ignored.hqx")));
    EXPECT_EQ(ReadFileBytes(dir.File("re_port_1")), "hello");
    // A header cut short writes nothing.
    EXPECT_FALSE(codec.DecodeBinHexToFile(BinHexOf(header.substr(0, 8)).c_str(), dir.File("x")));

    char small[2];
    CBinHex binhex;
    EXPECT_EQ(binhex.Decode(BinHexOf("abcdef").c_str(), small, sizeof(small)), -1);
}

TEST(MimeCodec, LineDecodersAndFiles)
{
    CMimeCodec codec;
    char buf[64];
    EXPECT_EQ(codec.DecodeBase64Lines("YWJj\r\nZGVm\r\n.\r\nZ2hp\r\n", buf, sizeof(buf)), 6);
    EXPECT_STREQ(buf, "abcdef");
    // A line that no longer fits ends the decoding.
    EXPECT_EQ(codec.DecodeBase64Lines("YWJj\r\nZGVm\r\n", buf, 5), 3);

    TempDir dir;
    ASSERT_TRUE(codec.DecodeQuotedPrintableToFile("line one=\r\n continues\r\nline two=3D\r\n", dir.File("q.txt")));
    EXPECT_EQ(ReadFileBytes(dir.File("q.txt")), "line one continues\r\nline two=\r\n");
    ASSERT_TRUE(codec.DecodeBase64TextToFile("YWJj\r\nZGVm\r\n", dir.File("b.bin")));
    EXPECT_EQ(ReadFileBytes(dir.File("b.bin")), "abcdef");

    EXPECT_EQ(CMimeCodec::DecodeTransfer("YWJj\r\nZGVm", 10, kEncodingBase64), "abcdef");
    EXPECT_EQ(CMimeCodec::DecodeTransfer("a=\r\nb", 5, kEncodingQuotedPrintable), "ab");
    EXPECT_EQ(CMimeCodec::DecodeTransfer("x\r\ny", 4, kEncoding8Bit), "x\r\ny");
}

TEST(QuotedPrintable, BodyLinesFitAndDecodeBack)
{
    std::string jisLine;
    for (int i = 0; i < 700; ++i)
        jisLine += "\x1b$B$\"\x1b(B=x ";
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    const std::string texts[] = {
        "short line\r\nsecond\r\n", std::string(3000, 'x'), jisLine + "\r\n" + jisLine, "ends in blanks  \r\nnext\t\r\n",
        bytes, std::string(74, 'a') + "=b",
    };
    for (const std::string& text : texts) {
        std::string encoded = CQuotedPrintable::EncodeBody(text.data(), text.size());
        for (size_t at = 0; at < encoded.size();) {
            size_t eol = encoded.find("\r\n", at);
            size_t end = eol == std::string::npos ? encoded.size() : eol;
            EXPECT_LE(end - at, 76u) << encoded.substr(at, end - at);
            EXPECT_TRUE(end == at || (encoded[end - 1] != ' ' && encoded[end - 1] != '\t')) << "blank at a line end";
            for (size_t i = at; i < end; ++i)
                EXPECT_TRUE(encoded[i] >= 0x20 && encoded[i] < 0x7F);
            at = eol == std::string::npos ? end : eol + 2;
        }
        // Line breaks of the text (CR LF, a lone CR or LF) come back as CR LF.
        std::string expected;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                expected += "\r\n";
                i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            } else {
                expected += text[i];
            }
        }
        EXPECT_EQ(CQuotedPrintable::DecodeToString(encoded.data(), encoded.size()), expected);
    }
}
