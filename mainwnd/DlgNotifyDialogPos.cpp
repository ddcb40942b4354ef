#include "mainwnd/DlgNotifyDialogPos.h"

#include "core/QuendalApp.h"
#include "mainwnd/DlgNotifyDialogSetting.h"
#include "mainwnd/NotifyWndLayout.h"
#include "resources/keys/KeysResource.h"

#include <cstdlib>

CDlgNotifyDialogPos::CDlgNotifyDialogPos(CWnd* pParent) : CDialog(IDD_NOTIFY_POSITION, pParent)
{
    if (CQuendalApp* pApp = QuendalApp()) {
        m_nOpenStyle = pApp->GetProfileInt("Window", "NotifyUserWindowOpenStyle", 0);
        m_nOpenTime = pApp->GetProfileInt("Window", "NotifyUserWindowOpenTime", 10);
    }
}

BOOL CDlgNotifyDialogPos::OnInitDialog()
{
    // As large as the notification window, in the middle of the screen.
    const int cx = NotifyWndLayout::kWidth, cy = NotifyWndLayout::kHeight + 4;
    RECT work = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(nullptr, (work.left + work.right - cx) / 2, (work.top + work.bottom - cy) / 2, cx, cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    CheckDlgButton(IDC_NOTIFY_FROM_TOP, m_nOpenStyle == 1 ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(IDC_NOTIFY_FROM_BOTTOM, m_nOpenStyle == 1 ? BST_CHECKED : BST_UNCHECKED);
    CString seconds;
    seconds.Format("%d", m_nOpenTime);
    SetDlgItemText(IDC_NOTIFY_SECONDS, seconds);
    return TRUE;
}

BOOL CDlgNotifyDialogPos::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_NOTIFY_DETAILS && HIWORD(wParam) == BN_CLICKED) {
        CDlgNotifyDialogSetting dlg(this);
        dlg.DoModal();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgNotifyDialogPos::OnOK()
{
    m_nOpenStyle = IsDlgButtonChecked(IDC_NOTIFY_FROM_BOTTOM) == BST_CHECKED ? 1 : 0;
    m_nOpenTime = static_cast<int>(std::strtol(GetDlgItemText(IDC_NOTIFY_SECONDS), nullptr, 10));
    if (m_nOpenTime < 0)
        m_nOpenTime = 0;
    RECT rc = {};
    ::GetWindowRect(m_hWnd, &rc);
    if (CQuendalApp* pApp = QuendalApp()) {
        pApp->WriteProfileInt("Window", "NotifyUserWindowOpenStyle", m_nOpenStyle);
        pApp->WriteProfileInt("Window", "NotifyUserWindowOpenTime", m_nOpenTime);
        pApp->WriteProfileInt("Window", "NotifyUserWindowPosLeft", rc.left);
        // Rising from the bottom, the window keeps its bottom edge here.
        pApp->WriteProfileInt("Window", "NotifyUserWindowPosTop", m_nOpenStyle == 1 ? rc.bottom - 2 : rc.top);
    }
    EndDialog(IDOK);
}
