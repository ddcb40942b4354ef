#include "message/JapaneseCode.h"
#include "message/MimeCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const CString& s) { return s.Str(); }

struct Case
{
    const char* name;
    std::string input;
    std::string expected;
};

} // namespace

TEST(JapaneseCode, ShiftJisToJisByTable)
{
    const Case cases[] = {
        {"hiragana a", "あ", "\x1b$B$\"\x1b(B"},
        {"run closed before ascii", "テストabc", "\x1b$B%F%9%H\x1b(Babc"},
        {"lead 0xE0", "\xE0\x40", std::string("\x1b$B\x5F\x21\x1b(B")},
        {"kanji with backslash trail", "表", "\x1b$BI=\x1b(B"},
        {"katakana byte splits runs", "漢\xB1字", "\x1b$B4A\x1b(B\xB1\x1b$B;z\x1b(B"},
        {"lone lead at end stays in run", "a\x82", "a\x1b$B\x82\x1b(B"},
        {"plain ascii untouched", "Hello, world\r\n", "Hello, world\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(SjisToJis(c.input.data(), static_cast<int>(c.input.size()))), c.expected) << c.name;
}

TEST(JapaneseCode, JisToShiftJisByTable)
{
    const Case cases[] = {
        {"double-byte run", "\x1b$B%F%9%H\x1b(B", "テスト"},
        {"old escape $@", "\x1b$@$\"\x1b(J!", "あ!"},
        {"katakana mode", "\x1b(I1\x1b(B", "\xB1"},
        {"unterminated run eats line break", "\x1b$B$\"\r\n", "あ??"},
        {"shift_jis passes, BEL dropped", "日本\x07語", "日本語"},
        {"escape before escape has no effect", "\x1b$B\x1b(Babc", "abc"},
        {"odd byte at end of run", "\x1b$B$\"$", "あ?"},
        {"line break inside katakana run kept", "\x1b(I12\r\nab", "\xB1\xB2\r\nab"},
        {"truncated escape dropped", "abc\x1b$", "abc$"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(JisToSjis(c.input.data(), static_cast<int>(c.input.size()))), c.expected) << c.name;
}

TEST(JapaneseCode, RoundTripOfEveryJisX0208Character)
{
    // Every two-byte Shift_JIS character of rows 1-84 goes out to JIS and
    // comes back unchanged.
    std::string all;
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            all += static_cast<char>(lead);
            all += static_cast<char>(trail);
        }
    }
    CString jis = SjisToJis(all.data(), static_cast<int>(all.size()));
    EXPECT_EQ(S(JisToSjis(jis, jis.GetLength())), all);
}

TEST(JapaneseCode, EucToShiftJis)
{
    const Case cases[] = {
        {"kanji", "\xc6\xfc\xcb\xdc\xb8\xec", "日本語"},
        {"half-width katakana by SS2", "\x8e\xb1x", "\xB1x"},
        {"pair cut short at the end", "a\xc6", "a?"},
        {"pair with a 7-bit second byte", "\xc6" "A", "?A"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(EucToSjis(c.input.data(), static_cast<int>(c.input.size()))), c.expected) << c.name;
}

TEST(JapaneseCode, HalfWidthKatakanaFolding)
{
    const Case cases[] = {
        {"voiced ka", "\xB6\xDE", "ガ"},
        {"semi-voiced ha", "\xCA\xDF", "パ"},
        {"vu", "\xB3\xDE", "ヴ"},
        {"a cannot take the mark", "\xB1\xDE", "ア゛"},
        {"punctuation", "\xA1\xA2\xA3\xA4\xA5", "。「」、・"},
        {"double-byte kept whole", "ソ\xB1", "ソア"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(S(HalfWidthKanaToFullWidth(c.input.c_str())), c.expected) << c.name;
    EXPECT_TRUE(HasHalfWidthKana("abc\xB1"));
    EXPECT_FALSE(HasHalfWidthKana("あいう"));  // trail bytes in 0xA0-0xDF do not count
}

TEST(JapaneseCode, Utf8AndUtf7)
{
    const Case utf8[] = {
        {"three bytes", "\xe3\x81\x82", "あ"},
        {"two bytes", "\xc2\xb1", "±"},
        {"mixed", "a\xe6\x97\xa5\xe6\x9c\xac", "a日本"},
        {"cut short at the end", "\xe3\x81", "?"},
        {"stray continuation byte", "\x81" "a", "?a"},
        {"sequence broken by ascii", "\xe3" "ab", "?ab"},
    };
    for (const Case& c : utf8)
        EXPECT_EQ(S(CMimeCodec::DecodeUtf8(c.input.data(), static_cast<int>(c.input.size()))), c.expected) << c.name;
    // A character outside the code page is replaced, and what follows survives.
    CString emoji = CMimeCodec::DecodeUtf8("\xf0\x9f\x98\x80x");
    EXPECT_EQ(emoji.Right(1), "x");

    const Case utf7[] = {
        {"run closed by minus", "+MEIwRA-", "あい"},
        {"plus minus", "1 +- 1", "1 + 1"},
        {"run closed by other character", "+MEI.", "あ."},
        {"run open at the end", "x+MEI", "xあ"},
    };
    for (const Case& c : utf7)
        EXPECT_EQ(S(CMimeCodec::DecodeUtf7(c.input.data(), static_cast<int>(c.input.size()))), c.expected) << c.name;
}

// Header bytes written straight into a mail: UTF-8 from current programs,
// Shift_JIS and JIS from Japanese ones.
TEST(JapaneseCode, RawHeaderTextIsReadAsUtf8OnlyWhenItIsUtf8)
{
    const struct
    {
        const char* name;
        std::string input;
        bool utf8;
        std::string expected;
    } cases[] = {
        {"utf-8 kanji", "\xe4\xbc\x9a\xe8\xad\xb0\xe8\xb3\x87\xe6\x96\x99", true, "会議資料"},
        {"utf-8 greek and cyrillic", "\xce\xa9mega \xd0\x96", true, "Ωmega Ж"},
        {"shift_jis kanji with a backslash trail", "表示のテスト", false, "表示のテスト"},
        {"shift_jis half-width katakana", "\xB1\xB2\xB3", false, "\xB1\xB2\xB3"},
        {"iso-2022-jp", "\x1b$B%F%9%H\x1b(B", false, "テスト"},
        {"ascii alone is not utf-8", "Hello", false, "Hello"},
        {"overlong form", "\xc0\xaf", false, "\xc0\xaf"},
        {"surrogate half", "\xed\xa0\x80", false, "\xed\xa0\x80"},
        {"cut short at the end", "a\xe3\x81", false, "a\xe3\x81"},
        {"past U+10FFFF", "\xf4\x90\x80\x80", false, "\xf4\x90\x80\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsMultiByteUtf8(c.input.data(), static_cast<int>(c.input.size())), c.utf8) << c.name;
        EXPECT_EQ(S(RawHeaderTextToSjis(c.input.data(), static_cast<int>(c.input.size()))), c.expected) << c.name;
    }
}

TEST(JapaneseCode, CodePagesOfCharsetsExistOnThisMachine)
{
    // Korean mail is read through 949, which every system has; a code page
    // the machine lacks counts as an unknown charset.
    EXPECT_EQ(GetCodePageOfCharset("EUC-KR"), 949u);
    EXPECT_EQ(GetCodePageOfCharset("ks_c_5601-1987"), 949u);
    for (const char* charset : {"ISO-2022-KR", "ISO-8859-2", "KOI8-R", "BIG5"}) {
        UINT cp = GetCodePageOfCharset(charset);
        EXPECT_TRUE(cp == 0 || IsValidCodePage(cp)) << charset;
    }
    EXPECT_EQ(GetCodePageOfCharset("x-unknown"), 0u);
}

TEST(JapaneseCode, CharsetNamesByCode)
{
    EXPECT_EQ(S(GetCharsetNameByCode(0)), "ISO-2022-JP");
    EXPECT_EQ(S(GetCharsetNameByCode(1)), "Shift_JIS");
    EXPECT_EQ(S(GetCharsetNameByCode(5)), "EUC-JP");
    EXPECT_EQ(S(GetCharsetNameByCode(19)), "WINDOWS-1256");
    for (int code : {-1, 6, 9, 20, 100})
        EXPECT_TRUE(GetCharsetNameByCode(code).IsEmpty()) << code;
}

TEST(JapaneseCode, CharactersOnlyWindowsHasGoOutAsTheNecRowsAndReadBack)
{
    // The IBM extensions have no JIS code: they go out as the same
    // characters of the NEC rows, as Windows' own encoder writes them, and
    // come back as characters of the same meaning.
    const struct { const char* name; std::string sjis, jis; } cases[] = {
        {"row 13 kept", "①㈱Ⅰ№", "\x1b$B-!-j-5-b\x1b(B"},
        {"IBM 髙 (FBFC)", "\xFB\xFC", "\x1b$B|b\x1b(B"},
        {"IBM 﨑 (FAB1)", "\xFA\xB1", "\x1b$Byu\x1b(B"},
        {"IBM small roman one (FA40)", "\xFA\x40", "\x1b$B|q\x1b(B"},
        {"IBM capital roman one (FA4A) is row 13", "\xFA\x4A", "\x1b$B-5\x1b(B"},
        {"IBM not sign (FA54) is JIS X 0208", "\xFA\x54", "\x1b$B\"L\x1b(B"},
        {"last IBM kanji (FC4B)", "\xFC\x4B", "\x1b$B|n\x1b(B"},
        {"NEC-selected 髙 (EEE0)", "\xEE\xE0", "\x1b$B|b\x1b(B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CString jis = SjisToJis(c.sjis.data(), static_cast<int>(c.sjis.size()));
        EXPECT_EQ(S(jis), c.jis);
        std::wstring back = JisToSjis(jis).ToWide();
        EXPECT_EQ(back, CString(c.sjis.c_str()).ToWide());
    }
    // Every IBM extension goes out in 7 bits.
    for (int lead = 0xFA; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F || (lead == 0xFC && trail > 0x4B))
                continue;
            const char pair[] = {static_cast<char>(lead), static_cast<char>(trail), 0};
            CString jis = SjisToJis(pair);
            for (int i = 0; i < jis.GetLength(); ++i)
                ASSERT_LT(static_cast<unsigned char>(jis[i]), 0x80) << std::hex << lead << trail;
            ASSERT_EQ(JisToSjis(jis).ToWide(), CString(pair).ToWide()) << std::hex << lead << trail;
        }
    }
}

TEST(JapaneseCode, TextsBeyondJisAreKnown)
{
    const struct { const char* text; bool beyond; } cases[] = {
        {"plain ascii", false}, {"日本語の文", false}, {"①㈱Ⅰ№", false}, {"髙", true},
        {"\xEE\xE0", true},     {"ｶﾅ", true},        {"\xF0\x40", true},  {"a\x82", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasCharsBeyondJis(c.text), c.beyond) << c.text;
    EXPECT_EQ(S(AnsiToUtf8("日本")), "\xE6\x97\xA5\xE6\x9C\xAC");
}
