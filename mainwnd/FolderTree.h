// CFolderTree: the folder pane of the main window, a form with the account
// box and the folder tree. The tree mirrors the application's open-folder
// list (the order and nesting of "Folder.dat"); selecting an item makes its
// folder the current one. The pane owns the folder commands: create,
// rename, delete and properties.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ComboBox.h"
#include "core/FolderTreeCtrl.h"

class CFolderDropTarget;
class CMailFolderStore;
class CMainFrame;
class COleDataSource;

class CFolderTree : public CFormView
{
public:
    CFolderTree();
    ~CFolderTree() override;

    void OnInitialUpdate() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Refills the box over the tree: the accounts of the account table, or
    // in profile mode the profiles of "Profile.Box".
    void FillAccountCombo();
    // Rebuilds every item from the folder list.
    void BuildTree();
    // Shows the folders of the profile in use (every folder without one),
    // keeping the selected folder where it is still shown.
    void RebuildForProfile();
    // Position: 0 above the item, 1 below it, 2 its last child. Returns the new id, or 0.
    // Profile scope: 0 every profile that lists the parent (the profile in
    // use for a top-level folder), 1 or -1 the profile in use, 2 every profile.
    int CreateFolder(const char* pszDirectory, HTREEITEM hItem, const char* pszName, int nPosition,
                     BOOL bNewDirectory, int nProfileScope = 0);
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
    // The next (previous) visible folder selected, as the arrow keys would.
    void SelectAdjacentFolder(BOOL bNext);
    // The tree scrolled by one item.
    void ScrollTree(BOOL bDown);
    // The account box focused with its list dropped down.
    void DropDownAccounts();

    CFolderTreeCtrl& GetTreeCtrl() { return m_tree; }
    HTREEITEM FindItem(int nFolderId) const;
    int GetSelectedFolderId() const;

    // ---- Drag and drop (FolderTreeDragDrop.cpp) ----
    // The effect of data held over the item at a screen point (highlighting
    // the item), or none.
    DWORD OnDragOverItem(IDataObject* pData, DWORD dwKeys, POINT ptScreen);
    void OnDragLeaveTree();
    // Drops the data on the highlighted item; false when nothing was dropped.
    BOOL OnDropItem(IDataObject* pData, DWORD dwEffect);
    BOOL PutFolderOnDataSource(HTREEITEM hItem, COleDataSource* pSource);
    BOOL DropMails(int nTargetFolderId, IDataObject* pData, DWORD dwEffect);
    BOOL DropFolder(int nTargetFolderId, IDataObject* pData);
    BOOL DropFiles(int nTargetFolderId, IDataObject* pData);
    // A dropped directory offered as a new folder that keeps its data there.
    BOOL DropDirectory(int nTargetFolderId, const CString& directory);

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
    void OnAccountCloseUp();
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
    // Drag and drop (FolderTreeDragDrop.cpp).
    void OnBeginDrag(NMHDR* pHdr, LRESULT* pResult);
    void OnTimer(UINT_PTR nIDEvent);
    void RegisterDropTarget();
    void RevokeDropTarget();

    DECLARE_MESSAGE_MAP()

private:
    CMainFrame* GetMainFrame() const;
    CMailFolderStore* StoreOf(HTREEITEM hItem) const;
    bool HasUnreadBelow(HTREEITEM hItem) const;
    // The images of the items from hFirst on and of everything below them.
    void UpdateAllItemImages(HTREEITEM hFirst);
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
    // The item a drag hovers over, and the drop target of the tree.
    HTREEITEM m_hHoverItem = nullptr;
    CFolderDropTarget* m_pDropTarget = nullptr;
};
