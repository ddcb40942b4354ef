#include "core/DibPicture.h"

#include "classlib/GdiSelection.h"

bool CDibPicture::Load(const char* pszPath)
{
    Free();
    m_hBitmap = static_cast<HBITMAP>(LoadImageA(nullptr, pszPath, IMAGE_BITMAP, 0, 0,
                                                LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!m_hBitmap)
        return false;
    BITMAP bm = {};
    GetObjectA(m_hBitmap, sizeof(bm), &bm);
    m_cx = bm.bmWidth;
    m_cy = bm.bmHeight;
    return true;
}

void CDibPicture::Free()
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
    m_cx = m_cy = 0;
}

void CDibPicture::Draw(HDC hdc, int x, int y) const
{
    if (!m_hBitmap)
        return;
    HDC mem = CreateCompatibleDC(hdc);
    {
        CGdiSelection bitmap(mem, m_hBitmap);
        BitBlt(hdc, x, y, m_cx, m_cy, mem, 0, 0, SRCCOPY);
    }
    DeleteDC(mem);
}
