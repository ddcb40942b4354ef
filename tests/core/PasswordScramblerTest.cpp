#include "core/PasswordScrambler.h"

#include <gtest/gtest.h>

#include <string>

TEST(PasswordScrambler, FormLengthFollowsPasswordLength)
{
    struct Case { int length; int formLength; };
    const Case cases[] = {{1, 36}, {16, 36}, {17, 63}, {30, 63}, {31, 92}};
    CPasswordScrambler s;
    for (const Case& c : cases) {
        CString plain(std::string(static_cast<size_t>(c.length), 'p'));
        EXPECT_EQ(s.Scramble(plain).GetLength(), c.formLength) << c.length;
    }
}

TEST(PasswordScrambler, RoundTripsEveryLengthAndByte)
{
    CPasswordScrambler s;
    for (int len = 0; len <= 255; ++len) {
        std::string plain;
        for (int i = 0; i < len; ++i)
            plain += static_cast<char>(0x20 + (len * 7 + i * 13) % 0xE0);  // printable ASCII up to 0xFF
        std::string withHigh = plain;
        if (len)
            withHigh[0] = static_cast<char>(0xFF);
        for (const std::string& p : {plain, withHigh}) {
            CString scrambled = s.Scramble(CString(p));
            EXPECT_EQ(s.Unscramble(scrambled).Str(), p) << "length " << len;
            EXPECT_EQ(scrambled.Find('\t'), -1);
            EXPECT_EQ(scrambled.Find('\n'), -1);
        }
    }
}

TEST(PasswordScrambler, SameTextScramblesDifferentlyAndFillerFollowsCase)
{
    CPasswordScrambler s;
    CString a = s.Scramble("secret"), b = s.Scramble("secret");
    EXPECT_NE(a, b);
    EXPECT_STREQ(s.Unscramble(a), "secret");
    EXPECT_STREQ(s.Unscramble(b), "secret");
    EXPECT_EQ(a[0], 'A' + 6);
    for (int i = 7; i < 18; ++i)  // between the slot letters and the slots: filler only
        EXPECT_TRUE((i & 1) ? (a[i] >= 'A' && a[i] <= 'Z') : (a[i] >= 'a' && a[i] <= 'z')) << i;
}

TEST(PasswordScrambler, CorruptedTextNeverReadsOutOfBounds)
{
    CPasswordScrambler s;
    const char* bad[] = {"", "A", "Z", "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz", "Q~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
                         "not base64 at all because it is long enough to be the long form!!!!"};
    for (const char* text : bad)
        EXPECT_NO_FATAL_FAILURE(s.Unscramble(text)) << text;
    EXPECT_STREQ(s.Unscramble("Z"), "");
    CString longForm = s.Scramble(CString(std::string(40, 'x')));
    EXPECT_STREQ(s.Unscramble(longForm.Left(70)), "");
}
