// Wrapping of the colour text view with a fixed-width measurer: 8 pixels a
// byte, tabs to stops every 4 columns.
#include "viewer/TextLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int kCharWidth = 8;
const int kTabColumns = 4;

int FixedWidth(const char* p, int n)
{
    int x = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] == '\t')
            x = (x / (kCharWidth * kTabColumns) + 1) * kCharWidth * kTabColumns;
        else
            x += kCharWidth;
    }
    return x;
}

std::vector<CTextLine> Layout(const std::string& text, int width, bool oldStyle = false, bool noWordBreak = false)
{
    TextLayoutOptions opt;
    opt.bOldStyle = oldStyle;
    opt.bNoWordBreak = noWordBreak;
    opt.nWrapWidth = width;
    opt.nAvgCharWidth = kCharWidth;
    opt.nTabColumns = kTabColumns;
    std::vector<CTextLine> lines;
    CTextLayout layout;
    layout.Start(&text, opt, FixedWidth, &lines);
    layout.Continue(static_cast<size_t>(-1));
    return lines;
}

// Lines as "text|" for a hard end and "text~" for a wrapped one.
std::string Describe(const std::vector<CTextLine>& lines)
{
    std::string out;
    for (const CTextLine& l : lines)
        out += l.text + (l.wrapped ? "~" : "|");
    return out;
}

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

struct WrapCase
{
    const char* name;
    std::string text;
    int width;
    std::string expected;
};

TEST(TextLayout, WrapsAndBreaksLinesAsTheRulesSay)
{
    // Width 200: 25 single-byte characters; measuring starts after 19 columns.
    const std::string a25 = Repeat("a", 25);
    const std::string jp12 = Repeat("あ", 12);  // 24 bytes, 192 pixels
    const WrapCase cases[] = {
        {"empty text", "", 0, "|"},
        {"trailing line end", "abc\r\n", 0, "abc||"},
        {"lone CR and LF ends", "a\rb\nc", 0, "a|b|c|"},
        {"NUL ends the text", std::string("ab\0cd", 5), 0, "ab|"},
        {"leading dots", ".abc\r\n..def\r\n.\r\nghi", 0, "abc|.def||ghi|"},
        {"fits exactly", a25, 200, a25 + "|"},
        {"overflow cuts before the character", a25 + "bc", 200, a25 + "~bc|"},
        {"break after a blank near the end", Repeat("a", 24) + " bbb", 200, Repeat("a", 24) + " ~bbb|"},
        {"no break point far from the end", Repeat("a", 10) + " " + Repeat("b", 20), 200,
         Repeat("a", 10) + " " + Repeat("b", 14) + "~" + Repeat("b", 6) + "|"},
        {"full stop hangs", jp12 + "。い", 200, jp12 + "。~い|"},
        {"full stop after the overflow stays", jp12 + "い。う", 200, jp12 + "い。~う|"},
        {"comma stays", jp12 + "い、う", 200, jp12 + "い、~う|"},
        {"closing bracket stays", jp12 + "い」う", 200, jp12 + "い」~う|"},
        {"no empty line after a cut before CR LF", jp12 + "。\r\nx", 200, jp12 + "。~x|"},
        {"double-byte characters stay whole", "a" + Repeat("あ", 13), 200, "a" + jp12 + "~あ|"},
        {"tab hangs as a break character", Repeat("\t", 7) + "X", 200, Repeat("\t", 7) + "~X|"},
        {"narrow window measures every character", Repeat("a", 22), 160, Repeat("a", 20) + "~aa|"},
    };
    for (const WrapCase& c : cases)
        EXPECT_EQ(Describe(Layout(c.text, c.width)), c.expected) << c.name;
}

TEST(TextLayout, OlderRulesAndPlainBreakingCutElsewhere)
{
    const std::string jp12 = Repeat("あ", 12);
    const struct { const char* name; std::string text; bool oldStyle, noWordBreak; std::string expected; } cases[] = {
        // Older rules: the last break character seen anywhere on the line.
        {"old: after the last blank", "aaaa " + Repeat("b", 22), true, false, "aaaa ~" + Repeat("b", 22) + "|"},
        {"old: full stop is no break", Repeat("a", 10) + "." + Repeat("b", 20), true, false,
         Repeat("a", 10) + "." + Repeat("b", 14) + "~" + Repeat("b", 6) + "|"},
        {"old: no hanging of what follows", jp12 + "い。う", true, false, jp12 + "~い。う|"},
        // No word-aware breaking: cut where the line is full, punctuation too.
        {"plain: blank near the end ignored", Repeat("a", 24) + " bbb", false, true, Repeat("a", 24) + " ~bbb|"},
        {"plain: punctuation starts a line", jp12 + "い。う", false, true, jp12 + "~い。う|"},
    };
    for (const auto& c : cases) {
        std::string got;
        for (const CTextLine& l : Layout(c.text, 200, c.oldStyle, c.noWordBreak))
            got += l.text + (l.wrapped ? "~" : "|");
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(TextLayout, SplitsOverlongLinesAt2047BytesWithoutCuttingACharacter)
{
    std::vector<CTextLine> lines = Layout(Repeat("a", 3000), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text.size(), 2047u);
    EXPECT_FALSE(lines[0].wrapped);
    EXPECT_EQ(lines[1].text.size(), 953u);

    // A double-byte character that would straddle the limit starts the next line.
    lines = Layout(Repeat("a", 2046) + "あb", 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, Repeat("a", 2046));
    EXPECT_EQ(lines[1].text, "あb");
}

TEST(TextLayout, VeryLongUrlIsCutIntoWrappedLinesThatFit)
{
    const std::string url = "http://example.jp/" + Repeat("abcdefgh", 40) + "/index.html";
    std::vector<CTextLine> lines = Layout("見て" + url, 200);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        joined += lines[i].text;
        // A "/" or "." may hang one character over the width.
        EXPECT_LE(FixedWidth(lines[i].text.data(), static_cast<int>(lines[i].text.size())), 200 + kCharWidth) << i;
        EXPECT_EQ(lines[i].wrapped, i + 1 < lines.size()) << i;
    }
    EXPECT_EQ(joined, "見て" + url);
}

TEST(TextLayout, StepsGiveTheSameLinesAsOneRun)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "> 引用された行です。" + Repeat("word ", i % 17) + "\r\n";
    std::vector<CTextLine> whole = Layout(text, 240);

    TextLayoutOptions opt;
    opt.nWrapWidth = 240;
    opt.nAvgCharWidth = kCharWidth;
    opt.nTabColumns = kTabColumns;
    std::vector<CTextLine> lines;
    CTextLayout layout;
    layout.Start(&text, opt, FixedWidth, &lines);
    EXPECT_FALSE(layout.Continue(40));
    EXPECT_GE(lines.size(), 40u);
    EXPECT_LT(lines.size(), whole.size());
    while (!layout.Continue(static_cast<size_t>(-1), 1000)) {
    }
    EXPECT_EQ(Describe(lines), Describe(whole));
}

} // namespace
