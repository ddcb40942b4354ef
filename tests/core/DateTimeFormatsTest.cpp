#include "core/DateTimeFormats.h"
#include "core/FileModeApp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

TEST(DateTimeFormats, TheListShowsTheUsersFormatsOnlyWhenChosenAndKnownToTheFormatter)
{
    const struct
    {
        int type;
        const char* date;
        const char* time;
        const char* list;
    } cases[] = {
        {0, "%y-%m-%d", "%H:%M", "%Y/%m/%d %H:%M:%S"},  // the system's forms: the settings are not used
        {1, "%y-%m-%d", "%H:%M", "%y-%m-%d %H:%M"},
        {2, "%Y年%#m月%#d日", "%H時%M分", "%Y年%#m月%#d日 %H時%M分"},
        {1, "", "%H:%M", "%H:%M"},
        {1, "", "", "%Y/%m/%d %H:%M:%S"},
        {1, "%Y/%m/%d", "%Q", "%Y/%m/%d %H:%M:%S"},  // an unknown conversion would end the program
        {1, "%Y/%m/%", "", "%Y/%m/%d %H:%M:%S"},     // a lone percent sign at the end
    };
    for (const auto& c : cases) {
        CDateTimeFormats f(c.type, c.date, c.time);
        EXPECT_STREQ(f.ListFormat(), c.list) << c.type << " " << c.date << " " << c.time;
    }
}

TEST(DateTimeFormats, DateAndTimeFormatsFallBackToTheProgramsOwnWithoutTheChoice)
{
    CDateTimeFormats custom(1, "%d.%m.%Y", "%H.%M");
    EXPECT_STREQ(custom.DateFormat(), "%d.%m.%Y");
    EXPECT_STREQ(custom.TimeFormat(), "%H.%M");
    CDateTimeFormats system(0, "%d.%m.%Y", "%H.%M");
    EXPECT_STREQ(system.DateFormat(), "%Y/%m/%d");
    EXPECT_STREQ(system.TimeFormat(), "%H:%M:%S");
}

TEST(DateTimeFormats, FormattingRefusesUnknownConversionsAndOverlongResults)
{
    const int64_t t = CTime(2024, 2, 3, 4, 5, 6).GetTime();
    EXPECT_STREQ(CDateTimeFormats::FormatTimeValue("%Y/%m/%d %H:%M:%S", t), "2024/02/03 04:05:06");
    EXPECT_STREQ(CDateTimeFormats::FormatTimeValue("%#m月%#d日", t), "2月3日");
    EXPECT_STREQ(CDateTimeFormats::FormatTimeValue("%Q", t), "");
    EXPECT_STREQ(CDateTimeFormats::FormatTimeValue(nullptr, t), "");
    const std::string long128(128, 'x');
    EXPECT_STREQ(CDateTimeFormats::FormatTimeValue(long128.c_str(), t), "");
    EXPECT_EQ(CDateTimeFormats::FormatTimeValue(long128.substr(1).c_str(), t).GetLength(), 127);
}

TEST(DateTimeFormats, ReadsTheThreeSettingsWithTheirDefaults)
{
    TestSupport::TempDir dir;
    FileModeApp app(dir.File("CVM.ini"));
    CDateTimeFormats unset = CDateTimeFormats::Read(app);
    EXPECT_FALSE(unset.IsCustom());
    EXPECT_STREQ(unset.ListFormat(), "%Y/%m/%d %H:%M:%S");
    app.WriteProfileInt("Setting", "TimeFormatType", 1);
    app.WriteProfileString("Setting", "FormatTime", "%H:%M");
    CDateTimeFormats chosen = CDateTimeFormats::Read(app);
    EXPECT_TRUE(chosen.IsCustom());
    EXPECT_STREQ(chosen.ListFormat(), "%Y/%m/%d %H:%M");
}
