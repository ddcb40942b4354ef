#include "core/DlgCVMStartPasswordSetting.h"

#include "core/MailApp.h"
#include "core/PasswordScrambler.h"
#include "resources/resource.h"

namespace {
const int kMaxPassword = 14;
}

CDlgCVMStartPasswordSetting::CDlgCVMStartPasswordSetting(CWnd* pParent)
    : CDialog(IDD_START_PASSWORD_SETTING, pParent)
{
}

void CDlgCVMStartPasswordSetting::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, kMaxPassword);
    DDX_Text(pDX, IDC_PASSWORD_CONFIRM, m_strConfirm);
    DDV_MaxChars(pDX, m_strConfirm, kMaxPassword);
}

void CDlgCVMStartPasswordSetting::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_strPassword.IsEmpty()) {
        AfxMessageBox("パスワードを指定してください", MB_OK);
        ::SetFocus(GetDlgItemHwnd(IDC_PASSWORD));
        return;
    }
    if (m_strPassword != m_strConfirm) {
        AfxMessageBox("パスワードが一致していません。", MB_OK);
        ::SetFocus(GetDlgItemHwnd(IDC_PASSWORD_CONFIRM));
        return;
    }
    CMailApp* pApp = static_cast<CMailApp*>(AfxGetApp());
    if (pApp) {
        CPasswordScrambler scrambler;
        pApp->WriteProfileString("Setting", "MailBoxPassword", scrambler.Scramble(m_strPassword));
        pApp->WriteProfileInt("Setting", "StartupCheckPassword", 1);
    }
    EndDialog(IDOK);
}
