#include "mainwnd/MainFrame.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "core/SplashWnd.h"
#include "resources/resource.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_QD_HANDOVER_REQUEST, OnHandOverRequest)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    // A second start of the program finds the running one by this class name.
    HICON hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    cs.lpszClass = AfxRegisterWndClass("CVMWndClass", CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1), hIcon);
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    m_hStatusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                   m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(0xE801)),
                                   AfxGetInstanceHandle(), nullptr);
    if (m_hStatusBar) {
        int parts[4] = { 300, 420, 520, -1 };
        ::SendMessageA(m_hStatusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
        ::SendMessageA(m_hStatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("レディ"));
    }
    CSplashWnd::ShowSplashScreen(this);
    return 0;
}

void CMainFrame::OnSize(UINT, int, int)
{
    Default();
    if (m_hStatusBar)
        ::SendMessageA(m_hStatusBar, WM_SIZE, 0, 0);
}

void CMainFrame::OnClose()
{
    CQuendalApp* pApp = QuendalApp();
    if (!CanCloseFrame())
        return;
    if (pApp)
        pApp->CloseAllThreads();
    CFrameWnd::OnClose();
}

LRESULT CMainFrame::OnHandOverRequest(WPARAM, LPARAM)
{
    CQuendalApp* pApp = QuendalApp();
    if (pApp && pApp->m_pCommThread && pApp->m_hCommThread &&
        WaitForSingleObject(pApp->m_hCommThread, 0) == WAIT_TIMEOUT)
        pApp->m_pCommThread->PostThreadMessage(WM_QD_HANDOVER_REQUEST, 0, 0);
    return 0;
}

void CMainFrame::OnAppExit()
{
    PostMessage(WM_CLOSE);
}

void CMainFrame::OnAppThreadMessage(UINT, WPARAM, LPARAM)
{
}

void CMainFrame::SaveFrameState()
{
    WINDOWPLACEMENT wp = { sizeof(wp) };
    if (!GetWindowPlacement(m_hWnd, &wp))
        return;
    if (CQuendalApp* pApp = QuendalApp())
        pApp->WriteProfileInt("Window", "Iconic", wp.showCmd == SW_SHOWMAXIMIZED ? 2 : 0);
}

void CMainFrame::ComposeFromCommandLine(const char* pszText)
{
    if (CQuendalApp* pApp = QuendalApp())
        pApp->OpenMailEditor(pszText);
}

void CMainFrame::SetLogIndicator(BOOL bOn)
{
    if (!m_hStatusBar)
        return;
    HICON hIcon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(),
                                                MAKEINTRESOURCEA(bOn ? IDI_LOG_ON : IDI_LOG_OFF), IMAGE_ICON, 16,
                                                16, LR_SHARED));
    ::SendMessageA(m_hStatusBar, SB_SETICON, 3, reinterpret_cast<LPARAM>(hIcon));
}
