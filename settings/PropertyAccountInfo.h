// CPropertyAccountInfo: the account page "アカウント情報".
#pragma once

#include "settings/AccountPage.h"

class CPropertyAccountConnect;
class CPropertyAccountReceive;

class CPropertyAccountInfo : public CAccountPage
{
public:
    explicit CPropertyAccountInfo(AccountFieldValues* pFields);
    // The pages that follow a change of protocol.
    void SetProtocolPages(CPropertyAccountConnect* pConnect, CPropertyAccountReceive* pReceive);
    // Relabels the receive server for the protocol (0 POP3, else IMAP4).
    void SetProtocol(int nProtocol);

protected:
    void OnControl(int nId, int nCode) override;

private:
    CPropertyAccountConnect* m_pConnect = nullptr;
    CPropertyAccountReceive* m_pReceive = nullptr;
};
