#include "html/DrawDibImage.h"

#include <cstring>

namespace {

// Pictures drawn by the program are a few hundred kilobytes at most.
const LONGLONG kMaxBmpFileSize = 256 * 1024 * 1024;

} // namespace

CDrawDibImage::~CDrawDibImage() { Release(); }

void CDrawDibImage::Release()
{
    if (m_hDrawDib) {
        DrawDibClose(m_hDrawDib);
        m_hDrawDib = nullptr;
    }
    m_data.clear();
    m_pixelOffset = 0;
}

bool CDrawDibImage::LoadFile(const char* pszPath)
{
    Release();
    m_hDrawDib = DrawDibOpen();
    bool ok = false;
    HANDLE h = CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (m_hDrawDib && h != INVALID_HANDLE_VALUE) {
        BITMAPFILEHEADER fileHeader;
        DWORD read = 0;
        LARGE_INTEGER fileSize;
        // The size field is trusted only as far as the file really reaches.
        if (GetFileSizeEx(h, &fileSize) && ReadFile(h, &fileHeader, sizeof(fileHeader), &read, nullptr) &&
            read == sizeof(fileHeader) && fileHeader.bfType == 0x4D42 &&
            fileHeader.bfSize >= sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) &&
            fileHeader.bfSize <= fileSize.QuadPart && fileHeader.bfSize <= kMaxBmpFileSize) {
            m_data.resize(fileHeader.bfSize - sizeof(BITMAPFILEHEADER));
            ok = ReadFile(h, m_data.data(), static_cast<DWORD>(m_data.size()), &read, nullptr) &&
                 read == m_data.size();
        }
    }
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);

    if (ok) {
        BITMAPINFOHEADER& header = *reinterpret_cast<BITMAPINFOHEADER*>(m_data.data());
        const int bits = header.biBitCount;
        const bool rle = header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4;
        ok = header.biSize >= sizeof(BITMAPINFOHEADER) && header.biSize < m_data.size() && header.biWidth > 0 &&
             header.biHeight != 0 && header.biHeight != LONG(0x80000000) &&
             (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
             (bits > 8 || header.biClrUsed <= (1u << bits)) && (bits <= 8 || header.biClrUsed <= 256);
        if (ok) {
            unsigned long long height = header.biHeight < 0 ? 0ULL - static_cast<long long>(header.biHeight)
                                                            : static_cast<unsigned long long>(header.biHeight);
            unsigned long long imageSize =
                (static_cast<unsigned long long>(bits) * header.biWidth + 31) / 32 * 4 * height;
            if (header.biSizeImage == 0 && !rle)
                header.biSizeImage = static_cast<DWORD>(imageSize);
            if (rle)
                imageSize = header.biSizeImage;
            unsigned long long entries = header.biClrUsed != 0 ? header.biClrUsed : (bits <= 8 ? 1u << bits : 0);
            unsigned long long masks =
                (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)) ? 12 : 0;
            unsigned long long offset = header.biSize + masks + entries * sizeof(RGBQUAD);
            ok = offset + imageSize <= m_data.size();
            m_pixelOffset = static_cast<size_t>(offset);
        }
    }
    if (!ok) {
        Release();
        return false;
    }
    return true;
}

BOOL CDrawDibImage::Draw(HDC hdc, int x, int y, int width, int height)
{
    if (m_data.empty() || !m_hDrawDib)
        return FALSE;
    BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(m_data.data());
    DrawDibRealize(m_hDrawDib, hdc, TRUE);
    int sourceHeight = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    return DrawDibDraw(m_hDrawDib, hdc, x, y, width, height, header, m_data.data() + m_pixelOffset, 0, 0,
                       header->biWidth, sourceHeight, DDF_BACKGROUNDPAL);
}
