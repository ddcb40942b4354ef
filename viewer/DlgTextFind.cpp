#include "viewer/DlgTextFind.h"

#include "resources/shownmail/ShownMailResource.h"

CDlgTextFind::CDlgTextFind(CWnd* pParent) : CDialog(IDD_TEXT_FIND, pParent) {}

BOOL CDlgTextFind::OnInitDialog()
{
    HWND combo = GetDlgItemHwnd(IDC_FIND_TEXT);
    if (m_pHistory) {
        for (int i = 0; i < m_pHistory->GetSize(); ++i)
            ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_pHistory->GetAt(i).GetString()));
    }
    SetDlgItemText(IDC_FIND_TEXT, m_strText);
    CheckDlgButton(IDC_FIND_MATCH_CASE, m_bMatchCase ? BST_CHECKED : BST_UNCHECKED);
    ::CheckRadioButton(m_hWnd, IDC_FIND_UP, IDC_FIND_DOWN, m_bDown ? IDC_FIND_DOWN : IDC_FIND_UP);
    return TRUE;
}

void CDlgTextFind::OnOK()
{
    m_strText = GetDlgItemText(IDC_FIND_TEXT);
    m_bMatchCase = IsDlgButtonChecked(IDC_FIND_MATCH_CASE) == BST_CHECKED;
    m_bDown = IsDlgButtonChecked(IDC_FIND_DOWN) == BST_CHECKED;
    if (m_pHistory && !m_strText.IsEmpty())
        m_pHistory->Add(m_strText);
    EndDialog(IDOK);
}
