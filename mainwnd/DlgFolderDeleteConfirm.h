// CDlgFolderDeleteConfirm: confirms a folder deletion. The result is 1 to
// delete folder and data directory, 2 to delete the folder only, 0 to cancel.
#pragma once

#include "classlib/ClassLib.h"

class CDlgFolderDeleteConfirm : public CDialog
{
public:
    explicit CDlgFolderDeleteConfirm(CWnd* pParent = nullptr);

    void OnOK() override { EndDialog(1); }
    void OnCancel() override { EndDialog(0); }

protected:
    void OnFolderOnly() { EndDialog(2); }

    DECLARE_MESSAGE_MAP()
};
