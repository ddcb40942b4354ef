// CColorTextPreview: the colour text view as a live preview in the colour
// settings and the mail re-reading dialogs: it never becomes the active
// view, ignores double clicks, and owns the font it shows.
#pragma once

#include "viewer/ColorTextView.h"

class CColorTextPreview : public CColorTextView
{
public:
    CColorTextPreview() = default;
    ~CColorTextPreview() override;

protected:
    bool IsPreview() const override { return true; }
    void MakeOwnFont(const LOGFONTA& lf) override;

private:
    void DeleteOwnFonts();

    HFONT m_hOwnFont = nullptr;
    HFONT m_hOwnBold = nullptr;
};
