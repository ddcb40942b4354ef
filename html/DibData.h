// CDibData: a device-independent bitmap (BITMAPINFOHEADER, colour masks or
// colour table, pixels) copied out of a memory block, with every size taken
// from the header checked against the block before anything is copied.
#pragma once

#include "classlib/ClassLib.h"

#include <cstddef>
#include <vector>

class CDibData
{
public:
    CDibData() = default;
    virtual ~CDibData() = default;

    // From a clipboard memory block (CF_DIB). False for a null or unlockable
    // block or a header that is no 40-byte BITMAPINFOHEADER; raises
    // CDibException for a bit count no DIB has and for sizes that do not fit
    // the block.
    bool LoadFromHandle(HGLOBAL hDib);
    // The same from bytes in memory.
    bool LoadFromMemory(const void* pData, size_t nSize);

    const BITMAPINFOHEADER& Header() const { return *reinterpret_cast<const BITMAPINFOHEADER*>(m_header.data()); }
    // Header, colour masks and colour table as one BITMAPINFO.
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(m_header.data()); }
    size_t GetInfoSize() const { return m_header.size(); }
    const RGBQUAD* ColorTable() const
    {
        return reinterpret_cast<const RGBQUAD*>(m_header.data() + m_colorTableOffset);
    }
    int GetColorCount() const { return m_colorCount; }
    const BYTE* Pixels() const { return m_pixels.data(); }
    DWORD GetImageSize() const { return m_imageSize; }

    int Width() const { return Header().biWidth; }
    // Rows, whichever way they are stored.
    int Height() const { return m_height; }
    bool IsTopDown() const { return m_topDown; }
    int BitCount() const { return Header().biBitCount; }
    DWORD Compression() const { return Header().biCompression; }
    // Bytes of one stored row (padded to 4 bytes).
    size_t Stride() const { return m_stride; }
    // The red, green and blue masks of a 16- or 32-bit picture.
    const DWORD* Masks() const { return m_masks; }

    // Bytes of colour table that follow a header of that size and bit count
    // (0 when there is none); biClrUsed counts for 40-byte headers.
    static size_t ColorTableSize(DWORD headerSize, int bitCount, DWORD clrUsed);
    // Entries of the colour table by bit count, for biClrUsed 0; raises
    // CDibException for a bit count other than 1, 4, 8, 16, 24 or 32.
    static int DefaultColorCount(int bitCount);

private:
    std::vector<BYTE> m_header;  // header, masks and colour table
    size_t m_colorTableOffset = 0;
    int m_colorCount = 0;
    std::vector<BYTE> m_pixels;
    DWORD m_imageSize = 0;
    int m_height = 0;
    bool m_topDown = false;
    size_t m_stride = 0;
    DWORD m_masks[3] = {};
};
