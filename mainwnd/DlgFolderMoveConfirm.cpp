#include "mainwnd/DlgFolderMoveConfirm.h"

#include "resources/mainwnd/MainWndResource.h"

BEGIN_MESSAGE_MAP(CDlgFolderMoveConfirm, CDialog)
    ON_BN_CLICKED(IDC_MOVE_ABOVE, OnAbove)
    ON_BN_CLICKED(IDC_MOVE_BELOW, OnBelow)
    ON_BN_CLICKED(IDC_MOVE_CHILD, OnChild)
END_MESSAGE_MAP()

CDlgFolderMoveConfirm::CDlgFolderMoveConfirm(const char* pszQuestion, CWnd* pParent)
    : CDialog(IDD_FOLDER_MOVE_CONFIRM, pParent), m_strQuestion(pszQuestion)
{
}

BOOL CDlgFolderMoveConfirm::OnInitDialog()
{
    SetDlgItemText(IDC_MOVE_QUESTION, m_strQuestion);
    return TRUE;
}
