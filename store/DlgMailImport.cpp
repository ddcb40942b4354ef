#include "store/DlgMailImport.h"

#include "core/QuendalApp.h"
#include "resources/import/ImportResource.h"

namespace {
// Radio buttons in the order of the format numbers.
const int kTypeButtons[] = { IDC_TYPE_EML, IDC_TYPE_UNIX_FROM, IDC_TYPE_OUTLOOK_EXPRESS, IDC_TYPE_SEPARATOR };
}

BEGIN_MESSAGE_MAP(CDlgMailImport, CDialog)
    ON_BN_CLICKED(IDC_TYPE_EML, OnTypeClicked)
    ON_BN_CLICKED(IDC_TYPE_UNIX_FROM, OnTypeClicked)
    ON_BN_CLICKED(IDC_TYPE_OUTLOOK_EXPRESS, OnTypeClicked)
    ON_BN_CLICKED(IDC_TYPE_SEPARATOR, OnTypeClicked)
END_MESSAGE_MAP()

CDlgMailImport::CDlgMailImport(CWnd* pParent) : CDialog(IDD_MAIL_IMPORT, pParent)
{
}

BOOL CDlgMailImport::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CQuendalApp* app = QuendalApp()) {
        m_nType = app->GetProfileInt("Setting", "ImportMailType", 0);
        m_strSeparator = app->GetProfileString("Setting", "ImportMailSeparator", "");
        m_bReceiveDate = app->GetProfileInt("Setting", "ImportMailReceiveDate", 1);
        m_bFolderMail = app->GetProfileInt("Setting", "ImportEMLFolderMail", 0);
    }
    if (m_nType < typeEml || m_nType > typeSeparator)
        m_nType = typeEml;
    for (int i = 0; i < 4; ++i)
        CheckDlgButton(kTypeButtons[i], i == m_nType ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_SEPARATOR, m_strSeparator);
    CheckDlgButton(IDC_IMPORT_RECEIVE_DATE, m_bReceiveDate ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_IMPORT_EML_FOLDER, m_bFolderMail ? BST_CHECKED : BST_UNCHECKED);
    UpdateEnabling();
    return TRUE;
}

void CDlgMailImport::OnTypeClicked()
{
    for (int i = 0; i < 4; ++i)
        if (IsDlgButtonChecked(kTypeButtons[i]))
            m_nType = i;
    UpdateEnabling();
}

void CDlgMailImport::UpdateEnabling()
{
    ::EnableWindow(GetDlgItemHwnd(IDC_SEPARATOR), m_nType == typeSeparator);
    ::EnableWindow(GetDlgItemHwnd(IDC_IMPORT_EML_FOLDER), m_nType == typeEml);
}

void CDlgMailImport::OnOK()
{
    OnTypeClicked();
    m_strSeparator = GetDlgItemText(IDC_SEPARATOR);
    m_bReceiveDate = IsDlgButtonChecked(IDC_IMPORT_RECEIVE_DATE) ? 1 : 0;
    m_bFolderMail = IsDlgButtonChecked(IDC_IMPORT_EML_FOLDER) ? 1 : 0;
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileInt("Setting", "ImportMailType", m_nType);
        app->WriteProfileString("Setting", "ImportMailSeparator", m_strSeparator);
        app->WriteProfileInt("Setting", "ImportMailReceiveDate", m_bReceiveDate);
        app->WriteProfileInt("Setting", "ImportEMLFolderMail", m_bFolderMail);
    }
    EndDialog(IDOK);
}
