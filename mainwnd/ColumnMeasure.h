// CColumnMeasure: a screen device context holding the mail list's font in
// bold, the wider of its two row fonts, for finding the widths the list's
// columns need; everything is released with the object.
#pragma once

#include "classlib/ClassLib.h"

class CColumnMeasure
{
public:
    explicit CColumnMeasure(const CString& dateFormat);
    CColumnMeasure(const CColumnMeasure&) = delete;
    CColumnMeasure& operator=(const CColumnMeasure&) = delete;
    ~CColumnMeasure();

    // The context with the font, or null when it could not be made.
    HDC DC() const { return m_hOld ? m_hDC : nullptr; }
    const char* DateFormat() const { return m_strDateFormat; }

private:
    CString m_strDateFormat;
    HDC m_hScreen;
    HDC m_hDC;
    HFONT m_hFont = nullptr;
    HGDIOBJ m_hOld = nullptr;
};
