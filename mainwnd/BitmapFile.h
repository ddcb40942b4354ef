// BitmapFile: a user's bitmap file for the toolbar images, checked before
// any of it is used: the file comes from disk and may be anything.
#pragma once

#include "classlib/ClassLib.h"

#include <string>

namespace BitmapFile {

// What the header of a usable file says.
struct Info
{
    int nWidth = 0;
    int nHeight = 0;         // as stored: negative for a top-down bitmap
    int nBitCount = 0;
    size_t nHeaderOffset = 14;  // the info header, colour table included, up to the pixels
    size_t nHeaderSize = 0;
    size_t nPixelOffset = 0;
    size_t nRowBytes = 0;    // one row with its padding to 4 bytes
    size_t nPixelBytes = 0;  // rows × row bytes
};

// Checks a whole file: "BM", a Windows bitmap info header, an uncompressed
// depth of 1 to 32 bits not above nMaxBitCount (0: any), the size when both
// cx and cy are given, and that the colour table and every row lie inside
// the file. False with the reason in error otherwise.
bool Parse(const std::string& bytes, int nMaxBitCount, int cx, int cy, Info& info, CString& error);

// Replaces every pixel of colour from by colour to, row by row without the
// padding; only 24-bit pixels are replaced. Returns the pixels replaced.
int ReplaceColor(std::string& bytes, const Info& info, COLORREF from, COLORREF to);

// The bitmap of a file as a bitmap compatible with the window's screen, or
// null; a refused file puts its reason in error.
HBITMAP Load(HWND hWnd, const char* pszPath, int nMaxBitCount, int cx, int cy, bool bReplace, COLORREF from,
             COLORREF to, CString* pError = nullptr);

} // namespace BitmapFile
