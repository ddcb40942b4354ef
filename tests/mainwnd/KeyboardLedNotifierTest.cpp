#include "mainwnd/KeyboardLedNotifier.h"

#include <gtest/gtest.h>

// Under the test platform the keyboard devices cannot be opened: every call
// returns at once, without an error shown, and nothing stays open.
TEST(KeyboardLedNotifier, WithoutKeyboardDevicesEverythingIsQuiet)
{
    CKeyboardLedNotifier leds;
    EXPECT_FALSE(leds.Blink(FALSE));  // not started
    EXPECT_FALSE(leds.Stop());
    DWORD start = GetTickCount();
    leds.Start();
    leds.Start();  // a second start changes nothing
    EXPECT_TRUE(leds.IsStarted());
    const int open = leds.GetOpenDeviceCount();
    const UINT order[] = { VK_CAPITAL, VK_NUMLOCK, VK_SCROLL, VK_CAPITAL };
    for (UINT led : order) {
        BOOL ok = leds.Blink(FALSE);
        EXPECT_EQ(leds.GetCurrentLed(), led);
        if (open == 0) {
            EXPECT_FALSE(ok);
        }
    }
    for (int i = 0; i < 20; ++i) {
        UINT before = leds.GetCurrentLed();
        leds.Blink(TRUE);
        EXPECT_NE(leds.GetCurrentLed(), before);
    }
    EXPECT_TRUE(leds.Stop());
    EXPECT_EQ(leds.GetOpenDeviceCount(), 0);
    EXPECT_EQ(leds.GetCurrentLed(), static_cast<UINT>(VK_SCROLL));
    EXPECT_LT(GetTickCount() - start, 5000u);
}
