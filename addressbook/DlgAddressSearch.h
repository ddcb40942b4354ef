// CDlgAddressSearch: the modeless search of the address book window. Each
// "次を検索" hands the three criteria to the window, which finds the next
// entry in the address-book thread's groups and shows it.
#pragma once

#include "classlib/ClassLib.h"

class CDlgAddressNote;

class CDlgAddressSearch : public CDialog
{
public:
    explicit CDlgAddressSearch(CDlgAddressNote* pOwner);

    CString m_strName;
    CString m_strAddress;
    CString m_strMemo;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    CDlgAddressNote* m_pOwner;
};
