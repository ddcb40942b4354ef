#include "html/DrawMonoBitmap.h"

#include "classlib/AppCore.h"

namespace {

RGBQUAD ToRgbQuad(COLORREF colour)
{
    RGBQUAD q;
    q.rgbRed = GetRValue(colour);
    q.rgbGreen = GetGValue(colour);
    q.rgbBlue = GetBValue(colour);
    q.rgbReserved = 0;
    return q;
}

} // namespace

bool DrawMonoBitmap(HDC hdc, UINT nBitmapId, int x, int y, int width, int height, int nMode, COLORREF crZero,
                    COLORREF crOne)
{
    HBITMAP hBitmap = static_cast<HBITMAP>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nBitmapId),
                                                      IMAGE_BITMAP, 0, 0, LR_MONOCHROME | LR_CREATEDIBSECTION));
    if (!hBitmap)
        return false;
    BITMAP info = {};
    bool ok = GetObjectA(hBitmap, sizeof(info), &info) == sizeof(info) && info.bmBitsPixel == 1;
    HDC hMem = ok ? CreateCompatibleDC(hdc) : nullptr;
    if (hMem) {
        HGDIOBJ hOld = SelectObject(hMem, hBitmap);
        RGBQUAD colours[2] = {ToRgbQuad(crZero), ToRgbQuad(crOne)};
        ok = SetDIBColorTable(hMem, 0, 2, colours) == 2;
        if (ok) {
            if (nMode == 2)
                StretchBlt(hdc, x, y, width, height, hMem, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
            else if (nMode == 1)
                BitBlt(hdc, x, y, width, height, hMem, 0, (info.bmHeight - height) / 2, SRCCOPY);
            else
                BitBlt(hdc, x, y, width, height, hMem, 0, 0, SRCCOPY);
        }
        SelectObject(hMem, hOld);
        DeleteDC(hMem);
    } else {
        ok = false;
    }
    DeleteObject(hBitmap);
    return ok;
}
