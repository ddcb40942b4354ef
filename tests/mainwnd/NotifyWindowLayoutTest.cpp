#include "mainwnd/NotifyMailData.h"
#include "mainwnd/NotifyWndLayout.h"

#include <gtest/gtest.h>

using namespace NotifyWndLayout;

TEST(NotifyWindowLayout, OpensAtTheTopRightBelowATopTaskbarOrWhereStored)
{
    const RECT desktop = { 0, 0, 1280, 1024 };
    const RECT topBar = { 0, 0, 1280, 30 };
    const RECT aboveScreen = { 0, -2, 1280, 28 };
    const RECT bottomBar = { 0, 994, 1280, 1024 };
    const RECT leftBar = { 0, 0, 60, 1024 };  // as high as the desktop: a side bar
    struct Case { const RECT* bar; int os; int left, top; LONG x, y; };
    const Case cases[] = {
        { nullptr, 4, kAutoPosition, kAutoPosition, 1280 - 168 - 12, 10 },
        { nullptr, 3, kAutoPosition, kAutoPosition, 1280 - 168 - 14, 4 },
        { &topBar, 4, kAutoPosition, kAutoPosition, 1100, 40 },
        { &aboveScreen, 4, kAutoPosition, kAutoPosition, 1100, 38 },
        { &bottomBar, 4, kAutoPosition, kAutoPosition, 1100, 10 },
        { &leftBar, 4, kAutoPosition, kAutoPosition, 1100, 10 },
        { &topBar, 4, 200, 300, 200, 300 },
        { nullptr, 4, 200, kAutoPosition, 200, 10 },
    };
    for (const Case& c : cases) {
        POINT pt = Position(desktop, c.bar, c.os, c.left, c.top);
        EXPECT_EQ(pt.x, c.x) << (&c - cases);
        EXPECT_EQ(pt.y, c.y) << (&c - cases);
    }
    EXPECT_EQ(RowCount(4), 5);
    EXPECT_EQ(RowCount(3), 6);
}

TEST(NotifyWindowLayout, ArrowsScrollByHalfAPageWithinTheEntries)
{
    struct Case { int first, rows, entries, up, down; };
    const Case cases[] = {
        { 0, 6, 4, 0, 0 },     // everything shown: no scrolling
        { 0, 6, 6, 0, 0 },
        { 0, 6, 8, 0, 2 },     // down stops at entries - rows
        { 2, 6, 8, 0, 2 },
        { 0, 6, 20, 0, 3 },
        { 3, 6, 20, 0, 6 },
        { 13, 6, 20, 10, 14 },
        { 14, 6, 20, 11, 14 },
        { 2, 5, 9, 0, 4 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScrollUp(c.first, c.rows, c.entries), c.up) << (&c - cases);
        EXPECT_EQ(ScrollDown(c.first, c.rows, c.entries), c.down) << (&c - cases);
    }
}

TEST(NotifyWindowLayout, RowTextShowsTheSecondCountOnlyWhenNotZero)
{
    EXPECT_STREQ(RowText("受信箱", 3, 0), "受信箱  3\r\n");
    EXPECT_STREQ(RowText("受信箱", 3, 12), "受信箱  3 (12)\r\n");
}

TEST(NotifyMailData, NewMailsAreGroupedByFolderInTheOrderTheyCame)
{
    CNotifyMailData data;
    data.AddNewMail(7, 10);
    data.AddNewMail(3, 0);
    data.AddNewMail(7, 11);
    data.AddNewMail(7, 10);  // the same filing reported again counts once
    std::vector<NotifyFolderEntry> entries = CNotifyMailData::GroupByFolder(data.GetNewMails());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].nFolderId, 7);
    EXPECT_EQ(entries[0].nNewMails, 2);
    ASSERT_EQ(entries[0].mails.size(), 2u);
    EXPECT_EQ(entries[0].mails[1].nIndex, 11);
    EXPECT_EQ(entries[1].nFolderId, 3);
    EXPECT_EQ(entries[1].nNewMails, 1);
    data.Clear();
    EXPECT_TRUE(data.GetNewMails().empty());
}
