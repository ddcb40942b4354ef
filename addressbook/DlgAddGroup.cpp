#include "addressbook/DlgAddGroup.h"

#include "resources/addressbook/AddressbookResource.h"

CDlgAddGroup::CDlgAddGroup(CWnd* pParent) : CDialog(IDD_ADD_GROUP, pParent)
{
}

void CDlgAddGroup::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_GROUP_NAME, m_strName);
}
