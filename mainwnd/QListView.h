// CQListView: the list of the current folder's mails in the main window. A
// virtual list: the control holds a row count and each row is the record at
// that position of the folder index's display array (flat or as reply
// threads). Rows are drawn by the view: colour labels, unread rows in their
// own font, icons, and replies indented under their thread.
#pragma once

#include "classlib/ClassLib.h"
#include "mainwnd/MailListFormat.h"

#include <cstdint>
#include <set>
#include <vector>

class CMailFolderStore;
class CMailListData;
class CMainFrame;

class CQListView : public CListView
{
public:
    CQListView() = default;
    ~CQListView() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;
    // The columns' widths added up as a first start shows them (no widths
    // stored): what the main window needs to show them whole.
    static int FirstStartColumnsWidth();

    // Shows the folder with the id; false when there is no such folder.
    BOOL SetFolder(int nFolderId, BOOL bReload, BOOL bKeepPosition);
    // Shows a folder store (the id lookup's work, also used directly).
    BOOL ShowFolder(CMailFolderStore* pStore, BOOL bReload, BOOL bKeepPosition);
    void SortList(int nItem, BOOL bKeepPosition);
    // A sort chosen from the menu: like a click on the item's column (the
    // same item again turns the order round).
    void SortByItem(int nItem);
    // Forgets the folder (it is about to go).
    void ClearFolder();

    int GetFolderId() const { return m_nFolderId; }
    CMailFolderStore* GetFolderStore() const { return m_pStore; }
    // The mail index of a row, -1 when the row is out of range.
    int GetMailIndex(int nRow) const;
    // Selects and shows the row of a mail; false when the mail has no row.
    BOOL SelectMail(int nMailIndex);
    void RedrawMail(int nMailIndex);
    // Refreshes the rows after the folder's mails changed.
    void OnMailListChanged();
    void ShowSelectedMail();
    void NotifyFolderCounts();
    void MoveSelection(UINT nMessage);
    void LoadColors();
    // The list options of the basic settings (icons, sender column, sort
    // memory), read again and shown.
    void LoadListOptions();
    void ReadListOptions();
    // The user's date and time formats read again (after the basic settings
    // or a system setting changed) and the date columns shown in them.
    void LoadDateFormats();
    void SaveColumnWidths();
    int GetSortItem() const { return m_nSortItem; }
    int GetSortMode() const { return m_nSortMode; }
    int GetCurrentRow() const { return m_nCurrentRow; }

    // ---- Mail commands (QListViewCommands.cpp) ----
    // Mail indices of the selected rows, in row order.
    std::vector<int> GetSelectedMails() const;
    BOOL HasSelection() const;
    // The id that names this list in the mail blocks it builds.
    uint32_t GetSourceId();
    // The mail block of the selection (operation 0 drag, 1 copy, 2 cut), or
    // null when nothing is selected or memory runs out.
    HGLOBAL BuildMailObject(int nOperation);
    void ClearCutMarks(BOOL bKeepClipboard);
    BOOL IsCutMail(int nMailIndex) const { return m_cutMails.count(nMailIndex) != 0; }
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    // Copies or moves the mails of a block into this view's folder.
    BOOL PasteMailObject(HGLOBAL hBlock);
    void DeleteSelectedMails(BOOL bPermanent);
    // Copies (or moves) the selection into another folder.
    BOOL CopySelectionToFolder(CMailFolderStore* pTarget, BOOL bMove);
    BOOL MoveToNextUnread(BOOL bAllFolders);
    void ResetUnreadWalk() { m_nUnreadAnchor = -1; }
    void ExportSelectedMails();
    // Each mail through the text or HTML template ("exp_temp.txt", "exp_temp.html").
    void ExportMailsAsText(const std::vector<int>& mails, BOOL bHtml);
    void JoinPartialMail();
    void EditSelectedMails(int nKind, int nForwardStyle, const char* pszTemplate = "");

    // ---- Windows and dialogs of the focused mail (QListViewMailWindows.cpp) ----
    // The mail the commands act on: the focused row's, else the first selected.
    int GetFocusedMail() const;
    void ShowContextMenu(POINT ptScreen);
    void ShowHeaderWindow();
    void ShowMailProperties();
    void OpenThreadView(BOOL bAsTree);
    // The task input dialog for the focused mail; on OK the task is added
    // and the task list written.
    BOOL AddTaskForFocusedMail();
    // The task input dialog on the focused mail's task (a new one when it has none).
    BOOL EditTaskOfFocusedMail();

protected:
    void DrawItem(DRAWITEMSTRUCT* pDis) override;
    void MeasureItem(MEASUREITEMSTRUCT* pMis) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnGetDispInfo(NMHDR* pHdr, LRESULT* pResult);
    void OnColumnClick(NMHDR* pHdr, LRESULT* pResult);
    void OnItemChanged(NMHDR* pHdr, LRESULT* pResult);
    void OnReturn(NMHDR* pHdr, LRESULT* pResult);
    void OnDblClick(NMHDR* pHdr, LRESULT* pResult);
    void OnClick(NMHDR* pHdr, LRESULT* pResult);
    void OnSetFocus(HWND hOldWnd);
    void OnKillFocus(HWND hNewWnd);
    void OnDestroy();
    // Mail commands (QListViewCommands.cpp).
    LRESULT OnCopyMessage(WPARAM, LPARAM);
    LRESULT OnCutMessage(WPARAM, LPARAM);
    LRESULT OnPasteMessage(WPARAM, LPARAM);
    void OnListKeyDown(NMHDR* pHdr, LRESULT* pResult);
    void OnBeginDrag(NMHDR* pHdr, LRESULT* pResult);
    void OnMailDelete();
    void OnMarkCommand(UINT nID);
    void OnReplyCommand(UINT nID);
    void OnMailExport();
    void OnCopyToFolder(UINT nID);
    void OnNextUnread();
    void OnNextUnreadAll();
    void OnUpdateNeedSelection(CCmdUI* pCmdUI);
    // A viewer window asks the list to move on from its mail (lParam a
    // MailObjectBlock::MailRef*, answered with the mail moved to).
    LRESULT OnContextMenuMsg(WPARAM, LPARAM lParam);
    LRESULT OnMouseWheelMsg(WPARAM wParam, LPARAM lParam);
    void OnMailWindowCommand(UINT nID);
    void OnUpdateMailWindowCommand(CCmdUI* pCmdUI);
    LRESULT OnViewerMovePrevious(WPARAM, LPARAM lParam);
    LRESULT OnViewerMoveNext(WPARAM, LPARAM lParam);
    LRESULT MoveForViewer(UINT message, LPARAM token);

    DECLARE_MESSAGE_MAP()

private:
    CMailListData* GetList() const;
    CMainFrame* GetMainFrame() const;
    MailListFormat::RowTextOptions RowOptions() const;
    void MakeFonts(HDC hDC);
    void DeleteFonts();
    void UpdateSortMark(int nColumn);
    void ToggleThread(int nRow);
    void DrawThreadLines(HDC hDC, int nLeft, int nTop, int nBottom, int nRow);
    void SetAllThreadsOpen(bool bOpen);
    void ReReadFromBackup();
    void OpenSelectedMail();

    int m_nFolderId = 0;
    CMailFolderStore* m_pStore = nullptr;
    int m_nCurrentRow = -1;
    int m_nSortItem = 4;
    int m_nSortMode = 0;
    int m_nSortColumn = -1;
    bool m_bShowTo = false;
    bool m_bSortPerFolder = false;
    bool m_bOwnMailTo = false;
    bool m_bPriority = true;
    bool m_bReplyIcon = true;
    bool m_bHasFocus = false;
    bool m_bProgramSelect = false;
    // A drag of mails from this list is under way; a selection made
    // meanwhile shows its mail when the drag ends.
    bool m_bDragging = false;
    bool m_bShowPending = false;
    bool m_bInitialised = false;
    int m_nAddressType = 0;
    MailListFormat::ListColors m_colors = {};
    HFONT m_hUnreadFont = nullptr;
    HFONT m_hReadFont = nullptr;
    // The list font's character height, for the language fonts of rows.
    int m_nFontPixels = 0;
    int m_nRowHeight = 18;
    // Where the expand box of thread rows is drawn (client x range).
    int m_nBoxLeft = -1, m_nBoxRight = -1;
    // The date columns' format, handed to every folder's index.
    CString m_strDateFormat = "%Y/%m/%d %H:%M:%S";
    // Mails of this list that are cut to the clipboard (drawn with the cut
    // images until pasted or the clipboard changes).
    std::set<int> m_cutMails;
    uint32_t m_nSourceId = 0;
    // Where a walk to the next unread mail started (-1: none under way).
    int m_nUnreadAnchor = -1;
};
