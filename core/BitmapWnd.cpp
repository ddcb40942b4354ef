#include "core/BitmapWnd.h"

BEGIN_MESSAGE_MAP(CBitmapWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CBitmapWnd::CreatePictureWindow(CWnd* pParent, UINT nID, int x, int y)
{
    const char* cls = AfxRegisterWndClass("CVMBitmapWnd", 0, LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
    RECT rc = { x, y, x + m_picture.Width(), y + m_picture.Height() };
    return Create(cls, "", WS_VISIBLE, rc, pParent, nID);
}

void CBitmapWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    m_picture.Draw(hdc, 0, 0);
    EndPaint(m_hWnd, &ps);
}

void CBitmapWnd::OnDestroy()
{
    m_picture.Free();
    Default();
}
