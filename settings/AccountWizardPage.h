// CAccountWizardPage: the base of the set-up wizard's pages. Each page shows
// its share of the wizard's account fields (by the account field table) and
// sets the wizard's buttons as its required fields fill.
#pragma once

#include "classlib/PropertyPage.h"
#include "settings/AccountFieldMap.h"

class CDlgAcountSetupWiz;

class CAccountWizardPage : public CPropertyPage
{
public:
    CAccountWizardPage(UINT nIDTemplate, int nPage, CDlgAcountSetupWiz* pWizard);

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnSetActive() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    // The wizard buttons the page's fields allow now.
    virtual DWORD GetButtons() { return PSWIZB_BACK | PSWIZB_NEXT; }
    // Called for each command of the page's controls.
    virtual void OnControl(int nId, int nCode) { (void)nId; (void)nCode; }
    void UpdateButtons();
    bool IsFilled(int nControl) const { return ::GetWindowTextLengthA(GetDlgItemHwnd(nControl)) > 0; }
    void SwitchImeOff(int nControl);
    AccountFieldValues& Fields();

    int m_nPage;
    CDlgAcountSetupWiz* m_pWizard;
};
