// CMailViewerFrame: the top-level window of a viewer: the mail view (in
// viewer mode) with a status bar, the viewer's menu and keys, and the walk
// to the previous, next and next unread mail of the list the mail came from.
//
// That list is the main window's mail list, or a list of found mails. The
// main list is asked to move along with the viewer for as long as it can
// (it then shows the same mail); after that the viewer walks the folder's
// index by itself.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/FrameWnd.h"
#include "classlib/StatusBar.h"

class CMailFolderStore;
class CMailIndexRecord;
class CMailView;
class CMailViewerThread;
class CQListView;

class CMailViewerFrame : public CFrameWnd
{
public:
    CMailViewerFrame() = default;

    BOOL Create(CMailViewerThread* pThread, HWND hList);
    void ShowMail(CMailFolderStore* pStore, int nIndex, BOOL bNoQuestion);
    void AskReadNotifyIfPending();
    void ReloadHtmlSetting();
    void SetListWindow(HWND hList) { m_hList = hList; }
    // Restores, (optionally centres) and brings the window to the front.
    void Activate(BOOL bCenter);
    void MoveMail(bool bNext);
    // Opens the mail editor of that kind for the shown mail, then closes.
    void OpenEditorAndClose(int nKind);
    void DeleteShownMail();

    CMailView* GetView() const { return m_pView; }

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnDestroy();
    void OnPrevMail() { MoveMail(false); }
    void OnNextMail() { MoveMail(true); }
    void OnNextUnread(UINT nID);
    void OnReply(UINT nID);
    void OnNewMail();
    void OnDelete() { DeleteShownMail(); }
    void OnBookmark(UINT nID);
    void OnSelectInList();
    void OnRelated(UINT nID);
    void OnClose();
    void OnUpdateNeedMail(CCmdUI* pCmdUI);
    void OnUpdateNextUnread(CCmdUI* pCmdUI);

    DECLARE_MESSAGE_MAP()

private:
    // The list of found mails the viewer came from, or null for the main list.
    HWND FoundList() const;
    CQListView* MainList() const;
    CMailIndexRecord* ShownRecord() const;
    bool ShowFoundRow(int nRow);
    // The nearest live mail in the folder's display order, or -1.
    int NeighbourInFolder(int nIndex, bool bNext) const;
    void PostToMainThread(UINT message, WPARAM wParam, LPARAM lParam) const;
    void SavePlacement();

    CMailViewerThread* m_pThread = nullptr;
    CMailView* m_pView = nullptr;  // deletes itself with its window
    CStatusBar m_statusBar;
    HWND m_hList = nullptr;
    bool m_bFollowList = true;
};
