// CReferenceMailListView: the rows of a related-mail list window, one per
// mail of the thread, each carrying its mail index. Opening a row shows the
// mail in a viewer window.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ListView.h"

class CMailFolderStore;

class CReferenceMailListView : public CListView
{
public:
    CReferenceMailListView() = default;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;

    // Lists the thread of the mail; false when the folder cannot be read.
    BOOL Fill(CMailFolderStore* pStore, int nIndex);
    int GetMailIndex(int nRow) const;
    int GetFocusedRow() const;

protected:
    void OnOpen();
    void OnPrev() { MoveBy(-1); }
    void OnNext() { MoveBy(1); }
    void OnReply(UINT nID);
    void OnDblClick(NMHDR* pHdr, LRESULT* pResult);
    void OnReturn(NMHDR* pHdr, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    void MoveBy(int nStep);

    CMailFolderStore* m_pStore = nullptr;
};
