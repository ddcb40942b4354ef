// CThemeButton: an owner-drawn push button (BS_OWNERDRAW) drawn with visual
// styles where the system has them, with an optional icon or bitmap before
// its text and hot tracking.
#pragma once

#include "classlib/Button.h"

class CThemeButton : public CButton
{
public:
    CThemeButton() = default;
    ~CThemeButton() override;

    // The button takes ownership of the image and destroys it.
    void SetIcon(HICON hIcon);
    void SetBitmap(HBITMAP hBitmap);
    // A one-pixel border in the colour when drawn without visual styles.
    void SetBorderColor(COLORREF cr)
    {
        m_crBorder = cr;
        m_bBorder = true;
    }
    bool IsHovering() const { return m_bHover; }
    bool IsThemed();

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    virtual void DrawItem(DRAWITEMSTRUCT* pDis);
    void CloseTheme();

    LRESULT OnMouseMoveMsg(WPARAM, LPARAM);
    LRESULT OnMouseLeaveMsg(WPARAM, LPARAM);
    LRESULT OnKillFocusMsg(WPARAM, LPARAM);
    LRESULT OnThemeChangedMsg(WPARAM, LPARAM);

    static const int kMarginX = 4;
    static const int kMarginImage = 8;

    HICON m_hIcon = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HANDLE m_hTheme = nullptr;
    bool m_bThemeTried = false;
    bool m_bHover = false;
    bool m_bBorder = false;
    COLORREF m_crBorder = 0;

    DECLARE_MESSAGE_MAP()
};
