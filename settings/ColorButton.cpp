#include "settings/ColorButton.h"

#include <commdlg.h>

void CColorButton::SetColor(COLORREF cr)
{
    m_crColor = cr;
    if (m_hWnd)
        Invalidate();
}

bool CColorButton::Choose()
{
    static COLORREF custom[16] = {};
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = ::GetParent(m_hWnd);
    cc.rgbResult = m_crColor;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!::ChooseColorA(&cc))
        return false;
    SetColor(cc.rgbResult);
    return true;
}

BOOL CColorButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_DRAWITEM)
        return FALSE;
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    RECT rc = dis->rcItem;
    ::DrawFrameControl(dis->hDC, &rc, DFC_BUTTON,
                       DFCS_BUTTONPUSH | ((dis->itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
    ::InflateRect(&rc, -4, -4);
    HBRUSH brush = ::CreateSolidBrush(m_crColor);
    ::FillRect(dis->hDC, &rc, brush);
    ::DeleteObject(brush);
    ::FrameRect(dis->hDC, &rc, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    if (dis->itemState & ODS_FOCUS) {
        RECT focus = dis->rcItem;
        ::InflateRect(&focus, -2, -2);
        ::DrawFocusRect(dis->hDC, &focus);
    }
    *pResult = TRUE;
    return TRUE;
}
