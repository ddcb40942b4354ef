#include "mainwnd/FontSetting.h"

#include "core/QuendalApp.h"

#include <cstring>

LOGFONTA GetFontSetting(const char* pszSection)
{
    LOGFONTA lf = {};
    // The editor's text lines up in columns: its font is fixed-pitch unless chosen otherwise.
    CString face = lstrcmpA(pszSection, "FontEditor") == 0 ? "ＭＳ ゴシック" : "ＭＳ Ｐゴシック";
    lf.lfHeight = 220;
    lf.lfCharSet = 128;
    if (CQuendalApp* pApp = QuendalApp()) {
        face = pApp->GetProfileString(pszSection, "FaceName", face);
        lf.lfHeight = pApp->GetProfileInt(pszSection, "Height", 220);
        lf.lfWeight = pApp->GetProfileInt(pszSection, "Weight", 0);
        lf.lfItalic = static_cast<BYTE>(pApp->GetProfileInt(pszSection, "Italic", 0) != 0);
        lf.lfCharSet = static_cast<BYTE>(pApp->GetProfileInt(pszSection, "CharSet", 128));
    }
    strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

int FontPixelHeight(int nTwips, int nLogPixelsY)
{
    return -MulDiv(nTwips < 0 ? -nTwips : nTwips, nLogPixelsY, 1440);
}
