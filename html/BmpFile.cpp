#include "html/BmpFile.h"

#include "html/DibData.h"
#include "html/DibException.h"

bool WriteBmpFile(HGLOBAL hDib, const char* pszPath)
{
    if (!hDib)
        return false;
    CDibData dib;
    try {
        if (!dib.LoadFromHandle(hDib))
            return false;
    } catch (const CDibException&) {
        return false;
    }

    // The pixels follow the header, the colour masks and the colour table as
    // long as the block has them, whatever the bit count would suggest.
    const DWORD offset = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + dib.GetInfoSize());
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfSize = offset + dib.GetImageSize();
    fileHeader.bfOffBits = offset;

    CFile file;
    if (!file.Open(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary))
        return false;
    try {
        file.Write(&fileHeader, sizeof(fileHeader));
        file.Write(dib.Info(), static_cast<UINT>(dib.GetInfoSize()));
        file.Write(dib.Pixels(), dib.GetImageSize());
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        DeleteFileA(pszPath);
        return false;
    }
    return true;
}
