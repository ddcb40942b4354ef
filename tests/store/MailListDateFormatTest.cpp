#include "store/MailListData.h"

#include <gtest/gtest.h>

TEST(MailListDateFormat, AnIndexTakesTheFormatInForceWhenMadeAndKeepsItsOwnUntilSet)
{
    CMailListData before;
    EXPECT_STREQ(before.GetDateFormat(), "%Y/%m/%d %H:%M:%S");
    CMailListData::SetDefaultDateFormat("%y-%m-%d %H:%M");
    CMailListData after;
    EXPECT_STREQ(after.GetDateFormat(), "%y-%m-%d %H:%M");
    EXPECT_STREQ(before.GetDateFormat(), "%Y/%m/%d %H:%M:%S");
    before.SetDateFormat("");
    EXPECT_STREQ(before.GetDateFormat(), "%Y/%m/%d %H:%M:%S");  // empty means the program's own
    CMailListData::SetDefaultDateFormat(nullptr);
    EXPECT_STREQ(CMailListData().GetDateFormat(), "%Y/%m/%d %H:%M:%S");
}
