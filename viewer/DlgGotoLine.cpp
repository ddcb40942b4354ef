#include "viewer/DlgGotoLine.h"

#include "resources/shownmail/ShownMailResource.h"

CDlgGotoLine::CDlgGotoLine(CWnd* pParent) : CDialog(IDD_GOTO_LINE, pParent) {}

BOOL CDlgGotoLine::OnInitDialog()
{
    ::SetDlgItemInt(m_hWnd, IDC_GOTO_LINE_NUMBER, static_cast<UINT>(m_nLine), FALSE);
    return TRUE;
}

void CDlgGotoLine::OnOK()
{
    BOOL ok = FALSE;
    UINT line = ::GetDlgItemInt(m_hWnd, IDC_GOTO_LINE_NUMBER, &ok, FALSE);
    if (!ok) {
        MessageBeep(MB_ICONEXCLAMATION);
        ::SetFocus(GetDlgItemHwnd(IDC_GOTO_LINE_NUMBER));
        return;
    }
    m_nLine = static_cast<int>(line);
    EndDialog(IDOK);
}
