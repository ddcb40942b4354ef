#include "store/DlgMailExport.h"

#include "core/QuendalApp.h"
#include "resources/import/ImportResource.h"

namespace {
// Radio buttons in the order of the format numbers.
const int kTypeButtons[] = { IDC_TYPE_EML, IDC_TYPE_TEXT, IDC_TYPE_HTML, IDC_TYPE_UNIX_FROM, IDC_TYPE_SEPARATOR };
}

// Every format button updates the separator's enabling: choosing text or
// HTML after the separator format must disable it as well.
BEGIN_MESSAGE_MAP(CDlgMailExport, CDialog)
    ON_BN_CLICKED(IDC_TYPE_EML, OnTypeClicked)
    ON_BN_CLICKED(IDC_TYPE_TEXT, OnTypeClicked)
    ON_BN_CLICKED(IDC_TYPE_HTML, OnTypeClicked)
    ON_BN_CLICKED(IDC_TYPE_UNIX_FROM, OnTypeClicked)
    ON_BN_CLICKED(IDC_TYPE_SEPARATOR, OnTypeClicked)
END_MESSAGE_MAP()

CDlgMailExport::CDlgMailExport(CWnd* pParent) : CDialog(IDD_MAIL_EXPORT, pParent)
{
}

BOOL CDlgMailExport::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CQuendalApp* app = QuendalApp()) {
        m_nType = app->GetProfileInt("Setting", "ExportMailType", 0);
        m_strSeparator = app->GetProfileString("Setting", "ExportMailSeparator", "");
    }
    if (m_nType < typeEml || m_nType > typeSeparator)
        m_nType = typeEml;
    for (int i = 0; i < 5; ++i)
        CheckDlgButton(kTypeButtons[i], i == m_nType ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_SEPARATOR, m_strSeparator);
    UpdateEnabling();
    return TRUE;
}

void CDlgMailExport::OnTypeClicked()
{
    for (int i = 0; i < 5; ++i)
        if (IsDlgButtonChecked(kTypeButtons[i]))
            m_nType = i;
    UpdateEnabling();
}

void CDlgMailExport::UpdateEnabling()
{
    ::EnableWindow(GetDlgItemHwnd(IDC_SEPARATOR), m_nType == typeSeparator);
}

void CDlgMailExport::OnOK()
{
    OnTypeClicked();
    m_strSeparator = GetDlgItemText(IDC_SEPARATOR);
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileInt("Setting", "ExportMailType", m_nType);
        app->WriteProfileString("Setting", "ExportMailSeparator", m_strSeparator);
    }
    EndDialog(IDOK);
}
