#include "mainwnd/TrayIcon.h"

#include <gtest/gtest.h>

TEST(TrayIcon, TooltipCountsTheNewMails)
{
    struct Case { int count; const char* tip; };
    const Case cases[] = {
        { 0, "Corvane Mail" },
        { 1, "Corvane Mail:1通のメールを受信" },
        { 1234, "Corvane Mail:1234通のメールを受信" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(CTrayIcon::FormatTip(c.count), c.tip) << c.count;
}

TEST(TrayIcon, IconDataAndStates)
{
    HWND hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HICON idle = LoadIcon(nullptr, IDI_APPLICATION), newMail = LoadIcon(nullptr, IDI_WARNING);
    {
        CTrayIcon tray;
        tray.SetIcons(idle, idle, newMail);
        tray.Add(hWnd);  // no notification area under the test display: still kept
        const NOTIFYICONDATAA& d = tray.GetData();
        EXPECT_EQ(d.cbSize, sizeof(NOTIFYICONDATAA));
        EXPECT_EQ(d.uID, 3000u);
        EXPECT_EQ(d.uCallbackMessage, static_cast<UINT>(WM_USER + 371));
        EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_STREQ(d.szTip, "Corvane Mail");

        tray.AddNewMailCount(2);
        tray.AddNewMailCount(3);
        EXPECT_STREQ(d.szTip, "Corvane Mail:5通のメールを受信");
        EXPECT_EQ(d.hIcon, idle);
        tray.StartNewMailBlink();
        EXPECT_EQ(d.hIcon, newMail);
        tray.Blink();
        EXPECT_EQ(d.hIcon, idle);
        tray.Blink();
        EXPECT_EQ(d.hIcon, newMail);
        tray.Reset();
        EXPECT_EQ(tray.GetNewMailCount(), 0);
        EXPECT_EQ(d.hIcon, idle);
        EXPECT_STREQ(d.szTip, "Corvane Mail");
        // Without new mail there is nothing to blink.
        tray.StartNewMailBlink();
        EXPECT_EQ(d.hIcon, idle);
    }
    DestroyWindow(hWnd);
}

TEST(TrayIcon, ATransferAlternatesTheTransferIconWithWhatWaitsBehindIt)
{
    HWND hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HICON idle = LoadIcon(nullptr, IDI_APPLICATION), transfer = LoadIcon(nullptr, IDI_INFORMATION),
          newMail = LoadIcon(nullptr, IDI_WARNING);
    struct Case { int newMails; HICON resting; };
    const Case cases[] = { { 0, idle }, { 3, newMail } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newMails);
        CTrayIcon tray;
        tray.SetIcons(idle, transfer, newMail);
        tray.Add(hWnd);
        tray.AddNewMailCount(c.newMails);
        const NOTIFYICONDATAA& d = tray.GetData();
        // The first step keeps the icon that waits; then the two take turns.
        tray.ShowTransfer(true);
        EXPECT_EQ(d.hIcon, c.resting);
        const HICON turns[] = { c.resting, transfer, c.resting, transfer };
        for (HICON expected : turns) {
            tray.TransferBlink();
            EXPECT_EQ(d.hIcon, expected);
        }
        // The end leaves what waits: the new mail blinks on, the transfer timer stops.
        tray.ShowTransfer(false);
        EXPECT_EQ(d.hIcon, c.resting);
        EXPECT_FALSE(KillTimer(hWnd, CTrayIcon::kTransferTimer));
        EXPECT_EQ(KillTimer(hWnd, CTrayIcon::kBlinkTimer) != FALSE, c.newMails > 0);
        EXPECT_EQ(tray.GetNewMailCount(), c.newMails);
        // A step of the timer that was due as the transfer ended changes nothing.
        tray.TransferBlink();
        EXPECT_EQ(d.hIcon, c.resting);
    }
    DestroyWindow(hWnd);
}
