#include "core/SplashWnd.h"

#include "classlib/GdiSelection.h"

#include "core/QuendalApp.h"

bool CSplashWnd::s_bEnabled = false;
CSplashWnd* CSplashWnd::s_pSplash = nullptr;

namespace {
const UINT_PTR kTimerHide = 200;
}

BEGIN_MESSAGE_MAP(CSplashWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_TIMER()
END_MESSAGE_MAP()

void CSplashWnd::ShowSplashScreen(CWnd* pParentWnd)
{
    if (!s_bEnabled || s_pSplash)
        return;
    CSplashWnd* pSplash = new CSplashWnd;
    CQuendalApp* pApp = QuendalApp();
    CString path = (pApp ? pApp->GetProgramFolder() : CString(".")) + "\\CVM.bmp";
    if (!pSplash->m_picture.Load(path) || !pSplash->Create(pParentWnd)) {
        if (pSplash->m_hWnd)
            pSplash->DestroyWindow();  // deletes itself
        else
            delete pSplash;
        return;
    }
    pSplash->UpdateWindow();
}

BOOL CSplashWnd::Create(CWnd* pParentWnd)
{
    const char* cls = AfxRegisterWndClass("CVMSplashWnd", 0, LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
    int frame = GetSystemMetrics(SM_CXDLGFRAME);
    s_pSplash = this;
    if (!CreateEx(0, cls, "", WS_POPUP | WS_VISIBLE | WS_DLGFRAME, 0, 0, m_picture.Width() + frame,
                  m_picture.Height() + frame, pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr)) {
        s_pSplash = nullptr;
        return FALSE;
    }
    return TRUE;
}

int CSplashWnd::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CenterWindow();
    SetTimer(kTimerHide, 1000);
    return 0;
}

void CSplashWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT rc;
    GetClientRect(&rc);
    FillRect(hdc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HPEN dark = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN red = CreatePen(PS_SOLID, 1, RGB(127, 0, 0));
    {
        CGdiSelection selDark(hdc, dark);
        MoveToEx(hdc, rc.left, rc.bottom - 1, nullptr);
        LineTo(hdc, rc.left, rc.top);
        LineTo(hdc, rc.right - 1, rc.top);
        CGdiSelection selRed(hdc, red);
        LineTo(hdc, rc.right - 1, rc.bottom - 1);
        LineTo(hdc, rc.left, rc.bottom - 1);
    }
    DeleteObject(dark);
    DeleteObject(red);
    m_picture.Draw(hdc, 0, 0);
    EndPaint(m_hWnd, &ps);
}

void CSplashWnd::OnTimer(UINT_PTR)
{
    KillTimer(kTimerHide);
    HideSplashScreen();
}

void CSplashWnd::PostNcDestroy()
{
    if (s_pSplash == this)
        s_pSplash = nullptr;
    delete this;
}

BOOL CSplashWnd::PreTranslateAppMessage(MSG* pMsg)
{
    if (!s_pSplash)
        return FALSE;
    switch (pMsg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        HideSplashScreen();
        return TRUE;
    default:
        return FALSE;
    }
}

void CSplashWnd::HideSplashScreen()
{
    if (s_pSplash && s_pSplash->m_hWnd)
        s_pSplash->DestroyWindow();
    if (CWnd* pMain = AfxGetMainWnd())
        if (pMain->m_hWnd)
            pMain->UpdateWindow();
}
