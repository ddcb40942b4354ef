#include "settings/UserInfoForWizard.h"

#include "resources/settings/SettingsResource.h"

CUserInfoForWizard::CUserInfoForWizard(CDlgAcountSetupWiz* pWizard)
    : CAccountWizardPage(IDD_WIZ_USER_INFO, 0, pWizard)
{
}

DWORD CUserInfoForWizard::GetButtons()
{
    return IsFilled(IDC_ACC_ADDRESS) ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK;
}

void CUserInfoForWizard::OnControl(int nId, int nCode)
{
    if (nId == IDC_ACC_ADDRESS && nCode == EN_SETFOCUS)
        SwitchImeOff(nId);
}
