// CDlgDataFolderDeleteConfirm: the deletion question when other folders use
// the data directory. The result is 1 to delete folder and data, 3 to delete
// the folder only, 2 to cancel; with bCancelOnly only cancelling is possible.
#pragma once

#include "classlib/ClassLib.h"

class CDlgDataFolderDeleteConfirm : public CDialog
{
public:
    CDlgDataFolderDeleteConfirm(BOOL bCancelOnly, CWnd* pParent = nullptr);

    CString m_strText;

    BOOL OnInitDialog() override;
    void OnOK() override { EndDialog(1); }
    void OnCancel() override { EndDialog(2); }

protected:
    void OnFolderOnly() { EndDialog(3); }

    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bCancelOnly;
};
