// CTreeCtrl: a tree-view control.
#pragma once

#include "classlib/Wnd.h"

#include <commctrl.h>

class CTreeCtrl : public CWnd
{
public:
    HTREEITEM InsertItem(const char* pszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST,
                         LPARAM lParam = 0)
    {
        TVINSERTSTRUCTA tvi = {};
        tvi.hParent = hParent;
        tvi.hInsertAfter = hInsertAfter;
        tvi.item.mask = TVIF_TEXT | TVIF_PARAM;
        tvi.item.pszText = const_cast<char*>(pszItem);
        tvi.item.lParam = lParam;
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&tvi)));
    }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM GetFirstVisibleItem() const { return GetNextItem(nullptr, TVGN_FIRSTVISIBLE); }
    HTREEITEM GetNextVisibleItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXTVISIBLE); }
    LPARAM GetItemData(HTREEITEM hItem) const
    {
        TVITEMA item = {};
        item.mask = TVIF_PARAM | TVIF_HANDLE;
        item.hItem = hItem;
        SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.lParam;
    }
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
    {
        return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), nStateMask));
    }
    // With bTextOnly the rectangle of the label only.
    BOOL GetItemRect(HTREEITEM hItem, RECT* pRect, BOOL bTextOnly) const
    {
        *reinterpret_cast<HTREEITEM*>(pRect) = hItem;
        return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, static_cast<WPARAM>(bTextOnly), reinterpret_cast<LPARAM>(pRect)));
    }
    BOOL Expand(HTREEITEM hItem, UINT nCode)
    {
        return static_cast<BOOL>(SendMessage(TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
};
