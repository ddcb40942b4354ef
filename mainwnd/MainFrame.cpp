#include "mainwnd/MainFrame.h"
#include "mainwnd/MainFrameTransfer.h"

#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "core/SplashWnd.h"
#include "mainwnd/BoundedWait.h"
#include "mainwnd/FolderTree.h"
#include "classlib/FrameMessages.h"
#include "classlib/ToolBarLayout.h"
#include "mainwnd/MailViewSeam.h"
#include "mainwnd/QListView.h"
#include "resources/keys/KeysResource.h"
#include "resources/mainwnd/KeysResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/resource.h"
#include "resources/search/SearchResource.h"
#include "resources/rules/RulesResource.h"
#include "store/FolderRecord.h"
#include "store/FolderRegistryHooks.h"
#include "store/MailFolderStore.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_MOVE()
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_MESSAGE(WM_QD_HANDOVER_REQUEST, OnHandOverRequest)
    ON_MESSAGE(WM_QUERYENDSESSION, OnQueryEndSession)
    ON_MESSAGE(WM_ENDSESSION, OnEndSession)
    ON_MESSAGE(WM_APP + 0x201, OnFrameReady)
    ON_MESSAGE(CMainFrame::WM_QD_ROUTE_DUE, OnRouteDue)
    ON_MESSAGE(WM_MENUSELECT, OnMenuSelect)
    // A toolbar button's prompt, with the plug-ins' own.
    { WM_SETMESSAGESTRING, 0, 0, 0,
      AFX_THUNK(if (p->m_wndStatusBar.m_hWnd) p->m_wndStatusBar.SetPaneText(0, p->GetMessageString(static_cast<UINT>(wParam)))) },
    ON_MESSAGE(WM_EXITMENULOOP, OnExitMenuLoop)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_COMMAND(ID_VIEW_TOOLBAR, OnViewToolBar)
    ON_COMMAND(ID_VIEW_STATUS_BAR, OnViewStatusBar)
    ON_COMMAND(ID_VIEW_THREAD, OnViewThread)
    ON_COMMAND(ID_MAIL_NEW, OnMailNew)
    ON_COMMAND(ID_MAIL_REPLY, OnMailReply)
    ON_COMMAND(ID_MAIL_REPLY_ALL, OnMailReplyAll)
    ON_COMMAND(ID_MAIL_FORWARD, OnMailForward)
    ON_COMMAND(ID_ESCAPE_COMMAND, OnEscape)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateViewToolBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateViewStatusBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_THREAD, OnUpdateViewThread)
    // ---- Receiving and sending ----
    // The transfer commands of the File menu and the toolbar keep their ids
    // here, disabled, until the receive and send jobs take them over.
    ON_UPDATE_COMMAND_UI(ID_FILE_RECEIVE_CURRENT, OnUpdateTransferCommand)
    ON_UPDATE_COMMAND_UI(ID_ROUTE_RECEIVE, OnUpdateTransferCommand)
    ON_UPDATE_COMMAND_UI(ID_FILE_SEND_OUTBOX, OnUpdateTransferCommand)
    ON_UPDATE_COMMAND_UI(ID_FILE_SEND_RECEIVE, OnUpdateTransferCommand)
    ON_UPDATE_COMMAND_UI(ID_FILE_SELECT_RECEIVE, OnUpdateTransferCommand)
    ON_UPDATE_COMMAND_UI(ID_FILE_SELECT_RECEIVE_LATEST, OnUpdateTransferCommand)
    ON_UPDATE_COMMAND_UI(ID_FILE_ABORT_TRANSFER, OnUpdateTransferCommand)
    ON_UPDATE_COMMAND_UI(ID_FILE_ABORT_ROUTE, OnUpdateTransferCommand)
    ON_COMMAND_RANGE(ID_FILE_RECEIVE_CURRENT, ID_FILE_RECEIVE_CURRENT, OnTransferCommand)
    ON_COMMAND_RANGE(ID_ROUTE_RECEIVE, ID_ROUTE_RECEIVE, OnTransferCommand)
    ON_COMMAND_RANGE(ID_FILE_SEND_OUTBOX, ID_FILE_SEND_OUTBOX, OnTransferCommand)
    ON_COMMAND_RANGE(ID_FILE_SEND_RECEIVE, ID_FILE_SEND_RECEIVE, OnTransferCommand)
    ON_COMMAND_RANGE(ID_FILE_ABORT_TRANSFER, ID_FILE_ABORT_TRANSFER, OnTransferCommand)
    ON_COMMAND_RANGE(ID_FILE_ABORT_ROUTE, ID_FILE_ABORT_ROUTE, OnTransferCommand)
    ON_COMMAND_RANGE(ID_FILE_SELECT_RECEIVE, ID_FILE_SELECT_RECEIVE, OnTransferCommand)
    ON_COMMAND_RANGE(ID_FILE_SELECT_RECEIVE_LATEST, ID_FILE_SELECT_RECEIVE_LATEST, OnTransferCommand)
    // ---- end of receiving and sending ----
    // Mail, folder and navigation commands (MainFrameMailCommands.cpp).
    ON_COMMAND_RANGE(ID_MAIL_COPY, ID_MAIL_CUT, OnClipboardCommand)
    ON_COMMAND_RANGE(ID_MAIL_PASTE, ID_MAIL_PASTE, OnClipboardCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_COPY, ID_MAIL_CUT, OnUpdateClipboardCommand)
    ON_COMMAND_RANGE(ID_MAIL_REPLY, ID_MAIL_FORWARD, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_FORWARD_AS_IS, ID_MAIL_FORWARD_ENCAPSULATED, OnListCommand)
    ON_COMMAND(32996, OnKeyAssign)
    ON_COMMAND_RANGE(ID_MAIL_DELETE, ID_MAIL_DELETE, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_DELETE_SELECTED, ID_MAIL_DELETE_SELECTED, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_LABEL_FIRST, ID_MAIL_LABEL_OTHER, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_BOOKMARK_ON, ID_MAIL_BOOKMARK_OFF, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_MARK_UNREAD, ID_MAIL_MARK_UNREAD, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_MARK_READ, ID_MAIL_MARK_READ, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_PROTECT_ON, ID_MAIL_PROTECT_OFF, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_EXPORT, ID_MAIL_EXPORT, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_MOVE_TO_FOLDER, ID_MAIL_COPY_TO_FOLDER, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_SHOW_HEADER, ID_MAIL_SHOW_HEADER, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_PROPERTIES, ID_MAIL_PROPERTIES, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_THREAD_TREE, ID_MAIL_THREAD_TREE, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_THREAD_LIST, ID_MAIL_THREAD_LIST, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_TASK_EDIT, ID_MAIL_TASK_EDIT, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_TASK_ADD, ID_MAIL_TASK_ADD, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_ADD_SENDER, ID_MAIL_ADD_SENDER, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_TOGGLE_THREAD, ID_MAIL_TOGGLE_THREAD, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_REEDIT, ID_MAIL_REEDIT, OnListCommand)
    ON_COMMAND_RANGE(ID_NEXT_UNREAD, ID_NEXT_UNREAD, OnListCommand)
    ON_COMMAND_RANGE(ID_NEXT_UNREAD_ALL, ID_NEXT_UNREAD_ALL, OnListCommand)
    ON_COMMAND_RANGE(ID_PREVIOUS_FOLDER_UNREAD, ID_PREVIOUS_FOLDER_UNREAD, OnPreviousFolderUnread)
    ON_COMMAND_RANGE(ID_PREVIOUS_FOLDER_UNREAD_ALL, ID_PREVIOUS_FOLDER_UNREAD_ALL, OnPreviousFolderUnread)
    ON_COMMAND(ID_EMPTY_TRASH, OnEmptyTrash)
    ON_COMMAND(ID_MAIL_SEND_READ_NOTIFY, OnSendReadNotify)
    ON_UPDATE_COMMAND_UI(ID_MAIL_SEND_READ_NOTIFY, OnUpdateSendReadNotify)
    ON_COMMAND_RANGE(ID_FOCUS_FOLDER_TREE, ID_CLEAR_CUT_MARKS, OnPaneCommand)
    ON_COMMAND_RANGE(ID_FOLDER_NEXT, ID_FOLDER_PREVIOUS, OnPaneCommand)
    ON_COMMAND_RANGE(ID_FOLDER_TREE_SCROLL_UP, ID_FOLDER_TREE_SCROLL_DOWN, OnPaneCommand)
    ON_COMMAND_RANGE(ID_ACCOUNT_SWITCH, ID_ACCOUNT_SWITCH, OnPaneCommand)
    ON_COMMAND_RANGE(ID_ACTIVATE_EDITOR, ID_ACTIVATE_EDITOR, OnPaneCommand)
    ON_COMMAND_RANGE(ID_NEXT_PANE, ID_NEXT_PANE, OnPaneCommand)
    ON_COMMAND_RANGE(ID_PREVIOUS_PANE, ID_PREVIOUS_PANE, OnPaneCommand)
    ON_COMMAND_RANGE(ID_MAIL_PREVIOUS, ID_MAIL_NEXT, OnPaneCommand)
    ON_COMMAND_RANGE(ID_DELETED_MAIL_HISTORY, ID_DELETED_MAIL_HISTORY, OnPaneCommand)
    ON_COMMAND_RANGE(ID_HISTORY_FORWARD, ID_HISTORY_RECALL, OnHistoryCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_HISTORY_FORWARD, ID_HISTORY_BACK, OnUpdateHistoryCommand)
    ON_COMMAND_RANGE(ID_MAIL_NEW_FROM_TEMPLATE, ID_MAIL_REPLY_FROM_TEMPLATE, OnTemplateCommand)
    ON_COMMAND_RANGE(ID_TEMPLATE_CALL_FIRST, ID_TEMPLATE_CALL_LAST, OnTemplateCommand)
    ON_COMMAND_RANGE(ID_TEMPLATE_MENU_REPLY, ID_TEMPLATE_MENU_NEW, OnTemplateCommand)
    ON_COMMAND(ID_RUN_FILTER_RULES, OnRunFilterRules)
    ON_COMMAND(ID_MAIL_SEARCH, OnMailSearch)
    // Settings and tools dialogs (MainFrameToolsCommands.cpp).
    ON_COMMAND_RANGE(ID_TOOLS_ACCOUNTS, ID_TOOLS_ACCOUNTS, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_BASIC_SETTINGS, ID_TOOLS_BASIC_SETTINGS, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_EDITOR_SETTINGS, ID_TOOLS_EDITOR_SETTINGS, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_FONT_COLOR, ID_TOOLS_FONT_COLOR, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_ADDRESS_BOOK, ID_TOOLS_ADDRESS_BOOK, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_SIGNATURES, ID_TOOLS_SIGNATURES, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_TEMPLATES, ID_TOOLS_TEMPLATES, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_QUOTE_HEADERS, ID_TOOLS_QUOTE_HEADERS, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_AUTO_SIGNATURE, ID_TOOLS_AUTO_SIGNATURE, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_SHORTCUT_TEMPLATES, ID_TOOLS_SHORTCUT_TEMPLATES, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_ROUTE_SETTINGS, ID_TOOLS_ROUTE_SETTINGS, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_RECEIVE_NOTIFY, ID_TOOLS_RECEIVE_NOTIFY, OnToolsCommand)
    ON_COMMAND_RANGE(ID_HELP_FINDER, ID_HELP_FINDER, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_PRINT_SETTINGS, ID_TOOLS_PRINT_SETTINGS, OnToolsCommand)
    // Folder maintenance, layout, the rule list and import.
    ON_COMMAND_RANGE(ID_FOLDER_REBUILD_CURRENT, ID_FOLDER_REBUILD_CURRENT, OnFolderMaintenance)
    ON_COMMAND_RANGE(ID_FOLDER_OPTIMIZE_CURRENT, ID_FOLDER_OPTIMIZE_CURRENT, OnFolderMaintenance)
    ON_COMMAND_RANGE(ID_FOLDER_DUPLICATES_CURRENT, ID_FOLDER_DUPLICATES_CURRENT, OnFolderMaintenance)
    ON_COMMAND_RANGE(ID_FOLDER_OPTIMIZE_ALL, ID_FOLDER_OPTIMIZE_ALL, OnFolderMaintenance)
    ON_COMMAND_RANGE(ID_FOLDER_DUPLICATES_ALL, ID_FOLDER_DUPLICATES_ALL, OnFolderMaintenance)
    ON_COMMAND_RANGE(ID_FOLDER_REBUILD_ALL, ID_FOLDER_REBUILD_ALL, OnFolderMaintenance)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FOLDER_REBUILD_CURRENT, ID_FOLDER_REBUILD_CURRENT, OnUpdateFolderMaintenance)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FOLDER_OPTIMIZE_CURRENT, ID_FOLDER_OPTIMIZE_CURRENT, OnUpdateFolderMaintenance)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FOLDER_DUPLICATES_CURRENT, ID_FOLDER_DUPLICATES_CURRENT, OnUpdateFolderMaintenance)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FOLDER_OPTIMIZE_ALL, ID_FOLDER_OPTIMIZE_ALL, OnUpdateFolderMaintenance)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FOLDER_DUPLICATES_ALL, ID_FOLDER_DUPLICATES_ALL, OnUpdateFolderMaintenance)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FOLDER_REBUILD_ALL, ID_FOLDER_REBUILD_ALL, OnUpdateFolderMaintenance)
    ON_COMMAND(ID_FOLDER_REPAIR_TREE, OnRepairFolderTree)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FOLDER_REPAIR_TREE, ID_FOLDER_REPAIR_TREE, OnUpdateFolderMaintenance)
    ON_COMMAND_RANGE(ID_VIEW_MAIL_VIEW, ID_VIEW_NO_MAIL_VIEW, OnLayoutCommand)
    ON_COMMAND_RANGE(ID_VIEW_MAXIMIZE_MAIL_VIEW, ID_VIEW_MAXIMIZE_MAIL_VIEW, OnLayoutCommand)
    ON_COMMAND_RANGE(ID_VIEW_MAXIMIZE_LIST, ID_VIEW_MAXIMIZE_LIST, OnLayoutCommand)
    ON_COMMAND_RANGE(ID_VIEW_RESTORE_LAYOUT, ID_VIEW_SAVE_LAYOUT, OnLayoutCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_MAIL_VIEW, ID_VIEW_MAIL_VIEW, OnUpdateLayoutCommand)
    ON_COMMAND(ID_TOOLS_FILTER_SETTINGS, OnFilterSettings)
    ON_COMMAND_RANGE(ID_SORT_COLOR, ID_SORT_BOOKMARK, OnSortCommand)
    ON_COMMAND_RANGE(ID_SORT_SUBJECT, ID_SORT_ATTACHMENT, OnSortCommand)
    ON_COMMAND_RANGE(ID_SORT_SUBJECT_BARE, ID_SORT_SUBJECT_BARE, OnSortCommand)
    ON_COMMAND_RANGE(ID_SORT_NONE, ID_SORT_NONE, OnSortCommand)
    ON_COMMAND_RANGE(ID_SORT_SENDER_SHOWN, ID_SORT_SENDER_SHOWN, OnSortCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SORT_COLOR, ID_SORT_BOOKMARK, OnUpdateSortCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SORT_SUBJECT, ID_SORT_ATTACHMENT, OnUpdateSortCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SORT_SUBJECT_BARE, ID_SORT_SUBJECT_BARE, OnUpdateSortCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SORT_NONE, ID_SORT_NONE, OnUpdateSortCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SORT_SENDER_SHOWN, ID_SORT_SENDER_SHOWN, OnUpdateSortCommand)
    ON_COMMAND_RANGE(ID_WINDOW_RESTORE, ID_WINDOW_RESTORE, OnWindowCommand)
    ON_COMMAND_RANGE(ID_WINDOW_MINIMIZE, ID_WINDOW_MINIMIZE, OnWindowCommand)
    ON_COMMAND_RANGE(ID_WINDOW_CENTER, ID_WINDOW_CENTER, OnWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_WINDOW_RESTORE, ID_WINDOW_RESTORE, OnUpdateWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_WINDOW_CENTER, ID_WINDOW_CENTER, OnUpdateWindowCommand)
    ON_COMMAND(ID_TOOLS_START_PASSWORD, OnStartPassword)
    ON_COMMAND_RANGE(ID_TOOLS_MAILBOX, ID_TOOLS_MAILBOX, OnToolsCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_TOOLS_MAILBOX, ID_TOOLS_MAILBOX, OnUpdateFolderMaintenance)
    ON_COMMAND_RANGE(ID_TOOLS_SEND_PASSWORDS, ID_TOOLS_SEND_PASSWORDS, OnToolsCommand)
    ON_COMMAND_RANGE(ID_TOOLS_PROFILE_SETTINGS, ID_TOOLS_PROFILE_SELECT, OnToolsCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_TOOLS_PROFILE_SETTINGS, ID_TOOLS_PROFILE_SELECT, OnUpdateFolderMaintenance)
    ON_COMMAND(ID_VIEW_CUSTOMIZE_TOOLBAR, OnCustomizeToolBar)
    ON_COMMAND_RANGE(ID_VIEW_EXPAND_ALL_THREADS, ID_VIEW_COLLAPSE_ALL_THREADS, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_REREAD_BACKUP, ID_MAIL_REREAD_BACKUP, OnListCommand)
    ON_COMMAND(ID_VIEW_HTML_MAIL, OnHtmlMail)
    ON_MESSAGE(WM_TIMECHANGE, OnTimeChange)
    ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_HTML_MAIL, ID_VIEW_HTML_MAIL, OnUpdateHtmlMail)
    ON_UPDATE_COMMAND_UI_RANGE(ID_TOOLS_FILTER_SETTINGS, ID_TOOLS_FILTER_SETTINGS, OnUpdateFolderMaintenance)
    ON_COMMAND_RANGE(ID_FILE_IMPORT_MAIL, ID_FILE_IMPORT_MAIL, OnImportCommand)
    ON_COMMAND_RANGE(ID_FILE_REGISTRY_TO_INI, ID_FILE_INI_TO_REGISTRY, OnImportCommand)
    ON_MESSAGE(WM_COPYDATA, OnCopyData)
    ON_MESSAGE(CMainFrame::WM_QD_OE_IMPORT_END, OnOEImportEnd)
    ON_COMMAND_RANGE(40000, 41000, OnPlugInCommand)
    ON_UPDATE_COMMAND_UI_RANGE(40000, 41000, OnUpdatePlugInCommand)
    ON_COMMAND(33219, OnPlugInInfo)
    ON_COMMAND(ID_SHOW_NEW_MAIL_NOTICE, StartReceiveNotifyThread)
    ON_COMMAND(ID_MAIL_LABEL_MENU, ShowColorLabelMenu)
END_MESSAGE_MAP()

namespace {

const UINT WM_QD_FRAME_READY = WM_APP + 0x201;
const UINT_PTR kMinuteTimer = 10;
const UINT_PTR kRouteTimer = 45;
const UINT IDC_TRANSFER_PROGRESS = 1001;
const UINT IDC_TRANSFER_ANIMATION = 1000;
const int kPlugInEventClosing = 24;
const UINT kIdlePrompt = IDS_IDLE_PROMPT;

// The folder registry rebuilds and repaints the tree through these.
void RebuildFolderTree()
{
    CQuendalApp* pApp = QuendalApp();
    CMainFrame* pFrame = pApp ? pApp->m_pMainFrame : nullptr;
    if (pFrame && pFrame->m_hWnd && pFrame->GetFolderTree())
        pFrame->GetFolderTree()->BuildTree();
}

void RefreshCurrentTreeItem()
{
    CQuendalApp* pApp = QuendalApp();
    CMainFrame* pFrame = pApp ? pApp->m_pMainFrame : nullptr;
    if (pFrame && pFrame->m_hWnd && pFrame->GetFolderTree())
        pFrame->GetFolderTree()->RefreshFolderItem(pApp->GetCurrentFolderId());
}

// Every button greyed until the idle update enables those whose command
// is available now, so that a toolbar made anew never offers a dead button.
// A failure goes to the log whether logging is on or not.
void InitToolBarPlace(HWND hBar)
{
    CQuendalApp* pApp = QuendalApp();
    if (!::IsWindow(hBar)) {
        const DWORD error = ::GetLastError();
        if (pApp)
            pApp->AppendAppLog(FormatString("ITB0000：InitToolBarPlace Error。[%s][%d]",
                                            AfxSystemErrorText(error).GetString(), static_cast<int>(error)));
        return;
    }
    const int count = static_cast<int>(::SendMessageA(hBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (!::SendMessageA(hBar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) {
            const DWORD error = ::GetLastError();
            if (pApp)
                pApp->AppendAppLog(FormatString("ITB0002：GetButtonInfo Error[%s][%d][%d/%d][%d]",
                                                AfxSystemErrorText(error).GetString(), static_cast<int>(error), i, count,
                                                button.idCommand));
            return;
        }
        if (!(button.fsStyle & BTNS_SEP))
            ::SendMessageA(hBar, TB_ENABLEBUTTON, static_cast<WPARAM>(button.idCommand), MAKELPARAM(FALSE, 0));
    }
}

} // namespace

MainFrameHooks& GetMainFrameHooks()
{
    static MainFrameHooks hooks;
    return hooks;
}

CMainFrame::CMainFrame()
{
    m_hBusyLock = ::CreateSemaphoreA(nullptr, 1, 1, nullptr);
}

CMainFrame::~CMainFrame()
{
    EndReceiveNotifyThread();
    // A worker still running (let go at close) keeps its host until the
    // process ends.
    if (m_pTransfer && !m_pTransfer->IsReceiving() && !m_pTransfer->IsSending())
        delete m_pTransfer;
    m_pTransfer = nullptr;
    if (m_hStatusFont)
        ::DeleteObject(m_hStatusFont);
    for (HANDLE* h : { &m_hReceiveWorker, &m_hSendWorker, &m_hBusyLock }) {
        if (*h)
            ::CloseHandle(*h);
        *h = nullptr;
    }
}

int CMainFrame::ReadHeaderMode()
{
    return (ProfileInt("Setting", "MailMiniHeader", 0) ? 1 : 0) | (ProfileInt("Setting", "AddressShowAll", 0) ? 2 : 0);
}

int CMainFrame::ProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    CQuendalApp* pApp = QuendalApp();
    return pApp ? pApp->GetProfileInt(pszSection, pszKey, nDefault) : nDefault;
}

namespace {

// The width of a first start.
int FirstStartWidth()
{
    // Wide enough for the folder tree and every default column of the list
    // (with its scroll bar, the splitter and the frame's edges), at least 800
    // and no wider than the screen's work area.
    const int kEdges = 24;
    int width = 150 + CQListView::FirstStartColumnsWidth() + ::GetSystemMetrics(SM_CXVSCROLL) +
                2 * ::GetSystemMetrics(SM_CXSIZEFRAME) + kEdges;
    RECT work = {0, 0, 0, 0};
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) && work.right - work.left > 0)
        width = std::min<int>(width, work.right - work.left);
    return std::max(800, width);
}

} // namespace

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    int left = ProfileInt("Window", "Left", -1);
    int top = ProfileInt("Window", "Top", -1);
    int width = ProfileInt("Window", "Width", -1);
    int height = ProfileInt("Window", "Height", -1);
    if (left == -1 && top == -1 && width == -1 && height == -1) {
        m_bCenterOnCreate = TRUE;
        cs.cx = FirstStartWidth();
        cs.cy = 600;
    } else {
        cs.x = left;
        cs.y = top;
        cs.cx = width;
        cs.cy = height;
    }
    // A second start of the program finds the running one by this class name.
    HICON hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    cs.lpszClass = AfxRegisterWndClass("CVMWndClass", CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), hIcon);
    if (!cs.lpszClass)
        AfxThrowResourceException();
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    SetWindowText("Corvane Mail");
    if (m_bCenterOnCreate)
        CenterWindow();
    CreateToolBar(TRUE);
    SetupKeys();
    AddTrayIcon();
    if (!CreateStatusBar())
        return -1;
    // The tree may have chosen its folder before the status bar existed.
    if (CMailFolderStore* shown = m_pListView ? m_pListView->GetFolderStore() : nullptr)
        if (CMailListData* list = shown->GetMailListNoLoad())
            UpdateFolderCounts(list->GetMailCount(), list->GetUnreadCount());
    FolderRegistryHooks& hooks = GetFolderRegistryHooks();
    hooks.pfnRebuildFolderTree = RebuildFolderTree;
    hooks.pfnRefreshCurrentTreeItem = RefreshCurrentTreeItem;
    SetInitPos();
    RecalcLayout();
    CSplashWnd::ShowSplashScreen(this);
    // The timers start once the application has shown the window.
    PostMessage(WM_QD_FRAME_READY);
    return 0;
}

BOOL CMainFrame::CreateStatusBar()
{
    static const UINT indicators[] = { ID_SEPARATOR, ID_INDICATOR_TOTAL, ID_INDICATOR_UNREAD, ID_INDICATOR_ICON };
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(indicators, 4))
        return FALSE;
    m_hStatusBar = m_wndStatusBar.m_hWnd;
    HICON hIcon = static_cast<HICON>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED));
    m_wndStatusBar.SetIcon(3, hIcon);
    m_wndStatusBar.SetPaneText(0, GetMessageString(kIdlePrompt));
    if (!m_hStatusFont) {
        LOGFONTA lf = {};
        HFONT current = GetFont();
        ::GetObjectA(current ? static_cast<HGDIOBJ>(current) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        lstrcpynA(lf.lfFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE);
        lf.lfHeight = 12;
        lf.lfWidth = 0;
        m_hStatusFont = ::CreateFontIndirectA(&lf);
    }
    // Transfer progress: hidden until a receive or send shows and fills them.
    struct Control { const char* cls; RECT rc; DWORD style; UINT id; };
    const Control controls[5] = {
        { "STATIC", { 2, 3, 42, 20 }, SS_CENTER, 0 },
        { "STATIC", { 42, 3, 222, 20 }, SS_CENTER, 0 },
        { PROGRESS_CLASSA, { 222, 3, 356, 18 }, 0, IDC_TRANSFER_PROGRESS },
        { "STATIC", { 356, 3, 426, 20 }, SS_CENTER, 0 },
        { "STATIC", { 426, 3, 946, 20 }, SS_LEFTNOWORDWRAP, 0 },
    };
    for (int i = 0; i < 5; ++i) {
        const Control& c = controls[i];
        m_hTransferControls[i] = ::CreateWindowExA(0, c.cls, "", WS_CHILD | c.style, c.rc.left, c.rc.top,
                                                   c.rc.right - c.rc.left, c.rc.bottom - c.rc.top, m_wndStatusBar.m_hWnd,
                                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(c.id)),
                                                   AfxGetInstanceHandle(), nullptr);
        if (!m_hTransferControls[i])
            return FALSE;
        ::SendMessageA(m_hTransferControls[i], WM_SETFONT, reinterpret_cast<WPARAM>(m_hStatusFont), FALSE);
    }
    delete m_pTransfer;
    m_pTransfer = new CMainFrameTransfer(this, m_hTransferControls);
    return TRUE;
}

BOOL CMainFrame::CreateToolBar(BOOL bFirstTime)
{
    if (m_wndToolBar.m_hWnd) {
        m_wndToolBar.ShowWindow(SW_HIDE);
        m_wndToolBar.DestroyWindow();
    }
    if (!m_wndToolBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_FIXED)) {
        // Written to the log whether logging is on or not: without a
        // toolbar the window still works, and the log says why it is bare.
        if (CQuendalApp* pApp = QuendalApp())
            pApp->AppendAppLog(FormatString("CreateToolBar Error 0002：ツールバーの作成に失敗しました。[%s]",
                                            AfxSystemErrorText(::GetLastError()).GetString()));
        return FALSE;
    }
    const std::vector<UINT> ids = LoadToolBarLayout(IDR_TOOLBAR_DEFAULT);
    // The user's own images, when "Resource.dat" names them, else the
    // program's; either way the n-th picture is the n-th command's of the
    // default layout.
    int imageSize = TOOLBAR_PICTURE_SIZE;
    CQuendalApp* pApp = QuendalApp();
    HBITMAP hImages = pApp ? pApp->LoadResourceBitmap(this, IDB_MAIN_TOOLBAR) : nullptr;
    if (hImages) {
        BITMAP bm = {};
        ::GetObjectA(hImages, sizeof(bm), &bm);
        imageSize = bm.bmHeight > 0 ? bm.bmHeight : TOOLBAR_PICTURE_SIZE;
        m_wndToolBar.SetImageBitmap(hImages, imageSize);
    } else {
        m_wndToolBar.SetImageResource(IDB_MAIN_TOOLBAR, imageSize, TOOLBAR_FACE_COLOR);
    }
    if (!ids.empty())
        m_wndToolBar.LoadButtons(ProfileInt("ViewOption", "ToolBarDesign", 0) == 0, imageSize, ids);
    // The animation goes with the toolbar it sits on.
    if (m_wndAnimate.CreateEx(WS_EX_STATICEDGE, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_CENTER, 0, 0, 0, 0,
                              m_wndToolBar.m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_TRANSFER_ANIMATION)))) {
        m_wndAnimate.OpenBusyAnimation();
        m_wndAnimate.Stop();
    }
    LayoutToolBarControls();
    if (ProfileInt("ViewOption", "ToolBarDesign", 0) == 0)
        InitToolBarPlace(m_wndToolBar.m_hWnd);
    if (!bFirstTime)
        RecalcLayout();
    return TRUE;
}

void CMainFrame::LayoutToolBarControls()
{
    if (!m_wndAnimate.m_hWnd || !m_wndToolBar.m_hWnd)
        return;
    RECT client = {}, bar = {};
    GetClientRect(&client);
    m_wndToolBar.GetClientRect(&bar);
    // Near the frame's right edge (the toolbar itself runs on past it).
    int left, right, top, bottom;
    if (ProfileInt("ViewOption", "ToolBarDesign", 0) == 1) {
        left = client.right - 42;
        right = left + 30;
        top = bar.top + 4;
        bottom = bar.bottom - 2;
    } else {
        left = client.right - 50;
        right = client.right - 12;
        top = bar.top + 7;
        bottom = bar.bottom - 5;
    }
    ::SetWindowPos(m_wndAnimate.m_hWnd, HWND_TOP, left, top, right - left, bottom > top ? bottom - top : 0,
                   SWP_NOACTIVATE);
}

void CMainFrame::PlayTransferAnimation(BOOL bPlay)
{
    if (!m_wndAnimate.m_hWnd)
        return;
    if (bPlay) {
        m_wndAnimate.PlayLoop();
        return;
    }
    m_wndAnimate.Rest();
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCTA)
{
    RECT client = {};
    GetClientRect(&client);
    if (!m_wndSplitter.CreateStatic(this, 1, 2))
        return FALSE;
    m_pFolderTree = new CFolderTree;
    if (!m_wndSplitter.CreateView(0, 0, m_pFolderTree, SIZE{ client.right / 4, client.bottom })) {
        m_pFolderTree = nullptr;
        return FALSE;
    }
    int treeWidth = ProfileInt("Window", "TreeViewSize", 150);
    m_wndSplitter.SetColumnInfo(0, treeWidth < 0 ? 0 : treeWidth, 50);
    SetActiveView(m_pFolderTree, FALSE);
    m_nCompactAlertCount = ProfileInt("Setting", "CompactAlertCount", 100);
    DispMailview(ProfileInt("Window", "ShowMailView", 1) == 0);
    // The folder pane builds the tree once the list is there to show the inbox.
    m_pFolderTree->SendMessage(WM_INITIALUPDATE);
    // The start-up password belongs to the start-up only.
    HMENU hMenu = GetMenu();
    for (int i = 0; hMenu && i < ::GetMenuItemCount(hMenu); ++i) {
        char text[256] = {};
        ::GetMenuStringA(hMenu, static_cast<UINT>(i), text, static_cast<int>(sizeof(text)), MF_BYPOSITION);
        HMENU hSub = ::GetSubMenu(hMenu, i);
        if (!hSub || !strstr(text, "ツール"))
            continue;
        for (int j = ::GetMenuItemCount(hSub) - 1; j >= 0; --j) {
            char item[256] = {};
            ::GetMenuStringA(hSub, static_cast<UINT>(j), item, static_cast<int>(sizeof(item)), MF_BYPOSITION);
            if (strstr(item, "パスワードの設定(&W)"))
                ::RemoveMenu(hSub, static_cast<UINT>(j), MF_BYPOSITION);
        }
    }
    return TRUE;
}

void CMainFrame::DispMailview(BOOL bNoMailView)
{
    WaitCursor(TRUE);
    int row = -1;
    if (m_pListView && m_pListView->m_hWnd) {
        row = m_pListView->GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
        m_pListView->SaveColumnWidths();
    }
    if (m_wndSplitter2.m_hWnd)
        m_wndSplitter2.DestroyWindow();
    else if (m_pListView && m_pListView->m_hWnd)
        m_pListView->DestroyWindow();
    m_pListView = nullptr;
    m_pMailView = nullptr;
    RECT client = {};
    GetClientRect(&client);
    m_pListView = new CQListView;
    if (bNoMailView) {
        if (!m_wndSplitter.CreateView(0, 1, m_pListView, SIZE{ client.right / 4, client.bottom }))
            m_pListView = nullptr;
    } else {
        m_wndSplitter2.CreateStatic(&m_wndSplitter, 2, 1, WS_CHILD | WS_VISIBLE, static_cast<UINT>(m_wndSplitter.IdFromRowCol(0, 1)));
        if (!m_wndSplitter2.CreateView(0, 0, m_pListView, SIZE{ client.right / 4, client.bottom }))
            m_pListView = nullptr;
        MailViewSeam& seam = GetMailViewSeam();
        m_nHeaderMode = ReadHeaderMode();
        m_pMailView = seam.pfnCreate ? seam.pfnCreate() : new CView;
        if (!m_wndSplitter2.CreateView(1, 0, m_pMailView, SIZE{ client.right, 50 }))
            m_pMailView = nullptr;
        m_wndSplitter2.SetRowInfo(0, ProfileInt("Window", "ListHeight", 136), 50);
    }
    m_wndSplitter.RecalcLayout();
    if (m_wndSplitter2.m_hWnd)
        m_wndSplitter2.RecalcLayout();
    if (m_pMailView)
        m_pMailView->SendMessage(WM_INITIALUPDATE);
    if (m_pListView) {
        m_pListView->SendMessage(WM_INITIALUPDATE);
        PassToCurrentFolderList(0);
        if (row >= 0)
            m_pListView->SelectMail(m_pListView->GetMailIndex(row));
    }
    RecalcLayout();
    if (m_pMailView)
        ImmAssociateContext(m_pMailView->m_hWnd, nullptr);
    WaitCursor(FALSE);
}

void CMainFrame::RecalcLayout(BOOL bNotify)
{
    CFrameWnd::RecalcLayout(bNotify);
    if (m_wndToolBar.m_hWnd) {
        RECT client = {}, bar = {};
        GetClientRect(&client);
        m_wndToolBar.GetWindowRect(&bar);
        // Wider than the frame, so that the last buttons never wrap.
        m_wndToolBar.SetWindowPos(nullptr, 0, 0, client.right + 100, bar.bottom - bar.top,
                                  SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutToolBarControls();
    }
}

BOOL CMainFrame::DestroyWindow()
{
    if (m_wndSplitter2.m_hWnd)
        m_wndSplitter2.DestroyWindow();
    return CFrameWnd::DestroyWindow();
}

void CMainFrame::SetInitPos()
{
    ShowControlBar(&m_wndToolBar, ProfileInt("Window", "ToolBar", 1) != 0, TRUE);
    ShowControlBar(&m_wndStatusBar, ProfileInt("Window", "StatusBar", 1) != 0, TRUE);
}

void CMainFrame::OnSize(UINT nType, int cx, int cy)
{
    CFrameWnd::OnSize(nType, cx, cy);
    if (m_hTransferControls[4] && m_wndStatusBar.m_hWnd) {
        RECT pane = {}, ctl = {};
        m_wndStatusBar.GetItemRect(0, &pane);
        ::GetWindowRect(m_hTransferControls[4], &ctl);
        ::MapWindowPoints(nullptr, m_wndStatusBar.m_hWnd, reinterpret_cast<POINT*>(&ctl), 2);
        int width = pane.right - 8 - ctl.left;
        ::SetWindowPos(m_hTransferControls[4], nullptr, 0, 0, width > 0 ? width : 0, ctl.bottom - ctl.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (nType == SIZE_MINIMIZED && ProfileInt("Setting", "NoTaskBar", 0))
        ShowWindow(SW_HIDE);
    if (nType != SIZE_MINIMIZED && nType != SIZE_MAXIMIZED && !IsIconic() && !IsZoomed())
        GetWindowRect(&m_rcNormal);
}

void CMainFrame::OnMove(int, int)
{
    Default();
    if (!IsIconic() && !IsZoomed())
        GetWindowRect(&m_rcNormal);
}

void CMainFrame::SaveWindowState()
{
    if (m_bStateSaved || !m_hWnd)
        return;
    m_bStateSaved = TRUE;
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return;
    if (m_hAccelTable) {
        ::DestroyAcceleratorTable(m_hAccelTable);
        m_hAccelTable = nullptr;
    }
    pApp->UnregisterHotKeys();
    ResetTrayIcon();
    m_tray.Remove();
    if (!IsZoomed() && m_rcNormal.right > m_rcNormal.left) {
        pApp->WriteProfileInt("Window", "Left", m_rcNormal.left);
        pApp->WriteProfileInt("Window", "Top", m_rcNormal.top);
        pApp->WriteProfileInt("Window", "Width", m_rcNormal.right - m_rcNormal.left);
        pApp->WriteProfileInt("Window", "Height", m_rcNormal.bottom - m_rcNormal.top);
    }
    int cur = 0, min = 0;
    m_wndSplitter.GetColumnInfo(0, cur, min);
    pApp->WriteProfileInt("Window", "TreeViewSize", cur);
    if (m_pMailView && m_wndSplitter2.m_hWnd) {
        m_wndSplitter2.GetRowInfo(0, cur, min);
        // A maximised pane is no layout to start with next time.
        if (m_bMailViewMaximised || m_bListMaximised)
            cur = m_nSavedListHeight;
        pApp->WriteProfileInt("Window", "ListHeight", cur);
    }
    pApp->WriteProfileInt("Window", "Iconic", IsIconic() ? 1 : IsZoomed() ? 2 : 0);
    pApp->WriteProfileInt("Window", "ToolBar", m_wndToolBar.m_hWnd && m_wndToolBar.IsVisible() ? 1 : 0);
    pApp->WriteProfileInt("Window", "StatusBar", m_wndStatusBar.m_hWnd && m_wndStatusBar.IsVisible() ? 1 : 0);
    pApp->WriteProfileInt("Window", "ShowMailView", m_pMailView ? 1 : 0);
    if (m_pListView)
        m_pListView->SaveColumnWidths();
    if (pApp->IsProfileFileMode() && !pApp->GetProfileFilePath().IsEmpty())
        pApp->SaveProfileFile();
}

void CMainFrame::CycleActivePane(CView* pView)
{
    if (pView) {
        m_nActivePane = pView == m_pFolderTree ? 2 : pView == m_pListView ? 0 : 1;
        return;
    }
    bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    // Tree, list, mail view, tree: forward with Tab, backward with Shift+Tab.
    int next;
    switch (m_nActivePane) {
    case 0: next = back ? 2 : 1; break;
    case 1: next = back ? 0 : 2; break;
    default: next = back ? 1 : 0; break;
    }
    if (next == 1 && !m_pMailView)
        next = back ? 0 : 2;
    FocusPane(next);
}

void CMainFrame::UpdateFolderCounts(int nTotal, int nUnread)
{
    if (!m_wndStatusBar.m_hWnd)
        return;
    CString text;
    text.Format(" 総数：%d", nTotal);
    m_wndStatusBar.SetPaneText(1, text);
    text.Format(" 未開封：%d", nUnread);
    m_wndStatusBar.SetPaneText(2, text);
}

void CMainFrame::WaitCursor(BOOL bOn)
{
    if (bOn) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        return;
    }
    // Moving the cursor makes the system show the shape of what is under it again.
    POINT pt;
    if (::GetCursorPos(&pt)) {
        ::SetCursorPos(pt.x + 1, pt.y);
        ::SetCursorPos(pt.x, pt.y);
    }
}

BOOL CMainFrame::IsReceiving() const
{
    return m_hReceiveWorker && ::WaitForSingleObject(m_hReceiveWorker, 0) == WAIT_TIMEOUT;
}

BOOL CMainFrame::IsSending() const
{
    return m_hSendWorker && ::WaitForSingleObject(m_hSendWorker, 0) == WAIT_TIMEOUT;
}

// ---- Closing ----

void CMainFrame::OnClose()
{
    if (ProfileInt("Setting", "SystemButtonNoClose", 0) == 1 && !m_bExitCommand) {
        ShowWindow(SW_MINIMIZE);
        return;
    }
    KillTimer(kRouteTimer);
    // Plug-ins hear of the close only once nothing can cancel it any more (a
    // search, a transfer, the question about mails being edited).
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this && !pApp->SaveAllModified()) {
        // The program goes on: so does the automatic receive.
        m_routeTimer = RouteTimerState();
        UpdateRouteTimer(FALSE);
        return;
    }
    if (GetMainFrameHooks().pfnFirePlugInEvent)
        GetMainFrameHooks().pfnFirePlugInEvent(kPlugInEventClosing, m_hWnd, 0);
    // The frame is gone after this.
    DestroyWindow();
}

void CMainFrame::OnAppExit()
{
    m_bExitCommand = TRUE;
    SendMessage(WM_CLOSE);
}

LRESULT CMainFrame::OnQueryEndSession(WPARAM, LPARAM)
{
    if (!PrepareClose())
        return FALSE;
    SaveWindowState();
    return TRUE;
}

LRESULT CMainFrame::OnEndSession(WPARAM wParam, LPARAM)
{
    CQuendalApp* pApp = QuendalApp();
    if (!wParam) {
        // The session goes on after all: what saving the placement took
        // away (keys, hot keys, the tray icon) comes back, and a later
        // close saves again.
        if (m_bStateSaved) {
            m_bStateSaved = FALSE;
            SetupKeys();
            AddTrayIcon();
        }
        return 0;
    }
    if (!pApp || pApp->m_pMainWnd != this)
        return 0;
    // The system may end the process as soon as this returns: everything a
    // normal close writes is written now, the folders and the settings file
    // included. The panes let go of the folders before they are closed.
    SaveWindowState();
    KillTimer(kMinuteTimer);
    KillTimer(kRouteTimer);
    if (m_pListView && m_pListView->m_hWnd)
        m_pListView->ClearFolder();
    MailViewSeam& seam = GetMailViewSeam();
    if (seam.pfnShowMail && m_pMailView)
        seam.pfnShowMail(m_pMailView, nullptr, -1);
    pApp->ShutDown();
    // Where the system lets the program run on, it ends as after a close.
    ::PostQuitMessage(0);
    return 0;
}

void CMainFrame::EndWorkers()
{
    // The sessions are asked to stop; a worker that does not end within the
    // bound is let go: the frame keeps no handle of it and it reaches the
    // program only through posted thread messages, which need no frame.
    for (DWORD thread : { m_dwReceiveSessionThread, m_dwSendSessionThread }) {
        if (thread) {
            ::PostThreadMessageA(thread, 1358, 0, 0);
            ::PostThreadMessageA(thread, WM_QD_QUIT_THREAD, 0, 0);
        }
    }
    HANDLE workers[2] = { m_hReceiveWorker, m_hSendWorker };
    WaitForThreadsBounded(workers, 2, m_nWorkerEndWaitMs);
    for (HANDLE* h : { &m_hReceiveWorker, &m_hSendWorker }) {
        if (*h)
            ::CloseHandle(*h);
        *h = nullptr;
    }
    m_dwReceiveSessionThread = m_dwSendSessionThread = 0;
}

BOOL CMainFrame::PrepareClose()
{
    CQuendalApp* pApp = QuendalApp();
    WaitCursor(TRUE);
    if (pApp && pApp->CheckSearchThreads(FALSE)) {
        AfxMessageBox("メール検索中は、Corvane Mailを終了できません。\r\nメールの検索が終わるのを待つか、検索を中止してください。",
                      MB_OK | MB_ICONEXCLAMATION);
        WaitCursor(FALSE);
        return FALSE;
    }
    if (pApp)
        pApp->CheckSearchThreads(TRUE);
    // A transfer that has just finished still reports its end to this
    // thread before its worker ends: it is given a moment before the
    // question about ending it.
    HANDLE workers[2] = { m_hReceiveWorker, m_hSendWorker };
    if (WaitForThreadsBounded(workers, 2, m_nWorkerSettleWaitMs) > 0) {
        int answer = AfxMessageBox("メールを受信中です。\r\n強制終了しますか？\r\n強制終了するとシステムが不安定になる可能性があります。",
                                   MB_OKCANCEL | MB_ICONSTOP | MB_DEFBUTTON2);
        if (answer != IDOK) {
            WaitCursor(FALSE);
            return FALSE;
        }
        EndWorkers();
    }
    // An import still files into the folders: the program waits for its end.
    if (m_pOEImport || (m_hBusyLock && ::WaitForSingleObject(m_hBusyLock, 0) != WAIT_OBJECT_0)) {
        WaitCursor(FALSE);
        return FALSE;
    }
    if (pApp) {
        pApp->CleanupViewThreads();
        pApp->CleanupEditThreads();
        if (pApp->HasEditThread()) {
            int answer = AfxMessageBox("編集中のメールがあります。\r\n終了してもよろしいですか？", MB_OKCANCEL | MB_ICONSTOP | MB_DEFBUTTON2);
            if (answer != IDOK) {
                ::ReleaseSemaphore(m_hBusyLock, 1, nullptr);
                WaitCursor(FALSE);
                return FALSE;
            }
        }
        // Windows that do not close within the bound are left to the
        // application's shut-down, which ends its service threads with a bound too.
        RetryBounded([pApp] { return pApp->CloseAllThreads() != FALSE; }, 1000, m_nCloseThreadTries,
                     WaitServingSentMessages);
    }
    if (m_pListView && m_pListView->m_hWnd)
        m_pListView->SendMessage(WM_SETREDRAW, FALSE);
    if (pApp && ProfileInt("Setting", "TrashEmptyLast", 0)) {
        if (CMailFolderStore* trash = pApp->GetDefaultFolder(CFolderRecord::kindTrash)) {
            if (m_pListView && m_pListView->GetFolderStore() == trash)
                m_pListView->ClearFolder();
            trash->EmptyFolder();
        }
    }
    for (const char* cls : { "CVMRefTreeWndClass", "CVMRefListWndClass", "CVMHeaderWndClass", "CVMAddressNoteWndClass" }) {
        for (HWND h = ::FindWindowA(cls, nullptr); h; h = ::FindWindowExA(nullptr, h, cls, nullptr)) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(h, &pid);
            if (pid == ::GetCurrentProcessId())
                ::PostMessageA(h, WM_CLOSE, 0, 0);
        }
    }
    if (m_hBusyLock)
        ::ReleaseSemaphore(m_hBusyLock, 1, nullptr);
    WaitCursor(FALSE);
    return TRUE;
}

void CMainFrame::PostNcDestroy()
{
    FolderRegistryHooks& hooks = GetFolderRegistryHooks();
    if (hooks.pfnRebuildFolderTree == RebuildFolderTree)
        hooks.pfnRebuildFolderTree = nullptr;
    if (hooks.pfnRefreshCurrentTreeItem == RefreshCurrentTreeItem)
        hooks.pfnRefreshCurrentTreeItem = nullptr;
    // The application must not reach a frame that is gone.
    if (CQuendalApp* pApp = QuendalApp()) {
        if (pApp->m_pMainFrame == this)
            pApp->m_pMainFrame = nullptr;
        if (pApp->m_pMainWnd == this)
            pApp->m_pMainWnd = nullptr;
    }
    CFrameWnd::PostNcDestroy();
}

// ---- Small commands ----

LRESULT CMainFrame::OnHandOverRequest(WPARAM, LPARAM)
{
    CQuendalApp* pApp = QuendalApp();
    if (pApp && pApp->m_pCommThread && pApp->m_hCommThread &&
        WaitForSingleObject(pApp->m_hCommThread, 0) == WAIT_TIMEOUT)
        pApp->m_pCommThread->PostThreadMessage(WM_QD_HANDOVER_REQUEST, 0, 0);
    return 1;
}

void CMainFrame::OnMailNew()
{
    if (CQuendalApp* pApp = QuendalApp())
        pApp->OpenMailEditor(-1, pApp->GetCurrentFolder(), -1, 0, "", "", "", "", "", 0, 0, FALSE, 0);
}

// One editor per selected mail, of the given kind (1 reply, 2 reply to all, 3 forward).
void CMainFrame::EditSelectedMails(int nKind)
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || !m_pListView || !m_pListView->m_hWnd)
        return;
    CListCtrl& list = m_pListView->GetListCtrl();
    int row = list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) {
        AfxMessageBox(57679, MB_OK | MB_ICONEXCLAMATION);  // "メールを選択してください。"
        return;
    }
    for (; row >= 0; row = list.GetNextItem(row, LVNI_SELECTED)) {
        int index = m_pListView->GetMailIndex(row);
        if (index >= 0)
            pApp->OpenMailEditor(nKind, m_pListView->GetFolderStore(), index, 0, "", "", "", "", "", -1, 0, FALSE, 0);
    }
}

void CMainFrame::ComposeFromCommandLine(const char* pszText)
{
    if (CQuendalApp* pApp = QuendalApp())
        pApp->OpenMailEditor(pszText);
}

void CMainFrame::SetLogIndicator(BOOL bOn)
{
    if (!m_wndStatusBar.m_hWnd)
        return;
    HICON hIcon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bOn ? IDI_LOG_ON : IDI_LOG_OFF),
                                                IMAGE_ICON, 16, 16, LR_SHARED));
    m_wndStatusBar.SetIcon(3, hIcon);
}

void CMainFrame::OnViewToolBar()
{
    ShowControlBar(&m_wndToolBar, !m_wndToolBar.IsVisible());
}

void CMainFrame::OnViewStatusBar()
{
    ShowControlBar(&m_wndStatusBar, !m_wndStatusBar.IsVisible());
}

void CMainFrame::OnUpdateViewToolBar(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_wndToolBar.m_hWnd && m_wndToolBar.IsVisible());
}

void CMainFrame::OnUpdateViewStatusBar(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_wndStatusBar.m_hWnd && m_wndStatusBar.IsVisible());
}

void CMainFrame::OnViewThread()
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* store = pApp ? pApp->GetCurrentFolder() : nullptr;
    if (!store || !m_pListView)
        return;
    CFolderRecord& record = store->GetFolderRecord();
    record.m_nListSwitch = record.m_nListSwitch > 0 ? 0 : 1;
    WaitCursor(TRUE);
    if (CMailListData* list = store->GetMailList()) {
        list->SetThreadMode(record.m_nListSwitch > 0);
        list->ClearView();
        list->ResetView();
    }
    m_pListView->ShowFolder(store, TRUE, FALSE);
    store->WriteFolderSettings();
    if (m_pFolderTree)
        m_pFolderTree->SaveTreeState();
    WaitCursor(FALSE);
}

void CMainFrame::OnUpdateViewThread(CCmdUI* pCmdUI)
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* store = pApp ? pApp->GetCurrentFolder() : nullptr;
    pCmdUI->Enable(store != nullptr);
    pCmdUI->SetCheck(store && store->GetFolderRecord().m_nListSwitch > 0);
}

void CMainFrame::OnUpdateTransferCommand(CCmdUI* pCmdUI)
{
    if (m_pTransfer)
        m_pTransfer->UpdateCommand(pCmdUI);
    else
        pCmdUI->Enable(FALSE);
}

void CMainFrame::OnPlugInCommand(UINT nID)
{
    if (GetMainFrameHooks().pfnRunPlugInCommand)
        GetMainFrameHooks().pfnRunPlugInCommand(nID);
}

void CMainFrame::OnPlugInInfo()
{
    if (GetMainFrameHooks().pfnShowPlugInInfo)
        GetMainFrameHooks().pfnShowPlugInInfo(this);
}

void CMainFrame::OnUpdatePlugInCommand(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetMainFrameHooks().pfnRunPlugInCommand != nullptr);
}

void CMainFrame::OnTransferCommand(UINT nID)
{
    // Folders being rebuilt or optimised take no mail: a transfer waits
    // for the next command or route pass.
    if (nID != ID_FILE_ABORT_TRANSFER && nID != ID_FILE_ABORT_ROUTE && IsBusyLocked())
        return;
    if (m_pTransfer)
        m_pTransfer->OnCommand(nID);
}

// ---- Prompts ----

CString CMainFrame::GetMessageString(UINT nID) const
{
    CString text;
    // Plug-in commands have no string of their own: the plug-in gave the prompt.
    if (nID >= 40000 && nID <= 41000) {
        if (GetMainFrameHooks().pfnGetPlugInPrompt)
            GetMainFrameHooks().pfnGetPlugInPrompt(nID, text);
        return text;
    }
    if (!text.LoadString(nID))
        return text;
    int nl = text.Find('\n');
    if (nl >= 0)
        text = text.Left(nl);
    return text;
}

LRESULT CMainFrame::OnMenuSelect(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    UINT flags = HIWORD(wParam);
    if (m_wndStatusBar.m_hWnd) {
        if (flags == 0xFFFF && !lParam)
            m_wndStatusBar.SetPaneText(0, GetMessageString(kIdlePrompt));
        else if (flags & (MF_POPUP | MF_SEPARATOR))
            m_wndStatusBar.SetPaneText(0, "");
        else
            m_wndStatusBar.SetPaneText(0, GetMessageString(id));
    }
    return Default();
}

LRESULT CMainFrame::OnExitMenuLoop(WPARAM, LPARAM)
{
    if (m_wndStatusBar.m_hWnd)
        m_wndStatusBar.SetPaneText(0, GetMessageString(kIdlePrompt));
    return Default();
}
