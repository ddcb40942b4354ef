#include "classlib/FormView.h"

#include "classlib/AppCore.h"
#include "classlib/Dialog.h"
#include "classlib/FrameWnd.h"
#include "classlib/WinApp.h"

BEGIN_MESSAGE_MAP(CFormView, CView)
    ON_WM_PAINT()
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

BOOL CFormView::Create(CWnd* pParent, UINT nID, const RECT& rect)
{
    HWND hWnd = AfxCreateDialogWindow(this, AfxLoadDialogTemplate(m_nIDTemplate), pParent ? pParent->m_hWnd : nullptr);
    if (!hWnd)
        return FALSE;
    ::SetWindowLongPtrA(hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    ::MoveWindow(hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
    ::ShowWindow(hWnd, SW_SHOWNA);
    return TRUE;
}

BOOL CFormView::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_hWnd || !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    // The dialog handling below takes every key, so the application's main
    // window sees them first: its keys work whichever of its panes has the
    // focus. (Windows of other threads keep the dialog handling first.)
    CFrameWnd* pFrame = GetParentFrame();
    CWinApp* pApp = AfxGetApp();
    if (pFrame && pFrame->m_hWnd && pApp && pFrame == pApp->m_pMainWnd && pFrame->PreTranslateMessage(pMsg))
        return TRUE;
    // Tab and arrow keys move between the form's controls, as in a dialog.
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

void CFormView::OnInitialUpdate()
{
    UpdateData(FALSE);
}

void CFormView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView)
{
    HWND hFocus = ::GetFocus();
    if (!bActivate && hFocus && ::IsChild(m_hWnd, hFocus))
        m_hWndFocus = hFocus;
    CView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

void CFormView::OnSetFocus(HWND hOldWnd)
{
    CView::OnSetFocus(hOldWnd);
    HWND hTarget = m_hWndFocus && ::IsChild(m_hWnd, m_hWndFocus) && ::IsWindowVisible(m_hWndFocus)
                       ? m_hWndFocus
                       : ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE);
    if (hTarget)
        ::SetFocus(hTarget);
}
