#include "settings/ConnectInfoForWizard.h"

#include "resources/settings/SettingsResource.h"
#include "settings/DlgAcountSetupWiz.h"

#include <imm.h>

#include <vector>

void FillDialEntryCombo(HWND hCombo)
{
    HMODULE lib = ::GetModuleHandleA("Vonlink.dll");
    if (!lib)
        return;
    typedef DWORD(WINAPI * EnumEntries)(const char*, const char*, void*, DWORD*, DWORD*);
    auto enumEntries = reinterpret_cast<EnumEntries>(reinterpret_cast<void*>(::GetProcAddress(lib, "QDRasEnumEntries")));
    if (!enumEntries)
        return;
    // 128 entries of 264 bytes, each with its size field set.
    const DWORD entrySize = 264;
    std::vector<BYTE> buffer(128 * entrySize);
    for (size_t i = 0; i < 128; ++i)
        *reinterpret_cast<DWORD*>(&buffer[i * entrySize]) = entrySize;
    DWORD size = static_cast<DWORD>(buffer.size()), count = 0;
    if (enumEntries(nullptr, nullptr, buffer.data(), &size, &count) != 0)
        return;
    for (DWORD i = 0; i < count && i < 128; ++i) {
        char name[entrySize] = "";
        lstrcpynA(name, reinterpret_cast<const char*>(&buffer[i * entrySize + sizeof(DWORD)]), entrySize - 4);
        ::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

CConnectInfoForWizard::CConnectInfoForWizard(CDlgAcountSetupWiz* pWizard)
    : CAccountWizardPage(IDD_WIZ_CONNECT_INFO, 2, pWizard)
{
}

BOOL CConnectInfoForWizard::OnInitDialog()
{
    FillDialEntryCombo(GetDlgItemHwnd(IDC_ACC_DIAL_ENTRY));
    ::ImmAssociateContext(GetDlgItemHwnd(IDC_ACC_SMTP_PORT), nullptr);
    ::ImmAssociateContext(GetDlgItemHwnd(IDC_ACC_RECV_PORT), nullptr);
    CAccountWizardPage::OnInitDialog();
    return TRUE;
}

BOOL CConnectInfoForWizard::OnSetActive()
{
    CAccountWizardPage::OnSetActive();
    ApplyProtocol(Fields().Value(IDC_ACC_POP3));
    return TRUE;
}

void CConnectInfoForWizard::ApplyProtocol(int nProtocol)
{
    if (!m_hWnd || nProtocol == m_nShownProtocol)
        return;
    bool first = m_nShownProtocol < 0;
    m_nShownProtocol = nProtocol;
    SetDlgItemText(IDC_ACC_RECV_PORT_LABEL, nProtocol ? "IMAPポート番号" : "POP3ポート番号");
    SetDlgItemText(IDC_ACC_AUTH_SECOND,
                   nProtocol ? "CARM-MD5で認証" : "APOPで認証 (サーバがAPOPに対応している場合)");
    // The page opens on the ports of the record; a change of protocol
    // afterwards brings that protocol's port.
    if (!first || nProtocol) {
        const char* port = nProtocol ? "143" : "110";
        Fields().Text(IDC_ACC_RECV_PORT) = port;
        SetDlgItemText(IDC_ACC_RECV_PORT, port);
    }
}

void CConnectInfoForWizard::OnControl(int nId, int nCode)
{
    if (nId == IDC_ACC_DEFAULT_PORTS && nCode == BN_CLICKED) {
        SetDlgItemText(IDC_ACC_RECV_PORT, m_nShownProtocol == 1 ? "143" : "110");
        SetDlgItemText(IDC_ACC_SMTP_PORT, "25");
    } else if (nId == IDC_ACC_DIAL_ENTRY && nCode == CBN_SELCHANGE) {
        UpdateData(TRUE);
    }
}
