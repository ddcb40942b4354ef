#include "mainwnd/ColorListCtrl.h"

#include <algorithm>

RECT CColorListCtrl::SwatchRect(int nLeft, int nWidth, const RECT& rcRow)
{
    int width = std::min(16, nWidth - 2);
    return RECT{nLeft + 2, rcRow.top + 2, nLeft + 2 + std::max(width, 0), rcRow.bottom - 2};
}

void CColorListCtrl::DrawItem(DRAWITEMSTRUCT* pDis)
{
    if (!(pDis->itemAction & ODA_DRAWENTIRE))
        return;
    // Both fonts exist from the first row drawn on.
    GetNormalFont();
    GetBoldFont();
    CQListCtrl::DrawItem(pDis);
    RECT swatch = SwatchRect(pDis->rcItem.left, GetColumnWidth(0), pDis->rcItem);
    HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(pDis->itemData));
    if (brush) {
        ::FillRect(pDis->hDC, &swatch, brush);
        ::DeleteObject(brush);
    }
}
