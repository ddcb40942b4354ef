#include "classlib/FrameWnd.h"

#include "classlib/AppCore.h"
#include "classlib/WinApp.h"

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass) {
        HICON hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDResource));
        cs.lpszClass = AfxRegisterWndClass("CVMFrameWnd", CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd)
{
    m_nIDResource = nIDResource;
    m_dwFrameStyle = dwDefaultStyle & FWS_ADDTOTITLE;
    CString title;
    title.LoadString(nIDResource);
    int nl = title.Find('\n');
    m_strTitle = nl >= 0 ? title.Left(nl) : title;
    HMENU hMenu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    DWORD style = dwDefaultStyle & ~static_cast<DWORD>(FWS_ADDTOTITLE);
    if (!CreateEx(0, nullptr, m_strTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  pParentWnd ? pParentWnd->m_hWnd : nullptr, hMenu)) {
        if (hMenu)
            DestroyMenu(hMenu);
        return FALSE;
    }
    LoadAccelTable(nIDResource);
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(UINT nIDResource)
{
    if (m_hAccelTable)
        return FALSE;
    m_hAccelTable = LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    return m_hAccelTable != nullptr;
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    ShowWindow(nCmdShow == -1 ? SW_SHOW : nCmdShow);
    BringWindowToTop();
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable && m_hWnd)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg);
    return FALSE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pResult);
}

void CFrameWnd::OnClose()
{
    // Closing the main window first asks the application whether it may end.
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this && !pApp->SaveAllModified())
        return;
    DestroyWindow();
}
