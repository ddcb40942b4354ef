// CQMailSearchListView: the result list of a search window. Unlike the main
// window's list it holds real rows, one per found mail, each pointing to a
// (folder store, mail index) pair of any folder, and sorts them itself.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

class CMailFolderStore;
class CMailIndexRecord;

class CQMailSearchListView : public CListView
{
public:
    struct FoundMail
    {
        CMailFolderStore* pStore;
        int nIndex;
    };

    CQMailSearchListView() = default;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;

    // Appends a row for a live mail (a deleted one is ignored); nPos -1 is
    // the end. Returns the row or -1.
    int AddFoundMail(int nIndex, CMailFolderStore* pStore, int nPos = -1);
    void ClearFoundMails();
    int GetFoundCount() const { return GetListCtrl().GetItemCount(); }
    // The found mail of a row, or null.
    const FoundMail* GetFoundMail(int nRow) const;
    std::vector<int> GetSelectedRows() const;
    // Deletes the mail of a row (-1: every selected row): copied to the
    // trash first unless bPermanent or the mail is in the trash, and kept
    // when that copy fails; delete-protected mails stay.
    void DeleteFoundMails(int nRow, BOOL bPermanent);
    // Drops rows whose mail was deleted elsewhere.
    void OnMailListChanged();
    // Opens the focused (or first selected) mail the way the main list does.
    void OpenSelectedMail();
    void SelectRow(int nRow);
    void SelectAll();
    void SaveColumnWidths();

    // Sort state: each column click reverses the one direction all search
    // lists share.
    static BOOL s_bAscending;

protected:
    void OnDblClick(NMHDR* pHdr, LRESULT* pResult);
    void OnReturn(NMHDR* pHdr, LRESULT* pResult);
    void OnColumnClick(NMHDR* pHdr, LRESULT* pResult);
    void OnKeyDown(NMHDR* pHdr, LRESULT* pResult);
    void OnBeginDrag(NMHDR* pHdr, LRESULT* pResult);
    void OnDestroy();
    void OnMailDelete();
    void OnEditCopy();
    void OnEditCut();

    DECLARE_MESSAGE_MAP()

private:
    void SetRowTexts(int nRow, const FoundMail& mail);
    HGLOBAL BuildMailObject(int nOperation);
    void PutOnClipboard(int nOperation);

    // Found mails by their item data (never reused while the list lives).
    std::vector<FoundMail> m_found;
    int m_nSortColumn = -1;
    bool m_bInitialised = false;
};
