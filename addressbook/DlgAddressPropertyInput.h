// CDlgAddressPropertyInput: one extra property of an address, its name and value.
#pragma once

#include "classlib/ClassLib.h"

class CDlgAddressPropertyInput : public CDialog
{
public:
    explicit CDlgAddressPropertyInput(CWnd* pParent = nullptr);

    CString m_strName;
    CString m_strValue;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
