// Drawing a monochrome bitmap resource in two chosen colours.
#pragma once

#include <windows.h>

// Mode 0 copies the top-left width x height part to (x, y), mode 1 the
// vertically centred part, mode 2 stretches the whole bitmap into the
// rectangle. Colours are 0x00BBGGRR for the 0-bits and the 1-bits. False
// when the resource is missing or is not 1 bit per pixel.
bool DrawMonoBitmap(HDC hdc, UINT nBitmapId, int x, int y, int width, int height, int nMode, COLORREF crZero,
                    COLORREF crOne);
