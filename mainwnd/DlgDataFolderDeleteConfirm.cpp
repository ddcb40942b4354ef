#include "mainwnd/DlgDataFolderDeleteConfirm.h"

#include "resources/mainwnd/MainWndResource.h"

BEGIN_MESSAGE_MAP(CDlgDataFolderDeleteConfirm, CDialog)
    ON_BN_CLICKED(IDC_DELETE_FOLDER_ONLY, OnFolderOnly)
END_MESSAGE_MAP()

CDlgDataFolderDeleteConfirm::CDlgDataFolderDeleteConfirm(BOOL bCancelOnly, CWnd* pParent)
    : CDialog(IDD_DATA_FOLDER_DELETE, pParent), m_bCancelOnly(bCancelOnly)
{
}

BOOL CDlgDataFolderDeleteConfirm::OnInitDialog()
{
    SetDlgItemText(IDC_DATA_FOLDER_TEXT, m_strText);
    if (m_bCancelOnly) {
        ::EnableWindow(GetDlgItemHwnd(IDOK), FALSE);
        ::EnableWindow(GetDlgItemHwnd(IDC_DELETE_FOLDER_ONLY), FALSE);
        ::SetFocus(GetDlgItemHwnd(IDCANCEL));
        return FALSE;
    }
    return TRUE;
}
