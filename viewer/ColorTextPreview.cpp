#include "viewer/ColorTextPreview.h"

#include "viewer/MailFontSets.h"

CColorTextPreview::~CColorTextPreview()
{
    DeleteOwnFonts();
}

void CColorTextPreview::DeleteOwnFonts()
{
    if (m_hOwnFont)
        DeleteObject(m_hOwnFont);
    if (m_hOwnBold)
        DeleteObject(m_hOwnBold);
    m_hOwnFont = m_hOwnBold = nullptr;
}

void CColorTextPreview::MakeOwnFont(const LOGFONTA& lf)
{
    LOGFONTA made = lf;
    int px = CMailFontSets::FontSetPixels(lf.lfHeight, CMailFontSets::ScreenPixelsPerInch());
    made.lfHeight = -px;
    HFONT font = CreateFontIndirectA(&made);
    made.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectA(&made);
    if (!font || !bold) {
        if (font)
            DeleteObject(font);
        if (bold)
            DeleteObject(bold);
        return;
    }
    // The view lets go of the old fonts before they are deleted.
    UseFonts(font, bold, px);
    DeleteOwnFonts();
    m_hOwnFont = font;
    m_hOwnBold = bold;
}
