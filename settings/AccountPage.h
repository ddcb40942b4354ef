// CAccountPage: the base of the five pages of the account settings dialog.
// Each page shows its share of the dialog's account fields (by the account
// field table) and keeps its enabling rules.
#pragma once

#include "settings/AccountFieldMap.h"
#include "settings/OptionPageDialog.h"

class CAccountPage : public COptionPageDialog
{
public:
    CAccountPage(UINT nIDTemplate, int nPage, AccountFieldValues* pFields);

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Enables the controls that follow other controls of the page.
    virtual void UpdateEnabling() {}

protected:
    virtual void OnControl(int nId, int nCode) { (void)nId; (void)nCode; }
    void SwitchImeOff(int nControl);
    void EnableControl(int nId, BOOL bEnable) { ::EnableWindow(GetDlgItemHwnd(nId), bEnable); }
    bool IsChecked(int nId) const { return IsDlgButtonChecked(nId) == BST_CHECKED; }

    int m_nPage;
    AccountFieldValues* m_pFields;
};
