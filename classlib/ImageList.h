// CImageList: one image list of the common controls, destroyed with the object
// unless detached.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList
{
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    ~CImageList() { DeleteImageList(); }

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // A strip of images from one bitmap resource, cx pixels wide each.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    int Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
    int Add(HBITMAP hbmImage, HBITMAP hbmMask) { return ImageList_Add(m_hImageList, hbmImage, hbmMask); }
    int Add(HBITMAP hbmImage, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, hbmImage, crMask); }
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    BOOL Draw(HDC hdc, int nImage, POINT pt, UINT nStyle) const
    {
        return ImageList_Draw(m_hImageList, nImage, hdc, pt.x, pt.y, nStyle);
    }
    // A new icon the caller destroys.
    HICON ExtractIcon(int nImage) const { return ImageList_ExtractIcon(nullptr, m_hImageList, nImage); }

    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    HIMAGELIST m_hImageList = nullptr;
};
