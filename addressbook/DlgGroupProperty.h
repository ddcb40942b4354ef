// CDlgGroupProperty: a group's name, type, file and LDAP connection. It
// holds a full copy of the group record, in which the LDAP details dialog
// edits the finer search settings; the window stores the result.
#pragma once

#include "addressbook/AddressGroupData.h"
#include "classlib/ClassLib.h"

class CDlgGroupProperty : public CDialog
{
public:
    explicit CDlgGroupProperty(CWnd* pParent = nullptr);

    CString m_strName;
    int m_nType = 0;        // 0 standard, 1 LDAP
    CString m_strPath;      // as stored (relative below the address-book folder)
    CString m_strServer;
    int m_nPort = 389;
    CString m_strBase;
    CString m_strAccount;
    CString m_strPassword;
    int m_nVersion = 2;
    int m_bUtf8 = FALSE;
    CAddressGroupData m_record;  // the whole record, for the details

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDetail();
    void OnBrowse();

    DECLARE_MESSAGE_MAP()
};
