// CDibPicture: a bitmap file loaded as a DIB section, drawn at its natural size.
#pragma once

#include <windows.h>

class CDibPicture
{
public:
    CDibPicture() = default;
    CDibPicture(const CDibPicture&) = delete;
    CDibPicture& operator=(const CDibPicture&) = delete;
    ~CDibPicture() { Free(); }

    bool Load(const char* pszPath);
    void Free();
    bool IsLoaded() const { return m_hBitmap != nullptr; }
    void Draw(HDC hdc, int x, int y) const;
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }

private:
    HBITMAP m_hBitmap = nullptr;
    int m_cx = 0, m_cy = 0;
};
