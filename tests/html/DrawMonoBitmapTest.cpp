#include "html/DrawMonoBitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kDiagonal = 3901;  // 16 x 20, row y has pixel y mod 16 set (TestBitmaps.rc)
const COLORREF kZero = RGB(10, 20, 30);
const COLORREF kOne = RGB(200, 100, 50);
const COLORREF kBackground = RGB(1, 2, 3);

// Draws into a 32-bit picture of the given size and returns its rows as
// text: "#" for the 1-colour, "." for the 0-colour, " " for untouched.
std::vector<std::string> Draw(int width, int height, int mode, bool* result)
{
    HDC screen = GetDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, target);
    RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(kBackground);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    *result = DrawMonoBitmap(dc, kDiagonal, 0, 0, width, height, mode, kZero, kOne);
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            row += c == kOne ? '#' : c == kZero ? '.' : ' ';
        }
        rows.push_back(row);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
    ReleaseDC(nullptr, screen);
    return rows;
}

std::string DiagonalRow(int width, int setPixel, int scale = 1)
{
    std::string row(static_cast<size_t>(width), '.');
    for (int i = 0; i < scale; ++i)
        row[static_cast<size_t>(setPixel * scale + i)] = '#';
    return row;
}

} // namespace

TEST(DrawMonoBitmap, ModesCopyCentreOrStretch)
{
    bool ok = false;
    // Mode 0: the top-left part.
    std::vector<std::string> rows = Draw(16, 10, 0, &ok);
    EXPECT_TRUE(ok);
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(rows[y], DiagonalRow(16, y)) << "mode 0 row " << y;

    // Mode 1: drawn 10 high from a bitmap 20 high shows rows 5 to 14.
    rows = Draw(16, 10, 1, &ok);
    EXPECT_TRUE(ok);
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(rows[y], DiagonalRow(16, (y + 5) % 16)) << "mode 1 row " << y;

    // Mode 2: the whole bitmap stretched to twice its size.
    rows = Draw(32, 40, 2, &ok);
    EXPECT_TRUE(ok);
    for (int y = 0; y < 40; ++y)
        EXPECT_EQ(rows[y], DiagonalRow(32, (y / 2) % 16, 2)) << "mode 2 row " << y;
}

TEST(DrawMonoBitmap, MissingResourceDrawsNothing)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    EXPECT_FALSE(DrawMonoBitmap(dc, 3999, 0, 0, 4, 4, 0, kZero, kOne));
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}
