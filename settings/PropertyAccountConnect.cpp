#include "settings/PropertyAccountConnect.h"

#include "resources/settings/SettingsResource.h"
#include "settings/ConnectInfoForWizard.h"

#include <commctrl.h>
#include <imm.h>

CPropertyAccountConnect::CPropertyAccountConnect(AccountFieldValues* pFields)
    : CAccountPage(IDD_ACCOUNT_CONNECT, 1, pFields)
{
}

BOOL CPropertyAccountConnect::OnInitDialog()
{
    FillDialEntryCombo(GetDlgItemHwnd(IDC_ACC_DIAL_ENTRY));
    ::SendMessageA(GetDlgItemHwnd(IDC_ACC_TIMEOUT), TBM_SETRANGE, TRUE, MAKELPARAM(5, 65));
    ::ImmAssociateContext(GetDlgItemHwnd(IDC_ACC_SMTP_PORT), nullptr);
    ::ImmAssociateContext(GetDlgItemHwnd(IDC_ACC_RECV_PORT), nullptr);
    return CAccountPage::OnInitDialog();
}

void CPropertyAccountConnect::SetProtocol(bool bImap, int nPort)
{
    int protocol = bImap ? 1 : 0;
    if (protocol == m_nShownProtocol)
        return;
    m_nShownProtocol = protocol;
    if (m_hWnd)
        UpdateData(TRUE);
    SetDlgItemText(IDC_ACC_RECV_PORT_LABEL, bImap ? "IMAPポート番号" : "POP3ポート番号");
    SetDlgItemText(IDC_ACC_AUTH_SECOND, bImap ? "CARM-MD5で認証" : "APOPで認証");
    SetDlgItemText(IDC_ACC_RECV_TLS, bImap ? "IMAPS" : "POP3S");
    CString port;
    port.Format("%d", nPort != -1 ? nPort : DefaultReceivePort(protocol));
    m_pFields->Text(IDC_ACC_RECV_PORT) = port;
    if (m_hWnd)
        UpdateData(FALSE);
}

void CPropertyAccountConnect::UpdateLineControls()
{
    BOOL dialUp = IsChecked(IDC_ACC_DIALUP);
    for (int id : { IDC_ACC_DIAL_ENTRY, IDC_ACC_HANGUP, IDC_ACC_KEEP_LINE, IDC_ACC_DIAL_USER, IDC_ACC_DIAL_PASSWORD })
        EnableControl(id, dialUp);
}

void CPropertyAccountConnect::OnControl(int nId, int nCode)
{
    if ((nId == IDC_ACC_LAN || nId == IDC_ACC_DIALUP) && nCode == BN_CLICKED)
        UpdateLineControls();
    else if (nId == IDC_ACC_DIAL_ENTRY && nCode == CBN_SELCHANGE)
        UpdateData(TRUE);
}
