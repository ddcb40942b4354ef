#include "mainwnd/DlgSelectFolder.h"

#include "core/QuendalApp.h"
#include "mainwnd/FolderImages.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderData.h"

#include <map>

BEGIN_MESSAGE_MAP(CDlgSelectFolder, CDialog)
    ON_NOTIFY(NM_DBLCLK, IDC_SELECT_FOLDER_TREE, OnTreeDblClick)
END_MESSAGE_MAP()

CDlgSelectFolder::CDlgSelectFolder(CWnd* pParent) : CDialog(IDD_SELECT_FOLDER, pParent)
{
}

BOOL CDlgSelectFolder::OnInitDialog()
{
    if (!m_strTitle.IsEmpty())
        SetWindowText(m_strTitle);
    m_tree.SubclassDlgItem(IDC_SELECT_FOLDER_TREE, this);
    if (CreateFolderImageList(m_images))
        m_tree.SetImageList(m_images.m_hImageList, TVSIL_NORMAL);
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return TRUE;
    CFolderData data;
    pApp->LoadFolderList(data);
    std::map<int, HTREEITEM> items;
    HTREEITEM hPreselect = nullptr;
    for (int i = 0; i < data.GetRecordCount(TRUE); ++i) {
        CFolderRecord* r = data.GetFolder(i);
        auto parent = items.find(r->m_nParentId);
        HTREEITEM hParent = r->m_nParentId && parent != items.end() ? parent->second : TVI_ROOT;
        HTREEITEM hItem = m_tree.InsertItem(r->m_strName, r->m_nIcon, r->m_nIcon, hParent, TVI_LAST, r->m_nId);
        if (hParent != TVI_ROOT)
            m_tree.Expand(hParent, TVE_EXPAND);
        items[r->m_nId] = hItem;
        if (r->m_nId == m_nPreselectId)
            hPreselect = hItem;
    }
    if (hPreselect) {
        m_tree.SelectItem(hPreselect);
        m_tree.EnsureVisible(hPreselect);
    }
    return TRUE;
}

void CDlgSelectFolder::OnOK()
{
    HTREEITEM hItem = m_tree.GetSelectedItem();
    if (!hItem)
        return;
    m_nSelectedId = static_cast<int>(m_tree.GetItemData(hItem));
    EndDialog(IDOK);
}

void CDlgSelectFolder::OnTreeDblClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnOK();
}
