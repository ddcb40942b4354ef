#include "html/DibData.h"

#include "html/DibException.h"

#include <cstring>

namespace {

const char kBadPalette[] = "パレットデータが異常です";
const char kBadSize[] = "ビットマップの大きさがデータと合いません";
const char kUnsupported[] = "この形式のビットマップには対応していません";

// No picture the program takes comes near this many bytes of pixels.
const unsigned long long kMaxImageSize = 0x40000000;

} // namespace

size_t CDibData::ColorTableSize(DWORD headerSize, int bitCount, DWORD clrUsed)
{
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        switch (bitCount) {
        case 1: return 6;
        case 4: return 48;
        case 8: return 768;
        default: return 0;
        }
    }
    if (clrUsed != 0)
        return static_cast<size_t>(clrUsed) * sizeof(RGBQUAD);
    switch (bitCount) {
    case 1: return 8;
    case 4: return 64;
    case 8: return 1024;
    default: return 0;
    }
}

int CDibData::DefaultColorCount(int bitCount)
{
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 16:
    case 24:
    case 32: return 0;
    default: throw CDibException(CDibException::badBitCount, kBadPalette);
    }
}

bool CDibData::LoadFromHandle(HGLOBAL hDib)
{
    if (!hDib)
        return false;
    const void* p = GlobalLock(hDib);
    if (!p)
        return false;
    struct Unlock
    {
        HGLOBAL h;
        ~Unlock() { GlobalUnlock(h); }
    } unlock{hDib};
    return LoadFromMemory(p, GlobalSize(hDib));
}

bool CDibData::LoadFromMemory(const void* pData, size_t nSize)
{
    if (!pData || nSize < sizeof(BITMAPINFOHEADER))
        return false;
    BITMAPINFOHEADER header;
    memcpy(&header, pData, sizeof(header));
    if (header.biSize != sizeof(BITMAPINFOHEADER))
        return false;

    const int bits = header.biBitCount;
    int colorCount = DefaultColorCount(bits);
    if (header.biClrUsed != 0) {
        // A table larger than the indexes can reach is no DIB.
        DWORD limit = bits <= 8 ? (1u << bits) : 256;
        if (header.biClrUsed > limit)
            throw CDibException(CDibException::badSize, kBadPalette);
        colorCount = static_cast<int>(header.biClrUsed);
    }
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == LONG(0x80000000))
        throw CDibException(CDibException::badSize, kBadSize);

    const DWORD compression = header.biCompression;
    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    if ((compression == BI_RLE8 && bits != 8) || (compression == BI_RLE4 && bits != 4) ||
        (compression == BI_BITFIELDS && bits != 16 && bits != 32) || compression > BI_BITFIELDS)
        throw CDibException(CDibException::unsupported, kUnsupported);
    // Top-down pictures store their first row first and cannot be compressed.
    const bool topDown = header.biHeight < 0;
    if (topDown && rle)
        throw CDibException(CDibException::unsupported, kUnsupported);
    const unsigned long long height = topDown ? 0ULL - static_cast<long long>(header.biHeight)
                                              : static_cast<unsigned long long>(header.biHeight);

    const unsigned long long stride = (static_cast<unsigned long long>(bits) * header.biWidth + 31) / 32 * 4;
    const unsigned long long imageSize = rle ? header.biSizeImage : stride * height;
    const size_t maskSize = compression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0;
    const size_t tableSize = ColorTableSize(header.biSize, bits, header.biClrUsed);
    const unsigned long long infoSize = sizeof(BITMAPINFOHEADER) + maskSize + tableSize;
    if (imageSize == 0 || imageSize > kMaxImageSize || infoSize + imageSize > nSize)
        throw CDibException(CDibException::badSize, kBadSize);

    const BYTE* bytes = static_cast<const BYTE*>(pData);
    m_header.assign(bytes, bytes + infoSize);
    if (!rle)
        reinterpret_cast<BITMAPINFOHEADER*>(m_header.data())->biSizeImage = static_cast<DWORD>(imageSize);
    m_colorTableOffset = sizeof(BITMAPINFOHEADER) + maskSize;
    m_colorCount = colorCount;
    m_pixels.assign(bytes + infoSize, bytes + infoSize + imageSize);
    m_imageSize = static_cast<DWORD>(imageSize);
    m_height = static_cast<int>(height);
    m_topDown = topDown;
    m_stride = static_cast<size_t>(stride);
    if (compression == BI_BITFIELDS) {
        memcpy(m_masks, bytes + sizeof(BITMAPINFOHEADER), sizeof(m_masks));
    } else if (bits == 16) {
        m_masks[0] = 0x7C00;  // 5-5-5
        m_masks[1] = 0x03E0;
        m_masks[2] = 0x001F;
    } else {
        m_masks[0] = 0xFF0000;
        m_masks[1] = 0x00FF00;
        m_masks[2] = 0x0000FF;
    }
    return true;
}
