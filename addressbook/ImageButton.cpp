#include "addressbook/ImageButton.h"

#include "addressbook/AddressNoteRules.h"

BEGIN_MESSAGE_MAP(CImageButton, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CImageButton::~CImageButton()
{
    if (m_hBrush)
        DeleteObject(m_hBrush);
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
}

BOOL CImageButton::SetFaceBitmap(UINT nBitmapId)
{
    m_hBitmap = static_cast<HBITMAP>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nBitmapId), IMAGE_BITMAP,
                                                0, 0, LR_DEFAULTCOLOR));
    if (m_hBitmap)
        m_hBrush = CreatePatternBrush(m_hBitmap);
    return m_hBrush != nullptr;
}

BOOL CImageButton::OnEraseBkgnd(HDC)
{
    return TRUE;
}

void CImageButton::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT rc;
    GetClientRect(&rc);
    FillRect(hdc, &rc, m_hBrush ? m_hBrush : GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(m_hWnd, &ps);
}

int CImageButton::ParentX(POINT point) const
{
    ::MapWindowPoints(m_hWnd, ::GetParent(m_hWnd), &point, 1);
    return point.x;
}

void CImageButton::DrawTrackBar(int x)
{
    HWND parent = ::GetParent(m_hWnd);
    RECT self;
    GetWindowRect(&self);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&self), 2);
    HDC hdc = ::GetDC(parent);
    PatBlt(hdc, x - 2, self.top, 4, self.bottom - self.top, DSTINVERT);
    ::ReleaseDC(parent, hdc);
}

void CImageButton::OnLButtonDown(UINT, POINT point)
{
    SetCapture(m_hWnd);
    m_bTracking = true;
    m_nTrackX = ParentX(point);
    DrawTrackBar(m_nTrackX);
}

void CImageButton::OnMouseMove(UINT, POINT point)
{
    if (!m_bTracking)
        return;
    RECT rc;
    ::GetClientRect(::GetParent(m_hWnd), &rc);
    int x = ParentX(point);
    if (x < 40)
        x = 40;
    if (x > rc.right - 40)
        x = rc.right - 40;
    if (x == m_nTrackX)
        return;
    DrawTrackBar(m_nTrackX);
    m_nTrackX = x;
    DrawTrackBar(m_nTrackX);
}

void CImageButton::OnLButtonUp(UINT, POINT point)
{
    if (!m_bTracking)
        return;
    DrawTrackBar(m_nTrackX);
    m_bTracking = false;
    ReleaseCapture();
    RECT rc;
    ::GetClientRect(::GetParent(m_hWnd), &rc);
    int x = AddressNoteRules::ClampSplitPos(ParentX(point), rc.right);
    ::SendMessageA(::GetParent(m_hWnd), kSplitterMoved, static_cast<WPARAM>(x), 0);
}

void CImageButton::OnCaptureChanged(HWND)
{
    if (m_bTracking) {
        DrawTrackBar(m_nTrackX);
        m_bTracking = false;
    }
}
