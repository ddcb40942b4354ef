#include "editor/DlgSendPasswordList.h"

#include "core/PasswordScrambler.h"
#include "core/QuendalApp.h"
#include "editor/DlgCVMPasswordInput.h"
#include "resources/attach/AttachResource.h"

namespace {

int ProfileInt(const char* pszKey, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt("Setting", pszKey, nDefault) : nDefault;
}

} // namespace

CDlgSendPasswordList::CDlgSendPasswordList(CWnd* pParent) : CDialog(IDD_SEND_PASSWORD_LIST, pParent)
{
    m_passwords.SetFilePath(CSendPassData::DefaultFilePath());
}

BOOL CDlgSendPasswordList::OnInitDialog()
{
    CheckDlgButton(IDC_SPL_PROTECT, ProfileInt("ProtectPasswordCVMSetting", 1) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SPL_SAVE_IN_SENT, ProfileInt("SaveCorvanePassword", 0) ? BST_CHECKED : BST_UNCHECKED);
    bool automatic = ProfileInt("CorvanePasswordMode", 0) == 1;
    CheckDlgButton(IDC_SPL_MODE_ASK, automatic ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(IDC_SPL_MODE_DEFAULT, automatic ? BST_CHECKED : BST_UNCHECKED);
    if (CQuendalApp* app = QuendalApp()) {
        CPasswordScrambler scrambler;
        SetDlgItemText(IDC_SPL_DEFAULT,
                       scrambler.Unscramble(app->GetProfileString("Setting", "CorvaneDefaultPassword", "")));
    }
    FillList(nullptr);
    ApplyMode();
    return TRUE;
}

void CDlgSendPasswordList::ApplyMode()
{
    bool automatic = IsDlgButtonChecked(IDC_SPL_MODE_DEFAULT) == BST_CHECKED;
    ::EnableWindow(GetDlgItemHwnd(IDC_SPL_DEFAULT), automatic);
    ::EnableWindow(GetDlgItemHwnd(IDC_SPL_DEFAULT_LABEL), automatic);
    for (int id : {IDC_SPL_LIST, IDC_SPL_ADD, IDC_SPL_CHANGE, IDC_SPL_DELETE, IDC_SPL_UP, IDC_SPL_DOWN})
        ::EnableWindow(GetDlgItemHwnd(id), !automatic);
}

void CDlgSendPasswordList::FillList(const char* pszSelect)
{
    HWND list = GetDlgItemHwnd(IDC_SPL_LIST);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    m_passwords.ReadFromFile(TRUE);
    CString select = pszSelect ? pszSelect : "";
    int selectRow = -1;
    for (int i = 0; i < m_passwords.GetRecordCount(TRUE); ++i) {
        CSendPassRecord* record = m_passwords.GetPassword(i);
        int row = static_cast<int>(
            ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record->m_strName.GetString())));
        ::SendMessageA(list, LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(record));
        if (selectRow < 0 && pszSelect && record->m_strName.Left(select.GetLength()).CompareNoCase(select) == 0)
            selectRow = row;
    }
    if (selectRow >= 0)
        ::SendMessageA(list, LB_SETCURSEL, selectRow, 0);
}

CSendPassRecord* CDlgSendPasswordList::SelectedRecord(int* pnRow) const
{
    HWND list = GetDlgItemHwnd(IDC_SPL_LIST);
    int row = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
    if (pnRow)
        *pnRow = row;
    if (row == LB_ERR)
        return nullptr;
    return reinterpret_cast<CSendPassRecord*>(::SendMessageA(list, LB_GETITEMDATA, row, 0));
}

void CDlgSendPasswordList::Add()
{
    CDlgCVMPasswordInput dlg(&m_passwords, this);
    if (dlg.DoModal() != IDOK)
        return;
    auto* record = static_cast<CSendPassRecord*>(m_passwords.CreateNewRecord());
    record->m_strName = dlg.m_strName;
    record->m_strPassword = dlg.m_strPassword;
    m_passwords.WriteToFile();
    FillList(dlg.m_strName);
}

void CDlgSendPasswordList::Change()
{
    CSendPassRecord* record = SelectedRecord();
    if (!record)
        return;
    CDlgCVMPasswordInput dlg(nullptr, this);
    dlg.m_strName = record->m_strName;
    dlg.m_strPassword = record->m_strPassword;
    dlg.m_strConfirm = record->m_strPassword;
    if (dlg.DoModal() != IDOK)
        return;
    record->m_strName = dlg.m_strName;
    record->m_strPassword = dlg.m_strPassword;
    m_passwords.WriteToFile();
    FillList(dlg.m_strName);
}

void CDlgSendPasswordList::Delete()
{
    CSendPassRecord* record = SelectedRecord();
    if (!record)
        return;
    CString format;
    format.LoadString(IDS_CONFIRM_DELETE_NAME);
    if (AfxMessageBox(FormatString(format, record->m_strName.GetString()), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_passwords.RemoveRecord(record);
    m_passwords.WriteToFile();
    FillList(nullptr);
}

void CDlgSendPasswordList::Move(bool bUp)
{
    int row = -1;
    CSendPassRecord* record = SelectedRecord(&row);
    int count = m_passwords.GetRecordCount(TRUE);
    if (!record || (bUp && row == 0) || (!bUp && row == count - 1))
        return;
    m_passwords.MoveRecord(record, bUp);
    m_passwords.WriteToFile();
    HWND list = GetDlgItemHwnd(IDC_SPL_LIST);
    int to = bUp ? row - 1 : row + 1;
    ::SendMessageA(list, LB_DELETESTRING, row, 0);
    ::SendMessageA(list, LB_INSERTSTRING, to, reinterpret_cast<LPARAM>(record->m_strName.GetString()));
    ::SendMessageA(list, LB_SETITEMDATA, to, reinterpret_cast<LPARAM>(record));
    ::SendMessageA(list, LB_SETCURSEL, to, 0);
}

void CDlgSendPasswordList::Close()
{
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileInt("Setting", "ProtectPasswordCVMSetting",
                             IsDlgButtonChecked(IDC_SPL_PROTECT) == BST_CHECKED ? 1 : 0);
        app->WriteProfileInt("Setting", "SaveCorvanePassword",
                             IsDlgButtonChecked(IDC_SPL_SAVE_IN_SENT) == BST_CHECKED ? 1 : 0);
        app->WriteProfileInt("Setting", "CorvanePasswordMode",
                             IsDlgButtonChecked(IDC_SPL_MODE_DEFAULT) == BST_CHECKED ? 1 : 0);
        CPasswordScrambler scrambler;
        app->WriteProfileString("Setting", "CorvaneDefaultPassword",
                                scrambler.Scramble(GetDlgItemText(IDC_SPL_DEFAULT)));
    }
    EndDialog(IDOK);
}

void CDlgSendPasswordList::OnOK()
{
    Close();
}

void CDlgSendPasswordList::OnCancel()
{
    Close();
}

BOOL CDlgSendPasswordList::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_SPL_ADD:
            Add();
            return TRUE;
        case IDC_SPL_CHANGE:
            Change();
            return TRUE;
        case IDC_SPL_DELETE:
            Delete();
            return TRUE;
        case IDC_SPL_UP:
            Move(true);
            return TRUE;
        case IDC_SPL_DOWN:
            Move(false);
            return TRUE;
        case IDC_SPL_MODE_ASK:
        case IDC_SPL_MODE_DEFAULT:
            ApplyMode();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}
