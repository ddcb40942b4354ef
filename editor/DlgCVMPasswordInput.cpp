#include "editor/DlgCVMPasswordInput.h"

#include "editor/SendPassData.h"
#include "resources/attach/AttachResource.h"

#include <imm.h>

CDlgCVMPasswordInput::CDlgCVMPasswordInput(CSendPassData* pDuplicateCheck, CWnd* pParent)
    : CDialog(IDD_CVM_PASSWORD_INPUT, pParent), m_pDuplicateCheck(pDuplicateCheck)
{
}

BOOL CDlgCVMPasswordInput::OnInitDialog()
{
    for (int id : {IDC_CPI_PASSWORD, IDC_CPI_CONFIRM}) {
        ::SendMessageA(GetDlgItemHwnd(id), EM_LIMITTEXT, 80, 0);
        ::ImmAssociateContext(GetDlgItemHwnd(id), nullptr);
    }
    SetDlgItemText(IDC_CPI_NAME, m_strName);
    SetDlgItemText(IDC_CPI_PASSWORD, m_strPassword);
    SetDlgItemText(IDC_CPI_CONFIRM, m_strConfirm);
    return TRUE;
}

void CDlgCVMPasswordInput::OnOK()
{
    CString name = GetDlgItemText(IDC_CPI_NAME);
    CString password = GetDlgItemText(IDC_CPI_PASSWORD);
    CString confirm = GetDlgItemText(IDC_CPI_CONFIRM);
    if (password.IsEmpty()) {
        AfxMessageBox(IDS_NEED_ARCHIVE_PASSWORD, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (m_pDuplicateCheck && m_pDuplicateCheck->HasName(name)) {
        CString format;
        format.LoadString(IDS_SAME_NAME_DATA);
        AfxMessageBox(FormatString(format, "パスワード"), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (password != confirm) {
        AfxMessageBox(IDS_PASSWORDS_DIFFER, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_strName = name;
    m_strPassword = password;
    m_strConfirm = confirm;
    EndDialog(IDOK);
}
