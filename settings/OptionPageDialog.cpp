#include "settings/OptionPageDialog.h"

CDialog* COptionPageDialog::GetSettingsDialog() const
{
    HWND tab = ::GetParent(m_hWnd);
    HWND dlg = tab ? ::GetParent(tab) : nullptr;
    return dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(dlg));
}

BOOL COptionPageDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
        CDialog* dlg = GetSettingsDialog();
        WPARAM key = pMsg->wParam;
        if (dlg && ((ctrl && (key == VK_TAB || key == VK_NEXT || key == VK_PRIOR)) || key == VK_RETURN))
            return dlg->PreTranslateMessage(pMsg);
        if (dlg && key == VK_ESCAPE) {
            // As the dialog's own Cancel: it may ask to keep changes and
            // write what is pending before it ends.
            dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}
