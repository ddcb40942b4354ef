#include "settings/DownloadSettingForWizard.h"

#include "resources/settings/SettingsResource.h"

CDownloadSettingForWizard::CDownloadSettingForWizard(CDlgAcountSetupWiz* pWizard)
    : CAccountWizardPage(IDD_WIZ_DOWNLOAD, 3, pWizard)
{
}

BOOL CDownloadSettingForWizard::OnInitDialog()
{
    CAccountWizardPage::OnInitDialog();
    UpdateEnabling();
    return TRUE;
}

BOOL CDownloadSettingForWizard::OnSetActive()
{
    CAccountWizardPage::OnSetActive();
    UpdateEnabling();
    return TRUE;
}

void CDownloadSettingForWizard::UpdateEnabling()
{
    ::EnableWindow(GetDlgItemHwnd(IDC_ACC_SIZE_LIMIT), IsDlgButtonChecked(IDC_ACC_SIZE_LIMIT_ON) == BST_CHECKED);
    // The IMAP directory is only offered for IMAP4; the account settings
    // dialog is where it is kept.
    ::EnableWindow(GetDlgItemHwnd(IDC_ACC_IMAP_DIR), Fields().Value(IDC_ACC_POP3) != 0);
}

void CDownloadSettingForWizard::OnControl(int nId, int nCode)
{
    if (nId == IDC_ACC_SIZE_LIMIT_ON && nCode == BN_CLICKED)
        UpdateEnabling();
}
