// CDlgCVMPasswordInput: asks a password's name, the password and the
// password once more. Given a table, a name the table holds is refused.
#pragma once

#include "classlib/Dialog.h"

class CSendPassData;

class CDlgCVMPasswordInput : public CDialog
{
public:
    explicit CDlgCVMPasswordInput(CSendPassData* pDuplicateCheck, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Prefilled before, read after OK.
    CString m_strName;
    CString m_strPassword;
    CString m_strConfirm;

private:
    CSendPassData* m_pDuplicateCheck;
};
