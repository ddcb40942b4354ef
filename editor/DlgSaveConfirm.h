// CDlgSaveConfirm: asks whether an edited mail is saved when its window
// closes: "保存する" (IDOK), "破棄する" (3) or Cancel, which is disabled while
// the application is shutting down.
#pragma once

#include "classlib/Dialog.h"

class CDlgSaveConfirm : public CDialog
{
public:
    enum { resultDiscard = 3 };

    CDlgSaveConfirm(BOOL bCancelAllowed, CWnd* pParent);
    BOOL OnInitDialog() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;

private:
    BOOL m_bCancelAllowed;
};
