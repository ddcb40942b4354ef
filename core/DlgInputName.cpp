#include "core/DlgInputName.h"

#include "core/FileUtil.h"
#include "resources/utils/UtilsResource.h"

CDlgInputName::CDlgInputName(const char* pszLabel, BOOL bFileName, CWnd* pParent)
    : CDialog(IDD_INPUT_NAME, pParent),
      m_strLabel(pszLabel && *pszLabel ? pszLabel : "コピーする名前を入力してください(&N)"), m_bFileName(bFileName)
{
}

BOOL CDlgInputName::OnInitDialog()
{
    SetDlgItemText(IDC_MESSAGE_TEXT, m_strLabel);
    SetDlgItemText(IDC_INPUT_NAME, m_strName);
    return TRUE;
}

void CDlgInputName::OnOK()
{
    CString name = GetDlgItemText(IDC_INPUT_NAME);
    if (m_bFileName) {
        if (name == "." || name == "..") {
            AfxMessageBox(IDS_DOT_NAMES, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        if (MakeValidFileName(name) != name) {
            AfxMessageBox(IDS_INVALID_NAME_CHARS, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    m_strName = name;
    EndDialog(IDOK);
}
