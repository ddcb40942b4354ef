#include "classlib/TreeView.h"

BEGIN_MESSAGE_MAP(CTreeView, CView)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CTreeView::~CTreeView()
{
    m_control.m_hWnd = nullptr;
}

BOOL CTreeView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.lpszClass = WC_TREEVIEWA;
    return TRUE;
}

CTreeCtrl& CTreeView::GetTreeCtrl() const
{
    m_control.m_hWnd = m_hWnd;
    return m_control;
}

void CTreeView::PostNcDestroy()
{
    m_control.m_hWnd = nullptr;
    CView::PostNcDestroy();
}
