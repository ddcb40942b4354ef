// CQuoteColouring: which colour a body line takes by the quotation marks it
// begins with. One level: lines beginning with the quotation mark. Two
// levels: the level-2 prefixes are tried first, then the quotation mark and
// the level-1 prefixes. Only the first 256 bytes of a line are compared.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

class CQuoteColouring
{
public:
    enum { kCompareBytes = 256 };

    // Reads the colouring settings of the application (defaults when there
    // is no application).
    void LoadSettings();
    // The settings as given: the prefix lists are comma-separated texts,
    // blanks kept.
    void Set(bool bOn, bool bDouble, const char* pszMark, const char* pszHeader1, const char* pszHeader2);
    void SetColours(COLORREF text, COLORREF level1, COLORREF level2);

    // 0 plain text, 1 or 2 the quotation level of a line (Shift_JIS).
    int LevelOf(const char* pszLine) const;
    COLORREF ColourOf(const char* pszLine) const;
    COLORREF GetTextColour() const { return m_text; }
    bool IsOn() const { return m_bOn; }

private:
    static void Split(const char* pszList, std::vector<CString>& items);
    static bool BeginsWithAny(const char* pszLine, const std::vector<CString>& prefixes);

    bool m_bOn = true;
    bool m_bDouble = false;
    CString m_strMark = ">";
    std::vector<CString> m_level1, m_level2;
    COLORREF m_text = 0;
    COLORREF m_level1Colour = RGB(0, 0, 0xFF);
    COLORREF m_level2Colour = RGB(0, 0, 0x7F);
};
