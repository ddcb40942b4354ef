#include "core/DateTimeUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const CString& s) { return s.Str(); }

// Conversions only add up when the bias agrees with the process's own zone.
class DateTimeUtilTest : public ::testing::Test
{
protected:
    void SetUp() override { OverrideTimeZoneBias(true, ComputeTimeZoneBias()); }
    void TearDown() override { OverrideTimeZoneBias(false); }
};

// Seconds since 1970 of a UTC wall-clock time.
int64_t Utc(int y, int mo, int d, int h, int mi, int s)
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return (static_cast<int64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) / 10000000 - 11644473600LL;
}

} // namespace

TEST_F(DateTimeUtilTest, NormalizeDateHeaderForms)
{
    const struct { const char* header; const char* normalized; } cases[] = {
        {"Tue, 01 Apr 2008 10:20:30 +0900", "2008/04/01 10:20:30 +0900 "},
        {"1 Apr 2008 10:20:30 -0500 (EST)", "2008/04/01 10:20:30 -0500 (EST) "},
        {"Thu, 1 Jan 1970 00:00:00 GMT", "1970/01/01 00:00:00 GMT "},
        {"Wed, 31 Dec 1969 23:59:59 GMT", "1969/12/31 23:59:59 GMT "},
        {"Tue, 1 Apr 08 10:20:30 +0900", "2008/04/01 10:20:30 +0900 "},
        {"Tue, 1 Apr 98 10:20:30 +0900", "1998/04/01 10:20:30 +0900 "},
        {"Tue, 1 Apr 108 10:20:30 +0900", "2008/04/01 10:20:30 +0900 "},
        {"Tuesday, 01-Apr-08 10:20:30 GMT", "2008/04/01 10:20:30 GMT "},
        {"Tue Apr  1 10:20:30 2008", "2008/04/01 10:20:30 "},
        {"Tue Apr 1 2008 10:20:30 GMT+0900", "2008/04/01 10:20:30 GMT+0900 "},
        {"Tue, 1 Apr 2008 10:20 +0900", "2008/04/01 10:20:00 +0900 "},
        {"Tue, 31 Apr 2008 24:00:00 +0900", "2008/05/02 00:00:00 +0900 "},
        {"Tue, 1 Apr 2008", " "},
        {"Tue, 1 Foo 2008 10:20:30 +0900", " +0900 "},
        {"", " "},
        {"garbage", " "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(NormalizeDateHeader(c.header)), c.normalized) << c.header;
}

TEST_F(DateTimeUtilTest, ParseNormalizedTextWithZones)
{
    // One bias serves every date, as the program keeps it; in a zone with
    // daylight time the dates of the other season are an hour off by design.
    TIME_ZONE_INFORMATION tzi{};
    GetTimeZoneInformation(&tzi);
    if (tzi.StandardDate.wMonth != 0 && tzi.DaylightBias != 0)
        GTEST_SKIP() << "the process zone observes daylight time";
    const struct { const char* text; int64_t utc; } cases[] = {
        {"2008/04/01 10:00:00 +0900 ", Utc(2008, 4, 1, 1, 0, 0)},
        {"2008/04/01 10:00:00 -0530 ", Utc(2008, 4, 1, 15, 30, 0)},
        {"2008/04/01 10:00:00 GMT ", Utc(2008, 4, 1, 10, 0, 0)},
        {"2008/04/01 10:00:00 JST ", Utc(2008, 4, 1, 1, 0, 0)},
        {"2008/04/01 10:00:00 EST ", Utc(2008, 4, 1, 10, 0, 0)},  // names other than GMT and JST are read as UTC
        {"2008/04/01 10:00:00 gmt ", Utc(2008, 4, 1, 10, 0, 0)},
        {"2008/04/01 10:00:00 Jst ", Utc(2008, 4, 1, 1, 0, 0)},
        {"2008/04/01 10:00:00 GM ", Utc(2008, 4, 1, 10, 0, 0)},
        {"2008/04/01 10:00:00 +09 ", Utc(2008, 4, 1, 10, 0, 0) - 9 * 60},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDateToLocalTime(c.text), c.utc) << c.text;
        EXPECT_EQ(S(FormatLocalTime(ParseDateText(c.text), "%Y/%m/%d %H:%M:%S")),
                  S(CTime(c.utc).Format("%Y/%m/%d %H:%M:%S")))
            << c.text;
    }
    EXPECT_EQ(S(ParseDateToUtcText("2008/04/01 10:00:00 +0900 ")), "2008/04/01 01:00:00");
    EXPECT_EQ(S(ParseDateToUtcText("2008/04/01 10:00:00 (JST) ")), "2008/04/01 01:00:00");
    EXPECT_EQ(S(ParseDateToUtcText("2008/04/01 10:00:00 ")), "2008/04/01 10:00:00");
    // No zone: the text is local time.
    EXPECT_EQ(ParseDateToLocalTime("2008/04/01 10:00:00"), CTime(2008, 4, 1, 10, 0, 0).GetTime());
    EXPECT_EQ(ParseDateText(" "), 0);
    EXPECT_EQ(ParseDateText(nullptr), 0);
}

TEST_F(DateTimeUtilTest, ZoneTextAndFormats)
{
    const struct { long bias; const char* text; } zones[] = {
        {0, "-0000"}, {-32400, "+0900"}, {-19800, "+0530"}, {18000, "-0500"}, {12600, "-0330"}};
    for (const auto& z : zones) {
        OverrideTimeZoneBias(true, z.bias);
        EXPECT_EQ(S(GetTimeZoneText()), z.text) << z.bias;
    }
    OverrideTimeZoneBias(true, -32400);
    int64_t t = CTime(2008, 4, 1, 9, 5, 7).GetTime();
    EXPECT_EQ(S(FormatRfc822Date(t)), "Tue, 01 Apr 2008 09:05:07 +0900");
    EXPECT_EQ(S(FormatCtimeDate(t)), "Tue Apr 01 09:05:07 2008");
    EXPECT_EQ(S(FormatDateWithZone(t)), "2008/04/01 09:05:07 +0900");
    EXPECT_EQ(S(FormatTimeText(t)), "2008/04/01 09:05:07");
}

TEST(DateTimeUtil, PriorityHeadersSplittersAndColours)
{
    EXPECT_EQ(S(GetPriorityHeaders(0)), "X-Priority: 1\r\nX-MSMail-Priority: High\r\nPriority: high\r\n");
    EXPECT_EQ(S(GetPriorityHeaders(4)), "X-Priority: 5\r\nX-MSMail-Priority: Low\r\nPriority: low\r\n");
    EXPECT_TRUE(GetPriorityHeaders(2).IsEmpty());
    EXPECT_TRUE(GetPriorityHeaders(7).IsEmpty());

    CStringArray words;
    ASSERT_TRUE(SplitQuotedWords("alpha \"two words\" 表示", &words));
    ASSERT_EQ(words.GetSize(), 3);
    EXPECT_EQ(S(words[1]), "two words");
    EXPECT_EQ(S(words[2]), "表示");
    EXPECT_FALSE(SplitQuotedWords(nullptr, &words));

    CStringArray phrases;
    SplitQuotedPhrases("会議\x81\x40資料 \"a b\"\tc", phrases);
    ASSERT_EQ(phrases.GetSize(), 4);
    EXPECT_EQ(S(phrases[1]), "資料");
    EXPECT_EQ(S(phrases[2]), "a b");

    EXPECT_EQ(GetStandardColor(1, false), 0x7F0000u);
    EXPECT_EQ(GetStandardColor(15, false), 0xFFFFFFu);
    EXPECT_EQ(GetStandardColor(0, false), 0u);
    EXPECT_EQ(GetStandardColor(3, true), 0xFFFFFFu);
    EXPECT_EQ(GetStandardColor(14, true), 0xFF0000u);
    EXPECT_EQ(GetStandardColor(15, true), 0u);
}
