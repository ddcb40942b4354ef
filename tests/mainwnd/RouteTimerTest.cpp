// The route timer and the bounded waits of closing.
#include "mainwnd/BoundedWait.h"
#include "mainwnd/RouteTimer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>


TEST(RouteTimer, OnlyAChangedScheduleTouchesTheTimer)
{
    // interval, enabled, start now -> reset, period, start a pass
    struct Step { int interval; bool enabled; bool now; bool reset; unsigned period; bool pass; } steps[] = {
        { 10, false, false, true, 0, false },      // start-up, route off: timer killed
        { 10, false, true, false, 0, false },      // the next minute: nothing changed
        { 10, true, true, true, 600000, true },    // enabled while running: a pass at once
        { 10, true, true, false, 0, false },       // same band across the minute
        { 5, true, true, true, 300000, true },     // a new time band
        { 0, true, true, true, 0, false },         // interval 0: killed, not restarted
        { -1, true, true, true, 0, false },
        { 30, true, false, true, 1800000, false }, // at start-up no pass is started here
    };
    RouteTimerState state;
    for (const Step& s : steps) {
        RouteTimerAction a = DecideRouteTimer(state, s.interval, s.enabled, s.now);
        EXPECT_EQ(a.bReset, s.reset) << s.interval;
        EXPECT_EQ(a.nPeriodMs, s.period) << s.interval;
        EXPECT_EQ(a.bStartPass, s.pass) << s.interval;
    }
}

TEST(BoundedWait, RetriesStopAtTheBound)
{
    int calls = 0, waits = 0;
    auto wait = [&](DWORD ms) { EXPECT_EQ(ms, 1000u); waits++; };
    EXPECT_FALSE(RetryBounded([&] { calls++; return false; }, 1000, 5, wait));
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(waits, 4);
    calls = 0;
    EXPECT_TRUE(RetryBounded([&] { return ++calls == 3; }, 1000, 5, wait));
    EXPECT_EQ(calls, 3);
}

TEST(BoundedWait, AThreadThatNeverEndsIsLeftAfterTheBound)
{
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    auto waitForStop = [](void* p) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(p), INFINITE); };
    auto endAtOnce = [](void*) -> DWORD { return 0; };
    HANDLE handles[2] = { CreateThread(nullptr, 0, waitForStop, stop, 0, nullptr),
                          CreateThread(nullptr, 0, endAtOnce, nullptr, 0, nullptr) };
    DWORD start = GetTickCount();
    EXPECT_EQ(WaitForThreadsBounded(handles, 2, 300), 1);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 250u);
    EXPECT_LT(elapsed, 3000u);
    SetEvent(stop);
    EXPECT_EQ(WaitForThreadsBounded(handles, 2, 5000), 0);
    for (HANDLE h : handles)
        CloseHandle(h);
    CloseHandle(stop);
}
