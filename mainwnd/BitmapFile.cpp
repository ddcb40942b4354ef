#include "mainwnd/BitmapFile.h"

#include <cstring>
#include <vector>

namespace BitmapFile {

namespace {

const size_t kFileHeaderSize = 14;
const size_t kInfoHeaderSize = 40;

uint32_t Read32(const std::string& b, size_t pos)
{
    uint32_t v = 0;
    std::memcpy(&v, b.data() + pos, sizeof(v));
    return v;
}

uint16_t Read16(const std::string& b, size_t pos)
{
    uint16_t v = 0;
    std::memcpy(&v, b.data() + pos, sizeof(v));
    return v;
}

bool Fail(CString& error, const char* pszReason)
{
    error = pszReason;
    return false;
}

} // namespace

bool Parse(const std::string& bytes, int nMaxBitCount, int cx, int cy, Info& info, CString& error)
{
    info = Info();
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return Fail(error, "ビットマップファイルではありません。");
    const uint32_t pixelOffset = Read32(bytes, 10);
    const uint32_t headerSize = Read32(bytes, 14);
    if (headerSize < kInfoHeaderSize || kFileHeaderSize + static_cast<uint64_t>(headerSize) > bytes.size())
        return Fail(error, "ビットマップのヘッダーが壊れています。");
    const int32_t width = static_cast<int32_t>(Read32(bytes, 18));
    const int32_t height = static_cast<int32_t>(Read32(bytes, 22));
    const uint16_t planes = Read16(bytes, 26);
    const uint16_t bitCount = Read16(bytes, 28);
    const uint32_t compression = Read32(bytes, 30);
    const uint32_t colorsUsed = Read32(bytes, 46);
    if (width <= 0 || height == 0 || height == INT32_MIN || width > 32767 || height > 32767 || height < -32767 ||
        planes != 1)
        return Fail(error, "ビットマップの大きさが正しくありません。");
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return Fail(error, "ビットマップの色数が正しくありません。");
    if (compression != BI_RGB)
        return Fail(error, "圧縮されたビットマップは使えません。");
    if (nMaxBitCount > 0 && bitCount > nMaxBitCount)
        return Fail(error, "ビットマップの色数が多すぎます。");
    if (cx > 0 && cy > 0 && (width != cx || (height < 0 ? -height : height) != cy))
        return Fail(error, "ビットマップの大きさが違います。");
    uint64_t colors = colorsUsed;
    if (bitCount <= 8 && (colors == 0 || colors > (1u << bitCount)))
        colors = 1u << bitCount;
    if (bitCount > 8 && colors > 256)
        return Fail(error, "ビットマップのヘッダーが壊れています。");
    const uint64_t headerEnd = kFileHeaderSize + static_cast<uint64_t>(headerSize) + colors * 4;
    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
    const uint64_t pixelBytes = rowBytes * rows;
    if (pixelOffset < headerEnd || pixelOffset > bytes.size() || pixelBytes > bytes.size() - pixelOffset)
        return Fail(error, "ビットマップのデータがファイルの中にありません。");
    info.nWidth = width;
    info.nHeight = height;
    info.nBitCount = bitCount;
    info.nHeaderSize = static_cast<size_t>(pixelOffset - kFileHeaderSize);
    info.nPixelOffset = pixelOffset;
    info.nRowBytes = static_cast<size_t>(rowBytes);
    info.nPixelBytes = static_cast<size_t>(pixelBytes);
    return true;
}

int ReplaceColor(std::string& bytes, const Info& info, COLORREF from, COLORREF to)
{
    if (info.nBitCount != 24 || info.nRowBytes == 0)
        return 0;
    const char f[3] = { static_cast<char>(GetBValue(from)), static_cast<char>(GetGValue(from)),
                        static_cast<char>(GetRValue(from)) };
    const char t[3] = { static_cast<char>(GetBValue(to)), static_cast<char>(GetGValue(to)),
                        static_cast<char>(GetRValue(to)) };
    int replaced = 0;
    for (size_t row = info.nPixelOffset; row + info.nRowBytes <= info.nPixelOffset + info.nPixelBytes;
         row += info.nRowBytes) {
        for (int x = 0; x < info.nWidth; ++x) {
            char* p = &bytes[row + static_cast<size_t>(x) * 3];
            if (std::memcmp(p, f, 3) == 0) {
                std::memcpy(p, t, 3);
                ++replaced;
            }
        }
    }
    return replaced;
}

HBITMAP Load(HWND hWnd, const char* pszPath, int nMaxBitCount, int cx, int cy, bool bReplace, COLORREF from,
             COLORREF to, CString* pError)
{
    CString error;
    std::string bytes;
    Info info;
    if (!ReadWholeFile(pszPath, bytes)) {
        if (pError)
            *pError = "ファイルを開けません。";
        return nullptr;
    }
    if (!Parse(bytes, nMaxBitCount, cx, cy, info, error)) {
        if (pError)
            *pError = error;
        return nullptr;
    }
    if (bReplace && from != CLR_INVALID && to != CLR_INVALID)
        ReplaceColor(bytes, info, from, to);
    // The info header with its colour table, kept aligned for GDI.
    std::vector<uint32_t> header((info.nHeaderSize + 3) / 4);
    std::memcpy(header.data(), bytes.data() + kFileHeaderSize, info.nHeaderSize);
    const BITMAPINFO* bmi = reinterpret_cast<const BITMAPINFO*>(header.data());
    HDC screen = ::GetDC(hWnd);
    const int rows = info.nHeight < 0 ? -info.nHeight : info.nHeight;
    HBITMAP hBitmap = ::CreateCompatibleBitmap(screen, info.nWidth, rows);
    if (hBitmap && !::SetDIBits(screen, hBitmap, 0, static_cast<UINT>(rows), bytes.data() + info.nPixelOffset, bmi,
                                DIB_RGB_COLORS)) {
        ::DeleteObject(hBitmap);
        hBitmap = nullptr;
    }
    ::ReleaseDC(hWnd, screen);
    if (!hBitmap && pError)
        *pError = "ビットマップを作れません。";
    return hBitmap;
}

} // namespace BitmapFile
