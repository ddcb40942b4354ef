#include "editor/EditorFont.h"

#include <cstdlib>
#include <cstring>

namespace {

CEditorFont::FontSettingSource g_source = nullptr;

} // namespace

CEditorFont::~CEditorFont()
{
    if (m_hFont)
        DeleteObject(m_hFont);
}

LOGFONTA CEditorFont::GetSetting()
{
    LOGFONTA lf = {};
    strcpy(lf.lfFaceName, "ＭＳ ゴシック");
    lf.lfHeight = 220;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    if (g_source) {
        LOGFONTA stored = lf;
        if (g_source("FontEditor", stored))
            lf = stored;
    }
    return lf;
}

int CEditorFont::TwipsToPixels(LONG nTwips, int nPixelsPerInch)
{
    int pixels = static_cast<int>(labs(nTwips) * nPixelsPerInch / 1440);
    return pixels == 0 ? 10 : pixels;
}

CEditorFont::FontSettingSource CEditorFont::SetFontSettingSource(FontSettingSource source)
{
    FontSettingSource old = g_source;
    g_source = source;
    return old;
}

bool CEditorFont::Create(HWND hWnd)
{
    LOGFONTA lf = GetSetting();
    HDC hdc = GetDC(hWnd);
    int ppi = hdc ? GetDeviceCaps(hdc, LOGPIXELSY) : 96;
    if (hdc)
        ReleaseDC(hWnd, hdc);
    lf.lfHeight = -TwipsToPixels(lf.lfHeight, ppi);
    HFONT hFont = CreateFontIndirectA(&lf);
    if (!hFont)
        return false;
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hFont = hFont;
    return true;
}
