// CPropertyAccountReceive: the account page "受信設定".
#pragma once

#include "settings/AccountPage.h"

class CPropertyAccountReceive : public CAccountPage
{
public:
    explicit CPropertyAccountReceive(AccountFieldValues* pFields);
    BOOL OnInitDialog() override;
    void UpdateEnabling() override;
    // The IMAP directory is offered for IMAP4 only.
    void SetImap(bool bImap);

protected:
    void OnControl(int nId, int nCode) override;
};
