#include "settings/PropertyAccountReceive.h"

#include "resources/settings/SettingsResource.h"

#include <commctrl.h>

CPropertyAccountReceive::CPropertyAccountReceive(AccountFieldValues* pFields)
    : CAccountPage(IDD_ACCOUNT_RECEIVE, 2, pFields)
{
}

BOOL CPropertyAccountReceive::OnInitDialog()
{
    ::SendMessageA(GetDlgItemHwnd(IDC_ACC_DELETE_DAYS_SPIN), UDM_SETRANGE32, 0, 365);
    return CAccountPage::OnInitDialog();
}

void CPropertyAccountReceive::UpdateEnabling()
{
    BOOL leave = IsChecked(IDC_ACC_LEAVE_ON_SERVER);
    EnableControl(IDC_ACC_DELETE_DAYS, leave);
    EnableControl(IDC_ACC_DELETE_DAYS_SPIN, leave);
    EnableControl(IDC_ACC_SIZE_LIMIT, IsChecked(IDC_ACC_SIZE_LIMIT_ON));
}

void CPropertyAccountReceive::SetImap(bool bImap)
{
    EnableControl(IDC_ACC_IMAP_DIR, bImap);
}

void CPropertyAccountReceive::OnControl(int nId, int nCode)
{
    if ((nId == IDC_ACC_LEAVE_ON_SERVER || nId == IDC_ACC_SIZE_LIMIT_ON) && nCode == BN_CLICKED)
        UpdateEnabling();
}
