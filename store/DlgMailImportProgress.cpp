#include "store/DlgMailImportProgress.h"

#include "resources/import/ImportResource.h"

CDlgMailImportProgress::CDlgMailImportProgress(CWnd* pParent) : CDialog(IDD_MAIL_IMPORT_PROGRESS, pParent)
{
}

BOOL CDlgMailImportProgress::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (CWnd* w : { &m_status, &m_progress, &m_count })
        if (w->m_hWnd)
            w->Detach();
    m_status.Attach(GetDlgItemHwnd(IDC_IMPORT_STATUS));
    m_progress.Attach(GetDlgItemHwnd(IDC_IMPORT_PROGRESS));
    m_count.Attach(GetDlgItemHwnd(IDC_IMPORT_COUNT));
    return TRUE;
}

void CDlgMailImportProgress::OnCancel()
{
    m_bCancel = 1;
    ::EnableWindow(GetDlgItemHwnd(IDCANCEL), FALSE);
}
