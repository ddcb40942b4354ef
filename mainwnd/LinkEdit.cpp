#include "mainwnd/LinkEdit.h"

#include "core/QuendalApp.h"

LRESULT CLinkEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        if (HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND)) {
            ::SetCursor(hand);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        if (CQuendalApp* pApp = QuendalApp()) {
            CString text = GetWindowText();
            text.Trim();
            if (!text.IsEmpty())
                pApp->ShellOpenFile("open", text, nullptr);
        }
        return 0;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
