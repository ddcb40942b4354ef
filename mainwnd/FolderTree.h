// CFolderTree: the folder pane of the main window, a form with the account
// box and the folder tree. The tree mirrors the application's open-folder
// list (the order and nesting of "Folder.dat"); selecting an item makes its
// folder the current one. The pane owns the folder commands: create,
// rename, delete and properties.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ComboBox.h"
#include "core/FolderTreeCtrl.h"

class CMailFolderStore;
class CMainFrame;

class CFolderTree : public CFormView
{
public:
    CFolderTree();
    ~CFolderTree() override;

    void OnInitialUpdate() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Rebuilds every item from the folder list.
    void BuildTree();
    // Position: 0 above the item, 1 below it, 2 its last child. Returns the new id, or 0.
    int CreateFolder(const char* pszDirectory, HTREEITEM hItem, const char* pszName, int nPosition,
                     BOOL bNewDirectory);
    // 1 when the selected folder was deleted (or nothing was selected).
    int DeleteFolder(BOOL bAsk = TRUE, int nChoice = 0);
    void RenameFolder();
    void OpenSelectedFolder();
    // Writes the expanded state of every item into its record and the folder list to "Folder.dat".
    void SaveTreeState();
    void BackupFolderList();
    // Updates the images of an item, its first child and that child's siblings.
    void RefreshItemCounts(HTREEITEM hItem);
    void UpdateItemImage(HTREEITEM hItem);
    void RefreshFolderItem(int nFolderId);
    BOOL SelectFolder(int nFolderId);
    void ShowFolderProperties();
    // Marks every mail of the selected folder read or unread.
    void MarkAllMails(BOOL bRead);
    void ApplyColors();

    CFolderTreeCtrl& GetTreeCtrl() { return m_tree; }
    HTREEITEM FindItem(int nFolderId) const;
    int GetSelectedFolderId() const;

protected:
    void OnSize(UINT nType, int cx, int cy);
    void OnDestroy();
    void OnSelChanged(NMHDR* pHdr, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pHdr, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pHdr, LRESULT* pResult);
    void OnItemExpanded(NMHDR* pHdr, LRESULT* pResult);
    void OnRightClick(NMHDR* pHdr, LRESULT* pResult);
    void OnReturn(NMHDR* pHdr, LRESULT* pResult);
    void OnAccountChange();
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    HBRUSH OnCtlColor(HDC hDC, HWND hWnd, UINT nCtlColor);

    void OnFolderCreate();
    void OnFolderDelete();
    void OnFolderRename();
    void OnFolderProperties();
    void OnMarkAllRead() { MarkAllMails(TRUE); }
    void OnMarkAllUnread() { MarkAllMails(FALSE); }
    void OnUpdateFolderCreate(CCmdUI* pCmdUI);
    void OnUpdateNotBusy(CCmdUI* pCmdUI);

    DECLARE_MESSAGE_MAP()

private:
    CMainFrame* GetMainFrame() const;
    CMailFolderStore* StoreOf(HTREEITEM hItem) const;
    bool HasUnreadBelow(HTREEITEM hItem) const;
    void FillAccountCombo();
    void ApplyRename(HTREEITEM hItem, CMailFolderStore* pStore, const CString& name);
    void RemoveFolderItem(HTREEITEM hItem, CMailFolderStore* pStore);

    CFolderTreeCtrl m_tree;
    CComboBox m_combo;
    CImageList m_images;
    HBRUSH m_hBackBrush = nullptr;
    HFONT m_hTreeFont = nullptr;
    COLORREF m_crBack = 0xFFF3C8;
    COLORREF m_crText = 0;
    bool m_bBuilding = false;
};
