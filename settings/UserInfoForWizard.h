// CUserInfoForWizard: the wizard's page "名前とアドレス".
#pragma once

#include "settings/AccountWizardPage.h"

class CUserInfoForWizard : public CAccountWizardPage
{
public:
    explicit CUserInfoForWizard(CDlgAcountSetupWiz* pWizard);

protected:
    DWORD GetButtons() override;
    void OnControl(int nId, int nCode) override;
};
