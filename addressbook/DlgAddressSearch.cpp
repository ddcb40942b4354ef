#include "addressbook/DlgAddressSearch.h"

#include "addressbook/DlgAddressNote.h"
#include "resources/addressbook/AddressbookResource.h"

CDlgAddressSearch::CDlgAddressSearch(CDlgAddressNote* pOwner) : CDialog(IDD_ADDRESS_SEARCH, pOwner), m_pOwner(pOwner)
{
}

void CDlgAddressSearch::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_ENTRY_NAME, m_strName);
    DDX_Text(pDX, IDC_ENTRY_ADDRESS, m_strAddress);
    DDX_Text(pDX, IDC_ENTRY_MEMO, m_strMemo);
}

void CDlgAddressSearch::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_pOwner->RunNextSearch();
}
