#include "settings/AccountPage.h"

#include "settings/AccountFieldExchange.h"

#include <imm.h>

CAccountPage::CAccountPage(UINT nIDTemplate, int nPage, AccountFieldValues* pFields)
    : COptionPageDialog(nIDTemplate), m_nPage(nPage), m_pFields(pFields)
{
}

void CAccountPage::DoDataExchange(CDataExchange* pDX)
{
    ExchangeAccountFields(pDX, *m_pFields, m_nPage, false);
    if (!pDX->m_bSaveAndValidate && m_hWnd)
        UpdateEnabling();
}

void CAccountPage::SwitchImeOff(int nControl)
{
    HWND edit = GetDlgItemHwnd(nControl);
    if (HIMC imc = ::ImmGetContext(edit)) {
        ::ImmSetOpenStatus(imc, FALSE);
        ::ImmReleaseContext(edit, imc);
    }
}

BOOL CAccountPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam)
        OnControl(LOWORD(wParam), HIWORD(wParam));
    return COptionPageDialog::OnCommand(wParam, lParam);
}
