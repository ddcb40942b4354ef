#include "core/DblClickEdit.h"

BEGIN_MESSAGE_MAP(CDblClickEdit, CEdit)
    ON_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
END_MESSAGE_MAP()

LRESULT CDblClickEdit::OnLButtonDblClk(WPARAM wParam, LPARAM lParam)
{
    if (HWND hParent = ::GetParent(m_hWnd))
        ::SendMessageA(hParent, WM_LBUTTONDBLCLK, wParam, lParam);
    return Default();
}
