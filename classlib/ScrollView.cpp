#include "classlib/ScrollView.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

void CScrollView::SetScrollSizes(int, SIZE sizeTotal, SIZE sizePage, SIZE sizeLine)
{
    m_totalDev = sizeTotal;
    m_pageSet = sizePage;
    m_lineSet = sizeLine;
    if (m_hWnd)
        UpdateBars();
}

POINT CScrollView::GetScrollPosition() const
{
    return POINT{ ::GetScrollPos(m_hWnd, SB_HORZ), ::GetScrollPos(m_hWnd, SB_VERT) };
}

void CScrollView::ScrollToPosition(POINT pt)
{
    ScrollToDevicePosition(pt.x, pt.y);
}

void CScrollView::ScrollToDevicePosition(int x, int y)
{
    RECT rc = {};
    GetClientRect(&rc);
    int maxX = std::max(0L, m_totalDev.cx - rc.right);
    int maxY = std::max(0L, m_totalDev.cy - rc.bottom);
    x = std::clamp(x, 0, maxX);
    y = std::clamp(y, 0, maxY);
    POINT old = GetScrollPosition();
    if (old.x == x && old.y == y)
        return;
    ::SetScrollPos(m_hWnd, SB_HORZ, x, TRUE);
    ::SetScrollPos(m_hWnd, SB_VERT, y, TRUE);
    ::ScrollWindowEx(m_hWnd, old.x - x, old.y - y, nullptr, nullptr, nullptr, nullptr,
                     SW_INVALIDATE | SW_ERASE | SW_SCROLLCHILDREN);
}

void CScrollView::OnPrepareDC(HDC hDC)
{
    POINT pos = GetScrollPosition();
    ::SetViewportOrgEx(hDC, -pos.x, -pos.y, nullptr);
}

void CScrollView::UpdateBars()
{
    m_pageDev.cx = m_pageSet.cx ? m_pageSet.cx : m_totalDev.cx / 10;
    m_pageDev.cy = m_pageSet.cy ? m_pageSet.cy : m_totalDev.cy / 10;
    m_lineDev.cx = m_lineSet.cx ? m_lineSet.cx : std::max(1L, m_pageDev.cx / 10);
    m_lineDev.cy = m_lineSet.cy ? m_lineSet.cy : std::max(1L, m_pageDev.cy / 10);
    // The page of a bar is what the window shows, so the thumb ends at the end
    // of the drawing. Showing one bar narrows the client area for the other,
    // so the bars are set twice.
    for (int pass = 0; pass < 2; ++pass) {
        RECT rc = {};
        GetClientRect(&rc);
        SCROLLINFO si = { sizeof(si) };
        si.fMask = SIF_RANGE | SIF_PAGE;
        si.nMin = 0;
        si.nMax = m_totalDev.cx > 0 ? m_totalDev.cx - 1 : 0;
        si.nPage = m_totalDev.cx > rc.right ? static_cast<UINT>(rc.right) : static_cast<UINT>(si.nMax + 1);
        ::SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
        si.nMax = m_totalDev.cy > 0 ? m_totalDev.cy - 1 : 0;
        si.nPage = m_totalDev.cy > rc.bottom ? static_cast<UINT>(rc.bottom) : static_cast<UINT>(si.nMax + 1);
        ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    }
    POINT pos = GetScrollPosition();
    ScrollToDevicePosition(pos.x, pos.y);
}

BOOL CScrollView::OnScrollBy(int nBar, UINT nSBCode)
{
    SCROLLINFO si = { sizeof(si) };
    si.fMask = SIF_ALL;
    ::GetScrollInfo(m_hWnd, nBar, &si);
    POINT pos = GetScrollPosition();
    int cur = nBar == SB_HORZ ? pos.x : pos.y;
    int line = nBar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy;
    int page = nBar == SB_HORZ ? m_pageDev.cx : m_pageDev.cy;
    int next = cur;
    switch (nSBCode) {
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = si.nMax; break;
    case SB_LINEUP: next = cur - line; break;
    case SB_LINEDOWN: next = cur + line; break;
    case SB_PAGEUP: next = cur - page; break;
    case SB_PAGEDOWN: next = cur + page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = si.nTrackPos; break;
    default: return FALSE;
    }
    if (nBar == SB_HORZ)
        ScrollToDevicePosition(next, pos.y);
    else
        ScrollToDevicePosition(pos.x, next);
    POINT now = GetScrollPosition();
    return now.x != pos.x || now.y != pos.y;
}

void CScrollView::OnSize(UINT, int, int)
{
    Default();
    UpdateBars();
}

void CScrollView::OnHScroll(UINT nSBCode, UINT, HWND)
{
    OnScrollBy(SB_HORZ, nSBCode);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT, HWND)
{
    OnScrollBy(SB_VERT, nSBCode);
}

BOOL CScrollView::OnMouseWheel(UINT, short zDelta, POINT)
{
    m_nWheelRemainder += zDelta;
    int notches = m_nWheelRemainder / WHEEL_DELTA;
    m_nWheelRemainder -= notches * WHEEL_DELTA;
    if (notches == 0)
        return TRUE;
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    POINT pos = GetScrollPosition();
    ScrollToDevicePosition(pos.x, pos.y - notches * static_cast<int>(lines) * m_lineDev.cy);
    return TRUE;
}
