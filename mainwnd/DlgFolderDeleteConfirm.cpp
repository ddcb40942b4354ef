#include "mainwnd/DlgFolderDeleteConfirm.h"

#include "resources/mainwnd/MainWndResource.h"

BEGIN_MESSAGE_MAP(CDlgFolderDeleteConfirm, CDialog)
    ON_BN_CLICKED(IDC_DELETE_FOLDER_ONLY, OnFolderOnly)
END_MESSAGE_MAP()

CDlgFolderDeleteConfirm::CDlgFolderDeleteConfirm(CWnd* pParent) : CDialog(IDD_FOLDER_DELETE, pParent)
{
}
