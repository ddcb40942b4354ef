#include "addressbook/DlgLdapDetail.h"

#include "resources/addressbook/AddressbookResource.h"

CDlgLdapDetail::CDlgLdapDetail(CAddressGroupData& group, CWnd* pParent)
    : CDialog(IDD_LDAP_DETAIL, pParent), m_group(group)
{
    m_nTimeout = group.m_nTimeout;
    m_strNameAttr = group.m_strNameAttr;
    m_strMailAttr = group.m_strMailAttr;
    m_strMemoAttr = group.m_strMemoAttr;
    // An empty filter is searched as every entry with an address; show it so.
    m_strFilter = group.m_strFilter.IsEmpty() ? CString("mail=*") : group.m_strFilter;
}

BOOL CDlgLdapDetail::OnInitDialog()
{
    CDialog::OnInitDialog();
    CheckDlgButton(m_group.m_nScope == 2 ? IDC_SCOPE_SUBTREE : IDC_SCOPE_ONE_LEVEL, BST_CHECKED);
    return TRUE;
}

void CDlgLdapDetail::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_NAME_ATTR, m_strNameAttr);
    DDX_Text(pDX, IDC_MAIL_ATTR, m_strMailAttr);
    DDX_Text(pDX, IDC_MEMO_ATTR, m_strMemoAttr);
    DDX_Text(pDX, IDC_LDAP_FILTER, m_strFilter);
    DDX_Text(pDX, IDC_LDAP_TIMEOUT, m_nTimeout);
    if (pDX->m_bSaveAndValidate) {
        m_group.m_nScope = IsDlgButtonChecked(IDC_SCOPE_SUBTREE) ? 2 : 1;
        m_group.m_strNameAttr = m_strNameAttr;
        m_group.m_strMailAttr = m_strMailAttr;
        m_group.m_strMemoAttr = m_strMemoAttr;
        m_group.m_strFilter = m_strFilter;
        m_group.m_nTimeout = m_nTimeout;
    }
}
