#include "editor/DlgInputZipPassword.h"

#include "core/QuendalApp.h"
#include "resources/attach/AttachResource.h"

#include <imm.h>

namespace {

bool CountLongForm()
{
    CQuendalApp* app = QuendalApp();
    int count = app ? app->GetProfileInt("Etc", "ZipPasswordInputCount", 0) : 0;
    if (count > 9)
        return false;
    if (app)
        app->WriteProfileInt("Etc", "ZipPasswordInputCount", count + 1);
    return true;
}

} // namespace

CDlgInputZipPassword::CDlgInputZipPassword(CWnd* pParent) : CDialog(IDD_INPUT_ZIP_PASSWORD, pParent)
{
    m_bLongForm = CountLongForm();
    if (!m_bLongForm)
        m_nIDTemplate = IDD_INPUT_ZIP_PASSWORD_SHORT;
}

BOOL CDlgInputZipPassword::OnInitDialog()
{
    HWND combo = GetDlgItemHwnd(IDC_ZP_PASSWORD);
    m_passwords.SetFilePath(CSendPassData::DefaultFilePath());
    m_passwords.ReadFromFile(TRUE);
    for (int i = 0; i < m_passwords.GetRecordCount(TRUE); ++i) {
        CSendPassRecord* record = m_passwords.GetPassword(i);
        int item = static_cast<int>(
            ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record->m_strName.GetString())));
        ::SendMessageA(combo, CB_SETITEMDATA, item, reinterpret_cast<LPARAM>(record));
    }
    // The edit part of the combo box is its child.
    ::ImmAssociateContext(combo, nullptr);
    if (HWND edit = ::GetWindow(combo, GW_CHILD))
        ::ImmAssociateContext(edit, nullptr);
    return TRUE;
}

void CDlgInputZipPassword::OnOK()
{
    HWND combo = GetDlgItemHwnd(IDC_ZP_PASSWORD);
    CString text = GetDlgItemText(IDC_ZP_PASSWORD);
    if (text.IsEmpty()) {
        AfxMessageBox(IDS_NEED_ARCHIVE_PASSWORD, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_strPassword = text;
    int sel = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (sel != CB_ERR) {
        auto* record = reinterpret_cast<CSendPassRecord*>(::SendMessageA(combo, CB_GETITEMDATA, sel, 0));
        // A name chosen and then typed over is a password of its own.
        if (record && record->m_strName == text)
            m_strPassword = record->m_strPassword;
    }
    EndDialog(IDOK);
}

void CDlgInputZipPassword::OnCancel()
{
    if (AfxMessageBox(IDS_PASSWORD_CANCEL_CONFIRM, MB_YESNO | MB_ICONQUESTION) == IDYES)
        EndDialog(IDCANCEL);
}
