#include "core/BuddySpinButton.h"

#include "classlib/FrameWnd.h"

namespace {

// The nearest frame among the spin button's parents; the top-level window
// when none of them is a frame of ours.
HWND ParentFrame(HWND hWnd)
{
    for (HWND h = ::GetParent(hWnd); h; h = ::GetParent(h)) {
        if (dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(h)))
            return h;
    }
    return ::GetAncestor(hWnd, GA_ROOT);
}

} // namespace

BEGIN_MESSAGE_MAP(CBuddySpinButton, CSpinButtonCtrl)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
END_MESSAGE_MAP()

LRESULT CBuddySpinButton::OnLButtonDown(WPARAM wParam, LPARAM lParam)
{
    RECT rc;
    GetClientRect(&rc);
    int y = static_cast<short>(HIWORD(lParam));
    UINT message = y < (rc.bottom - rc.top) / 2 ? WM_QD_SPIN_UP : WM_QD_SPIN_DOWN;
    HWND hFrame = ParentFrame(m_hWnd);
    if (hFrame && hFrame != m_hWnd)
        ::PostMessageA(hFrame, message, 0, 0);
    (void)wParam;
    return Default();
}
