// CReferenceMailTreeFrame: the top-level window of a thread tree: the tree
// above a mail view in a splitter, a status bar, its menu and keys. The tree
// takes mails dropped on it ("CVMail Mail Object") and links them into the
// thread.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/FrameWnd.h"
#include "classlib/SplitterWnd.h"
#include "classlib/StatusBar.h"

#include <vector>

class CMailFolderStore;
class CMailView;
class CReferenceMailTree;
class CThreadDropTarget;

class CReferenceMailTreeFrame : public CFrameWnd
{
public:
    CReferenceMailTreeFrame() = default;

    BOOL Create(CMailFolderStore* pStore, int nIndex);
    CReferenceMailTree* GetTree() const { return m_pTree; }
    CMailView* GetView() const { return m_pView; }

    // A drop of mails on the tree item at the screen point: the effect a
    // drag there would have, and the drop itself.
    DWORD DragOverAt(POINT ptScreen, const std::vector<int>& mails, int nFolderId);
    void DropAt(POINT ptScreen, const std::vector<int>& mails, int nFolderId);
    void EndDrag();

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnDestroy();
    void OnClose() { DestroyWindow(); }
    void OnPrev();
    void OnNext();
    void OnUnlink();
    void OnToggleTitle();
    void OnRefresh();
    void OnMaximizeView();
    void OnReply(UINT nID);
    void OnNewMail();
    void OnDelete();
    void OnSelectInList();

    DECLARE_MESSAGE_MAP()

private:
    HTREEITEM ItemAt(POINT ptScreen) const;
    void SavePlacement();

    CSplitterWnd m_splitter;
    CStatusBar m_statusBar;
    CReferenceMailTree* m_pTree = nullptr;  // views delete themselves
    CMailView* m_pView = nullptr;
    CThreadDropTarget* m_pDropTarget = nullptr;
    CMailFolderStore* m_pStore = nullptr;
    int m_nIndex = -1;
    bool m_bViewMaximized = false;
    int m_nSavedTreeHeight = -1;
};
