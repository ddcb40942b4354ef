// CDlgCVMStartPasswordSetting: sets the start-up password of the mailbox.
// OK stores it (scrambled) and turns the start-up check on.
#pragma once

#include "classlib/ClassLib.h"

class CDlgCVMStartPasswordSetting : public CDialog
{
public:
    explicit CDlgCVMStartPasswordSetting(CWnd* pParent = nullptr);

    CString m_strPassword;
    CString m_strConfirm;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
