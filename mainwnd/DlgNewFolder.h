// CDlgNewFolder: asks for the name of a new folder and where it goes
// relative to the selected folder (above, below, or as its last child).
#pragma once

#include "classlib/ClassLib.h"

class CDlgNewFolder : public CDialog
{
public:
    CDlgNewFolder(HTREEITEM hRefItem, CTreeCtrl* pTree, CWnd* pParent = nullptr);

    CString m_strName;
    int m_nPosition = 2;       // 0 above, 1 below, 2 sub-folder
    int m_nScope = 0;          // profile scope, not shown
    CString m_strDirectory;    // an existing directory the folder takes (file drop)

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    HTREEITEM m_hRefItem;
    CTreeCtrl* m_pTree;
};
