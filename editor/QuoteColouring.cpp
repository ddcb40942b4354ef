#include "editor/QuoteColouring.h"

#include "core/QuendalApp.h"

#include <cstring>

void CQuoteColouring::LoadSettings()
{
    CQuendalApp* app = QuendalApp();
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    if (!app) {
        Set(true, false, ">", ">, >,|, |", ">>, >>,||, ||,> >, > >");
        SetColours(text, RGB(0, 0, 0xFF), RGB(0, 0, 0x7F));
        return;
    }
    Set(app->GetProfileInt("Setting", "RefTextColor", 1) != 0, app->GetProfileInt("Setting", "RefDouble", 0) != 0,
        app->GetProfileString("EditWindow", "RefMarkText", ">"),
        app->GetProfileString("Setting", "RefTextHeader1", ">, >,|, |"),
        app->GetProfileString("Setting", "RefTextHeader2", ">>, >>,||, ||,> >, > >"));
    SetColours(static_cast<COLORREF>(app->GetProfileInt("Color", "EditorTextColor", static_cast<int>(text))),
               static_cast<COLORREF>(app->GetProfileInt("Color", "RefTextColor1", 0xFF0000)),
               static_cast<COLORREF>(app->GetProfileInt("Color", "RefTextColor2", 0x7F0000)));
}

void CQuoteColouring::Set(bool bOn, bool bDouble, const char* pszMark, const char* pszHeader1, const char* pszHeader2)
{
    m_bOn = bOn;
    m_bDouble = bDouble;
    m_strMark = pszMark ? pszMark : "";
    // The mark leads the level-1 list, as "%s,%s" of the two texts.
    CString first = m_strMark + "," + (pszHeader1 ? pszHeader1 : "");
    m_level1.clear();
    m_level2.clear();
    Split(first, m_level1);
    Split(pszHeader2, m_level2);
}

void CQuoteColouring::SetColours(COLORREF text, COLORREF level1, COLORREF level2)
{
    m_text = text;
    m_level1Colour = level1;
    m_level2Colour = level2;
}

void CQuoteColouring::Split(const char* pszList, std::vector<CString>& items)
{
    const char* p = pszList ? pszList : "";
    for (;;) {
        const char* comma = strchr(p, ',');
        CString item = comma ? CString(p, static_cast<int>(comma - p)) : CString(p);
        if (!item.IsEmpty())
            items.push_back(item);
        if (!comma)
            break;
        p = comma + 1;
    }
}

bool CQuoteColouring::BeginsWithAny(const char* pszLine, const std::vector<CString>& prefixes)
{
    size_t length = strnlen(pszLine, kCompareBytes);
    for (const CString& prefix : prefixes) {
        size_t n = static_cast<size_t>(prefix.GetLength());
        if (n <= length && memcmp(pszLine, prefix.GetString(), n) == 0)
            return true;
    }
    return false;
}

int CQuoteColouring::LevelOf(const char* pszLine) const
{
    if (!m_bOn || !pszLine)
        return 0;
    if (m_bDouble) {
        if (BeginsWithAny(pszLine, m_level2))
            return 2;
        return BeginsWithAny(pszLine, m_level1) ? 1 : 0;
    }
    if (m_strMark.IsEmpty())
        return 0;
    size_t n = static_cast<size_t>(m_strMark.GetLength());
    return n <= strnlen(pszLine, kCompareBytes) && memcmp(pszLine, m_strMark.GetString(), n) == 0 ? 1 : 0;
}

COLORREF CQuoteColouring::ColourOf(const char* pszLine) const
{
    switch (LevelOf(pszLine)) {
    case 1: return m_level1Colour;
    case 2: return m_level2Colour;
    default: return m_text;
    }
}
