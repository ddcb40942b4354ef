#include "editor/DlgCompressSetting.h"

#include "resources/attach/AttachResource.h"

CDlgCompressSetting::CDlgCompressSetting(const CArchiver& archiver, CWnd* pParent)
    : CDialog(IDD_COMPRESS_SETTING, pParent), m_archiver(archiver)
{
    m_settings = CompressSettings::Load();
}

BOOL CDlgCompressSetting::OnInitDialog()
{
    CheckDlgButton(IDC_CS_SELECT_ONLY, m_settings.bSelectOnly ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_CS_ONE_FILE, m_settings.bAllInOne ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_CS_FILE_NAME, m_settings.strName);
    CheckDlgButton(IDC_CS_KEEP, m_settings.bKeep ? BST_CHECKED : BST_UNCHECKED);
    bool zip = m_archiver.IsAvailable(CArchiver::formatZip);
    bool lha = m_archiver.IsAvailable(CArchiver::formatLha);
    int type = m_settings.nType == 1 ? 1 : 0;
    if (!zip && lha)
        type = 1;
    if (!lha && zip)
        type = 0;
    ::EnableWindow(GetDlgItemHwnd(IDC_CS_ZIP), zip);
    ::EnableWindow(GetDlgItemHwnd(IDC_CS_LHA), lha);
    // A disabled button is never left selected.
    CheckDlgButton(IDC_CS_ZIP, zip && type == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_CS_LHA, lha && type == 1 ? BST_CHECKED : BST_UNCHECKED);
    EnableName();
    return TRUE;
}

void CDlgCompressSetting::EnableName()
{
    bool one = IsDlgButtonChecked(IDC_CS_ONE_FILE) == BST_CHECKED;
    ::EnableWindow(GetDlgItemHwnd(IDC_CS_FILE_NAME), one);
    ::EnableWindow(GetDlgItemHwnd(IDC_CS_FILE_NAME_LABEL), one);
}

BOOL CDlgCompressSetting::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_CS_ONE_FILE)
        EnableName();
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgCompressSetting::OnOK()
{
    m_settings.bSelectOnly = IsDlgButtonChecked(IDC_CS_SELECT_ONLY) == BST_CHECKED;
    m_settings.bAllInOne = IsDlgButtonChecked(IDC_CS_ONE_FILE) == BST_CHECKED;
    m_settings.strName = GetDlgItemText(IDC_CS_FILE_NAME);
    m_settings.bKeep = IsDlgButtonChecked(IDC_CS_KEEP) == BST_CHECKED;
    m_settings.nType = IsDlgButtonChecked(IDC_CS_LHA) == BST_CHECKED ? 1 : 0;
    m_settings.Save();
    EndDialog(IDOK);
}
