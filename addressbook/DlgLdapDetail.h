// CDlgLdapDetail: the finer settings of an LDAP group's search (scope,
// attribute names, filter, time-out), edited in the group record copy that
// the group properties dialog holds.
#pragma once

#include "addressbook/AddressGroupData.h"
#include "classlib/ClassLib.h"

class CDlgLdapDetail : public CDialog
{
public:
    CDlgLdapDetail(CAddressGroupData& group, CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    CAddressGroupData& m_group;
    int m_nTimeout = 30;
    CString m_strNameAttr, m_strMailAttr, m_strMemoAttr, m_strFilter;
};
