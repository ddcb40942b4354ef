// CServerInfoForWizard: the wizard's page "サーバの情報" (protocol, servers,
// user and password).
#pragma once

#include "settings/AccountWizardPage.h"

class CServerInfoForWizard : public CAccountWizardPage
{
public:
    explicit CServerInfoForWizard(CDlgAcountSetupWiz* pWizard);
    BOOL OnInitDialog() override;

protected:
    DWORD GetButtons() override;
    void OnControl(int nId, int nCode) override;

private:
    void ShowProtocol();
};
