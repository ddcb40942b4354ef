#include "settings/AccountWizardPage.h"

#include "settings/AccountFieldExchange.h"
#include "settings/DlgAcountSetupWiz.h"

#include <imm.h>

CAccountWizardPage::CAccountWizardPage(UINT nIDTemplate, int nPage, CDlgAcountSetupWiz* pWizard)
    : CPropertyPage(nIDTemplate), m_nPage(nPage), m_pWizard(pWizard)
{
}

AccountFieldValues& CAccountWizardPage::Fields()
{
    return m_pWizard->m_fields;
}

void CAccountWizardPage::DoDataExchange(CDataExchange* pDX)
{
    ExchangeAccountFields(pDX, Fields(), m_nPage, true);
}

BOOL CAccountWizardPage::OnSetActive()
{
    CPropertyPage::OnSetActive();
    UpdateButtons();
    return TRUE;
}

void CAccountWizardPage::UpdateButtons()
{
    m_pWizard->SetWizardButtons(GetButtons());
}

void CAccountWizardPage::SwitchImeOff(int nControl)
{
    HWND edit = GetDlgItemHwnd(nControl);
    if (HIMC imc = ::ImmGetContext(edit)) {
        ::ImmSetOpenStatus(imc, FALSE);
        ::ImmReleaseContext(edit, imc);
    }
}

BOOL CAccountWizardPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam) {
        OnControl(LOWORD(wParam), HIWORD(wParam));
        if (HIWORD(wParam) == EN_CHANGE)
            UpdateButtons();
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}
