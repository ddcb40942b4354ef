// CDrawDibImage: a BMP file held in memory (everything after its 14-byte file
// header) and drawn stretched with the platform's DrawDib functions. Used for
// the splash and About pictures and the new-mail notification window.
#pragma once

#include <windows.h>
#include <vfw.h>

#include <vector>

class CDrawDibImage
{
public:
    CDrawDibImage() = default;
    virtual ~CDrawDibImage();
    CDrawDibImage(const CDrawDibImage&) = delete;
    CDrawDibImage& operator=(const CDrawDibImage&) = delete;

    // False, with no picture held, for a file that is not a whole BMP whose
    // header, colour table and pixels fit the bytes the file has.
    bool LoadFile(const char* pszPath);
    // The whole picture stretched into the rectangle; FALSE without a picture.
    BOOL Draw(HDC hdc, int x, int y, int width, int height);
    bool IsLoaded() const { return !m_data.empty(); }
    const BITMAPINFOHEADER* Header() const
    {
        return m_data.empty() ? nullptr : reinterpret_cast<const BITMAPINFOHEADER*>(m_data.data());
    }

private:
    void Release();

    std::vector<BYTE> m_data;  // info header, colour table, pixels
    size_t m_pixelOffset = 0;
    HDRAWDIB m_hDrawDib = nullptr;
};
