#include "viewer/DlgPrintRange.h"

#include "resources/shownmail/ShownMailResource.h"

CDlgPrintRange::CDlgPrintRange(CWnd* pParent) : CDialog(IDD_PRINT_RANGE, pParent) {}

BOOL CDlgPrintRange::OnInitDialog()
{
    ::CheckRadioButton(m_hWnd, IDC_PRINT_RANGE_ALL, IDC_PRINT_RANGE_SELECTION,
                       m_nRange == 1 ? IDC_PRINT_RANGE_SELECTION : IDC_PRINT_RANGE_ALL);
    return TRUE;
}

void CDlgPrintRange::OnOK()
{
    m_nRange = IsDlgButtonChecked(IDC_PRINT_RANGE_SELECTION) == BST_CHECKED ? 1 : 0;
    EndDialog(IDOK);
}
