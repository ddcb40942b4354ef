#include "core/DlgInputPassword.h"

#include "resources/resource.h"

#include <imm.h>

BEGIN_MESSAGE_MAP(CDlgInputPassword, CDialog)
    ON_EN_SETFOCUS(IDC_PASSWORD, OnPasswordSetFocus)
    ON_EN_KILLFOCUS(IDC_PASSWORD, OnPasswordKillFocus)
END_MESSAGE_MAP()

CDlgInputPassword::CDlgInputPassword(CWnd* pParent) : CDialog(IDD_INPUT_PASSWORD, pParent)
{
}

void CDlgInputPassword::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
    DDX_Check(pDX, IDC_SAVE_PASSWORD, m_bRemember);
    DDX_Text(pDX, IDC_PASSWORD_PROMPT, m_strPrompt);
}

BOOL CDlgInputPassword::OnInitDialog()
{
    m_strPassword.Empty();
    CDialog::OnInitDialog();
    if (!m_bShowRemember)
        ::ShowWindow(GetDlgItemHwnd(IDC_SAVE_PASSWORD), SW_HIDE);
    SetWindowText(m_strCaption.IsEmpty() ? "Corvane Mail" : m_strCaption.GetString());
    SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow();
    BringWindowToTop();
    ::SetFocus(GetDlgItemHwnd(IDC_PASSWORD));
    return FALSE;  // the focus is set
}

void CDlgInputPassword::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    // Byte-wise: a double-byte password matches only itself.
    if (!m_strCheckPassword.IsEmpty() && m_strCheckPassword != m_strPassword) {
        AfxMessageBox("パスワードが違います", MB_OK);
        m_strPassword.Empty();
        SetDlgItemText(IDC_PASSWORD, "");
        ::SetFocus(GetDlgItemHwnd(IDC_PASSWORD));
        return;
    }
    EndDialog(IDOK);
}

void CDlgInputPassword::OnPasswordSetFocus()
{
    HWND hEdit = GetDlgItemHwnd(IDC_PASSWORD);
    HIMC hImc = ImmGetContext(hEdit);
    if (!hImc)
        return;
    m_bImeWasOpen = ImmGetOpenStatus(hImc) != FALSE;
    if (m_bImeWasOpen)
        ImmSetOpenStatus(hImc, FALSE);
    ImmReleaseContext(hEdit, hImc);
}

void CDlgInputPassword::OnPasswordKillFocus()
{
    if (!m_bImeWasOpen)
        return;
    HWND hEdit = GetDlgItemHwnd(IDC_PASSWORD);
    HIMC hImc = ImmGetContext(hEdit);
    if (!hImc)
        return;
    ImmSetOpenStatus(hImc, TRUE);
    ImmReleaseContext(hEdit, hImc);
}
