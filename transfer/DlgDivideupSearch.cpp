#include "transfer/DlgDivideupSearch.h"

#include "resources/rules/RulesResource.h"
#include "transfer/DivideupListCtrl.h"
#include "transfer/DivideupRuleList.h"

CDlgDivideupSearch::CDlgDivideupSearch(const CDivideupRuleList& rules, CDivideupListCtrl& list, CWnd* pParent)
    : CDialog(IDD_DIVIDEUP_SEARCH, pParent), m_rules(rules), m_list(list)
{
}

BOOL CDlgDivideupSearch::OnInitDialog()
{
    CDialog::OnInitDialog();
    CheckDlgButton(IDC_DIVIDEUP_SEARCH_STRING, BST_CHECKED);
    return TRUE;
}

void CDlgDivideupSearch::OnOK()
{
    CString text = GetDlgItemText(IDC_DIVIDEUP_SEARCH_TEXT);
    int target = IsDlgButtonChecked(IDC_DIVIDEUP_SEARCH_FOLDER) ? CDivideupRuleList::targetFolder
                                                                 : CDivideupRuleList::targetString;
    if (text != m_strLastText || target != m_nLastTarget)
        m_nLastHit = -1;
    m_strLastText = text;
    m_nLastTarget = target;
    int hit = m_rules.Find(text, target, m_nLastHit + 1);
    if (hit < 0) {
        ::MessageBeep(MB_OK);
        m_nLastHit = -1;
        return;
    }
    m_nLastHit = hit;
    m_list.SelectRow(hit);
}
