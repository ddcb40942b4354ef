// The main frame's thread messages, timers and folder changes.
#include "mainwnd/MainFrame.h"
#include "mainwnd/MainFrameTransfer.h"

#include "core/AppMessages.h"
#include "core/DlgInputPassword.h"
#include "core/QuendalApp.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MailViewSeam.h"
#include "mainwnd/QListView.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/resource.h"
#include "resources/rules/RulesResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"

namespace {

const UINT_PTR kMinuteTimer = 10;
const UINT_PTR kRouteTimer = 45;

// Thread messages the frame serves (see the table below).
enum : UINT {
    msgAskThreadId = 1334,
    msgMovePrevious = 1347,
    msgMoveNext = 1348,
    msgSelectMail = 1353,
    msgSelectFolder = 1435,
    msgMailSent = 1386,
    msgMailChanged = 1393,
    msgSpaceEndRead = 1394,
    msgRegisterMailRule = 1417,
    msgMailRestored = 1430,
    msgFolderSettingsChanged = 1388,
    msgUpdateListView = 1390,
    msgFolderFontChanged = 1419,
    msgNextFolder = 1368,
    msgPreviousFolder = 1369,
    msgResetListState = 1370,
    msgViewerNextFolder = 1371,
    msgViewerPreviousFolder = 1372,
    msgViewerNextFolderAll = 1382,
    msgViewerPreviousFolderAll = 1383,
    msgNextFolderAll = 1384,
    msgToggleMailViewMaximised = 1365,
};

} // namespace

LRESULT CMainFrame::OnFrameReady(WPARAM, LPARAM)
{
    CQuendalApp* pApp = QuendalApp();
    // Start-up may have changed the current folder after the tree chose the inbox.
    if (pApp && m_pFolderTree) {
        int id = pApp->GetCurrentFolderId();
        if (!id && m_pListView)
            id = m_pListView->GetFolderId();
        if (!id)
            id = pApp->GetDefaultFolderId(1);
        if (id) {
            m_pFolderTree->SelectFolder(id);
            ChangeFolder(id);
        }
    }
    InitTimersAndNotify();
    return 0;
}

// The thread messages that reach the main window through the application's
// dispatcher: one row each, the number, the member that serves it and who
// posts it. A number without a row is logged, never silently dropped.
const CMainFrame::ThreadMessageRow CMainFrame::s_threadMessages[] = {
    // number                      handler                                    posted by
    { WM_QD_FOLDER_MAIL_FILED,     &CMainFrame::OnMailFiledMessage,            "receive sessions, the editor's save, 1389" },
    { WM_QD_FOLDER_COUNTS,         &CMainFrame::OnFolderCountsMessage,         "folder stores after a count change" },
    { WM_QD_FOLDER_REFRESH,        &CMainFrame::OnFolderRefreshMessage,        "the folder tree, the sending session" },
    { msgSelectMail,               &CMainFrame::OnSelectMailMessage,           "search windows, viewers, plug-ins" },
    { WM_QD_RECEIVE_PASS_END,      &CMainFrame::OnTransferMessage<1355>,       "a receive or send session that ended" },
    { 1366,                        &CMainFrame::OnTransferMessage<1366>,       "the selective receive window: run" },
    { 1367,                        &CMainFrame::OnTransferMessage<1367>,       "the selective receive window: list again" },
    { msgMailSent,                 &CMainFrame::OnMailSentMessage,             "viewers after a delete, the sending session" },
    { msgFolderSettingsChanged,    &CMainFrame::OnFolderSettingsMessage,       "folder properties, plug-ins" },
    { msgUpdateListView,           &CMainFrame::OnUpdateListMessage,           "settings dialogs, plug-ins" },
    { 1392,                        &CMainFrame::OnTransferMessage<1392>,       "the selective receive worker at its end" },
    { msgMailChanged,              &CMainFrame::OnMailChangedMessage,          "the mail view: read state, bookmark, properties" },
    { msgSpaceEndRead,             &CMainFrame::OnSpaceEndReadMessage,         "the mail view: space scrolled past the end" },
    { WM_QD_SEND_FOLDER_MAIL,      &CMainFrame::OnTransferMessage<1402>,       "the plug-in send-folder call" },
    { msgRegisterMailRule,         &CMainFrame::OnRegisterMailRuleMessage,     "the text view's メールを振分けに登録" },
    { msgFolderFontChanged,        &CMainFrame::OnFolderFontMessage,           "folder properties: colours changed" },
    { msgMailRestored,             &CMainFrame::OnMailRestoredMessage,         "the deleted-mail history (after the application)" },
    { msgSelectFolder,             &CMainFrame::OnSelectFolderMessage,         "viewers, plug-ins, the notification window" },
    { WM_QD_RECEIVE_FINISHED,      &CMainFrame::OnTransferMessage<1440>,       "the receive worker at its end" },
    { 1475,                        &CMainFrame::OnTransferMessage<1475>,       "the task reminder pass with its notices" },
    { msgNextFolder,               &CMainFrame::OnNextFolderMessage,           "viewers: next folder" },
    { msgNextFolderAll,            &CMainFrame::OnNextFolderAllMessage,        "viewers: next folder, all folders" },
    { msgPreviousFolder,           &CMainFrame::OnPreviousFolderMessage,       "viewers: previous folder" },
    { msgResetListState,           &CMainFrame::OnResetListStateMessage,       "viewers: reset the list state" },
    { msgViewerNextFolder,         &CMainFrame::OnViewerNextFolderMessage,     "viewers: find the next folder" },
    { msgViewerNextFolderAll,      &CMainFrame::OnViewerNextFolderAllMessage,  "viewers: find the next folder, all folders" },
    { msgViewerPreviousFolder,     &CMainFrame::OnViewerPreviousFolderMessage, "viewers: find the previous folder" },
    { msgViewerPreviousFolderAll,  &CMainFrame::OnViewerPreviousFolderAllMessage, "viewers: find the previous folder, all folders" },
};

const CMainFrame::ThreadMessageRow* CMainFrame::FindThreadMessageRow(UINT message)
{
    for (const ThreadMessageRow& row : s_threadMessages)
        if (row.nMessage == message)
            return &row;
    return nullptr;
}

template <UINT N>
void CMainFrame::OnTransferMessage(WPARAM wParam, LPARAM lParam)
{
    if (m_pTransfer)
        m_pTransfer->OnThreadMessage(N, wParam, lParam);
}

void CMainFrame::OnAppThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const ThreadMessageRow* row = FindThreadMessageRow(message)) {
        (this->*row->pfnHandler)(wParam, lParam);
        return;
    }
    CString line;
    line.Format("CMainFrame: thread message %u has no handler", message);
    ::OutputDebugStringA(line);
    if (CQuendalApp* pApp = QuendalApp())
        pApp->AppendAppLog(line);
}

// Every folder message carries a folder id (0: the current folder).
void CMainFrame::OnMailFiledMessage(WPARAM wParam, LPARAM lParam)
{
    CQuendalApp* pApp = QuendalApp();
    const int current = pApp ? pApp->GetCurrentFolderId() : 0;
    // A receive names the index of the mail it filed (plus one).
    if (wParam != 0)
        OnNotifyNewMail(static_cast<int>(lParam), static_cast<int>(wParam) - 1);
    RefreshFolderItem(static_cast<int>(lParam), FALSE);
    if (lParam == 0 || lParam == current)
        PassToCurrentFolderList(1);
}

void CMainFrame::OnFolderCountsMessage(WPARAM, LPARAM lParam)
{
    RefreshFolderItem(static_cast<int>(lParam), FALSE);
    ReselectCurrentFolder();
}

void CMainFrame::OnFolderRefreshMessage(WPARAM, LPARAM lParam)
{
    RefreshFolderItem(static_cast<int>(lParam), TRUE);
}

void CMainFrame::OnSelectFolderMessage(WPARAM wParam, LPARAM)
{
    CQuendalApp* pApp = QuendalApp();
    if (m_pFolderTree && pApp && pApp->FindFolder(static_cast<int>(wParam))) {
        m_pFolderTree->SelectFolder(static_cast<int>(wParam));
        ChangeFolder(static_cast<int>(wParam));
    }
}

void CMainFrame::OnSelectMailMessage(WPARAM wParam, LPARAM lParam)
{
    SelectFolderAndMail(static_cast<int>(wParam), static_cast<int>(lParam));
}

void CMainFrame::OnMailSentMessage(WPARAM wParam, LPARAM)
{
    RefreshListIfCurrent(static_cast<int>(wParam));
}

void CMainFrame::OnFolderSettingsMessage(WPARAM wParam, LPARAM lParam)
{
    ReloadCurrentFolderList(static_cast<int>(wParam), lParam != 0);
}

void CMainFrame::OnUpdateListMessage(WPARAM, LPARAM)
{
    UpdateListView();
}

void CMainFrame::OnFolderFontMessage(WPARAM, LPARAM)
{
    if (m_pListView)
        m_pListView->LoadColors();
}

void CMainFrame::OnMailRestoredMessage(WPARAM, LPARAM)
{
    // The restored mail is a row again; the list keeps its place.
    ReloadCurrentFolderList(0, TRUE);
}

void CMainFrame::OnMailChangedMessage(WPARAM wParam, LPARAM lParam)
{
    CQuendalApp* pApp = QuendalApp();
    if (!m_pListView || !pApp || static_cast<int>(wParam) != pApp->GetCurrentFolderId())
        return;
    m_pListView->RedrawMail(static_cast<int>(lParam));
    ReselectCurrentFolder();
}

void CMainFrame::OnSpaceEndReadMessage(WPARAM, LPARAM)
{
    if (!m_pListView)
        return;
    CListCtrl& list = m_pListView->GetListCtrl();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
        list.RedrawItems(row, row);
    ReselectCurrentFolder();
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        if (pMsg->wParam == VK_ESCAPE && m_pListView && m_pListView->m_hWnd)
            m_pListView->ClearCutMarks(FALSE);
        m_keyRepeat = m_keyDown ? 1 : 0;
        m_keyDown = 1;
        m_keyUp = 0;
    } else if (pMsg->message == WM_KEYUP) {
        m_keyDown = m_keyRepeat = 0;
        m_keyUp = 1;
        if (m_showOnKeyUp) {
            if (m_pListView)
                m_pListView->ShowSelectedMail();
            m_keyDown = m_keyUp = m_keyRepeat = m_showOnKeyUp = 0;
        }
    }
    if (PreTranslateKeyMessage(pMsg))
        return TRUE;
    switch (pMsg->message) {
    case msgAskThreadId:
        ::PostThreadMessageA(static_cast<DWORD>(pMsg->wParam), msgAskThreadId, ::GetCurrentThreadId(), 0);
        return TRUE;
    case msgToggleMailViewMaximised:
        // A double click on the mail view pane.
        if (pMsg->hwnd != m_hWnd)
            break;
        ToggleMailViewMaximised();
        return TRUE;
    case msgMovePrevious:
    case msgMoveNext:
        if (m_pListView)
            m_pListView->MoveSelection(pMsg->message);
        return TRUE;
    case WM_HELP:
        return TRUE;
    default:
        break;
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

// ---- Timers ----

void CMainFrame::InitTimersAndNotify()
{
    UpdateRouteTimer(FALSE);
    SetTimer(kMinuteTimer, 60000);
    ReadNotifySettings();
}

void CMainFrame::ReadNotifySettings()
{
    m_nCheckPassword = ProfileInt("Setting", "CheckPassword", 0);
    m_nRecNotifyDialog = ProfileInt("Setting", "RecNotifyDialog", 0);
    m_nRecNotifyBeep = ProfileInt("Setting", "RecNotifyBeep", 0);
    m_nRecNotifySound = ProfileInt("Setting", "RecNotifySound", 0);
    m_strRecNotifySoundPath.Empty();
    if (m_nRecNotifySound) {
        if (CQuendalApp* pApp = QuendalApp())
            m_strRecNotifySoundPath = pApp->GetProfileString("Setting", "RecNotifySoundPath", "");
    }
    m_bLedBlink = ProfileInt("Setting", "LEDBlink", 0) != 0;
    m_nLedBlinkType = ProfileInt("Setting", "LEDBlinkType", 0);
    m_nLedBlinkInterval = ProfileInt("Setting", "LEDBlinkInterval", 1000);
}

void CMainFrame::ApplyBasicSettings()
{
    ReadNotifySettings();
    // The mail view pane's header form is set up with the pane: a new form
    // makes the panes anew.
    if (m_pMailView && ReadHeaderMode() != m_nHeaderMode) {
        if (m_bMailViewMaximised || m_bListMaximised)
            RestorePaneSizes();
        DispMailview(FALSE);
    }
    if (CQuendalApp* pApp = QuendalApp()) {
        pApp->m_bShowReplyIcon = pApp->GetProfileInt("Setting", "ShowReplyIcon", 1);
        pApp->m_bShowMyMailIcon = pApp->GetProfileInt("Setting", "ShowMyMailIcon", 1);
        pApp->m_nReadNotifyTo = pApp->GetProfileInt("Setting", "ReadNotifyTo", 0);
        pApp->m_nDisplayUnReadMail = pApp->GetProfileInt("Setting", "DisplayUnReadMail", 0);
        pApp->m_bNoCreateMailViewFrame = pApp->GetProfileInt("Setting", "NoCreateMailViewFrame", 0);
        pApp->m_nReceiveLogCount = pApp->GetProfileInt("Setting", "CVMReceiveLogCount", 100);
        pApp->m_bUnloadMailIndex = pApp->GetProfileInt("Setting", "UnloadMailIndex", 0);
        pApp->m_nUnloadMailIndexTime = pApp->GetProfileInt("Setting", "UnloadMailIndexTime", 3);
        pApp->m_bCreateMailBodyFromHtml = pApp->GetProfileInt("Setting", "CreateMailBodyFromHTML", 1);
        pApp->m_strTempFolderPath = pApp->GetProfileString("Paths", "TempFolderPath", "");
        pApp->UpdateUnreadMailRegistry();
        pApp->LoadTaskListColors();
    }
    if (m_pListView)
        m_pListView->LoadListOptions();
}

void CMainFrame::UpdateRouteTimer(BOOL bStartNow)
{
    // New mail read elsewhere (a viewer, another start) stops the blinking.
    if (CQuendalApp* pApp = QuendalApp()) {
        CStringArray names;
        CDWordArray total;
        pApp->CollectUnreadCounts(1, names, total);
        if (total.GetSize() == 1 && total[0] == 0)
            ResetTrayIcon();
    }
    MainFrameHooks& hooks = GetMainFrameHooks();
    int interval = hooks.pfnGetRouteInterval ? hooks.pfnGetRouteInterval() : 10;
    bool enabled = hooks.pfnIsRouteEnabled && hooks.pfnIsRouteEnabled();
    RouteTimerAction action = DecideRouteTimer(m_routeTimer, interval, enabled, bStartNow != FALSE);
    if (!action.bReset)
        return;
    KillTimer(kRouteTimer);
    if (action.nPeriodMs)
        SetTimer(kRouteTimer, action.nPeriodMs);
    if (action.bStartPass)
        PostMessage(WM_QD_ROUTE_DUE);
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kMinuteTimer)
        UpdateRouteTimer(TRUE);
    else if (nIDEvent == kRouteTimer && !IsReceiving())
        PostMessage(WM_QD_ROUTE_DUE);
    Default();
}

LRESULT CMainFrame::OnRouteDue(WPARAM, LPARAM)
{
    // Folders being rebuilt or optimised take no mail: the next pass comes.
    if (m_pTransfer && !IsBusyLocked())
        m_pTransfer->StartScheduledRoutePass();
    return 0;
}

// ---- Folders and the list ----

BOOL CMainFrame::ChangeFolder(int nFolderId)
{
    m_keyDown = m_keyUp = m_keyRepeat = m_showOnKeyUp = 0;
    CQuendalApp* pApp = QuendalApp();
    if (!m_pListView || !pApp)
        return FALSE;
    CMailFolderStore* store = pApp->FindFolder(nFolderId);
    if (!store)
        return FALSE;
    int previous = pApp->GetCurrentFolderId();
    // A folder with a password opens only for the right one; otherwise the
    // tree goes back to the folder shown before.
    const CString& password = store->GetFolderRecord().m_strPassword;
    if (!password.IsEmpty() && nFolderId != previous) {
        CDlgInputPassword dlg(this);
        dlg.SetCaption("フォルダのパスワード");
        dlg.SetCheckPassword(password);
        if (dlg.DoModal() != IDOK) {
            if (m_pFolderTree && previous)
                m_pFolderTree->SelectFolder(previous);
            return FALSE;
        }
    }
    WaitCursor(TRUE);
    const bool loadedBefore = store->IsIndexLoaded() != FALSE;
    if (!store->GetMailList()) {
        WaitCursor(FALSE);
        return FALSE;
    }
    pApp->SetCurrentFolder(nFolderId);
    if (m_pFolderTree) {
        m_pFolderTree->RefreshFolderItem(previous);
        m_pFolderTree->RefreshFolderItem(nFolderId);
    }
    // The folder shown already (the frame choosing it again at start-up)
    // keeps its list and the mail the user may have picked meanwhile.
    if (m_pListView->GetFolderStore() != store) {
        m_pListView->ShowFolder(store, TRUE, FALSE);
        MailViewSeam& seam = GetMailViewSeam();
        if (seam.pfnShowMail && m_pMailView)
            seam.pfnShowMail(m_pMailView, nullptr, -1);
    }
    CMailListData* list = store->GetMailListNoLoad();
    UpdateFolderCounts(list->GetMailCount(), list->GetUnreadCount());
    WaitCursor(FALSE);
    // Only a folder whose index was in memory already is asked about.
    const int deleted = list->GetDeletedOnLoadCount() + list->GetAllRecordCount() - list->GetMailCount();
    if (loadedBefore && deleted > m_nCompactAlertCount &&
        AfxMessageBox("このフォルダ内の削除されたメールがたまってきました。\r\nフォルダを最適化しますか？", MB_OKCANCEL) == IDOK)
        SendMessage(WM_COMMAND, ID_FOLDER_OPTIMIZE_CURRENT);
    return TRUE;
}

void CMainFrame::PassToCurrentFolderList(int nArg)
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* store = pApp ? pApp->GetCurrentFolder() : nullptr;
    if (!m_pListView || !store)
        return;
    m_pListView->ShowFolder(store, nArg == 0, TRUE);
}

void CMainFrame::ReloadCurrentFolderList(int nFolderId, BOOL bRedraw)
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* store = pApp ? pApp->GetCurrentFolder() : nullptr;
    if (!store || !m_pListView || (nFolderId && nFolderId != store->GetFolderId()))
        return;
    m_pListView->ShowFolder(store, FALSE, TRUE);
    if (bRedraw)
        m_pListView->Invalidate();
    CMailListData* list = store->GetMailListNoLoad();
    UpdateFolderCounts(list->GetMailCount(), list->GetUnreadCount());
}

void CMainFrame::UpdateListView()
{
    if (m_pListView)
        m_pListView->Invalidate();
}

void CMainFrame::ReselectCurrentFolder()
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* store = pApp ? pApp->GetCurrentFolder() : nullptr;
    if (store && store->IsIndexLoaded())
        UpdateFolderCounts(store->GetMailListNoLoad()->GetMailCount(), store->GetUnreadCount());
}

void CMainFrame::RefreshFolderItem(int nFolderId, BOOL)
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return;
    int id = nFolderId ? nFolderId : pApp->GetCurrentFolderId();
    if (m_pFolderTree && pApp->FindFolder(id))
        m_pFolderTree->RefreshFolderItem(id);
    if (id == pApp->GetCurrentFolderId())
        ReselectCurrentFolder();
}

void CMainFrame::RefreshListIfCurrent(int nFolderId)
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || nFolderId != pApp->GetCurrentFolderId())
        return;
    // Mails deleted in another window (a viewer) leave the rows; the
    // selected mail keeps its selection.
    CMailFolderStore* store = pApp->GetCurrentFolder();
    if (!m_pListView || !store || !store->IsIndexLoaded()) {
        PassToCurrentFolderList(1);
        return;
    }
    int current = m_pListView->GetMailIndex(m_pListView->GetCurrentRow());
    CMailIndexRecord* record = current >= 0 ? store->GetRecord(current) : nullptr;
    store->GetMailListNoLoad()->RemoveDeletedRecords();
    PassToCurrentFolderList(1);
    if (record && !record->m_bDeleted)
        m_pListView->SelectMail(current);
}

BOOL CMainFrame::SelectFolderAndMail(int nFolderId, int nMailIndex)
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || !pApp->FindFolder(nFolderId) || !m_pListView)
        return FALSE;
    if (m_pFolderTree)
        m_pFolderTree->SelectFolder(nFolderId);
    if (m_pListView->GetFolderId() != nFolderId && !ChangeFolder(nFolderId))
        return FALSE;
    return m_pListView->SelectMail(nMailIndex);
}
