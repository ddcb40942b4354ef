// CDlgAddressNote: the address book window: the group tree, the selected
// group's addresses, quick-entry fields and the buttons that edit addresses
// and groups or put addresses into a mail's recipients. It edits the
// address-book files itself and tells the address-book thread (1434) after
// changes. It serves as a modeless window beside the main window or an
// editor, as a modal picker for a dialog's recipient fields, and as a plain
// modal dialog.
#pragma once

#include "addressbook/AddressDataSet.h"
#include "addressbook/AddressGroupDataSet.h"
#include "addressbook/AddressNoteRules.h"
#include "addressbook/ImageButton.h"
#include "classlib/ComboBox.h"
#include "core/QListCtrl.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Tells the address-book thread (1434) that address-book files changed.
void PostAddressBookChanged();

class CDlgAddressSearch;
class COleDataSource;

// Where chosen addresses go: three edit fields (an editor's To, CC and BCC,
// or a dialog's) or three list controls (the send-information dialog's).
// The editor learns of each change through onChanged (field 0 To, 1 CC,
// 2 BCC) to lay out its header again, mark the mail modified and show a
// hidden BCC field.
struct CAddressRecipientTargets
{
    HWND hEdit[3] = { nullptr, nullptr, nullptr };
    HWND hList[3] = { nullptr, nullptr, nullptr };
    HWND hOwnerEditor = nullptr;  // the editor window the edits belong to
    std::function<void(int nField)> onChanged;
};

class CDlgAddressNote : public CDialog
{
public:
    // Window message: open the add-address dialog filled with the texts
    // given to SetPresetAddress.
    static constexpr UINT WM_ADD_PRESET_ADDRESS = WM_USER + 1024;
    // Window message: another window changed the files this window had
    // read; show them as they are now (wParam 1 the group tree as well).
    static constexpr UINT WM_RELOAD_FROM_FILES = WM_USER + 1025;
    // The window class of the address book window (a dialog class).
    static constexpr const char* kWindowClass = "CVMAddressNoteWndClass";
    // Sent to the window that addresses are dropped on when it is none of
    // the window's targets (lParam: the token of the recipient text, a
    // std::string in the posted-object table); a window that took them
    // answers 1. An editor's address fields do.
    static UINT AddressDropMessage();

    explicit CDlgAddressNote(CWnd* pParent = nullptr);
    ~CDlgAddressNote() override;

    // ---- Opening ----
    // The modeless window, created hidden; pKeepRect (may be null) is where
    // the window's rectangle is kept between openings.
    BOOL CreateModeless(CWnd* pParent, RECT* pKeepRect, const CAddressRecipientTargets& targets);
    // Loads groups and addresses, restores the saved placement and shows
    // the modeless window (nothing when it is shown already).
    void ShowFirstTime();
    // Modal picking: the default action fills hOwnerField; closing hands
    // the selection back in GetPickedText.
    void SetPicking(HWND hOwnerField, const CAddressRecipientTargets& targets);
    // The field a double-click fills (null: the default action's own
    // choice); an editor retargets its open window with it.
    void SetOwnerField(HWND hOwnerField) { m_hOwnerField = hOwnerField; }
    void SetEntryText(const char* pszName, const char* pszAddress, const char* pszMemo);
    void SetPresetAddress(const char* pszName, const char* pszAddress, const char* pszMemo);
    const CString& GetPickedText() const { return m_strPicked; }

    BOOL m_bAddressOnly = FALSE;     // recipients get bare addresses
    BOOL m_bCloseAfterPick = FALSE;  // a double-click closes the window
    BOOL m_bGroupReference = FALSE;  // a double-clicked group becomes "%GL$name$%"
    // A modeless window made with new deletes itself when it is destroyed.
    BOOL m_bDeleteOnDestroy = FALSE;

    // ---- Used by the search dialog and the openers ----
    void RunNextSearch();
    CAddressGroupData* GetCurrentGroup() const { return m_pCurGroup; }
    // The selected addresses as recipient text (or the entry fields').
    CString GetSelectedAddressText();
    // The entry fields as a "CVMail Address Object" data source (the caller releases it).
    COleDataSource* CreateAddressDataObject();

    // ---- Group and address operations behind the commands ----
    void ImportAddressFile(const char* pszPath);
    void ImportWab(const char* pszPath);
    // The addresses selected in the list dropped on a group (bMove: Shift held).
    void DropAddressesOnGroup(HTREEITEM hTarget, BOOL bMove);
    // The addresses selected in the list dropped on one of the recipient
    // targets or on a window of this program that takes them (the point in
    // screen co-ordinates); false when none is there.
    bool DropAddressesOnTarget(POINT screen);
    // The selected list items moved before the item at nDropIndex (or to the end).
    void DropAddressesOnList(int nDropIndex);
    // A group moved next to or below another, as the move question answers
    // (1 before, 2 after, 3 last child of the target).
    BOOL MoveGroup(HTREEITEM hItem, HTREEITEM hTarget, int nPlace);

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOK() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void PostNcDestroy() override;
    // Where a dropped group goes: 0 nowhere, 1 before, 2 after, 3 below the target.
    int AskGroupMove(const char* pszGroupName);
    // The file the import reads (an open-file dialog); false when none was chosen.
    virtual bool AskImportFilePath(CString& path);

    // Layout and settings (DlgAddressNote.cpp).
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnSplitterMoved(WPARAM wParam, LPARAM);
    LRESULT OnAddPresetAddress(WPARAM, LPARAM);
    LRESULT OnReloadFromFiles(WPARAM wParam, LPARAM);
    void LayoutControls();
    void SetupList();
    void SetDisplayMode(int nMode);
    void SaveColumnWidths();
    void CloseWindow();
    void OnHideEntry();
    void OnDisplayModeChanged();

    // Groups (DlgAddressNoteGroups.cpp).
    CString GetGroupListPath();
    void LoadGroupTree();
    void SaveGroupList();
    // Writes the table merged with its file against base (WriteMerged); a
    // write that fails is said in a message box.
    bool WriteFileMerged(CQDDataStrgSet& set, std::string& base, bool& bChangedByOthers,
                         std::string (*keyOf)(const std::string&) = nullptr);
    CAddressGroupData* GroupOfItem(HTREEITEM hItem) const;
    HTREEITEM FindGroupItem(int nGroupId) const;
    void SelectGroup(CAddressGroupData* pGroup);
    // Reads the current group's addresses and keeps what was read as the
    // base of the next merged write.
    void ReadCurrentAddresses();
    void FillAddressList();
    void SortList();
    void OnTreeSelChanged(NMHDR*, LRESULT*);
    void OnTreeItemExpanded(NMHDR* pNMHDR, LRESULT*);
    void OnTreeEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTreeRightClick(NMHDR*, LRESULT*);
    void OnTreeDblClick(NMHDR*, LRESULT*);
    void OnCreateGroup();
    void OnRenameGroup();
    void OnDeleteGroup();
    void OnGroupProperty();
    void OnRefreshLdapGroup();
    void OnImportAddressFile();
    void OnImportWab();
    void CollectGroupAddresses(HTREEITEM hItem, BOOL bSubgroups, CString& text);
    void OnGroupToRecipients(UINT nId);

    // Addresses and recipients (DlgAddressNoteEdit.cpp).
    void AddListItem(int nRecord);
    void UpdateListItem(int nItem);
    CAddressData* EntryOfItem(int nItem) const;
    void WriteCurrentGroup();
    void OnAddAddress();
    void OnChangeAddress();
    void OnDeleteAddresses();
    void OnAddressProperty();
    void OnWriteMail();
    void OnAddToRecipients(UINT nId);
    void OnListItemChanged(NMHDR* pNMHDR, LRESULT*);
    void OnListDblClick(NMHDR*, LRESULT*);
    void OnListKeyDown(NMHDR* pNMHDR, LRESULT*);
    void OnListSetFocus(NMHDR*, LRESULT*);
    void OnListColumnClick(NMHDR* pNMHDR, LRESULT*);
    void OnListRightClick(NMHDR*, LRESULT*);
    void OnSearch();
    void DefaultAction();
    void AppendToRecipientField(int nField, const char* pszText);
    BOOL ConfirmAddAddress(CString& address);

    // Dragging (DlgAddressNoteDrag.cpp).
    void OnListBeginDrag(NMHDR* pNMHDR, LRESULT*);
    void OnTreeBeginDrag(NMHDR* pNMHDR, LRESULT*);
    void OnMouseMove(UINT nFlags, POINT point);
    void OnLButtonUp(UINT nFlags, POINT point);
    void EndDrag();
    HTREEITEM TreeItemAt(POINT screen) const;
    bool IsSameOrBelow(HTREEITEM hItem, HTREEITEM hAncestor) const;
    HTREEITEM CopyTreeBranch(HTREEITEM hItem, HTREEITEM hParent, HTREEITEM hAfter);

    CQListCtrl m_list;
    CTreeCtrl m_tree;
    CImageButton m_splitter;
    CComboBox m_displayMode;
    CImageList m_treeImages;

    CAddressGroupDataSet m_groups;
    CAddressDataSet m_addresses;
    CAddressGroupData* m_pCurGroup = nullptr;
    // The files as this window last read or wrote them: what its writes are
    // merged against, so that other windows' changes stay.
    std::string m_strGroupsBase, m_strAddressesBase;

    CAddressRecipientTargets m_targets;
    HWND m_hOwnerField = nullptr;
    BOOL m_bPicking = FALSE;
    BOOL m_bModelessWindow = FALSE;
    RECT* m_pKeepRect = nullptr;
    CString m_strPicked;
    CString m_strPresetName, m_strPresetAddress, m_strPresetMemo;
    BOOL m_bEntryHidden = FALSE;
    BOOL m_bTreeLoaded = FALSE;  // the group list is saved only after it was shown

    int m_nSortMode = -1;
    BOOL m_bSortFlag = FALSE;
    BOOL m_bHeaderDescending = FALSE;
    int m_nDisplayMode = 0;
    int m_nSplitPos = 0;
    int m_nEntryRowHeight = 0;
    RECT m_rcTemplateClient = {};
    RECT m_rcTreeInit = {}, m_rcListInit = {};
    std::vector<std::pair<int, RECT>> m_initialRects;  // the rows under the panes

    std::unique_ptr<CDlgAddressSearch> m_pSearch;
    AddressNoteRules::SearchState m_search;

    // Drag state.
    BOOL m_bDragging = FALSE;
    BOOL m_bDragFromTree = FALSE;
    HTREEITEM m_hDragItem = nullptr;
    HTREEITEM m_hDropItem = nullptr;
    HIMAGELIST m_hDragImage = nullptr;

    DECLARE_MESSAGE_MAP()
};
