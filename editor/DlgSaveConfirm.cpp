#include "editor/DlgSaveConfirm.h"

#include "resources/editor/EditorWindowResource.h"

CDlgSaveConfirm::CDlgSaveConfirm(BOOL bCancelAllowed, CWnd* pParent)
    : CDialog(IDD_SAVE_CONFIRM, pParent), m_bCancelAllowed(bCancelAllowed)
{
}

BOOL CDlgSaveConfirm::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_bCancelAllowed)
        ::EnableWindow(GetDlgItemHwnd(IDCANCEL), FALSE);
    return TRUE;
}

BOOL CDlgSaveConfirm::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_SC_DISCARD && HIWORD(wParam) == BN_CLICKED) {
        EndDialog(resultDiscard);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgSaveConfirm::OnCancel()
{
    // Esc and the close box count as Cancel only while Cancel is offered.
    if (m_bCancelAllowed)
        CDialog::OnCancel();
}
