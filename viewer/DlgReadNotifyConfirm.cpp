#include "viewer/DlgReadNotifyConfirm.h"

#include "resources/viewer/ViewerResource.h"
#include "viewer/ReadStatePolicy.h"

BEGIN_MESSAGE_MAP(CDlgReadNotifyConfirm, CDialog)
    ON_BN_CLICKED(IDC_READ_NOTIFY_LATER, OnLater)
END_MESSAGE_MAP()

CDlgReadNotifyConfirm::CDlgReadNotifyConfirm(const char* pszText, CWnd* pParent)
    : CDialog(IDD_READ_NOTIFY_CONFIRM, pParent), m_strText(pszText)
{
}

BOOL CDlgReadNotifyConfirm::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendDlgItemMessageA(m_hWnd, IDC_READ_NOTIFY_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_QUESTION)), 0);
    SetDlgItemText(IDC_READ_NOTIFY_TEXT, m_strText);
    MessageBeep(MB_OK);
    return TRUE;
}

void CDlgReadNotifyConfirm::OnLater()
{
    EndDialog(CReadStatePolicy::answerLater);
}
