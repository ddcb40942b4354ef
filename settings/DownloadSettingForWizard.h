// CDownloadSettingForWizard: the wizard's page "受信設定".
#pragma once

#include "settings/AccountWizardPage.h"

class CDownloadSettingForWizard : public CAccountWizardPage
{
public:
    explicit CDownloadSettingForWizard(CDlgAcountSetupWiz* pWizard);
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

protected:
    void OnControl(int nId, int nCode) override;

private:
    void UpdateEnabling();
};
