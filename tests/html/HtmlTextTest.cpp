#include "html/HtmlUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextCase
{
    const char* input;
    const char* expected;
};

} // namespace

TEST(HtmlToPlainText, BodyTextOnly)
{
    const TextCase cases[] = {
        {"<html><head><title>T</title></head><body>a<br><br><br>b</body></html>", "a\r\n\r\nb"},
        {"<BODY><P>one<p class=x>two<TR><TD>c1<td align=left>  c2</BODY>", "one\r\ntwo\r\nc1c2"},
        // Spaces run together; TAB and line ends (with the spaces after them) vanish.
        {"<body>a    b\r\n   c\td</body>", "a bcd"},
        // Comments, and a space after "-->", are dropped.
        {"<body>x<!-- <b>hidden</b> -->  y</body>", "xy"},
        // Leading white space of the result goes.
        {"<body>  <br>  text</body>", "text"},
        // Links and pictures leave their text only.
        {"<body>see <a href=\"http://example.jp/\">the site</a><img src=\"a.gif\" alt=\"x\"> now</body>",
         "see the site now"},
        // A tag between words keeps one space, never more.
        {"<body>a <b>bold</b> word<i> </i>  end</body>", "a bold word end"},
        // XHTML line breaks count as breaks.
        {"<body>a<br/>b<br />c</body>", "a\r\nb\r\nc"},
        // Scripts, styles and the head are never text of the mail.
        {"<head><style>p{color:red}</style><script>var x=1;</script></head>"
         "<body>a<script type=\"text/javascript\">alert('x<y')</script>b<style>.c{}</style>c</body>",
         "abc"},
        {"<body>a<script src=\"x.js\"/>b</body>", "ab"},
        // A fragment without BODY (as many mailers send) is all body.
        {"<div>Hello<br>world</div>", "Hello\r\nworld"},
        // Nothing outside the body is written.
        {"before<body>inside</body>", "inside"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(HtmlToPlainText(c.input).Str(), c.expected) << c.input;
}

TEST(HtmlToPlainText, Entities)
{
    const TextCase cases[] = {
        {"<body>a&nbsp;b &lt;tag&gt;</body>", "a b <tag>"},
        {"<body>&quot; q&quot; x</body>", "\"q\"x"},
        // "&amp;" is decoded only with the space after it.
        {"<body>A &amp; B</body>", "A &B"},
        {"<body>A&amp;B</body>", "A&amp;B"},
        {"<body>&amp; lt;</body>", "&lt;"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(HtmlToPlainText(c.input).Str(), c.expected) << c.input;
}

TEST(HtmlToPlainText, JapaneseTextKeptByteForByte)
{
    // Shift_JIS: "表" and "ソ" end in 0x5C, "ー" and "｣" in bytes that look
    // like ASCII; none of it may be taken for markup.
    EXPECT_EQ(HtmlToPlainText("<body><p>表示ソフト　テーブル&nbsp;ー<br>｢ｿ｣</p></body>").Str(),
              "表示ソフト　テーブル ー\r\n｢ｿ｣");
    // UTF-8 pages pass through as bytes too (the last byte of "写" is 0x99).
    std::string utf8Body = u8"写真<br>日本語&lt;";
    std::string utf8Expected = u8"写真\r\n日本語<";
    EXPECT_EQ(HtmlToPlainText(("<body>" + utf8Body + "</body>").c_str()).Str(), utf8Expected);
}

TEST(UrlDecode, PercentAndPlus)
{
    const TextCase cases[] = {
        {"a%20b", "a b"},
        {"%2F%2f", "//"},        // either case of hex digit
        {"a+b", "a b"},
        {"%41%42c", "ABc"},
        {"100%", "100%"},        // "%" near the end: kept, nothing read past it
        {"1%4", "1%4"},
        {"%E6%97%A5", "\xE6\x97\xA5"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(UrlDecode(c.input).Str(), c.expected) << c.input;
    // A character that is no hex digit counts as 0.
    EXPECT_EQ(UrlDecode("%z1x").Str(), std::string("\x01x"));
    EXPECT_EQ(UrlDecode("%zz").Str(), std::string(1, '\0'));
    EXPECT_EQ(HexPairToByte('f', 'F'), 0xFF);
    EXPECT_EQ(HexPairToByte('0', 'a'), 0x0A);
    EXPECT_EQ(HexPairToByte('G', '1'), 0x01);
}

TEST(HtmlUtil, RiskyExtensionsAndTypes)
{
    const struct
    {
        const char* name;
        bool risky;
    } files[] = {
        {"a.html", true}, {"B.HTM", true}, {"setup.EXE", true}, {"x.com", true}, {"run.bat", true},
        {"run.Cmd", true}, {"virus.JS", true}, {"a.vbs", true}, {"page.shtml", false}, {"a.txt", false},
        {"exe", false}, {"C:\\dir.exe\\file", false}, {"表.js", true},
    };
    for (const auto& f : files)
        EXPECT_EQ(IsRiskyFileExtension(f.name), f.risky) << f.name;

    EXPECT_TRUE(IsIso2022JpCharset("iso-2022-jp"));
    EXPECT_TRUE(IsIso2022JpCharset("CSISO2022JP"));
    EXPECT_FALSE(IsIso2022JpCharset("ISO-2022-JP-2"));
    EXPECT_FALSE(IsIso2022JpCharset("Shift_JIS"));

    EXPECT_TRUE(IsWordType("application/msword"));
    EXPECT_TRUE(IsWordType("Application/MS-Word"));
    EXPECT_FALSE(IsWordType("application/vnd.ms-excel"));
    EXPECT_TRUE(IsExcelType("application/vnd.ms-excel"));
    EXPECT_FALSE(IsExcelType("application/excel"));

    EXPECT_TRUE(IsSingleByteText("plain ascii ｱｲｳ"));  // half-width kana are single bytes
    EXPECT_FALSE(IsSingleByteText("日本"));

    EXPECT_EQ(ToJapaneseFontName("ms gothic").Str(), "ＭＳ ゴシック");
    EXPECT_EQ(ToJapaneseFontName("MS PGothic").Str(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(ToJapaneseFontName("Arial").Str(), "Arial");
}

TEST(HtmlUtil, LineEnds)
{
    const TextCase cases[] = {
        {"a\r\nb", "a\r\nb"}, {"a\nb", "a\r\nb"}, {"a\rb", "a\r\nb"},   {"a\n\rb", "a\r\nb"},
        {"a\n\nb", "a\r\n\r\nb"}, {"a\r\r\nb", "a\r\n\r\nb"}, {"\n", "\r\n"}, {"", ""},
    };
    for (const TextCase& c : cases) {
        CString out("old");
        NormalizeLineEnds(out, c.input);
        EXPECT_EQ(out.Str(), c.expected) << c.input;
    }
    EXPECT_EQ(EncodeLineBreaks("one\r\ntwo\r\n").Str(), "one\x1etwo\x1e");
    EXPECT_EQ(DecodeLineBreaks("one\x1etwo").Str(), "one\r\ntwo");
    EXPECT_EQ(DecodeLineBreaks(EncodeLineBreaks("表\r\nソ\n")).Str(), "表\r\nソ\n");
}

TEST(HtmlUtil, MultiByteByFontCharset)
{
    std::wstring wide;
    EXPECT_EQ(MultiByteToWideForCharset(wide, "\xC7\xD1", -1, 129), 1);  // Hangul in code page 949
    EXPECT_EQ(wide, L"\xD55C");
    MultiByteToWideForCharset(wide, "\xCF\xF1", 2, 204);  // Cyrillic in code page 1251
    EXPECT_EQ(wide, L"\x041F\x0441");
    MultiByteToWideForCharset(wide, "\xE0", 1, 222);  // Thai
    EXPECT_EQ(wide, L"\x0E40");
    MultiByteToWideForCharset(wide, "日本", -1, 128);  // others: the program's own code page
    EXPECT_EQ(wide, L"\x65E5\x672C");
    EXPECT_EQ(MultiByteToWideForCharset(wide, nullptr, -1, 129), 0);
}
