// The check list, the colour list and the wait dialog of the settings
// dialogs, on the test display: colours probed at a few pixels.
#include "UiTestSupport.h"

#include "mainwnd/ColorListCtrl.h"
#include "mainwnd/DlgWait.h"
#include "mainwnd/OwnerDrawListCtrl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace UiTest;
using TestSupport::TempDir;

namespace {

void SetItemData(HWND hList, int nItem, LPARAM data)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = data;
    ListView_SetItem(hList, &item);
}

} // namespace

TEST(OwnerDrawLists, CheckListCrossesRowsWithItemDataAndColourListShowsTheColour)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    CHostWnd host;
    COwnerDrawListCtrl checks;
    ASSERT_TRUE(checks.SubclassWindow(
        host.CreateChild(WC_LISTVIEWA, LVS_REPORT | LVS_OWNERDRAWFIXED | WS_BORDER, 10, 10, 300, 120, 1510)));
    checks.InsertColumn(0, "", LVCFMT_LEFT, 24);
    checks.InsertColumn(1, "アカウント", LVCFMT_LEFT, 200);
    for (int i = 0; i < 2; ++i) {
        checks.InsertItem(i, "");
        checks.SetItemText(i, 1, i ? "受信しない" : "受信する");
        SetItemData(checks.m_hWnd, i, i == 0 ? 1 : 0);
    }
    CColorListCtrl colours;
    ASSERT_TRUE(colours.SubclassWindow(
        host.CreateChild(WC_LISTVIEWA, LVS_REPORT | LVS_OWNERDRAWFIXED | WS_BORDER, 10, 140, 300, 120, 1511)));
    colours.InsertColumn(0, "", LVCFMT_LEFT, 30);
    colours.InsertColumn(1, "キーワード", LVCFMT_LEFT, 200);
    colours.InsertItem(0, "");
    colours.SetItemText(0, 1, "至急");
    SetItemData(colours.m_hWnd, 0, RGB(255, 0, 0));
    checks.Invalidate();
    colours.Invalidate();
    Pump(200);
    SaveScreenshot(host.m_hWnd, "OwnerDrawLists");

    // Each row's check box: its left edge found along the row's middle, the
    // cross passing through its centre only in the row whose item data is set.
    for (int i = 0; i < 2; ++i) {
        RECT row;
        checks.GetItemRect(i, &row, LVIR_BOUNDS);
        POINT corners[4];
        COwnerDrawListCtrl::CheckBoxCorners(row, corners);
        const int side = corners[2].x - corners[0].x;
        const int cy = (corners[0].y + corners[2].y) / 2;
        int left = -1;
        for (int x = 0; x < 24 && left < 0; ++x)
            if (Pixel(checks.m_hWnd, x, cy) == RGB(0, 0, 0))
                left = x;
        ASSERT_GE(left, 0) << "no box in row " << i;
        COLORREF centre = Pixel(checks.m_hWnd, left + side / 2, cy);
        if (i == 0)
            EXPECT_EQ(centre, RGB(0, 0, 0));
        else
            EXPECT_EQ(centre, GetSysColor(COLOR_WINDOW));
    }
    RECT row;
    colours.GetItemRect(0, &row, LVIR_BOUNDS);
    RECT swatch = CColorListCtrl::SwatchRect(row.left, 30, row);
    EXPECT_EQ(swatch.right - swatch.left, 16);
    EXPECT_EQ(Pixel(colours.m_hWnd, (swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2), RGB(255, 0, 0));
    EXPECT_EQ(CColorListCtrl::SwatchRect(0, 10, row).right, 10);  // a narrow column: width - 2
}

TEST(OwnerDrawLists, WaitDialogEndsOnceTheWorkIsDone)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    CDlgWait dlg;
    std::thread worker([&dlg] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        dlg.SetDone();
    });
    DWORD start = GetTickCount();
    EXPECT_EQ(dlg.DoModal(), 0);
    EXPECT_LT(GetTickCount() - start, 5000u);
    worker.join();
}
