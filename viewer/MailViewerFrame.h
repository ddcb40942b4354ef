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
#include "classlib/ImageList.h"
#include "classlib/StatusBar.h"
#include "classlib/ToolBar.h"

class CMailFolderStore;
class CMailIndexRecord;
class CMailView;
class CMailViewerThread;
class CQListView;

class CMailViewerFrame : public CFrameWnd
{
public:
    CMailViewerFrame() = default;
    ~CMailViewerFrame() override;

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
    // The main window answered a search for unread mail in other folders:
    // when it moved, its list's selected mail is shown and the list becomes
    // the viewer's; either way the wait ends.
    void OnFolderSearchAnswer(bool bMoved);

    CMailView* GetView() const { return m_pView; }

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra = nullptr, LRESULT* pResult = nullptr) override;

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
    // Viewer commands that reach the settings, the templates and the shown
    // mail (MailViewerCommands.cpp).
    void OnTemplateNew();
    void OnTemplateReply();
    void OnViewSettings();
    void OnFontColor();
    void OnHtmlSwitch();
    void OnUpdateHtmlSwitch(CCmdUI* pCmdUI);
    void OnSendReadNotify();
    void OnUpdateSendReadNotify(CCmdUI* pCmdUI);
    void OnHistory(UINT nID);
    void OnUpdateHistory(CCmdUI* pCmdUI);
    void OnHelp();
    // 表示 > ツールバー / ステータスバー: shows or hides the bar.
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnUpdateViewToolBar(CCmdUI* pCmdUI);
    void OnUpdateViewStatusBar(CCmdUI* pCmdUI);
    // A double click on the mail view: the window is maximised or restored.
    LRESULT OnToggleMaximized(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    // The list of found mails the viewer came from, or null for the main list.
    HWND FoundList() const;
    CQListView* MainList() const;
    CMailIndexRecord* ShownRecord() const;
    bool ShowFoundRow(int nRow);
    // The nearest live mail in the folder's display order, or -1.
    int NeighbourInFolder(int nIndex, bool bNext) const;
    // Asks the main list to move from the viewer's mail to the next or
    // previous one; the mail it moved to, or -1 when it did not move.
    int MoveMainList(CQListView* pList, int nFolderId, int nIndex, bool bNext) const;
    void PostToMainThread(UINT message, WPARAM wParam, LPARAM lParam) const;
    void SavePlacement();
    static bool IsBarShown(const CControlBar& bar);
    BOOL CreateToolBar();
    BOOL CreateStatusBar();
    // The key-state panes of the status bar.
    void UpdateKeyIndicators();
    void SetIdlePrompt();

    CMailViewerThread* m_pThread = nullptr;
    CMailView* m_pView = nullptr;  // deletes itself with its window
    CStatusBar m_statusBar;
    CToolBar m_toolBar;
    HBITMAP m_hToolBarImages = nullptr;  // the user's toolbar bitmap, owned
    CImageList m_toolBarPictures;        // the program's own, without one
    HWND m_hList = nullptr;
    bool m_bFollowList = true;
};
