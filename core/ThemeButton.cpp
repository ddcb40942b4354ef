#include "core/ThemeButton.h"

#include "classlib/GdiSelection.h"

#include "core/QuendalApp.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace {

// Visual-styles entry points, bound by name once: the library is loaded at
// run time and only on Windows XP and later.
struct ThemeApi
{
    HANDLE(WINAPI* open)(HWND, LPCWSTR) = nullptr;
    HRESULT(WINAPI* close)(HANDLE) = nullptr;
    HRESULT(WINAPI* drawBackground)(HANDLE, HDC, int, int, const RECT*, const RECT*) = nullptr;
    bool bound = false;
};

ThemeApi& Theme()
{
    static ThemeApi api;
    if (!api.bound) {
        CQuendalApp* app = QuendalApp();
        HMODULE h = app ? app->m_hUxTheme : nullptr;
        if (h && app->GetOSVersionType() >= 3) {
            api.open = reinterpret_cast<decltype(api.open)>(reinterpret_cast<void*>(GetProcAddress(h, "OpenThemeData")));
            api.close = reinterpret_cast<decltype(api.close)>(reinterpret_cast<void*>(GetProcAddress(h, "CloseThemeData")));
            api.drawBackground = reinterpret_cast<decltype(api.drawBackground)>(
                reinterpret_cast<void*>(GetProcAddress(h, "DrawThemeBackground")));
            api.bound = true;
        }
    }
    return api;
}

} // namespace

BEGIN_MESSAGE_MAP(CThemeButton, CButton)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMsg)
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMsg)
    ON_MESSAGE(WM_KILLFOCUS, OnKillFocusMsg)
    ON_MESSAGE(WM_THEMECHANGED, OnThemeChangedMsg)
END_MESSAGE_MAP()

CThemeButton::~CThemeButton()
{
    if (m_hWnd)
        DestroyWindow();
    CloseTheme();
    if (m_hIcon)
        DestroyIcon(m_hIcon);
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
}

void CThemeButton::SetIcon(HICON hIcon)
{
    if (m_hIcon)
        DestroyIcon(m_hIcon);
    m_hIcon = hIcon;
    if (m_hWnd)
        Invalidate();
}

void CThemeButton::SetBitmap(HBITMAP hBitmap)
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_hBitmap = hBitmap;
    if (m_hWnd)
        Invalidate();
}

void CThemeButton::CloseTheme()
{
    if (m_hTheme && Theme().close)
        Theme().close(m_hTheme);
    m_hTheme = nullptr;
    m_bThemeTried = false;
}

bool CThemeButton::IsThemed()
{
    if (!m_bThemeTried && m_hWnd) {
        m_bThemeTried = true;
        if (Theme().open)
            m_hTheme = Theme().open(m_hWnd, L"BUTTON");
    }
    return m_hTheme != nullptr && Theme().drawBackground;
}

BOOL CThemeButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_DRAWITEM)
        return FALSE;
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *pResult = TRUE;
    return TRUE;
}

void CThemeButton::DrawItem(DRAWITEMSTRUCT* pDis)
{
    HDC hdc = pDis->hDC;
    RECT rc = pDis->rcItem;
    bool pushed = (pDis->itemState & ODS_SELECTED) != 0;
    bool disabled = (pDis->itemState & ODS_DISABLED) != 0;
    bool focused = (pDis->itemState & ODS_FOCUS) != 0;
    bool isDefault = (pDis->itemState & ODS_DEFAULT) != 0 || (GetStyle() & 0x0F) == BS_DEFPUSHBUTTON;

    if (IsThemed()) {
        int state = disabled ? PBS_DISABLED : pushed ? PBS_PRESSED : m_bHover ? PBS_HOT : isDefault ? PBS_DEFAULTED : PBS_NORMAL;
        Theme().drawBackground(m_hTheme, hdc, BP_PUSHBUTTON, state, &rc, nullptr);
        if (focused) {
            RECT rcFocus = rc;
            InflateRect(&rcFocus, -3, -3);
            DrawFocusRect(hdc, &rcFocus);
        }
    } else {
        RECT rcFrame = rc;
        if (isDefault) {
            FrameRect(hdc, &rcFrame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&rcFrame, -1, -1);
        }
        DrawFrameControl(hdc, &rcFrame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
        if (m_bBorder) {
            HBRUSH border = CreateSolidBrush(m_crBorder);
            FrameRect(hdc, &rc, border);
            DeleteObject(border);
        }
        if (focused) {
            RECT rcFocus = rc;
            InflateRect(&rcFocus, -4, -4);
            DrawFocusRect(hdc, &rcFocus);
        }
    }

    // Image first, then the text in the space left.
    int x = rc.left + kMarginX;
    int offset = pushed ? 1 : 0;
    if (m_hIcon) {
        int y = (rc.top + rc.bottom - 16) / 2 + offset;
        DrawIconEx(hdc, x + offset, y, m_hIcon, 16, 16, 0, nullptr, DI_NORMAL);
        x += 16 + kMarginImage;
    } else if (m_hBitmap) {
        BITMAP bm = {};
        GetObjectA(m_hBitmap, sizeof(bm), &bm);
        HDC mem = CreateCompatibleDC(hdc);
        if (mem) {
            {
                CGdiSelection bitmap(mem, m_hBitmap);
                int y = (rc.top + rc.bottom - bm.bmHeight) / 2 + offset;
                BitBlt(hdc, x + offset, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
            }
            DeleteDC(mem);
        }
        x += bm.bmWidth + kMarginImage;
    }
    CString text = GetWindowText();
    if (!text.IsEmpty()) {
        RECT rcText = { x + offset, rc.top + offset, rc.right - kMarginX + offset, rc.bottom + offset };
        UINT align = (m_hIcon || m_hBitmap) ? DT_LEFT : DT_CENTER;
        int oldMode = SetBkMode(hdc, TRANSPARENT);
        COLORREF oldText = SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        DrawTextA(hdc, text, text.GetLength(), &rcText, DT_SINGLELINE | DT_VCENTER | align);
        SetTextColor(hdc, oldText);
        SetBkMode(hdc, oldMode);
    }
}

LRESULT CThemeButton::OnMouseMoveMsg(WPARAM, LPARAM)
{
    if (!m_bHover) {
        m_bHover = true;
        Invalidate(FALSE);
        TRACKMOUSEEVENT tme = { sizeof(tme), TME_LEAVE, m_hWnd, 0 };
        TrackMouseEvent(&tme);
    }
    return Default();
}

LRESULT CThemeButton::OnMouseLeaveMsg(WPARAM, LPARAM)
{
    m_bHover = false;
    Invalidate(FALSE);
    return Default();
}

LRESULT CThemeButton::OnKillFocusMsg(WPARAM, LPARAM)
{
    m_bHover = false;
    Invalidate(FALSE);
    return Default();
}

LRESULT CThemeButton::OnThemeChangedMsg(WPARAM, LPARAM)
{
    CloseTheme();
    Invalidate();
    return Default();
}
