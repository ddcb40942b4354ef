// CConnectInfoForWizard: the wizard's page "接続情報" (ports,
// authentication, POP before SMTP, LAN or dial-up).
#pragma once

#include "settings/AccountWizardPage.h"

class CConnectInfoForWizard : public CAccountWizardPage
{
public:
    explicit CConnectInfoForWizard(CDlgAcountSetupWiz* pWizard);
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Shows the receive port label, port and second authentication choice
    // of the protocol (0 POP3, else IMAP4), when it is not the one shown.
    void ApplyProtocol(int nProtocol);

protected:
    void OnControl(int nId, int nCode) override;

private:
    int m_nShownProtocol = -1;
};

// Adds the dial-up library's phone-book entry names to a combo box; nothing
// when the library or its export is missing.
void FillDialEntryCombo(HWND hCombo);
