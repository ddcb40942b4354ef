#include "settings/ServerInfoForWizard.h"

#include "resources/settings/SettingsResource.h"
#include "settings/DlgAcountSetupWiz.h"

CServerInfoForWizard::CServerInfoForWizard(CDlgAcountSetupWiz* pWizard)
    : CAccountWizardPage(IDD_WIZ_SERVER_INFO, 1, pWizard)
{
}

BOOL CServerInfoForWizard::OnInitDialog()
{
    CAccountWizardPage::OnInitDialog();
    ShowProtocol();
    return TRUE;
}

DWORD CServerInfoForWizard::GetButtons()
{
    bool filled = IsFilled(IDC_ACC_RECV_USER) && IsFilled(IDC_ACC_RECV_SERVER) && IsFilled(IDC_ACC_SMTP_SERVER);
    return filled ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK;
}

void CServerInfoForWizard::ShowProtocol()
{
    bool imap = Fields().Value(IDC_ACC_POP3) != 0;
    SetDlgItemText(IDC_ACC_RECV_SERVER_LABEL, imap ? "*IMAPサーバ名" : "*POPサーバ名");
}

void CServerInfoForWizard::OnControl(int nId, int nCode)
{
    switch (nId) {
    case IDC_ACC_RECV_SERVER:
        // Until an SMTP server has been taken, it follows the receive server.
        if (nCode == EN_CHANGE && Fields().Text(IDC_ACC_SMTP_SERVER).IsEmpty())
            SetDlgItemText(IDC_ACC_SMTP_SERVER, GetDlgItemText(IDC_ACC_RECV_SERVER));
        break;
    case IDC_ACC_POP3:
    case IDC_ACC_IMAP4:
        if (nCode == BN_CLICKED) {
            UpdateData(TRUE);
            ShowProtocol();
            m_pWizard->OnProtocolChanged();
        }
        break;
    default:
        break;
    }
    if (nCode == EN_SETFOCUS &&
        (nId == IDC_ACC_RECV_SERVER || nId == IDC_ACC_SMTP_SERVER || nId == IDC_ACC_RECV_USER ||
         nId == IDC_ACC_RECV_PASSWORD))
        SwitchImeOff(nId);
}
