// CReferenceMailTree: the tree pane of a thread tree window: the top item
// "メールスレッド" and below it the mails of one reply thread of a folder.
// Selecting an item shows its mail in the window's mail view; the unlink
// command takes the selected mail out of the thread.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/TreeView.h"

#include <vector>

class CMailFolderStore;
class CMailView;

class CReferenceMailTree : public CTreeView
{
public:
    CReferenceMailTree() = default;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;

    void SetMail(CMailFolderStore* pStore, int nIndex, CMailView* pView);
    // Fills the tree afresh; bKeepRoot keeps the thread's root unless it is gone.
    void Build(bool bKeepRoot);
    void SetShowTitle(bool bShow) { m_bShowTitle = bShow; }
    // The mail of the selected item, -1 for none (or the top item).
    int GetSelectedMail() const;
    void SelectPrevious();
    void SelectNext();
    // Asks, then takes the selected mail out of the thread.
    void UnlinkSelected();
    // Links the mails into the thread below the item of nParentMail (-1 the top item).
    BOOL LinkMails(int nParentMail, const std::vector<int>& mails);
    int GetRootMail() const { return m_nRoot; }
    CMailFolderStore* GetFolder() const { return m_pStore; }

protected:
    void OnSelChanged(NMHDR* pHdr, LRESULT* pResult);
    void OnRightClick(NMHDR* pHdr, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pHdr, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    CString ItemText(int nMail) const;
    int ImageOf(int nMail, bool bLoop) const;
    HTREEITEM FindItem(HTREEITEM hFrom, LPARAM data) const;
    void AnnounceChange() const;

    CMailFolderStore* m_pStore = nullptr;
    CMailView* m_pView = nullptr;
    int m_nCurrent = -1;
    int m_nRoot = -1;
    bool m_bShowTitle = true;
    bool m_bFilling = false;
    std::vector<int> m_loopMails;
};
