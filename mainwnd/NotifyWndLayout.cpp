#include "mainwnd/NotifyWndLayout.h"

#include <algorithm>

namespace NotifyWndLayout {

int RowCount(int nOSClass)
{
    return nOSClass == 4 ? 5 : 6;
}

POINT Position(const RECT& desktop, const RECT* pTaskbar, int nOSClass, int nStoredLeft, int nStoredTop)
{
    int baseY = 0;
    if (pTaskbar) {
        const int height = pTaskbar->bottom - pTaskbar->top;
        const bool alongTop = pTaskbar->top <= 0 && height <= (desktop.bottom - desktop.top) - 4;
        if (alongTop)
            baseY = pTaskbar->bottom;
    }
    POINT pt;
    pt.x = desktop.right - kWidth - 12 - (nOSClass < 4 ? 2 : 0);
    pt.y = baseY + (nOSClass == 4 ? 10 : 4);
    if (nStoredLeft != kAutoPosition) {
        pt.x = nStoredLeft;
        // A top never stored would put the window far off the screen.
        if (nStoredTop != kAutoPosition)
            pt.y = nStoredTop;
    }
    return pt;
}

int ScrollUp(int nFirst, int nRows, int nEntries)
{
    if (nEntries <= nRows)
        return nFirst;
    return std::max(0, nFirst - nRows / 2);
}

int ScrollDown(int nFirst, int nRows, int nEntries)
{
    if (nEntries <= nRows)
        return nFirst;
    return std::min(nFirst + nRows / 2, nEntries - nRows);
}

CString RowText(const char* pszFolder, int nNew, int nSecond)
{
    CString text;
    if (nSecond != 0)
        text.Format("%s  %d (%d)\r\n", pszFolder, nNew, nSecond);
    else
        text.Format("%s  %d\r\n", pszFolder, nNew);
    return text;
}

} // namespace NotifyWndLayout
