// The main window's keys: its accelerators and menu short-cut texts from
// "MainWnd.key", and the global hot keys.
#include "mainwnd/MainFrame.h"

#include "core/DlgInputPassword.h"
#include "core/QuendalApp.h"
#include "mainwnd/KeyAssignDialog.h"
#include "resources/resource.h"

namespace {

const UINT kMsgSetIconCommand = WM_USER + 398;
// Sent by a second start or a helper with the same meaning as WM_HOTKEY.
const UINT kMsgHotKey = WM_USER + 401;
const UINT kMsgTrayCallback = WM_USER + 371;

} // namespace

BOOL CMainFrame::SetupKeys()
{
    CQuendalApp* pApp = QuendalApp();
    return pApp && pApp->SetupAccelerators(0, this, nullptr, 0, IDR_MAINFRAME);
}

BOOL CMainFrame::PreTranslateKeyMessage(MSG* pMsg)
{
    if (pMsg->message == kMsgSetIconCommand) {
        m_nIconCommand = static_cast<UINT>(pMsg->wParam);
        return TRUE;
    }
    if (pMsg->message != WM_HOTKEY && pMsg->message != kMsgHotKey)
        return FALSE;
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || pMsg->wParam == 0)
        return TRUE;
    const WPARAM id = pMsg->wParam;
    if (id == pApp->m_hotKeyAtoms[CQuendalApp::hotKeyFront]) {
        BringWindowToTop();
        ::SetForegroundWindow(m_hWnd);
        PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        // A mailbox password asked for meanwhile stays in front of the
        // window it guards, with the focus to type it.
        CWnd* pPassword = pApp->m_pPasswordDialog;
        if (pPassword && pPassword->m_hWnd) {
            ::SetWindowPos(pPassword->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            ::SetForegroundWindow(pPassword->m_hWnd);
            ::SetFocus(pPassword->m_hWnd);
        }
    } else if (id == pApp->m_hotKeyAtoms[CQuendalApp::hotKeyEditor]) {
        pApp->ActivateEditThread();
    } else if (id == pApp->m_hotKeyAtoms[CQuendalApp::hotKeyTrayMenu]) {
        PostMessage(kMsgTrayCallback, 0, WM_RBUTTONDOWN);
    } else if (id == pApp->m_hotKeyAtoms[CQuendalApp::hotKeyNotify]) {
        StartReceiveNotifyThread();
    }
    return TRUE;
}

void CMainFrame::OnKeyAssign()
{
    CKeyAssignDialog dlg(this);
    dlg.DoModal();
}
