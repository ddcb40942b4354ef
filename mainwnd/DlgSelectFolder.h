// CDlgSelectFolder: chooses a target folder from a fresh read of the folder
// list (every folder, whatever the active profile shows).
#pragma once

#include "classlib/ClassLib.h"

class CDlgSelectFolder : public CDialog
{
public:
    explicit CDlgSelectFolder(CWnd* pParent = nullptr);

    CString m_strTitle;
    int m_nPreselectId = 0;
    int m_nSelectedId = 0;

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void OnTreeDblClick(NMHDR* pHdr, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    CTreeCtrl m_tree;
    CImageList m_images;
};
