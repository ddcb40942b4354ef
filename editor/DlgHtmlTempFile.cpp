#include "editor/DlgHtmlTempFile.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "resources/editor/EditorWindowResource.h"

#include <commdlg.h>

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
    char path[MAX_PATH * 2] = {};
    CString name = GetDlgItemText(IDC_HT_FILE);
    if (name.GetLength() < static_cast<int>(sizeof(path)))
        lstrcpynA(path, name, sizeof(path));
    CString folder = GetDlgItemText(IDC_HT_FOLDER);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "E-Mail Files (*.eml)\0*.eml\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof(path);
    ofn.lpstrInitialDir = folder;
    ofn.lpstrDefExt = "html";
    ofn.Flags = OFN_HIDEREADONLY;
    if (GetSaveFileNameA(&ofn)) {
        CString chosen = GetDirectoryFromPath(path);
        if (!chosen.IsEmpty() && chosen[chosen.GetLength() - 1] != '\\')
            chosen += '\\';
        SetDlgItemText(IDC_HT_FOLDER, chosen);
    }
    if (CQuendalApp* app = QuendalApp())
        SetCurrentDirectoryA(app->GetMailBoxFolder());
}
