// CPropertyAccountSend: the account page "送信設定".
#pragma once

#include "settings/AccountPage.h"

class CPropertyAccountSend : public CAccountPage
{
public:
    explicit CPropertyAccountSend(AccountFieldValues* pFields);
    void UpdateEnabling() override;

protected:
    void OnControl(int nId, int nCode) override;
};
