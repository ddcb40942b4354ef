#include "core/AccountDataSet.h"
#include "transfer/RouteSchedule.h"
#include "transfer/RouteSetData.h"
#include "store/StoreTestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

const char kRouteFile[] =
    "1\t30\t1\t0\t0\t0\t2\t15\r\n"   // automatic, 30 minutes, at start-up, ask before hanging up
    "0\t5\t22\t0\t2\t0\t0\t0\r\n"     // 22:00 - 02:00 every 5 minutes
    "0\t0\t12\t0\t13\t0\t0\t0\r\n"    // no route at lunch
    "0\t-1\t8\t0\t9\t0\t0\t0\r\n"     // 08:00 - 09:00 the default
    "0\t15\t7\t30\t10\t0\t0\t0\r\n"   // 07:30 - 10:00 every 15 minutes
    "9\t会社\r\n"
    "9\tプライベート\r\n"
    "99\t1\r\n";

void Load(CRouteSetData& route, const TempDir& dir, const std::string& text)
{
    WriteFileBytes(dir.File("RouteSet.dat"), text);
    route.SetFilePath(dir.File("RouteSet.dat"));
    ASSERT_TRUE(route.ReadFromFile());
}

void AddAccount(CAccountDataSet& accounts, const char* name, int route)
{
    CAccountData* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
    a->SetAccountName(name);
    a->SetInt(9, route);
}

} // namespace

TEST(RouteSetData, RoundTripsAndAlwaysEndsWithTheEndLine)
{
    TempDir dir;
    CRouteSetData route;
    Load(route, dir, kRouteFile);
    EXPECT_EQ(route.m_nFormat, 1);
    EXPECT_TRUE(route.IsAutoRoute());
    EXPECT_TRUE(route.IsRouteAtStartup());
    EXPECT_EQ(route.GetGeneral()->GetValue(6), 2);
    ASSERT_TRUE(route.WriteToFile());
    EXPECT_EQ(ReadFileBytes(dir.File("RouteSet.dat")), kRouteFile);

    // A table of an older program without the end line.
    CRouteSetData old;
    Load(old, dir, "0\t20\t0\t0\t0\t0\t0\t10\r\n");
    EXPECT_EQ(old.m_nFormat, 0);
    ASSERT_TRUE(old.WriteToFile());
    EXPECT_EQ(ReadFileBytes(dir.File("RouteSet.dat")), "0\t20\t0\t0\t0\t0\t0\t10\r\n99\t1\r\n");
}

TEST(RouteSetData, IntervalInForceFollowsTheTimeBands)
{
    TempDir dir;
    CRouteSetData route;
    Load(route, dir, kRouteFile);
    struct
    {
        int hhmm, interval;
    } cases[] = {
        { 2330, 5 }, { 159, 5 }, { 0, 5 }, { 200, 5 }, { 2200, 5 }, { 201, 30 }, { 2159, 30 },
        { 1230, 0 }, { 830, 30 }, { 745, 15 }, { 930, 15 }, { 1000, 15 }, { 1001, 30 },
    };
    for (auto& c : cases)
        EXPECT_EQ(route.GetIntervalAt(c.hhmm), c.interval) << c.hhmm;

    CRouteSetData empty;
    Load(empty, dir, "");
    EXPECT_EQ(empty.GetIntervalAt(1200), 10);
    EXPECT_FALSE(empty.IsAutoRoute());
    CRouteSchedule schedule;
    CRouteSchedule::Action a = schedule.Update(empty, CTime(2024, 5, 13, 12, 0, 0), TRUE);
    EXPECT_EQ(a.nPeriodMinutes, 0);
    EXPECT_FALSE(a.bStartPassNow);
    EXPECT_EQ(schedule.GetNextPassTime(), 0);
}

TEST(RouteSchedule, NextPassFollowsBandsAcrossMidnight)
{
    TempDir dir;
    CRouteSetData route;
    Load(route, dir, kRouteFile);
    CRouteSchedule schedule;
    struct Step
    {
        int day, hour, minute;
        bool timerFired;  // the pass timer fired instead of the minute check
        bool changed;
        int period;
        bool startNow;
        int nextDay, nextHour, nextMinute;  // 0/0/0: no pass planned
    } steps[] = {
        { 13, 21, 58, false, true, 30, false, 13, 22, 28 },  // start-up: no pass at once
        { 13, 21, 59, false, false, 0, false, 13, 22, 28 },
        { 13, 22, 0, false, true, 5, true, 13, 22, 5 },      // the night band begins
        { 13, 22, 5, true, false, 0, false, 13, 22, 10 },
        { 13, 23, 59, false, false, 0, false, 13, 22, 10 },
        { 14, 0, 30, false, false, 0, false, 13, 22, 10 },   // same band on the next day
        { 14, 2, 1, false, true, 30, true, 14, 2, 31 },
        { 14, 12, 0, false, true, 0, false, 0, 0, 0 },       // no route at lunch
        { 14, 13, 1, false, true, 30, true, 14, 13, 31 },
    };
    for (const Step& s : steps) {
        CTime now(2024, 5, s.day, s.hour, s.minute, 0);
        CRouteSchedule::Action a;
        if (s.timerFired)
            schedule.OnPassTimer(now);
        else
            a = schedule.Update(route, now, s.day != 13 || s.hour != 21 || s.minute != 58);
        CString at;
        at.Format("%d %02d:%02d", s.day, s.hour, s.minute);
        EXPECT_EQ(a.bChanged != FALSE, s.changed) << at.GetString();
        EXPECT_EQ(a.nPeriodMinutes, s.period) << at.GetString();
        EXPECT_EQ(a.bStartPassNow != FALSE, s.startNow) << at.GetString();
        int64_t next = s.nextDay ? CTime(2024, 5, s.nextDay, s.nextHour, s.nextMinute, 0).GetTime() : 0;
        EXPECT_EQ(schedule.GetNextPassTime(), next) << at.GetString();
    }

    // Switching the automatic route off stops the timer.
    route.GetGeneral()->m_nType = 0;
    CRouteSchedule::Action off = schedule.Update(route, CTime(2024, 5, 14, 13, 2, 0), TRUE);
    EXPECT_TRUE(off.bChanged);
    EXPECT_EQ(off.nPeriodMinutes, 0);
    EXPECT_EQ(schedule.GetNextPassTime(), 0);
}

TEST(RouteSetData, AccountsOfThePassFollowTheTableAndAnOldTableTakesTheFlaggedAccounts)
{
    TempDir dir;
    CAccountDataSet accounts;
    AddAccount(accounts, "会社", 0);
    AddAccount(accounts, "趣味", 1);
    AddAccount(accounts, "プライベート", 0);

    CRouteSetData route;
    Load(route, dir, kRouteFile);
    route.SyncAccounts(accounts);
    CStringArray names;
    route.GetRouteAccounts(accounts, names);
    ASSERT_EQ(names.GetSize(), 2);
    EXPECT_STREQ(names[0], "会社");
    EXPECT_STREQ(names[1], "プライベート");
    EXPECT_EQ(accounts.GetAccount(0)->GetInt(9), 1);
    EXPECT_EQ(accounts.GetAccount(1)->GetInt(9), 0);  // not in the table: out of the route
    EXPECT_EQ(ReadFileBytes(dir.File("RouteSet.dat")), kRouteFile);

    EXPECT_TRUE(route.RenameAccount("会社", "本社"));
    EXPECT_TRUE(route.HasAccount("本社"));

    // A table without account records and end line takes the accounts whose
    // route flag is set, keeps its general record first and is written.
    CRouteSetData old;
    Load(old, dir, "1\t20\t0\t0\t0\t0\t0\t10\r\n");
    old.SyncAccounts(accounts);
    EXPECT_EQ(ReadFileBytes(dir.File("RouteSet.dat")), "1\t20\t0\t0\t0\t0\t0\t10\r\n9\t会社\r\n9\tプライベート\r\n99\t1\r\n");
}

TEST(RouteSetData, AnAccountMadeWithTheMailboxJoinsTheRouteBehindTheGeneralRecord)
{
    TempDir dir;
    StoreTest::TestApp app(dir.Path());
    app.AddRouteAccount("会社");
    app.AddRouteAccount("会社");
    EXPECT_EQ(ReadFileBytes(app.GetRouteFilePath()), "0\t10\t0\t0\t0\t0\t0\t1\r\n9\t会社\r\n99\t1\r\n");
    EXPECT_FALSE(app.GetRouteSet()->IsAutoRoute());
    EXPECT_EQ(app.GetRouteInterval(), 10);
}
