#include "mainwnd/DlgInputFolderName.h"

#include "core/NameCheck.h"
#include "resources/mainwnd/MainWndResource.h"

CDlgInputFolderName::CDlgInputFolderName(CWnd* pParent) : CDialog(IDD_INPUT_FOLDER_NAME, pParent)
{
}

BOOL CDlgInputFolderName::OnInitDialog()
{
    SetDlgItemText(IDC_FOLDER_NAME, m_strName);
    ::SendDlgItemMessageA(m_hWnd, IDC_FOLDER_NAME, EM_LIMITTEXT, 200, 0);
    return TRUE;
}

void CDlgInputFolderName::OnOK()
{
    CString name = GetDlgItemText(IDC_FOLDER_NAME);
    if (!ValidateEntryName(name)) {
        ::SetFocus(GetDlgItemHwnd(IDC_FOLDER_NAME));
        return;
    }
    m_strName = name;
    EndDialog(IDOK);
}
