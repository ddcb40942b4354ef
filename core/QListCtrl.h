// CQListCtrl: the owner-drawn report list (LVS_REPORT | LVS_OWNERDRAWFIXED)
// that the program's lists derive from: rows in the system's selection
// colours, texts shortened with "..." on whole characters, a drag image of the
// selection, and a sort mark in the header where the system draws none.
#pragma once

#include "classlib/ImageList.h"
#include "classlib/ListCtrl.h"

// Sort-mark icons of the header.
const UINT IDI_SORT_ASCENDING = 311;
const UINT IDI_SORT_DESCENDING = 312;

class CQListCtrl : public CListCtrl
{
public:
    CQListCtrl() = default;
    ~CQListCtrl() override;

    void SetSortColumn(int nColumn, BOOL* pbSortDescending)
    {
        m_nSortColumn = nColumn;
        m_pbSortDescending = pbSortDescending;
    }
    int GetSortColumn() const { return m_nSortColumn; }

    // A one-image list showing the outlines of the selected items, and the
    // client position of its top-left corner; the caller destroys the list.
    HIMAGELIST CreateSelectionDragImage(POINT* pptTopLeft);
    // The text as it fits nWidth pixels: shortened and ended with "..." when
    // too wide, never ending in half a double-byte character.
    static CString FitText(HDC hdc, const CString& text, int nWidth);

    HFONT GetNormalFont();
    HFONT GetBoldFont();
    CImageList& GetSortImages();

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    virtual void DrawItem(DRAWITEMSTRUCT* pDis);
    // Draws the sort mark and text into the header item of the sort column.
    void DrawSortHeader();
    LRESULT OnSizeMsg(WPARAM, LPARAM);

    CImageList m_sortImages;
    HFONT m_hNormalFont = nullptr;
    HFONT m_hBoldFont = nullptr;
    int m_nSortColumn = -1;
    BOOL* m_pbSortDescending = nullptr;

    DECLARE_MESSAGE_MAP()
};
