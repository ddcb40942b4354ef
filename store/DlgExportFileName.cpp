#include "store/DlgExportFileName.h"

#include "core/QuendalApp.h"
#include "core/ShellUtil.h"
#include "resources/import/ImportResource.h"

BEGIN_MESSAGE_MAP(CDlgExportFileName, CDialog)
    ON_BN_CLICKED(IDC_EXPORT_ASK_NAMES, OnTypeClicked)
    ON_BN_CLICKED(IDC_EXPORT_AUTO_NAMES, OnTypeClicked)
    ON_BN_CLICKED(IDC_EXPORT_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CDlgExportFileName::CDlgExportFileName(CWnd* pParent) : CDialog(IDD_EXPORT_FILE_NAME, pParent)
{
}

BOOL CDlgExportFileName::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CQuendalApp* app = QuendalApp()) {
        m_strFolder = app->GetProfileString("Paths", "ExportFolderPath", "");
        m_nAutoType = app->GetProfileInt("Paths", "ExportAutoType", 0) ? 1 : 0;
        m_bFileTime = app->GetProfileInt("Setting", "ExportFileTime", 0);
    }
    CheckDlgButton(IDC_EXPORT_ASK_NAMES, m_nAutoType == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_EXPORT_AUTO_NAMES, m_nAutoType == 1 ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_SEPARATOR, m_strFolder);
    CheckDlgButton(IDC_EXPORT_FILE_TIME, m_bFileTime ? BST_CHECKED : BST_UNCHECKED);
    UpdateEnabling();
    return TRUE;
}

void CDlgExportFileName::OnTypeClicked()
{
    m_nAutoType = IsDlgButtonChecked(IDC_EXPORT_AUTO_NAMES) ? 1 : 0;
    UpdateEnabling();
}

void CDlgExportFileName::UpdateEnabling()
{
    ::EnableWindow(GetDlgItemHwnd(IDC_SEPARATOR), m_nAutoType == 1);
}

void CDlgExportFileName::OnBrowse()
{
    CString folder = BrowseForFolder(m_hWnd, "フォルダの選択", GetDlgItemText(IDC_SEPARATOR));
    if (!folder.IsEmpty())
        SetDlgItemText(IDC_SEPARATOR, folder);
}

void CDlgExportFileName::OnOK()
{
    OnTypeClicked();
    m_strFolder = GetDlgItemText(IDC_SEPARATOR);
    m_bFileTime = IsDlgButtonChecked(IDC_EXPORT_FILE_TIME) ? 1 : 0;
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileString("Paths", "ExportFolderPath", m_strFolder);
        app->WriteProfileInt("Paths", "ExportAutoType", m_nAutoType);
        app->WriteProfileInt("Setting", "ExportFileTime", m_bFileTime);
    }
    EndDialog(IDOK);
}
