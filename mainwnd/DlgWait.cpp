#include "mainwnd/DlgWait.h"

#include "classlib/AppCore.h"
#include "resources/utils/UtilsResource.h"

namespace {

const UINT_PTR kDoneTimer = 130;

} // namespace

CDlgWait::CDlgWait(CWnd* pParent) : CDialog(IDD_WAIT, pParent)
{
}

BOOL CDlgWait::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_animation.SubclassDlgItem(IDC_WAIT_ANIMATION, this) &&
        m_animation.Open(AfxGetResourceHandle(), IDR_WAIT_AVI))
        m_animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    SetTimer(kDoneTimer, 1000);
    return TRUE;
}

LRESULT CDlgWait::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kDoneTimer) {
        if (m_bDone) {
            KillTimer(kDoneTimer);
            EndDialog(0);
        }
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
