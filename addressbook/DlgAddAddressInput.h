// CDlgAddAddressInput: name, address and memo of one address, to add it or
// to change it. The window checks what was typed.
#pragma once

#include "classlib/ClassLib.h"

class CDlgAddAddressInput : public CDialog
{
public:
    explicit CDlgAddAddressInput(CWnd* pParent = nullptr);

    CString m_strName;
    CString m_strAddress;
    CString m_strMemo;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
