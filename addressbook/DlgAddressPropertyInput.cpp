#include "addressbook/DlgAddressPropertyInput.h"

#include "resources/addressbook/AddressbookResource.h"

CDlgAddressPropertyInput::CDlgAddressPropertyInput(CWnd* pParent) : CDialog(IDD_ADDRESS_PROPERTY_INPUT, pParent)
{
}

void CDlgAddressPropertyInput::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_PROPERTY_NAME, m_strName);
    DDX_Text(pDX, IDC_PROPERTY_VALUE, m_strValue);
}
