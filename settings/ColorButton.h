// CColorButton: an owner-drawn push button that shows a colour and lets the
// user choose another with the platform's colour chooser.
#pragma once

#include "classlib/Button.h"

class CColorButton : public CButton
{
public:
    COLORREF GetColor() const { return m_crColor; }
    void SetColor(COLORREF cr);
    // Opens the colour chooser; true when a colour was chosen.
    bool Choose();

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    COLORREF m_crColor = 0;
};
