#include "settings/PropertyAccountInfo.h"

#include "resources/settings/SettingsResource.h"
#include "settings/PropertyAccountConnect.h"
#include "settings/PropertyAccountReceive.h"

CPropertyAccountInfo::CPropertyAccountInfo(AccountFieldValues* pFields)
    : CAccountPage(IDD_ACCOUNT_INFO, 0, pFields)
{
}

void CPropertyAccountInfo::SetProtocolPages(CPropertyAccountConnect* pConnect, CPropertyAccountReceive* pReceive)
{
    m_pConnect = pConnect;
    m_pReceive = pReceive;
}

void CPropertyAccountInfo::SetProtocol(int nProtocol)
{
    SetDlgItemText(IDC_ACC_RECV_SERVER_LABEL, nProtocol ? "IMAPサーバ名" : "POPサーバ名");
}

void CPropertyAccountInfo::OnControl(int nId, int nCode)
{
    switch (nId) {
    case IDC_ACC_RECV_SERVER:
        // Until an SMTP server has been taken, it follows the receive server.
        if (nCode == EN_CHANGE && m_pFields->Text(IDC_ACC_SMTP_SERVER).IsEmpty())
            SetDlgItemText(IDC_ACC_SMTP_SERVER, GetDlgItemText(IDC_ACC_RECV_SERVER));
        break;
    case IDC_ACC_POP3:
    case IDC_ACC_IMAP4:
        if (nCode == BN_CLICKED) {
            UpdateData(TRUE);
            int protocol = m_pFields->Value(IDC_ACC_POP3);
            SetProtocol(protocol);
            if (m_pConnect)
                m_pConnect->SetProtocol(protocol != 0, -1);
            if (m_pReceive)
                m_pReceive->SetImap(protocol != 0);
        }
        break;
    default:
        break;
    }
    if (nCode == EN_SETFOCUS && (nId == IDC_ACC_ADDRESS || nId == IDC_ACC_RECV_SERVER || nId == IDC_ACC_SMTP_SERVER ||
                                 nId == IDC_ACC_RECV_USER))
        SwitchImeOff(nId);
}
