#include "mainwnd/FolderImages.h"

#include <commctrl.h>

namespace {

// One colour per icon group, so that the groups can be told apart.
const COLORREF kGroupColors[22] = {
    RGB(230, 190, 80),  RGB(120, 160, 220), RGB(200, 120, 60),  RGB(90, 170, 90),  RGB(160, 160, 160),
    RGB(210, 90, 90),   RGB(140, 110, 200), RGB(80, 170, 170),  RGB(220, 150, 190), RGB(190, 190, 70),
    RGB(100, 120, 160), RGB(170, 120, 90),  RGB(60, 140, 110),  RGB(200, 200, 200), RGB(240, 160, 60),
    RGB(110, 110, 220), RGB(150, 200, 120), RGB(220, 110, 150), RGB(130, 130, 90),  RGB(90, 90, 90),
    RGB(180, 220, 240), RGB(240, 220, 140),
};

void DrawFolder(HDC hDC, COLORREF color, bool open, bool mail)
{
    RECT all = { 0, 0, 16, 16 };
    HBRUSH back = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(hDC, &all, back);
    DeleteObject(back);
    HBRUSH body = CreateSolidBrush(color);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(60, 60, 60));
    HGDIOBJ oldBrush = SelectObject(hDC, body);
    HGDIOBJ oldPen = SelectObject(hDC, pen);
    Rectangle(hDC, 1, 3, 7, 6);  // the tab
    if (open) {
        POINT pts[] = { { 1, 14 }, { 4, 7 }, { 15, 7 }, { 12, 14 } };
        Rectangle(hDC, 1, 5, 13, 14);
        Polygon(hDC, pts, 4);
    } else {
        Rectangle(hDC, 1, 5, 15, 14);
    }
    if (mail) {
        HBRUSH red = CreateSolidBrush(RGB(220, 0, 0));
        SelectObject(hDC, red);
        Ellipse(hDC, 9, 0, 16, 7);
        SelectObject(hDC, body);
        DeleteObject(red);
    }
    SelectObject(hDC, oldBrush);
    SelectObject(hDC, oldPen);
    DeleteObject(body);
    DeleteObject(pen);
}

} // namespace

BOOL CreateFolderImageList(CImageList& images)
{
    if (!images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 88, 4))
        return FALSE;
    HDC screen = GetDC(nullptr);
    HDC hDC = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    for (int group = 0; group < 22; ++group) {
        for (int state = 0; state < 4; ++state) {
            HGDIOBJ old = SelectObject(hDC, bitmap);
            DrawFolder(hDC, kGroupColors[group], (state & 1) != 0, (state & 2) != 0);
            SelectObject(hDC, old);
            images.Add(bitmap, RGB(255, 0, 255));
        }
    }
    DeleteObject(bitmap);
    DeleteDC(hDC);
    return TRUE;
}
