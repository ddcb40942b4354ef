#include "net/DlgHangUpCountdown.h"

BEGIN_MESSAGE_MAP(CDlgHangUpCountdown, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CDlgHangUpCountdown::CDlgHangUpCountdown(int nSeconds, CWnd* pParent) : CDialog(IDD, pParent), m_nSeconds(nSeconds)
{
}

BOOL CDlgHangUpCountdown::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowSeconds();
    SetTimer(kTimerId, 1000);
    return TRUE;
}

void CDlgHangUpCountdown::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTimerId) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    if (m_nSeconds <= 0) {
        KillTimer(kTimerId);
        EndDialog(IDOK);
        return;
    }
    m_nSeconds--;
    ShowSeconds();
}

void CDlgHangUpCountdown::ShowSeconds()
{
    CString text;
    text.Format("%d", m_nSeconds);
    SetDlgItemText(kIdcSeconds, text);
}
