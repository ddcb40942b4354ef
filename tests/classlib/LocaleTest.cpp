#include <gtest/gtest.h>
#include <windows.h>

// Every Japanese assertion depends on the ANSI code page; fail loudly first.
TEST(Locale, AnsiCodePageIs932)
{
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetOEMCP(), 932u);
}

TEST(Locale, SourcesAreCompiledToShiftJis)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>("表");
    EXPECT_EQ(s[0], 0x95);
    EXPECT_EQ(s[1], 0x5C);
}
