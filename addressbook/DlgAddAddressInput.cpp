#include "addressbook/DlgAddAddressInput.h"

#include "resources/addressbook/AddressbookResource.h"

CDlgAddAddressInput::CDlgAddAddressInput(CWnd* pParent) : CDialog(IDD_ADD_ADDRESS_INPUT, pParent)
{
}

void CDlgAddAddressInput::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_ENTRY_NAME, m_strName);
    DDX_Text(pDX, IDC_ENTRY_ADDRESS, m_strAddress);
    DDX_Text(pDX, IDC_ENTRY_MEMO, m_strMemo);
}
