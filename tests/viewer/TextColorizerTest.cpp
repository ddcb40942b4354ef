// Colours of display lines: quotation levels, web and mail addresses among
// Japanese text, keywords, and what a wrapped line hands on to the next.
#include "viewer/TextColorizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const COLORREF kText = 0x111111;

CTextColorizer DefaultColorizer()
{
    CTextColorizer c;
    TextColors colors;
    colors.crText = kText;
    c.SetColors(colors);
    c.QuoteRules().SetLevel(1, ">, >,|, |");
    c.QuoteRules().SetLevel(2, ">>, >>,||, ||,> >, > >");
    c.QuoteRules().SetLevel(3, "#, #,＃");
    c.QuoteRules().SetLevel(4, "");
    return c;
}

// The link and keyword pieces of a line: "[W:...]" web, "[M:...]" mail,
// "[K:...]" keyword (bold "[B:...]").
std::string Links(const CTextColorizer& c, const std::string& text, bool wrapped = false)
{
    CTextLine line;
    line.text = text;
    line.wrapped = wrapped;
    CTextColorizer::Carry carry;
    std::vector<TextSpan> spans;
    c.ColorLine(line, carry, false, spans);
    std::string out;
    size_t covered = 0;
    for (const TextSpan& s : spans) {
        EXPECT_EQ(s.nStart, covered) << text;
        covered = s.nStart + s.nLength;
        std::string piece = text.substr(s.nStart, s.nLength);
        switch (s.kind) {
        case SpanKind::WebAddress: out += "[W:" + piece + "]"; break;
        case SpanKind::MailAddress: out += "[M:" + piece + "]"; break;
        case SpanKind::Keyword: out += std::string(s.bBold ? "[B:" : "[K:") + piece + "]"; break;
        default: break;
        }
    }
    EXPECT_EQ(covered, text.size()) << text;
    return out;
}

TEST(TextColorizer, QuotationLevelDecidesTheLineColour)
{
    CTextColorizer c = DefaultColorizer();
    const TextColors& k = c.GetColors();
    const struct { std::string text; COLORREF expected; } cases[] = {
        {"", kText},
        {"本文です", kText},
        {"> 引用", k.crQuote[0]},
        {" > 字下げした引用", k.crQuote[0]},
        {"| 縦線", k.crQuote[0]},
        {">> 二重", k.crQuote[1]},
        {"> > 二重（空白あり）", k.crQuote[1]},
        {"|| 縦線二重", k.crQuote[1]},
        {"# 番号", k.crQuote[2]},
        {"＃ 全角の番号", k.crQuote[2]},
        {"｜ 全角の縦線", kText},
        {"a > b", kText},
    };
    for (const auto& tc : cases)
        EXPECT_EQ(c.QuoteColor(tc.text), tc.expected) << tc.text;

    // Prefixes are byte-exact; a double-byte mark works like any other.
    c.QuoteRules().SetLevel(4, "｜,　｜");
    EXPECT_EQ(c.QuoteColor("｜ 全角の縦線"), k.crQuote[3]);
    EXPECT_EQ(c.QuoteColor("　｜ 字下げ"), k.crQuote[3]);
}

TEST(TextColorizer, FindsWebAndMailAddressesAmongJapaneseText)
{
    CTextColorizer c = DefaultColorizer();
    const struct { std::string text; std::string expected; } cases[] = {
        {"詳細はhttp://example.jp/a.htmlをご覧ください。", "[W:http://example.jp/a.html]"},
        {"安全なhttps://secure.example.jp/login?id=1です", "[W:https://secure.example.jp/login?id=1]"},
        {"取得先 ftp://ftp.example.jp/pub.", "[W:ftp://ftp.example.jp/pub]"},
        {"(http://example.jp/x) と <http://example.jp/y>", "[W:http://example.jp/x][W:http://example.jp/y]"},
        {"ftp://a.example.jp/ より http://b.example.jp/", "[W:http://b.example.jp/]"},
        {"mailto:taro@example.jp まで", "[M:taro@example.jp]"},
        {"連絡先：taro.yamada@example.co.jp。", "[M:taro.yamada@example.co.jp]"},
        {"宛先 user@example.jp.", "[M:user@example.jp.]"},
        {"hanako@example.jp, jiro@example.jp", "[M:hanako@example.jp][M:jiro@example.jp]"},
        {"@example.jp", ""},
        {"at @example.jp", ""},
        {"abc@/path", "[M:abc@]"},
        {"ｶﾀｶﾅ@example.jp", "[M:ｶﾀｶﾅ@example.jp]"},
        {"日本@example.jp", ""},
        {"a@日本", ""},
        {"http://example.jp/path のあと taro@example.jp", "[W:http://example.jp/path][M:taro@example.jp]"},
    };
    for (const auto& tc : cases)
        EXPECT_EQ(Links(c, tc.text), tc.expected) << tc.text;
}

TEST(TextColorizer, HighlightsKeywordsAlsoInsideLinks)
{
    CTextColorizer c = DefaultColorizer();
    c.SetKeywords({{"abc", false, 0xFF}, {"abcdef", true, 0xFF00}, {"重要", true, 0xFF}, {"example", false, 1}});
    EXPECT_EQ(Links(c, "xx abcdef yy"), "[B:abcdef]");
    EXPECT_EQ(Links(c, "abc と abcdef"), "[K:abc][B:abcdef]");
    EXPECT_EQ(Links(c, "これは重要です"), "[B:重要]");
    // The second byte of "ソ" is no place for a keyword to start.
    c.SetKeywords({{"\\", false, 1}});
    EXPECT_EQ(Links(c, "ソフト\\"), "[K:\\]");
    c.SetKeywords({{"example", false, 1}});
    CTextLine line;
    line.text = "http://example.jp/";
    CTextColorizer::Carry carry;
    std::vector<TextSpan> spans;
    c.ColorLine(line, carry, false, spans);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[1].kind, SpanKind::Keyword);
    EXPECT_EQ(spans[1].link, SpanKind::WebAddress);
}

TEST(TextColorizer, WrappedLinesCarryQuoteColourAndWebAddress)
{
    CTextColorizer c = DefaultColorizer();
    const TextColors& k = c.GetColors();
    CTextColorizer::Carry carry;
    std::vector<TextSpan> spans;

    CTextLine first{"> 続きは http://example.jp/very/long", true};
    c.ColorLine(first, carry, false, spans);
    EXPECT_EQ(spans.front().crColor, k.crQuote[0]);
    EXPECT_TRUE(carry.bUrlContinues);

    CTextLine second{"/path.html を見てください", false};
    c.ColorLine(second, carry, false, spans);
    ASSERT_GE(spans.size(), 2u);
    EXPECT_EQ(spans[0].kind, SpanKind::WebAddress);
    EXPECT_EQ(second.text.substr(spans[0].nStart, spans[0].nLength), "/path.html");
    EXPECT_EQ(spans[1].crColor, k.crQuote[0]);  // the quoted paragraph keeps its colour
    EXPECT_FALSE(carry.bContinues);

    // A hard line end starts afresh.
    CTextLine third{"普通の行", false};
    c.ColorLine(third, carry, false, spans);
    EXPECT_EQ(spans[0].crColor, kText);

    // Printing draws no links.
    CTextColorizer::Carry none;
    CTextLine link{"http://example.jp/ taro@example.jp", false};
    c.ColorLine(link, none, true, spans);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0].kind, SpanKind::Text);
}

} // namespace
