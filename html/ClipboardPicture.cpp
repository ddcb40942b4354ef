#include "html/ClipboardPicture.h"

#include "html/BmpFile.h"
#include "html/Dib.h"

bool SaveClipboardPicture(HWND hOwner, const char* pszPath, int nFormat, int nQuality)
{
    if (!OpenClipboard(hOwner))
        return false;
    bool ok = false;
    HGLOBAL hDib = static_cast<HGLOBAL>(GetClipboardData(CF_DIB));
    if (hDib) {
        if (nFormat == kClipboardPictureJpeg) {
            CDib dib;
            ok = dib.SaveJpegFile(hDib, pszPath, nQuality);
        } else {
            ok = WriteBmpFile(hDib, pszPath);
        }
    }
    CloseClipboard();
    return ok;
}
