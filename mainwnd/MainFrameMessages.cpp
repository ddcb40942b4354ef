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

// Thread messages the frame serves (see the dispatcher).
enum : UINT {
    msgAskThreadId = 1334,
    msgMovePrevious = 1347,
    msgMoveNext = 1348,
    msgSelectMail = 1353,
    msgSelectFolder = 1435,
    msgMailSent = 1386,
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

void CMainFrame::OnAppThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    CQuendalApp* pApp = QuendalApp();
    int current = pApp ? pApp->GetCurrentFolderId() : 0;
    // Every folder message carries a folder id (0: the current folder).
    switch (message) {
    case WM_QD_FOLDER_MAIL_FILED:
        // A receive names the index of the mail it filed (plus one).
        if (wParam != 0)
            OnNotifyNewMail(static_cast<int>(lParam), static_cast<int>(wParam) - 1);
        RefreshFolderItem(static_cast<int>(lParam), FALSE);
        if (lParam == 0 || lParam == current)
            PassToCurrentFolderList(1);
        break;
    case WM_QD_FOLDER_COUNTS:
        RefreshFolderItem(static_cast<int>(lParam), FALSE);
        ReselectCurrentFolder();
        break;
    case WM_QD_FOLDER_REFRESH:
        RefreshFolderItem(static_cast<int>(lParam), TRUE);
        break;
    case msgSelectFolder:
        if (m_pFolderTree && pApp && pApp->FindFolder(static_cast<int>(wParam))) {
            m_pFolderTree->SelectFolder(static_cast<int>(wParam));
            ChangeFolder(static_cast<int>(wParam));
        }
        break;
    case msgSelectMail:
        SelectFolderAndMail(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case msgMailSent:
        RefreshListIfCurrent(static_cast<int>(wParam));
        break;
    case msgFolderSettingsChanged:
        ReloadCurrentFolderList(static_cast<int>(wParam), lParam != 0);
        break;
    case msgUpdateListView:
        UpdateListView();
        break;
    case msgFolderFontChanged:
        if (m_pListView)
            m_pListView->LoadColors();
        break;
    case msgNextFolder:
        OnNextFolderMessage(wParam, lParam);
        break;
    case msgNextFolderAll:
        OnNextFolderAllMessage(wParam, lParam);
        break;
    case msgPreviousFolder:
        OnPreviousFolderMessage(wParam, lParam);
        break;
    case msgResetListState:
        OnResetListStateMessage(wParam, lParam);
        break;
    case msgViewerNextFolder:
        OnViewerNextFolderMessage(wParam, lParam);
        break;
    case msgViewerNextFolderAll:
        OnViewerNextFolderAllMessage(wParam, lParam);
        break;
    case msgViewerPreviousFolder:
        OnViewerPreviousFolderMessage(wParam, lParam);
        break;
    case msgViewerPreviousFolderAll:
        OnViewerPreviousFolderAllMessage(wParam, lParam);
        break;
    default:
        // Receiving and sending (1355, 1440).
        if (m_pTransfer)
            m_pTransfer->OnThreadMessage(message, wParam, lParam);
        break;
    }
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
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
    m_nCheckPassword = ProfileInt("Setting", "CheckPassword", 0);
    m_nRecNotifyDialog = ProfileInt("Setting", "RecNotifyDialog", 0);
    m_nRecNotifyBeep = ProfileInt("Setting", "RecNotifyBeep", 0);
    m_nRecNotifySound = ProfileInt("Setting", "RecNotifySound", 0);
    if (m_nRecNotifySound) {
        if (CQuendalApp* pApp = QuendalApp())
            m_strRecNotifySoundPath = pApp->GetProfileString("Setting", "RecNotifySoundPath", "");
    }
    m_bLedBlink = ProfileInt("Setting", "LEDBlink", 0) != 0;
    m_nLedBlinkType = ProfileInt("Setting", "LEDBlinkType", 0);
    m_nLedBlinkInterval = ProfileInt("Setting", "LEDBlinkInterval", 1000);
}

void CMainFrame::UpdateRouteTimer(BOOL bStartNow)
{
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
        PostMessage(WM_COMMAND, ID_ROUTE_RECEIVE);
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kMinuteTimer)
        UpdateRouteTimer(TRUE);
    else if (nIDEvent == kRouteTimer && !IsReceiving())
        PostMessage(WM_COMMAND, ID_ROUTE_RECEIVE);
    Default();
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
