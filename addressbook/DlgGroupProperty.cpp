#include "addressbook/DlgGroupProperty.h"

#include "addressbook/DlgLdapDetail.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "resources/addressbook/AddressbookResource.h"

#include <commdlg.h>

BEGIN_MESSAGE_MAP(CDlgGroupProperty, CDialog)
    ON_BN_CLICKED(IDC_LDAP_DETAIL, OnDetail)
    ON_BN_CLICKED(IDC_GROUP_PATH_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CDlgGroupProperty::CDlgGroupProperty(CWnd* pParent) : CDialog(IDD_GROUP_PROPERTY, pParent)
{
}

BOOL CDlgGroupProperty::OnInitDialog()
{
    HWND combo = GetDlgItemHwnd(IDC_LDAP_VERSION);
    const struct
    {
        const char* text;
        int version;
    } versions[] = { { "LDAPv2", 2 }, { "LDAPv3", 3 } };
    for (const auto& v : versions) {
        int i = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(v.text)));
        ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), v.version);
        if (v.version == m_nVersion)
            ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }
    CDialog::OnInitDialog();
    CheckDlgButton(m_nType == 1 ? IDC_TYPE_LDAP : IDC_TYPE_STANDARD, BST_CHECKED);
    return TRUE;
}

void CDlgGroupProperty::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_GROUP_PROP_NAME, m_strName);
    DDX_Text(pDX, IDC_GROUP_PATH, m_strPath);
    DDX_Text(pDX, IDC_LDAP_SERVER, m_strServer);
    DDX_Text(pDX, IDC_LDAP_PORT, m_nPort);
    DDX_Text(pDX, IDC_LDAP_BASE, m_strBase);
    DDX_Text(pDX, IDC_LDAP_ACCOUNT, m_strAccount);
    DDX_Text(pDX, IDC_LDAP_PASSWORD, m_strPassword);
    DDX_Check(pDX, IDC_LDAP_UTF8, m_bUtf8);
    if (pDX->m_bSaveAndValidate) {
        m_nType = IsDlgButtonChecked(IDC_TYPE_LDAP) ? 1 : 0;
        HWND combo = GetDlgItemHwnd(IDC_LDAP_VERSION);
        LRESULT sel = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
        if (sel != CB_ERR)
            m_nVersion = static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
    }
}

void CDlgGroupProperty::OnDetail()
{
    CDlgLdapDetail dlg(m_record, this);
    dlg.DoModal();
}

void CDlgGroupProperty::OnBrowse()
{
    char file[MAX_PATH * 2] = "";
    CString folder = GetDirectoryFromPath(GetDlgItemText(IDC_GROUP_PATH));
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrInitialDir = folder.IsEmpty() ? nullptr : folder.GetString();
    ofn.lpstrTitle = "グループファイルの選択";
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    BOOL chosen = GetOpenFileNameA(&ofn);
    if (QuendalApp())
        SetCurrentDirectoryA(QuendalApp()->GetProgramFolder());
    if (chosen)
        SetDlgItemText(IDC_GROUP_PATH, file);
}
