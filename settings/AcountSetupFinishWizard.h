// CAcountSetupFinishWizard: the wizard's last page "アカウント名".
#pragma once

#include "settings/AccountWizardPage.h"

class CAcountSetupFinishWizard : public CAccountWizardPage
{
public:
    explicit CAcountSetupFinishWizard(CDlgAcountSetupWiz* pWizard);
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnWizardFinish() override;

    int m_bJoinRoute = 1;

protected:
    DWORD GetButtons() override;
};
