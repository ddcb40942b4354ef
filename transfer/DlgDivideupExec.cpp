#include "transfer/DlgDivideupExec.h"

#include "core/QuendalApp.h"
#include "resources/rules/RulesResource.h"
#include "transfer/RuleSetCombo.h"

namespace {

const int kTargetButtons[4] = { IDC_EXEC_UNREAD, IDC_EXEC_READ, IDC_EXEC_ALL, IDC_EXEC_SELECTED };

} // namespace

BEGIN_MESSAGE_MAP(CDlgDivideupExec, CDialog)
    ON_BN_CLICKED(IDC_EXEC_NO_COLOR, UpdateEnabling)
END_MESSAGE_MAP()

CDlgDivideupExec::CDlgDivideupExec(const char* pszFolderSet, CWnd* pParent)
    : CDialog(IDD_DIVIDEUP_EXEC, pParent), m_strFolderSet(pszFolderSet ? pszFolderSet : "")
{
}

BOOL CDlgDivideupExec::OnInitDialog()
{
    CDialog::OnInitDialog();
    CQuendalApp* app = QuendalApp();
    if (app) {
        m_nTarget = app->GetProfileInt("Setting", "DivideupTarget", 0);
        m_bNoColorLabel = app->GetProfileInt("Setting", "DivideUpNoColorLabel", 0) != 0;
        m_bKeepExistingLabel = app->GetProfileInt("Setting", "DivideUpAlreadyColorLabel", 0) != 0;
        FillRuleSetCombo(GetDlgItemHwnd(IDC_EXEC_SET), *app);
    }
    if (m_nTarget < 0 || m_nTarget > 3)
        m_nTarget = 0;
    CheckDlgButton(kTargetButtons[m_nTarget], BST_CHECKED);
    ::SendMessageA(GetDlgItemHwnd(IDC_EXEC_SET), CB_SETCURSEL,
                   static_cast<WPARAM>(FindRuleSetRow(GetDlgItemHwnd(IDC_EXEC_SET), m_strFolderSet)), 0);
    CheckDlgButton(IDC_EXEC_NO_COLOR, m_bNoColorLabel ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_EXEC_KEEP_COLOR, m_bKeepExistingLabel ? BST_CHECKED : BST_UNCHECKED);
    UpdateEnabling();
    return TRUE;
}

void CDlgDivideupExec::UpdateEnabling()
{
    ::EnableWindow(GetDlgItemHwnd(IDC_EXEC_KEEP_COLOR), !IsDlgButtonChecked(IDC_EXEC_NO_COLOR));
}

void CDlgDivideupExec::OnOK()
{
    for (int i = 0; i < 4; ++i)
        if (IsDlgButtonChecked(kTargetButtons[i]))
            m_nTarget = i;
    m_bNoColorLabel = IsDlgButtonChecked(IDC_EXEC_NO_COLOR) != 0;
    m_bKeepExistingLabel = IsDlgButtonChecked(IDC_EXEC_KEEP_COLOR) != 0;
    HWND combo = GetDlgItemHwnd(IDC_EXEC_SET);
    int row = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (row < 0)
        row = 0;
    m_strSetName = GetDlgItemText(IDC_EXEC_SET);
    m_nSetKind = static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(row), 0));
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileInt("Setting", "DivideupTarget", m_nTarget);
        app->WriteProfileInt("Setting", "DivideUpNoColorLabel", m_bNoColorLabel);
        app->WriteProfileInt("Setting", "DivideUpAlreadyColorLabel", m_bKeepExistingLabel);
    }
    EndDialog(IDOK);
}
