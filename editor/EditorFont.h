// CEditorFont: the editor font ("FontEditor") as the editor's dialogs show
// it, its height kept in twips turned into pixels of the screen. Owns the
// font it makes.
#pragma once

#include "classlib/ClassLib.h"

class CEditorFont
{
public:
    // Where the font setting comes from: fills the description of the
    // section's font; false leaves the built-in one.
    typedef bool (*FontSettingSource)(const char* pszSection, LOGFONTA& lf);

    CEditorFont() = default;
    CEditorFont(const CEditorFont&) = delete;
    CEditorFont& operator=(const CEditorFont&) = delete;
    ~CEditorFont();

    // Makes the font for the screen of the window; false when it cannot be made.
    bool Create(HWND hWnd);
    HFONT GetHandle() const { return m_hFont; }

    // The setting: face "ＭＳ ゴシック", 220 twips, character set 128 until
    // a source is installed.
    static LOGFONTA GetSetting();
    // Pixels for a height in twips: |height| x pixels per inch / 1440, 10 when that is 0.
    static int TwipsToPixels(LONG nTwips, int nPixelsPerInch);
    static FontSettingSource SetFontSettingSource(FontSettingSource source);

private:
    HFONT m_hFont = nullptr;
};
