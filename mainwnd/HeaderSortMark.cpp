#include "mainwnd/HeaderSortMark.h"

#include <commctrl.h>

void SetHeaderSortMark(HWND hHeader, int nColumn, bool bAscending)
{
    if (!hHeader)
        return;
    const int count = static_cast<int>(::SendMessageA(hHeader, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        ::SendMessageA(hHeader, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        int fmt = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == nColumn)
            fmt |= bAscending ? HDF_SORTUP : HDF_SORTDOWN;
        if (fmt != item.fmt) {
            item.fmt = fmt;
            ::SendMessageA(hHeader, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
    }
}
