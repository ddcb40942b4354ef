#include "transfer/DlgDivideupSelect.h"

#include "core/QuendalApp.h"
#include "resources/rules/RulesResource.h"
#include "transfer/RuleSetCombo.h"

CDlgDivideupSelect::CDlgDivideupSelect(CWnd* pParent) : CDialog(IDD_DIVIDEUP_SELECT, pParent)
{
}

BOOL CDlgDivideupSelect::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CQuendalApp* app = QuendalApp())
        FillRuleSetCombo(GetDlgItemHwnd(IDC_EXEC_SET), *app);
    ::SendMessageA(GetDlgItemHwnd(IDC_EXEC_SET), CB_SETCURSEL, 0, 0);
    return TRUE;
}

void CDlgDivideupSelect::OnOK()
{
    m_strSetName = GetDlgItemText(IDC_EXEC_SET);
    EndDialog(IDOK);
}
