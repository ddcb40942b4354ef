// The owner-drawn menu: the mnemonic lookup the owner answers WM_MENUCHAR
// with, its item size, the colour label menu and what an item draws.
#include "mainwnd/ColorLabelMenu.h"
#include "mainwnd/OwnerDrawMenu.h"
#include "resources/mainwnd/MailCommandsResource.h"

#include <gtest/gtest.h>

namespace {

bool CommandQueued()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE) != FALSE;
}

} // namespace

TEST(OwnerDrawMenu, MenuCharFindsTheItemOfTheMnemonicAndRunsItOnce)
{
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.AppendItem(0, 0, "APP_TITLE"));
    menu.AppendItem(MF_STRING, 32989, "元のサイズに戻す(&R)", 0, CLR_INVALID, 'R', 7, 8);
    menu.AppendItem(MF_SEPARATOR, 0, "");
    menu.AppendItem(MF_STRING, 32775, "巡回して受信(&J)", 0, CLR_INVALID, 'J');
    menu.AppendItem(MF_STRING | MF_GRAYED, 33054, "中央に移動(&C)", 0, CLR_INVALID, 'c');
    menu.AppendItem(MF_STRING, 32778, "メールを作成", 0, CLR_INVALID, 0);
    ASSERT_EQ(menu.GetMenuItemCount(), 6);
    struct Case { char ch; LRESULT answer; };
    const Case cases[] = {
        { 'r', MAKELRESULT(1, MNC_EXECUTE) },
        { 'R', MAKELRESULT(1, MNC_EXECUTE) },
        { 'j', MAKELRESULT(3, MNC_EXECUTE) },  // after the title and the separator
        { 'C', MAKELRESULT(4, MNC_EXECUTE) },  // a mnemonic given in lower case
        { 'x', 0 },
        { '\0', 0 },                            // the item without a mnemonic is not found
    };
    for (const Case& c : cases)
        EXPECT_EQ(menu.OnMenuChar(c.ch), c.answer) << c.ch;
    // The menu runs the item; nothing else was sent the command.
    EXPECT_FALSE(CommandQueued());
    menu.OnMenuChar('r');
    EXPECT_STREQ(menu.GetChosenText(), "元のサイズに戻す(&R)");
    EXPECT_EQ(menu.GetChosenData1(), 7);
    EXPECT_EQ(menu.GetChosenData2(), 8);

    MEASUREITEMSTRUCT measure = {};
    menu.MeasureItem(&measure);
    EXPECT_EQ(measure.itemHeight, 18u);
    EXPECT_EQ(measure.itemWidth, static_cast<UINT>(16 + 6 * lstrlenA("元のサイズに戻す(&R)") + 4));

    menu.Reset();
    EXPECT_EQ(menu.GetMenuItemCount(), 0);
    EXPECT_EQ(menu.OnMenuChar('r'), 0);
}

TEST(OwnerDrawMenu, ColourLabelMenuHasEighteenItemsWithSwatchesAndMnemonics)
{
    CStringArray names;
    for (const char* n : { "濃青", "濃緑", "濃シアン", "濃赤", "濃マゼンダ", "茶", "淡灰", "濃灰", "淡青", "淡緑",
                           "淡シアン", "淡赤", "淡マゼンダ", "黄", "白", "黒" })
        names.Add(n);
    COwnerDrawMenu menu;
    ColorLabelMenu::Build(menu, names);
    ASSERT_EQ(menu.GetMenuItemCount(), 18);
    EXPECT_EQ(menu.GetMenuItemID(0), static_cast<UINT>(ID_MAIL_LABEL_AUTO));
    EXPECT_EQ(menu.GetMenuItemID(1), static_cast<UINT>(ID_MAIL_LABEL_FIRST));
    EXPECT_EQ(menu.GetMenuItemID(17), static_cast<UINT>(ID_MAIL_LABEL_OTHER));
    EXPECT_STREQ(menu.ItemAt(1)->strText, "濃青(&1)");
    EXPECT_EQ(menu.ItemAt(1)->color, static_cast<COLORREF>(0x7F0000));
    EXPECT_EQ(menu.ItemAt(12)->color, static_cast<COLORREF>(0x0000FF));
    EXPECT_EQ(menu.OnMenuChar('a'), MAKELRESULT(10, MNC_EXECUTE));
    EXPECT_EQ(menu.GetMenuItemID(10), 33171u);
    EXPECT_EQ(menu.OnMenuChar('h'), MAKELRESULT(17, MNC_EXECUTE));
}

TEST(OwnerDrawMenu, ItemDrawsItsSwatchOrOnlyItsText)
{
    COwnerDrawMenu menu;
    menu.SetBackgroundColor(RGB(255, 255, 255));
    menu.AppendItem(MF_STRING, 1, "黒", 0, RGB(0, 0, 0), 'K');
    menu.AppendItem(MF_STRING, 2, "なし", 0, CLR_INVALID, 'N');
    HDC screen = GetDC(nullptr);
    HDC hdc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 18);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(hdc, bitmap);
    for (int pos = 0; pos < 2; ++pos) {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.hDC = hdc;
        draw.rcItem = { 0, 0, 120, 18 };
        draw.itemData = reinterpret_cast<ULONG_PTR>(menu.ItemAt(pos));
        menu.DrawItem(&draw);
        // The middle of the swatch place, left of the text.
        EXPECT_EQ(GetPixel(hdc, 10, 9), pos == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255)) << pos;
    }
    SelectObject(hdc, old);
    DeleteObject(bitmap);
    DeleteDC(hdc);
}
