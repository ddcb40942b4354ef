#include "mainwnd/FolderPropertyPage.h"

void CFolderPropertyPage::OnOK()
{
    if (HWND hParent = ::GetParent(m_hWnd))
        ::SendMessageA(hParent, WM_COMMAND, IDOK, 0);
}

void CFolderPropertyPage::OnCancel()
{
    if (HWND hParent = ::GetParent(m_hWnd))
        ::SendMessageA(hParent, WM_COMMAND, IDCANCEL, 0);
}

BOOL CFolderPropertyPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Buttons of the page are the dialog's commands.
    if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) {
        if (HWND hParent = ::GetParent(m_hWnd)) {
            ::SendMessageA(hParent, WM_COMMAND, wParam, lParam);
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}
