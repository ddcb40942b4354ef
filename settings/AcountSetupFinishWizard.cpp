#include "settings/AcountSetupFinishWizard.h"

#include "resources/settings/SettingsResource.h"
#include "settings/DlgAcountSetupWiz.h"

CAcountSetupFinishWizard::CAcountSetupFinishWizard(CDlgAcountSetupWiz* pWizard)
    : CAccountWizardPage(IDD_WIZ_FINISH, 4, pWizard)
{
}

void CAcountSetupFinishWizard::DoDataExchange(CDataExchange* pDX)
{
    CAccountWizardPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_ACC_JOIN_ROUTE, m_bJoinRoute);
}

DWORD CAcountSetupFinishWizard::GetButtons()
{
    return IsFilled(IDC_ACC_ACCOUNT_NAME) ? PSWIZB_BACK | PSWIZB_FINISH : PSWIZB_BACK | PSWIZB_DISABLEDFINISH;
}

BOOL CAcountSetupFinishWizard::OnWizardFinish()
{
    if (!UpdateData(TRUE))
        return FALSE;
    m_pWizard->TakeResult();
    return TRUE;
}
