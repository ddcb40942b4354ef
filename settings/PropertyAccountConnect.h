// CPropertyAccountConnect: the account page "接続情報" (ports, TLS,
// authentication, LAN or dial-up, time-out).
#pragma once

#include "settings/AccountPage.h"

class CPropertyAccountConnect : public CAccountPage
{
public:
    explicit CPropertyAccountConnect(AccountFieldValues* pFields);
    BOOL OnInitDialog() override;
    // Shows the protocol's receive port label, port, second authentication
    // choice and TLS label when it is not the one shown; a port other than
    // -1 then replaces the protocol's default port.
    void SetProtocol(bool bImap, int nPort);
    void UpdateLineControls();
    void UpdateEnabling() override { UpdateLineControls(); }

protected:
    void OnControl(int nId, int nCode) override;

private:
    int m_nShownProtocol = -1;
};
