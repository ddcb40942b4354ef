// CMainFrame: the main window (window class "CVMWndClass"): the folder
// pane on the left, the mail list and the mail view pane on the right (in
// splitters), the toolbar and the status bar with the folder's counts. It
// serves the thread messages other threads post about folders and mails,
// runs the minute and route timers, and decides whether the program may end.
#pragma once

#include "classlib/ClassLib.h"
#include "core/BusyAnimateCtrl.h"
#include "mainwnd/MainToolBar.h"
#include "mainwnd/OwnerDrawMenu.h"
#include "mainwnd/RouteTimer.h"
#include "mainwnd/TrayIcon.h"

class CFolderTree;
class CMailFolderStore;
class CMainFrameTransfer;
class CNotifyMailData;
class CQListView;

// What the frame asks of neighbours that may not be there yet; an empty
// slot means the neighbour's default.
struct MainFrameHooks
{
    // The route interval in minutes now in force (none: 10) and whether the
    // route is enabled (none: not enabled).
    int (*pfnGetRouteInterval)() = nullptr;
    bool (*pfnIsRouteEnabled)() = nullptr;
    // A plug-in event with the main window and a count (24: the main window closes).
    void (*pfnFirePlugInEvent)(int nEvent, HWND hWnd, int nCount) = nullptr;
    // A plug-in command (40000 to 41000) chosen; its prompt for the status bar.
    void (*pfnRunPlugInCommand)(UINT nID) = nullptr;
    bool (*pfnGetPlugInPrompt)(UINT nID, CString& prompt) = nullptr;
    // The plug-in information dialog (command 33219).
    void (*pfnShowPlugInInfo)(CWnd* pParent) = nullptr;
};
MainFrameHooks& GetMainFrameHooks();

class CMainFrame : public CFrameWnd
{
public:
    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs) override;
    void RecalcLayout(BOOL bNotify = TRUE) override;
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The frame's routing, then the folder pane and the list when they are
    // not the active view (MainFrameNavigation.cpp).
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra = nullptr, LRESULT* pResult = nullptr) override;
    // Activates and focuses a pane: 0 the list, 1 the mail view, 2 the folder tree.
    void FocusPane(int nPane);
    CView* GetMailTextView() const;

    // The main window's share of the application thread's messages; called by
    // the dispatcher and served through the table below (MainFrameMessages.cpp).
    void OnAppThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    struct ThreadMessageRow
    {
        UINT nMessage;
        void (CMainFrame::*pfnHandler)(WPARAM wParam, LPARAM lParam);
        const char* pszPostedBy;
    };
    // The row of a thread message, or null when the frame has none.
    static const ThreadMessageRow* FindThreadMessageRow(UINT message);
    // Makes a filter rule from a stored mail: its header parsed, the main
    // window brought to the front and the rule dialog run for it.
    void RegisterMailRule(int nFolderId, int nMailIndex);
    // Asked before the program ends: false keeps it running.
    BOOL CanCloseFrame() { return PrepareClose(); }
    void SaveFrameState() { SaveWindowState(); }
    void ComposeFromCommandLine(const char* pszText);
    void SetLogIndicator(BOOL bOn);

    void DispMailview(BOOL bNoMailView);
    void SetInitPos();
    void SaveWindowState();
    BOOL PrepareClose();
    void CycleActivePane(CView* pView);
    void UpdateFolderCounts(int nTotal, int nUnread);
    void UpdateListView();
    void PassToCurrentFolderList(int nArg);
    void ReloadCurrentFolderList(int nFolderId, BOOL bRedraw);
    BOOL ChangeFolder(int nFolderId);
    void ReselectCurrentFolder();
    void RefreshFolderItem(int nFolderId, BOOL bDeep);
    void RefreshListIfCurrent(int nFolderId);
    BOOL SelectFolderAndMail(int nFolderId, int nMailIndex);
    void InitTimersAndNotify();
    void UpdateRouteTimer(BOOL bStartNow);
    // The route schedule asks for a pass (timer 45, or a schedule that
    // changed): started quietly, since no user asked for it.
    enum { WM_QD_ROUTE_DUE = WM_APP + 0x202 };
    // The basic settings changed: the list and the timers read them again.
    void ApplyBasicSettings();
    // A mail shown in the mail view pane from the list goes into the history.
    void AddMailToHistory(int nFolderId, int nMailIndex);
    void WaitCursor(BOOL bOn);

    // Whether a receive-type or a send worker is running.
    BOOL IsReceiving() const;
    BOOL IsSending() const;

    // ---- Mail, folder and navigation commands (MainFrameMailCommands.cpp) ----
    // The next (previous) receive folder with unread mail, selected with its
    // first unread mail; false when there is none.
    BOOL FindNextFolder(BOOL bSkipExcluded);
    BOOL FindPreviousFolder(BOOL bSkipExcluded);
    // The walk of both: nStep 1 forward, -1 backward over the open folders.
    BOOL FindUnreadFolder(int nStep, BOOL bSkipExcluded);
    BOOL GoToUnreadFolder(int nStep, BOOL bSkipExcluded);
    BOOL GoToNextFolder(BOOL bSkipExcluded);
    BOOL GoToPreviousFolder(BOOL bSkipExcluded);
    // A viewer found no unread mail in its folder: the next (previous)
    // folder's unread mail is chosen and the viewer told whether there was
    // one (MainFrameViewerMessages.cpp).
    void AnswerFolderSearch(DWORD dwThreadId, BOOL bNext, BOOL bSkipExcluded);
    // Forgets the held keys and where the unread walk stood.
    void ResetListState();
    // Thread messages 1368/1384 and 1369 (from the mail list), 1370, and
    // 1371/1382 and 1372/1383 (from viewers, lParam the viewer's thread id).
    void OnNextFolderMessage(WPARAM, LPARAM);
    void OnNextFolderAllMessage(WPARAM, LPARAM);
    void OnPreviousFolderMessage(WPARAM, LPARAM);
    void OnResetListStateMessage(WPARAM, LPARAM);
    void OnViewerNextFolderMessage(WPARAM, LPARAM lParam);
    void OnViewerNextFolderAllMessage(WPARAM, LPARAM lParam);
    void OnViewerPreviousFolderMessage(WPARAM, LPARAM lParam);
    void OnViewerPreviousFolderAllMessage(WPARAM, LPARAM lParam);
    void EmptyTrash();
    void RunFilterRules();

    // ---- Folder maintenance, layout and import (MainFrameFolderMaintenance.cpp,
    // MainFrameLayoutCommands.cpp, MainFrameImportCommands.cpp) ----
    // Whether a maintenance command holds the busy lock now.
    BOOL IsBusyLocked() const;
    void ToggleMailViewMaximised();
    void ToggleListMaximised();
    void SaveDefaultLayout();
    void RestoreDefaultLayout();
    void ImportMail();
    BOOL IsMailViewMaximised() const { return m_bMailViewMaximised; }
    BOOL IsListMaximised() const { return m_bListMaximised; }

    // ---- Hand-over and settings messages (MainFrameSettingsMessages.cpp) ----
    // Opens the address book beside the main window with its add dialog
    // filled; a name left empty is taken from the address text when that
    // is "name <address>".
    void OpenAddressBookToAdd(const char* pszName, const char* pszAddress);
    // Fonts and colours written by the settings dialogs, shown at once
    // (thread message 1478, once the application has rebuilt the fonts).
    void ApplyViewSettings();
    // The keyword list written by its dialog, shown at once (1418).
    void ReloadKeywords();
    // The deleted-mail count above which a folder offers to be compacted.
    void SetCompactAlertCount(int nCount) { m_nCompactAlertCount = nCount; }

    CFolderTree* GetFolderTree() const { return m_pFolderTree; }
    CQListView* GetListView() const { return m_pListView; }
    CView* GetMailView() const { return m_pMailView; }
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    // The busy animation near the toolbar's right end: plays while mail is
    // received or sent, and rests on its first frame.
    void PlayTransferAnimation(BOOL bPlay);
    HWND GetTransferAnimation() const { return m_wndAnimate.m_hWnd; }
    CToolBar& GetToolBar() { return m_wndToolBar; }
    // While a key repeats (an arrow held down in the list) the mail is shown
    // only when the key is released; true when it was put off so.
    bool PutOffShowUntilKeyUp()
    {
        if (!m_keyRepeat)
            return false;
        m_showOnKeyUp = 1;
        return true;
    }

    HWND m_hStatusBar = nullptr;

    // Transfer workers (started by the receive and send commands): a
    // duplicate of each worker's thread handle and the thread id of its
    // current session, which takes the abort request.
    HANDLE m_hReceiveWorker = nullptr;
    HANDLE m_hSendWorker = nullptr;
    DWORD m_dwReceiveSessionThread = 0;
    DWORD m_dwSendSessionThread = 0;
    // The receive and send commands (made with the status bar).
    CMainFrameTransfer* m_pTransfer = nullptr;
    // How long closing waits for workers and for the other windows' threads.
    DWORD m_nWorkerEndWaitMs = 5000;
    DWORD m_nWorkerSettleWaitMs = 1000;
    int m_nCloseThreadTries = 10;

    // Keys (MainFrameKeys.cpp): the accelerators and hot keys from "MainWnd.key".
    BOOL SetupKeys();
    // Hot keys and the key messages posted to the window; true when handled.
    BOOL PreTranslateKeyMessage(MSG* pMsg);
    UINT m_nIconCommand = 0;  // the command given the "ICON" key
    void OnKeyAssign();

    // The notification-area icon (MainFrameTray.cpp).
    void AddTrayIcon();
    void ShowTrayMenu(UINT nMouseMessage);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The end of a receive that brought new mail: the icon counts and blinks.
    void OnNewMailsReceived(int nNewMails);
    // A transfer starts (bRunning) or ends: the icon alternates with the
    // transfer icon while it runs; new mail counted by then blinks.
    void ShowTransferInTray(BOOL bRunning);
    // New mail seen: idle icon, blinking and keyboard LEDs stopped.
    void ResetTrayIcon();
    // WM_ACTIVATE: the title, the tray icon and the input method's state.
    void OnActivateMessage(BOOL bActive);
    CTrayIcon m_tray;
    COwnerDrawMenu m_trayMenu;
    BOOL m_bTrayMenuOpen = FALSE;
    // The colour label menu (command 32885) and whichever owner-drawn menu is up.
    void ShowColorLabelMenu();
    COwnerDrawMenu m_labelMenu;
    COwnerDrawMenu* m_pOpenMenu = nullptr;
    // Set when the program lost the activation while minimised and the
    // mailbox password guards it: restoring asks the password first.
    BOOL m_bPasswordOnRestore = FALSE;
    BOOL m_bNoTrayReset = FALSE;

    // The new-mail notification window (MainFrameNotify.cpp).
    static CNotifyMailData& GetNotifyMailData();
    // A mail a receive filed: listed in the notification window.
    void OnNotifyNewMail(int nFolderId, int nIndex);
    void PrepareNotifyEntries();
    // Shows the window on its thread, or keeps it longer when it is up.
    void StartReceiveNotifyThread();
    BOOL IsReceiveNotifyThreadRunning() const;
    void EndReceiveNotifyThread();
    HANDLE m_hNotifyThread = nullptr;  // a duplicate, owned
    DWORD m_dwNotifyThread = 0;

protected:
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnMove(int x, int y);
    void OnClose();
    void OnTimer(UINT_PTR nIDEvent);
    void PostNcDestroy() override;
    LRESULT OnHandOverRequest(WPARAM, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM wParam, LPARAM);
    LRESULT OnFrameReady(WPARAM, LPARAM);
    LRESULT OnRouteDue(WPARAM, LPARAM);
    LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    LRESULT OnExitMenuLoop(WPARAM, LPARAM);
    void OnAppExit();
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnViewThread();
    // The Esc command: the key comes back to the window as if typed there.
    void OnEscape();
    void OnMailNew();
    void OnMailReply() { EditSelectedMails(1); }
    void OnMailReplyAll() { EditSelectedMails(2); }
    // The list's own forward: several selected mails go into one editor.
    void OnMailForward();
    void EditSelectedMails(int nKind);
    void OnUpdateViewToolBar(CCmdUI* pCmdUI);
    void OnUpdateViewStatusBar(CCmdUI* pCmdUI);
    void OnUpdateViewThread(CCmdUI* pCmdUI);
    void OnUpdateTransferCommand(CCmdUI* pCmdUI);
    void OnTransferCommand(UINT nID);
    void OnPlugInCommand(UINT nID);
    void OnUpdatePlugInCommand(CCmdUI* pCmdUI);
    void OnPlugInInfo();

    // Mail, folder and navigation commands (MainFrameMailCommands.cpp).
    void OnClipboardCommand(UINT nID);
    void OnUpdateClipboardCommand(CCmdUI* pCmdUI);
    void OnListCommand(UINT nID);
    void OnEmptyTrash() { EmptyTrash(); }
    // The mail view pane asks whether to send the read receipt its mail asks for.
    void OnSendReadNotify();
    void OnUpdateSendReadNotify(CCmdUI* pCmdUI);
    // Asks which mails and which rule set (MainFrameLayoutCommands.cpp).
    void OnRunFilterRules();
    // Opens a mail search window on a thread of its own.
    void OnMailSearch();
    void OnPreviousFolderUnread(UINT nID);
    // Templates: the choice dialog, the registered ones and the toolbar's
    // drop-down (MainFrameTemplateCommands.cpp).
    void OnTemplateCommand(UINT nID);
    // Back and forward in the shown mails, and the remembered mail.
    void OnHistoryCommand(UINT nID);
    void OnUpdateHistoryCommand(CCmdUI* pCmdUI);
    // Pane focus, folder tree moves, the account box and the editors' turn
    // (MainFrameNavigation.cpp).
    void OnPaneCommand(UINT nID);

    // Settings and tools dialogs (MainFrameToolsCommands.cpp).
    void OnToolsCommand(UINT nID);

    // Folder maintenance (MainFrameFolderMaintenance.cpp).
    void OnFolderMaintenance(UINT nID);
    void OnUpdateFolderMaintenance(CCmdUI* pCmdUI);
    void OnRepairFolderTree();
    // View, layout and the rule list (MainFrameLayoutCommands.cpp).
    void OnLayoutCommand(UINT nID);
    void OnUpdateLayoutCommand(CCmdUI* pCmdUI);
    void OnFilterSettings();
    void OnSortCommand(UINT nID);
    void OnUpdateSortCommand(CCmdUI* pCmdUI);
    void OnWindowCommand(UINT nID);
    void OnUpdateWindowCommand(CCmdUI* pCmdUI);
    void OnStartPassword();
    void OnCustomizeToolBar();
    void ChangeMailBox();
    void ShowSendPasswords();
    void OnHtmlMail();
    LRESULT OnTimeChange(WPARAM, LPARAM);
    LRESULT OnSettingChange(WPARAM, LPARAM);
    void OnUpdateHtmlMail(CCmdUI* pCmdUI);
    // Import, settings conversion and the mail bridge's answer (MainFrameImportCommands.cpp).
    void OnImportCommand(UINT nID);
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    // The Outlook Express import worker ended (window message 1479).
    enum { WM_QD_OE_IMPORT_END = 1479 };
    LRESULT OnOEImportEnd(WPARAM wParam, LPARAM lParam);

    // Thread messages (MainFrameMessages.cpp), one member per row of the table.
    void OnMailFiledMessage(WPARAM wParam, LPARAM lParam);
    void OnFolderCountsMessage(WPARAM wParam, LPARAM lParam);
    void OnFolderRefreshMessage(WPARAM wParam, LPARAM lParam);
    void OnSelectFolderMessage(WPARAM wParam, LPARAM lParam);
    void OnSelectMailMessage(WPARAM wParam, LPARAM lParam);
    void OnMailSentMessage(WPARAM wParam, LPARAM lParam);
    void OnFolderSettingsMessage(WPARAM wParam, LPARAM lParam);
    void OnUpdateListMessage(WPARAM wParam, LPARAM lParam);
    void OnFolderFontMessage(WPARAM wParam, LPARAM lParam);
    void OnMailRestoredMessage(WPARAM wParam, LPARAM lParam);
    void OnMailChangedMessage(WPARAM wParam, LPARAM lParam);
    void OnSpaceEndReadMessage(WPARAM wParam, LPARAM lParam);
    void OnRegisterMailRuleMessage(WPARAM wParam, LPARAM lParam)
    {
        RegisterMailRule(static_cast<int>(lParam), static_cast<int>(wParam));
    }
    // Receiving and sending: passed on to the transfer commands.
    template <UINT N>
    void OnTransferMessage(WPARAM wParam, LPARAM lParam);
    static const ThreadMessageRow s_threadMessages[];

    DECLARE_MESSAGE_MAP()

private:
    // The frame's routing of a command to the panes (OnCmdMsg without its
    // own additions).
    BOOL RouteCommand(UINT nID, int nCode, void* pExtra, LRESULT* pResult);
    BOOL CreateToolBar(BOOL bFirstTime);
    BOOL CreateStatusBar();
    void LayoutToolBarControls();
    // The status-bar prompt of a command: the first line of its string, the
    // idle prompt for 0xE001 (57345).
    CString GetMessageString(UINT nID) const;
    // Asks running workers to stop and waits a bounded time; then lets go of them.
    void EndWorkers();
    static int ProfileInt(const char* pszSection, const char* pszKey, int nDefault);
    // The mail view pane's header form of the settings: 1 the compact
    // header, 2 every address shown; and the form the pane was made with.
    static int ReadHeaderMode();
    int m_nHeaderMode = 0;
    // The notification and keyboard-LED settings, read at start and after the basic settings.
    void ReadNotifySettings();
    // New mail blinks the keyboard's LEDs too when the settings ask for it.
    void StartLedBlink();

    CSplitterWnd m_wndSplitter;
    CSplitterWnd m_wndSplitter2;
    CMainToolBar m_wndToolBar;
    CBusyAnimateCtrl m_wndAnimate;
    CStatusBar m_wndStatusBar;
    HFONT m_hStatusFont = nullptr;
    HWND m_hTransferControls[5] = {};
    CFolderTree* m_pFolderTree = nullptr;
    CQListView* m_pListView = nullptr;
    CView* m_pMailView = nullptr;
    int m_nActivePane = -1;  // 0 list, 1 mail view, 2 folder tree
    RECT m_rcNormal = {};
    BOOL m_bCenterOnCreate = FALSE;
    BOOL m_bStateSaved = FALSE;
    BOOL m_bExitCommand = FALSE;
    int m_nCompactAlertCount = 100;
    HANDLE m_hBusyLock = nullptr;  // semaphore of count 1
    // A maximised pane: the list's row height (and minimum) to go back to.
    BOOL m_bMailViewMaximised = FALSE;
    BOOL m_bListMaximised = FALSE;
    int m_nSavedListHeight = 0, m_nSavedListMin = 50;
    void* m_pOEImport = nullptr;  // the Outlook Express import in progress
    void RestorePaneSizes();
    RouteTimerState m_routeTimer;
    // Notification settings read with the timers.
    int m_nCheckPassword = 0, m_nRecNotifyDialog = 0, m_nRecNotifyBeep = 0, m_nRecNotifySound = 0;
    CString m_strRecNotifySoundPath;
    BOOL m_bLedBlink = FALSE;
    int m_nLedBlinkType = 0, m_nLedBlinkInterval = 1000;
    // The template chosen from the toolbar's drop-down, by file name.
    CString m_strToolBarTemplate;
    // The IME state kept while the window is not active.
    BOOL m_bImeOpenSaved = FALSE;
    BYTE m_keyDown = 0, m_keyUp = 0, m_keyRepeat = 0, m_showOnKeyUp = 0;
};
