// Moving uuencoded blocks out of a mail body: names, kept text, and the
// names a crafted mail cannot use to reach outside its attachment folder.
#include "viewer/UuencodedParts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Plain uuencode of bytes, 45 to a line, as mail programs write it.
std::string Encode(const std::string& data)
{
    auto sixBits = [](unsigned v) { return v == 0 ? '`' : static_cast<char>(v + 32); };
    std::string out;
    for (size_t i = 0; i < data.size(); i += 45) {
        size_t n = std::min<size_t>(45, data.size() - i);
        out += sixBits(static_cast<unsigned>(n));
        for (size_t k = 0; k < n; k += 3) {
            unsigned v = static_cast<unsigned char>(data[i + k]) << 16;
            if (k + 1 < n)
                v |= static_cast<unsigned char>(data[i + k + 1]) << 8;
            if (k + 2 < n)
                v |= static_cast<unsigned char>(data[i + k + 2]);
            out += sixBits((v >> 18) & 63);
            out += sixBits((v >> 12) & 63);
            out += sixBits((v >> 6) & 63);
            out += sixBits(v & 63);
        }
        out += "\r\n";
    }
    return out;
}

std::string Block(const std::string& beginLine, const std::string& data)
{
    return beginLine + "\r\n" + Encode(data) + "`\r\nend\r\n";
}

const char kHeader[] = "Subject: files\r\nFrom: a@example.jp";

} // namespace

TEST(UuencodedPartsTest, BlocksBecomePartsAndTheTextAroundThemStays)
{
    std::string mail = std::string(kHeader) + "\r\n\r\nBefore\r\n" + Block("begin 644 report.txt", "hello world\r\n") +
                       "Between\r\n" + Block("BEGIN 600 ", std::string("bin\0\xff\r\nary", 10)) + "After\r\n";
    CUuencodedParts parts;
    ASSERT_TRUE(parts.Convert(mail, "M0001"));
    ASSERT_EQ(parts.Parts().size(), 2u);
    EXPECT_EQ(parts.Parts()[0].name, "report.txt");
    EXPECT_EQ(parts.Parts()[0].data, "hello world\r\n");
    EXPECT_EQ(parts.Parts()[1].name, "M0001001");  // a begin line ending in a blank names none
    EXPECT_EQ(parts.Parts()[1].data, std::string("bin\0\xff\r\nary", 10));
    EXPECT_EQ(parts.Output(), std::string(kHeader) + "\r\n\r\nBefore\r\nBetween\r\nAfter\r\n");
}

TEST(UuencodedPartsTest, FirstUnnamedBlockIsNumberedFromZero)
{
    std::string mail = std::string(kHeader) + "\r\n\r\n" + Block("begin 644 ", "x");
    CUuencodedParts parts;
    ASSERT_TRUE(parts.Convert(mail, "M0002"));
    EXPECT_EQ(parts.Parts()[0].name, "M0002000");
}

TEST(UuencodedPartsTest, BodyWithoutABlockIsLeftAlone)
{
    struct Case { const char* body; } cases[] = {
        {"no blocks here\r\nbeginning is not begin\r\n"},
        {"begin 644 open.txt\r\n#86)C\r\n"},  // never ended
        {""},
    };
    for (const Case& c : cases) {
        CUuencodedParts parts;
        EXPECT_FALSE(parts.Convert(std::string(kHeader) + "\r\n\r\n" + c.body, "M0003")) << c.body;
        EXPECT_TRUE(parts.Parts().empty());
    }
}

TEST(UuencodedPartsTest, NamesStayInsideTheAttachmentFolder)
{
    struct Case { const char* given; const char* safe; } cases[] = {
        {"report.txt", "report.txt"},
        {"../../Windows/win.ini", "win.ini"},
        {"..\\..\\evil.exe", "evil.exe"},
        {"C:\\boot.ini", "boot.ini"},
        {"..", ""},
        {"...", ""},
        {"a?b*c.txt", "a_b_c.txt"},
        {"CON", "_CON"},
        {"nul.txt", "_nul.txt"},
        {"表.txt", "表.txt"},          // the second byte of 表 is a backslash
        {"ソフト\\x.txt", "x.txt"},
        {"name. ", "name"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CUuencodedParts::SafeFileName(c.given), c.safe) << c.given;

    std::string mail = std::string(kHeader) + "\r\n\r\n" + Block("begin 644 ../../../x.bat", "echo") +
                       Block("begin 644 ..", "y");
    CUuencodedParts parts;
    ASSERT_TRUE(parts.Convert(mail, "M0004"));
    EXPECT_EQ(parts.Parts()[0].name, "x.bat");
    EXPECT_EQ(parts.Parts()[1].name, "M0004001");
}
