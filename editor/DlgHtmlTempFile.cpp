#include "editor/DlgHtmlTempFile.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "editor/MailFileDialog.h"
#include "resources/editor/EditorWindowResource.h"

CDlgHtmlTempFile::CDlgHtmlTempFile(const char* pszFileName, const char* pszFolder, CWnd* pParent)
    : CDialog(IDD_HTML_TEMP_FILE, pParent), m_strFileName(pszFileName), m_strFolder(pszFolder)
{
}

BOOL CDlgHtmlTempFile::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_HT_FILE, m_strFileName);
    SetDlgItemText(IDC_HT_FOLDER, m_strFolder);
    return TRUE;
}

void CDlgHtmlTempFile::OnOK()
{
    m_strFileName = GetDlgItemText(IDC_HT_FILE);
    m_strFolder = GetDlgItemText(IDC_HT_FOLDER);
    m_strFileName.Trim();
    m_strFolder.Trim();
    CDialog::OnOK();
}

BOOL CDlgHtmlTempFile::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_HT_CHANGE && HIWORD(wParam) == BN_CLICKED) {
        ChooseFolder();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgHtmlTempFile::ChooseFolder()
{
    // A save dialog for the file itself: the folder it ends in is the
    // folder the file goes to.
    CString path = GetDlgItemText(IDC_HT_FILE);
    if (AskMailFileToSave(m_hWnd, path, "html", GetDlgItemText(IDC_HT_FOLDER), false))
        SetDlgItemText(IDC_HT_FOLDER, GetDirectoryFromPath(path));
    if (CQuendalApp* app = QuendalApp())
        SetCurrentDirectoryA(app->GetMailBoxFolder());
}
