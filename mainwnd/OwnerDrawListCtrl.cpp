#include "mainwnd/OwnerDrawListCtrl.h"

#include "classlib/GdiSelection.h"

namespace {

const int kMaxColumns = 10;

} // namespace

void COwnerDrawListCtrl::CheckBoxCorners(const RECT& rcRow, POINT corners[4])
{
    int side = rcRow.bottom - rcRow.top - 3;
    int left = rcRow.left + 1, top = rcRow.top + 1;
    corners[0] = {left, top};
    corners[1] = {left + side, top};
    corners[2] = {left + side, top + side};
    corners[3] = {left, top + side};
}

void COwnerDrawListCtrl::DrawItem(DRAWITEMSTRUCT* pDis)
{
    if (!(pDis->itemAction & ODA_DRAWENTIRE))
        return;
    HDC hdc = pDis->hDC;
    RECT row = pDis->rcItem;
    ::FillRect(hdc, &row, ::GetSysColorBrush(COLOR_WINDOW));
    COLORREF oldText = ::SetTextColor(hdc, ::GetSysColor(COLOR_WINDOWTEXT));
    int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    int x = row.left;
    for (int col = 0; col < kMaxColumns; ++col) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        if (!GetColumn(col, &column))
            break;
        if (col == 0) {
            POINT corners[4];
            RECT box = {x, row.top, x + column.cx, row.bottom};
            CheckBoxCorners(box, corners);
            CGdiSelection pen(hdc, ::GetStockObject(BLACK_PEN));
            CGdiSelection brush(hdc, ::GetStockObject(NULL_BRUSH));
            ::Polygon(hdc, corners, 4);
            if (pDis->itemData != 0) {
                ::MoveToEx(hdc, corners[0].x, corners[0].y, nullptr);
                ::LineTo(hdc, corners[2].x, corners[2].y);
                ::MoveToEx(hdc, corners[1].x, corners[1].y, nullptr);
                ::LineTo(hdc, corners[3].x, corners[3].y);
            }
        } else {
            RECT rc = {x + 4, row.top, x + column.cx - 2, row.bottom};
            CString text = GetItemText(static_cast<int>(pDis->itemID), col, 260);
            ::DrawTextA(hdc, text, text.GetLength(), &rc,
                        DT_VCENTER | DT_SINGLELINE | DT_EXTERNALLEADING | DT_NOPREFIX);
        }
        x += column.cx;
    }
    ::SetBkMode(hdc, oldMode);
    ::SetTextColor(hdc, oldText);
}
