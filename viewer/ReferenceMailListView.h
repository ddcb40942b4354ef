// CReferenceMailListView: the rows of a related-mail list window, one per
// mail of the thread, each carrying its mail index. The rows read and look
// as the main window's mail list: its columns and texts, the read-state and
// attachment icons, unread mails in their own font, colour labels; the
// focused mail's properties and header window are a command away, and
// opening a row shows the mail in a viewer window. As in the mail list, a
// click on a column sorts the rows, the selected mails can be dragged onto
// a folder or copied, and the context menu marks them.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ListView.h"
#include "mainwnd/MailListFormat.h"

#include <memory>
#include <vector>

class CMailFolderStore;
class CMailIndexRecord;
class COwnerDrawMenu;

class CReferenceMailListView : public CListView
{
public:
    CReferenceMailListView() = default;
    ~CReferenceMailListView() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;

    // Lists the thread of the mail; false when the folder cannot be read.
    BOOL Fill(CMailFolderStore* pStore, int nIndex);
    int GetMailIndex(int nRow) const;
    int GetFocusedRow() const;
    // The list's colours and fonts from the settings (again after they changed).
    void LoadColors();
    // Sorts the rows by a sort item of the mail list as a click on its
    // column does: the same item again turns the order round.
    void SortByItem(int nItem);
    int GetSortItem() const { return m_nSortItem; }
    int GetSortMode() const { return m_nSortMode; }
    // The owner-drawn menu open over the list (the context menu's colour
    // labels), which the frame has drawn; null while none is open.
    COwnerDrawMenu* GetOpenMenu() const { return m_pOpenMenu; }

protected:
    void OnOpen();
    void OnPrev() { MoveBy(-1); }
    void OnNext() { MoveBy(1); }
    void OnReply(UINT nID);
    void OnProperties();
    void OnHeader();
    void OnUpdateNeedMail(CCmdUI* pCmdUI);
    void OnDblClick(NMHDR* pHdr, LRESULT* pResult);
    void OnReturn(NMHDR* pHdr, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pHdr, LRESULT* pResult);
    void OnColumnClick(NMHDR* pHdr, LRESULT* pResult);
    void OnBeginDrag(NMHDR* pHdr, LRESULT* pResult);
    void OnClipboardCommand(UINT nID);
    LRESULT OnCopyMessage(WPARAM, LPARAM);
    LRESULT OnCutMessage(WPARAM, LPARAM);
    LRESULT OnContextMenuMsg(WPARAM, LPARAM lParam);
    void OnMarkCommand(UINT nID);
    void OnListCommand(UINT nID);
    void OnUpdateNeedSelection(CCmdUI* pCmdUI);
    void OnUpdateReedit(CCmdUI* pCmdUI);
    // Commands of the mail list that belong to the main window only.
    void OnUpdateNotHere(CCmdUI* pCmdUI);

    DECLARE_MESSAGE_MAP()

private:
    void MoveBy(int nStep);
    CMailIndexRecord* RecordOfRow(int nRow) const;
    void SetRowTexts(int nRow, CMailIndexRecord& record);
    std::vector<int> GetSelectedMails() const;
    // The mail block of the selection (drag, copy or cut); null when none.
    HGLOBAL BuildMailObject(int nOperation);
    void ShowContextMenu(POINT ptScreen);
    // Rows of mails deleted meanwhile (moved away) leave the list.
    void DropDeletedRows();
    // The main window shows what changed in these mails.
    void AnnounceChanged(const std::vector<int>& mails) const;

    CMailFolderStore* m_pStore = nullptr;
    MailListFormat::ListColors m_colors = {};
    MailListFormat::RowTextOptions m_options;
    HFONT m_hUnreadFont = nullptr;
    HFONT m_hReadFont = nullptr;
    int m_nFontPixels = 0;
    // The thread order until a column is clicked (item -1), then the mail
    // list's sort item and mode (1 ascending).
    int m_nSortItem = -1;
    int m_nSortMode = 0;
    std::unique_ptr<COwnerDrawMenu> m_labelMenu;
    COwnerDrawMenu* m_pOpenMenu = nullptr;
};
