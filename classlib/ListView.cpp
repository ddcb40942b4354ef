#include "classlib/ListView.h"

BEGIN_MESSAGE_MAP(CListView, CView)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CListView::~CListView()
{
    m_control.m_hWnd = nullptr;
}

BOOL CListView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.lpszClass = WC_LISTVIEWA;
    return TRUE;
}

CListCtrl& CListView::GetListCtrl() const
{
    m_control.m_hWnd = m_hWnd;
    return m_control;
}

void CListView::DrawItem(DRAWITEMSTRUCT*)
{
}

void CListView::MeasureItem(MEASUREITEMSTRUCT*)
{
}

BOOL CListView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        *pResult = TRUE;
        return TRUE;
    }
    if (message == WM_MEASUREITEM) {
        MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        *pResult = TRUE;
        return TRUE;
    }
    return CView::OnChildNotify(message, wParam, lParam, pResult);
}

void CListView::PostNcDestroy()
{
    m_control.m_hWnd = nullptr;
    CView::PostNcDestroy();
}
