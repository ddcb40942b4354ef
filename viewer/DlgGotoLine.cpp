#include "viewer/DlgGotoLine.h"

#include "resources/shownmail/ShownMailResource.h"

CDlgGotoLine::CDlgGotoLine(CWnd* pParent) : CDialog(IDD_GOTO_LINE, pParent) {}

BOOL CDlgGotoLine::OnInitDialog()
{
    ::SetDlgItemInt(m_hWnd, IDC_GOTO_LINE_NUMBER, static_cast<UINT>(m_nLine), TRUE);
    return TRUE;
}

void CDlgGotoLine::OnOK()
{
    // -1 stands for the end of the text, so the number is read signed; below
    // that no line is meant.
    BOOL ok = FALSE;
    const int line = static_cast<int>(::GetDlgItemInt(m_hWnd, IDC_GOTO_LINE_NUMBER, &ok, TRUE));
    if (!ok || line < -1) {
        MessageBeep(MB_ICONEXCLAMATION);
        ::SetFocus(GetDlgItemHwnd(IDC_GOTO_LINE_NUMBER));
        return;
    }
    m_nLine = line;
    EndDialog(IDOK);
}
