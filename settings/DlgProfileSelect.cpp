#include "settings/DlgProfileSelect.h"

#include "resources/settings/SettingsResource.h"
#include "settings/ProfileDataSet.h"

CDlgProfileSelect::CDlgProfileSelect(const CString& profileBox, CWnd* pParent)
    : CDialog(IDD_PROFILE_SELECT, pParent), m_strProfileBox(profileBox)
{
}

BOOL CDlgProfileSelect::OnInitDialog()
{
    HWND list = GetDlgItemHwnd(IDC_PS_LIST);
    HWND combo = GetDlgItemHwnd(IDC_PS_DEFAULT);
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
    for (const CString& name : ListProfileNames(m_strProfileBox)) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetString()));
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetString()));
    }
    ::SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(m_strProfileName.GetString()));
    if (m_strDefaultProfileName.IsEmpty() ||
        ::SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(m_strDefaultProfileName.GetString())) == CB_ERR)
        ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    CheckDlgButton(IDC_PS_CHANGE_MAIN, m_bChangeMainFrame ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CDlgProfileSelect::OnOK()
{
    HWND list = GetDlgItemHwnd(IDC_PS_LIST);
    int sel = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
    char name[MAX_PATH] = "";
    if (sel >= 0 && ::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(sel), 0) < MAX_PATH)
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(name));
    m_strProfileName = name;
    m_bChangeMainFrame = IsDlgButtonChecked(IDC_PS_CHANGE_MAIN) == BST_CHECKED;
    HWND combo = GetDlgItemHwnd(IDC_PS_DEFAULT);
    int def = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    char defName[MAX_PATH] = "";
    if (def > 0 && ::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(def), 0) < MAX_PATH)
        ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(def), reinterpret_cast<LPARAM>(defName));
    m_strDefaultProfileName = defName;
    EndDialog(IDOK);
}

BOOL CDlgProfileSelect::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_PS_LIST && HIWORD(wParam) == LBN_DBLCLK) {
        OnOK();
        return TRUE;
    }
    if (LOWORD(wParam) == IDC_PS_NONE && HIWORD(wParam) == BN_CLICKED) {
        // No profile; the other choices are taken as they stand.
        ::SendMessageA(GetDlgItemHwnd(IDC_PS_LIST), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        OnOK();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}
