// CDlgAddressProperty: an address entry's name, address, memo and icon, and
// its extra properties. Name, address, memo and icon are edited as copies;
// properties are added, changed and removed on the entry itself at once.
#pragma once

#include "addressbook/AddressData.h"
#include "classlib/ClassLib.h"

class CDlgAddressProperty : public CDialog
{
public:
    CDlgAddressProperty(CAddressData& entry, CWnd* pParent = nullptr);

    CString m_strName;
    CString m_strAddress;
    CString m_strMemo;
    int m_nIconIndex = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnAddProperty();
    void OnChangeProperty();
    void OnDeleteProperty();
    void AddPropertyRow(int nPair);
    int GetSelectedRow() const;

    CAddressData& m_entry;
    CListCtrl m_icons;
    CListCtrl m_properties;

    DECLARE_MESSAGE_MAP()
};
