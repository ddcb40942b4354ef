#include "viewer/HeaderViewFrame.h"

#include "resources/shownmail/ShownMailResource.h"
#include "viewer/ColorTextView.h"
#include "viewer/TextPrinter.h"
#include "viewer/ViewerProfile.h"

BEGIN_MESSAGE_MAP(CHeaderViewFrame, CFrameWnd)
    ON_MESSAGE(WM_DESTROY, OnDestroyMsg)
    ON_MESSAGE(WM_ACTIVATE, OnActivateMsg)
END_MESSAGE_MAP()

CHeaderViewFrame::CHeaderViewFrame()
{
    m_nScrollMode = ViewerProfile::GetInt("ViewOption", "SpaceScroll", 1);
}

BOOL CHeaderViewFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.x = ViewerProfile::GetInt("HeaderWindow", "Left", 40);
    cs.y = ViewerProfile::GetInt("HeaderWindow", "Top", 40);
    cs.cx = ViewerProfile::GetInt("HeaderWindow", "Width", 590);
    cs.cy = ViewerProfile::GetInt("HeaderWindow", "Height", 400);
    HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_HEADER_WINDOW));
    cs.lpszClass = AfxRegisterWndClass("CVMHeaderWndClass", CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    return TRUE;
}

BOOL CHeaderViewFrame::OnCreateClient(LPCREATESTRUCTA)
{
    m_pView = new CColorTextView;
    RECT rc = {0, 0, 100, 100};
    if (!m_pView->Create(this, AFX_IDW_PANE_FIRST, rc)) {
        delete m_pView;
        m_pView = nullptr;
        return FALSE;
    }
    SetActiveView(m_pView);
    return TRUE;
}

LRESULT CHeaderViewFrame::OnActivateMsg(WPARAM wParam, LPARAM)
{
    Default();
    if (LOWORD(wParam) != WA_INACTIVE && m_pView && m_pView->GetSafeHwnd())
        m_pView->SetFocus();
    return 0;
}

LRESULT CHeaderViewFrame::OnDestroyMsg(WPARAM, LPARAM)
{
    // A minimised or maximised window does not say where the window belongs.
    if (!IsIconic() && !IsZoomed()) {
        RECT rc;
        GetWindowRect(&rc);
        if (CQuendalApp* app = QuendalApp()) {
            app->WriteProfileInt("HeaderWindow", "Left", rc.left);
            app->WriteProfileInt("HeaderWindow", "Top", rc.top);
            app->WriteProfileInt("HeaderWindow", "Width", rc.right - rc.left);
            app->WriteProfileInt("HeaderWindow", "Height", rc.bottom - rc.top);
        }
    }
    if (m_hAccelTable) {
        DestroyAcceleratorTable(m_hAccelTable);
        m_hAccelTable = nullptr;
    }
    return Default();
}

BOOL CHeaderViewFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    const bool run = nCode == static_cast<int>(CN_COMMAND);
    switch (nID) {
    case IDM_HW_CLOSE:
    case IDM_HW_ESCAPE:
        if (run)
            PostMessage(WM_CLOSE);
        return TRUE;
    case IDM_HW_SCROLL_DOWN:
    case IDM_HW_SCROLL_UP:
        if (run && m_pView)
            m_pView->ScrollText(m_nScrollMode, nID == IDM_HW_SCROLL_UP, FALSE);
        return TRUE;
    case IDM_TV_PRINT:
        if (run && m_pView)
            CTextPrinter::PrintView(m_pView, nullptr);
        return TRUE;
    case IDM_TV_PRINT_PREVIEW:
        if (run && m_pView)
            CTextPrinter::PreviewView(m_pView);
        return TRUE;
    case IDM_TV_PRINT_SETUP:
        if (run)
            CTextPrinter::PrinterSetup(m_hWnd);
        return TRUE;
    default:
        return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pResult);
    }
}
