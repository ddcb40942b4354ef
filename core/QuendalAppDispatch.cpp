// The application thread's dispatcher of the private messages that other
// threads post to it.
#include "core/QuendalApp.h"
#include "plugin/MapiRequestOpen.h"

#include "core/AppMessages.h"
#include "core/DlgAbout.h"
#include "core/SplashWnd.h"
#include "mainwnd/FoundMailOpen.h"
#include "mainwnd/MainFrame.h"
#include "tasklist/DlgTaskList.h"
#include "viewer/MailViewerOpen.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CQuendalApp, CMailApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_TASKLIST_OPEN, ShowTaskList)
END_MESSAGE_MAP()

namespace {

// Messages posted to the application thread, the main frame or any of its
// windows; the dispatcher looks only at the number. Each row: the number,
// what serves it and who posts it. Rows served by the main window go on to
// its own table (CMainFrame::OnAppThreadMessage).
struct AppThreadMessageRow
{
    UINT nMessage;
    void (*pfnHandler)(CQuendalApp& app, CMainFrame* pFrame, UINT message, WPARAM wParam, LPARAM lParam);
    const char* pszPostedBy;
};

void ToFrame(CQuendalApp&, CMainFrame* pFrame, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Consumed without effect while the main window is absent.
    if (pFrame)
        pFrame->OnAppThreadMessage(message, wParam, lParam);
}

void UnreadCounts(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM)
{
    app.UpdateUnreadMailRegistry();
}

void PrepareMailBoxShown(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM)
{
    app.PrepareMailBox(TRUE);
}

void ComposeText(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM lParam)
{
    const char* text = reinterpret_cast<const char*>(lParam);
    if (text) {
        app.OpenMailEditor(text);
        app.ReleaseHandOverText(lParam);
    } else {
        app.OpenMailEditor("");
    }
}

void MapiRequest(CQuendalApp& app, CMainFrame*, UINT, WPARAM wParam, LPARAM lParam)
{
    if (!lParam)
        return;
    if (wParam == kMapiRequestText)
        OpenMapiRequestText(reinterpret_cast<const char*>(lParam));
    else
        OpenMapiRequestFile(reinterpret_cast<const char*>(lParam));
    app.ReleaseHandOverText(lParam);
}

void AddressText(CQuendalApp& app, CMainFrame* pFrame, UINT, WPARAM, LPARAM lParam)
{
    if (pFrame && lParam) {
        if (pFrame->IsIconic())
            pFrame->SendMessage(WM_SYSCOMMAND, SC_RESTORE);
        pFrame->BringWindowToTop();
        pFrame->SetForegroundWindow();
        pFrame->OpenAddressBookToAdd("", reinterpret_cast<const char*>(lParam));
    }
    app.ReleaseHandOverText(lParam);
}

void MailText(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM lParam)
{
    if (lParam)
        app.ImportMailText(reinterpret_cast<const char*>(lParam));
    app.ReleaseHandOverText(lParam);
}

void ViewSettings(CQuendalApp& app, CMainFrame*, UINT, WPARAM wParam, LPARAM)
{
    app.ApplyViewSettings(wParam != 0);
}

void KeywordsChanged(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM)
{
    app.ApplyKeywordList();
}

void DeleteDraft(CQuendalApp& app, CMainFrame* pFrame, UINT, WPARAM wParam, LPARAM lParam)
{
    app.DeleteEditedMail(static_cast<int>(wParam), static_cast<int>(lParam));
    if (pFrame)
        pFrame->OnAppThreadMessage(WM_QD_FOLDER_MAIL_FILED, 0, static_cast<LPARAM>(wParam));
}

void ReadNotify(CQuendalApp& app, CMainFrame*, UINT, WPARAM wParam, LPARAM lParam)
{
    app.SendReadNotify(static_cast<int>(wParam), static_cast<int>(lParam));
}

void EditorEnded(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM lParam)
{
    app.RemoveEditThread(static_cast<DWORD>(lParam));
}

void ViewerEnded(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM lParam)
{
    app.RemoveViewThread(static_cast<DWORD>(lParam));
}

void SearchEnded(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM lParam)
{
    app.RemoveSearchThread(static_cast<DWORD>(lParam));
}

void OpenMailWindow(CQuendalApp&, CMainFrame*, UINT, WPARAM, LPARAM lParam)
{
    RunMailWindowRequest(lParam);
}

void FoundMail(CQuendalApp&, CMainFrame*, UINT, WPARAM wParam, LPARAM lParam)
{
    OpenFoundMail(static_cast<int>(wParam), static_cast<int>(lParam));
}

void RestoreFromHistory(CQuendalApp& app, CMainFrame* pFrame, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The frame then refills its list.
    app.RestoreDeletedMail(static_cast<int>(lParam));
    ToFrame(app, pFrame, message, wParam, lParam);
}

void ReceiveTimeoutBox(CQuendalApp&, CMainFrame*, UINT, WPARAM, LPARAM)
{
    CString text;
    text.LoadString(IDS_RECEIVE_TIMEOUT);
    AfxMessageBox(text, MB_OK);
}

void ShowTasks(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM)
{
    app.ShowTaskList();
}

void TasksChanged(CQuendalApp& app, CMainFrame*, UINT, WPARAM, LPARAM)
{
    if (app.m_pTaskListDlg && app.m_pTaskListDlg->m_hWnd)
        app.m_pTaskListDlg->Refill();
}

void EndDialog(CQuendalApp&, CMainFrame*, UINT, WPARAM, LPARAM lParam)
{
    if (CDialog* p = reinterpret_cast<CDialog*>(lParam))
        p->EndDialog(0);
}

void RunDialog(CQuendalApp&, CMainFrame*, UINT, WPARAM, LPARAM lParam)
{
    if (CDialog* p = reinterpret_cast<CDialog*>(lParam))
        p->DoModal();
}

const AppThreadMessageRow kAppThreadMessages[] = {
    // number                        handler              posted by
    { 689,                           UnreadCounts,        "the system: WM_WTSSESSION_CHANGE" },
    { WM_QD_PREPARE_MAILBOX,         PrepareMailBoxShown, "start-up without a mailbox" },
    { WM_QD_FOLDER_MAIL_FILED,       ToFrame,             "receive sessions, the editor's save" },
    { WM_QD_FOLDER_COUNTS,           ToFrame,             "folder stores" },
    { WM_QD_FOLDER_REFRESH,          ToFrame,             "the folder tree, the sending session" },
    { 1353,                          ToFrame,             "search windows, viewers, plug-ins: select a mail" },
    { WM_QD_RECEIVE_PASS_END,        ToFrame,             "receive and send sessions" },
    { 1366,                          ToFrame,             "the selective receive window" },
    { 1367,                          ToFrame,             "the selective receive window" },
    { 1368,                          ToFrame,             "viewers: next folder" },
    { 1369,                          ToFrame,             "viewers: previous folder" },
    { 1370,                          ToFrame,             "viewers: reset the list state" },
    { 1371,                          ToFrame,             "viewers: find the next folder" },
    { 1372,                          ToFrame,             "viewers: find the previous folder" },
    { 1375,                          EndDialog,           "worker threads: end a dialog of the main thread" },
    { 1376,                          RunDialog,           "worker threads: run a dialog on the main thread" },
    { 1382,                          ToFrame,             "viewers: find the next folder, all folders" },
    { 1383,                          ToFrame,             "viewers: find the previous folder, all folders" },
    { 1384,                          ToFrame,             "viewers: next folder, all folders" },
    { 1386,                          ToFrame,             "viewers after a delete, the sending session" },
    { 1388,                          ToFrame,             "folder properties, plug-ins" },
    { 1389,                          DeleteDraft,         "editors: a draft sent or dropped" },
    { 1390,                          ToFrame,             "settings dialogs, plug-ins" },
    { 1392,                          ToFrame,             "the selective receive worker" },
    { 1393,                          ToFrame,             "the mail view: a mail's state changed" },
    { 1394,                          ToFrame,             "the mail view: space scrolled past the end" },
    { WM_QD_COMPOSE_TEXT,            ComposeText,         "the communication thread: hand-over to compose" },
    { WM_QD_ADDRESS_TEXT,            AddressText,         "the communication thread: an address to add" },
    { WM_QD_MAIL_TEXT,               MailText,            "the communication thread: a mail text to import" },
    { WM_QD_SEND_FOLDER_MAIL,        ToFrame,             "the plug-in send-folder call" },
    { WM_QD_REMOVE_EDIT_THREAD,      EditorEnded,         "an editor thread at its end" },
    { WM_QD_REMOVE_VIEW_THREAD,      ViewerEnded,         "a viewer thread at its end" },
    { WM_QD_REMOVE_SEARCH_THREAD,    SearchEnded,         "a search thread at its end" },
    { 1417,                          ToFrame,             "the text view: メールを振分けに登録" },
    { WM_QD_KEYWORDS_CHANGED,        KeywordsChanged,     "the keyword dialog" },
    { 1419,                          ToFrame,             "folder properties: colours" },
    { WM_QD_RECEIVE_TIMEOUT_BOX,     ReceiveTimeoutBox,   "a receive session that timed out" },
    { 1430,                          RestoreFromHistory,  "the deleted-mail history dialog" },
    { 1435,                          ToFrame,             "viewers, plug-ins, the notification window" },
    { 1439,                          ReadNotify,          "the mail view: send a read receipt" },
    { WM_QD_RECEIVE_FINISHED,        ToFrame,             "the receive worker" },
    { 1474,                          TasksChanged,        "task dialogs" },
    { 1475,                          ToFrame,             "the task reminder pass" },
    { WM_QD_SHOW_TASKLIST,           ShowTasks,           "the task reminder, plug-ins" },
    { WM_QD_APPLY_VIEW_SETTINGS,     ViewSettings,        "settings dialogs: view settings changed" },
    { WM_QD_MAPI_REQUEST,            MapiRequest,         "the communication thread: a Simple MAPI request" },
    { WM_QD_OPEN_MAIL_WINDOW,        OpenMailWindow,      "other threads: open a viewer" },
    { WM_QD_OPEN_FOUND_MAIL,         FoundMail,           "search windows: open a found mail" },
};

const AppThreadMessageRow* FindAppThreadMessage(UINT message)
{
    for (const AppThreadMessageRow& row : kAppThreadMessages)
        if (row.nMessage == message)
            return &row;
    return nullptr;
}

} // namespace

BOOL CQuendalApp::PreTranslateMessage(MSG* pMsg)
{
    if (CSplashWnd::PreTranslateAppMessage(pMsg))
        return TRUE;
    if (DispatchThreadMessage(pMsg))
        return TRUE;
    return CMailApp::PreTranslateMessage(pMsg);
}

BOOL CQuendalApp::ProcessMessageFilter(int code, MSG* pMsg)
{
    // Posted messages are served also while a message box, a menu or a
    // system dialog box runs its own loop on the main thread.
    if (DispatchThreadMessage(pMsg))
        return TRUE;
    return CMailApp::ProcessMessageFilter(code, pMsg);
}

BOOL CQuendalApp::DispatchThreadMessage(MSG* pMsg)
{
    const AppThreadMessageRow* row = FindAppThreadMessage(pMsg->message);
    if (!row)
        return FALSE;
    CMainFrame* pFrame = m_pMainFrame && m_pMainFrame->m_hWnd ? m_pMainFrame : nullptr;
    row->pfnHandler(*this, pFrame, pMsg->message, pMsg->wParam, pMsg->lParam);
    return TRUE;
}

BOOL CQuendalApp::IsApplicationThreadMessage(UINT message)
{
    return FindAppThreadMessage(message) != nullptr;
}

BOOL CQuendalApp::IsFrameThreadMessage(UINT message)
{
    const AppThreadMessageRow* row = FindAppThreadMessage(message);
    return row && (row->pfnHandler == ToFrame || row->pfnHandler == RestoreFromHistory);
}

void CQuendalApp::OnAppAbout()
{
    CDlgAbout dlg;
    dlg.DoModal();
}
