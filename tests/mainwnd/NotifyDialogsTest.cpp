// The position dialog of the new-mail notification window: the place the
// user dragged it to, the way it opens and its display time are stored.
#include "mainwnd/DlgNotifyDialogPos.h"
#include "resources/keys/KeysResource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <thread>

TEST(NotifyDialogs, PositionDialogStoresItsPlaceStyleAndTime)
{
    TestSupport::TempDir dir;
    StoreTest::TestApp app(dir.Path());
    app.WriteProfileInt("Window", "NotifyUserWindowOpenTime", 12);
    CDlgNotifyDialogPos dlg;
    EXPECT_EQ(dlg.m_nOpenTime, 12);
    const DWORD thread = GetCurrentThreadId();
    RECT placed = {};
    bool sawTime = false;
    std::thread driver([&] {
        HWND hDlg = nullptr;
        for (int i = 0; i < 200 && !hDlg; ++i, Sleep(50)) {
            HWND h = FindWindowA("#32770", "位置設定");
            if (h && GetWindowThreadProcessId(h, nullptr) == thread)
                hDlg = h;
        }
        if (!hDlg)
            return;
        char text[16] = "";
        GetDlgItemTextA(hDlg, IDC_NOTIFY_SECONDS, text, sizeof(text));
        sawTime = lstrcmpA(text, "12") == 0;
        SetWindowPos(hDlg, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SendDlgItemMessageA(hDlg, IDC_NOTIFY_FROM_BOTTOM, BM_CLICK, 0, 0);
        SetDlgItemTextA(hDlg, IDC_NOTIFY_SECONDS, "7");
        GetWindowRect(hDlg, &placed);
        PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    driver.join();
    EXPECT_TRUE(sawTime);
    EXPECT_EQ(placed.right - placed.left, 168);
    EXPECT_EQ(app.GetProfileInt("Window", "NotifyUserWindowOpenStyle", -1), 1);
    EXPECT_EQ(app.GetProfileInt("Window", "NotifyUserWindowOpenTime", -1), 7);
    EXPECT_EQ(app.GetProfileInt("Window", "NotifyUserWindowPosLeft", -1), 300);
    // Rising from the bottom, the stored top is the bottom edge.
    EXPECT_EQ(app.GetProfileInt("Window", "NotifyUserWindowPosTop", -1), placed.bottom - 2);
}
