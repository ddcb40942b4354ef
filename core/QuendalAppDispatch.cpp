// The application thread's dispatcher of the private messages that other
// threads post to it.
#include "core/QuendalApp.h"
#include "plugin/MapiRequestOpen.h"

#include "core/AppMessages.h"
#include "core/DlgAbout.h"
#include "core/PostedObjectTable.h"
#include "core/SplashWnd.h"
#include "mainwnd/FoundMailOpen.h"
#include "mainwnd/MailObjectBlock.h"
#include "mainwnd/MainFrame.h"
#include "tasklist/DlgTaskList.h"
#include "viewer/MailViewerOpen.h"
#include "resources/resource.h"

#include <memory>
#include <string>

BEGIN_MESSAGE_MAP(CQuendalApp, CMailApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_TASKLIST_OPEN, ShowTaskList)
END_MESSAGE_MAP()

namespace {

// Messages posted to the application thread, the main frame or any of its
// windows. Each row: the number, what serves it, whether it is taken only
// from the thread's own queue, and who posts it. Rows served by the main
// window go on to its own table (CMainFrame::OnAppThreadMessage).
//
// A number that the program only ever posts to the thread is not taken when
// it is addressed to a window: another program finds our windows and posts
// to them, and a window of ours may use the same number for something of its
// own. Rows whose parameter stands for an object carry a token of the
// posted-object table, never an address (CPostedObjectTable).
enum Source { anyWindow, threadQueue };

struct AppThreadMessageRow
{
    UINT nMessage;
    void (*pfnHandler)(CQuendalApp& app, CMainFrame* pFrame, UINT message, WPARAM wParam, LPARAM lParam);
    Source source;
    const char* pszPostedBy;
};

std::shared_ptr<std::string> TakeText(UINT message, LPARAM lParam)
{
    return CPostedObjectTable::Instance().Take<std::string>(message, lParam);
}

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

void ComposeText(CQuendalApp& app, CMainFrame*, UINT message, WPARAM, LPARAM lParam)
{
    if (!lParam) {
        app.OpenMailEditor("");
        return;
    }
    if (std::shared_ptr<std::string> text = TakeText(message, lParam)) {
        app.OpenMailEditor(text->c_str());
        app.ReleaseHandOverText(lParam);
    }
}

void MapiRequest(CQuendalApp& app, CMainFrame*, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<std::string> text = TakeText(message, lParam);
    if (!text)
        return;
    if (wParam == kMapiRequestText)
        OpenMapiRequestText(text->c_str());
    else
        OpenMapiRequestFile(text->c_str());
    app.ReleaseHandOverText(lParam);
}

void AddressText(CQuendalApp& app, CMainFrame* pFrame, UINT message, WPARAM, LPARAM lParam)
{
    std::shared_ptr<std::string> text = TakeText(message, lParam);
    if (!text)
        return;
    if (pFrame) {
        if (pFrame->IsIconic())
            pFrame->SendMessage(WM_SYSCOMMAND, SC_RESTORE);
        pFrame->BringWindowToTop();
        pFrame->SetForegroundWindow();
        pFrame->OpenAddressBookToAdd("", text->c_str());
    }
    app.ReleaseHandOverText(lParam);
}

void MailText(CQuendalApp& app, CMainFrame*, UINT message, WPARAM, LPARAM lParam)
{
    std::shared_ptr<std::string> text = TakeText(message, lParam);
    if (!text)
        return;
    app.ImportMailText(text->c_str());
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

std::shared_ptr<MailObjectBlock::MailRef> TakeMail(UINT message, LPARAM lParam)
{
    return CPostedObjectTable::Instance().Take<MailObjectBlock::MailRef>(message, lParam);
}

void DeleteDraft(CQuendalApp& app, CMainFrame* pFrame, UINT message, WPARAM, LPARAM lParam)
{
    std::shared_ptr<MailObjectBlock::MailRef> mail = TakeMail(message, lParam);
    if (!mail)
        return;
    app.DeleteEditedMail(mail->nFolderId, mail->nIndex);
    if (pFrame)
        pFrame->OnAppThreadMessage(WM_QD_FOLDER_MAIL_FILED, 0, static_cast<LPARAM>(mail->nFolderId));
}

void ReadNotify(CQuendalApp& app, CMainFrame*, UINT message, WPARAM, LPARAM lParam)
{
    if (std::shared_ptr<MailObjectBlock::MailRef> mail = TakeMail(message, lParam))
        app.SendReadNotify(mail->nFolderId, mail->nIndex);
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

void EndDialog(CQuendalApp&, CMainFrame*, UINT message, WPARAM, LPARAM lParam)
{
    if (std::shared_ptr<CDialog> dialog = CPostedObjectTable::Instance().Take<CDialog>(message, lParam))
        dialog->EndDialog(0);
}

void RunDialog(CQuendalApp&, CMainFrame*, UINT message, WPARAM, LPARAM lParam)
{
    if (std::shared_ptr<CDialog> dialog = CPostedObjectTable::Instance().Take<CDialog>(message, lParam))
        dialog->DoModal();
}

const AppThreadMessageRow kAppThreadMessages[] = {
    // number                        handler              source       posted by
    { 689,                           UnreadCounts,        anyWindow,   "the system: WM_WTSSESSION_CHANGE" },
    { WM_QD_PREPARE_MAILBOX,         PrepareMailBoxShown, anyWindow,   "start-up without a mailbox" },
    { WM_QD_FOLDER_MAIL_FILED,       ToFrame,             anyWindow,   "receive sessions, the editor's save" },
    { WM_QD_FOLDER_COUNTS,           ToFrame,             anyWindow,   "folder stores" },
    { WM_QD_FOLDER_REFRESH,          ToFrame,             anyWindow,   "the folder tree, the sending session" },
    { 1353,                          ToFrame,             anyWindow,   "search windows, viewers, plug-ins: select a mail" },
    { WM_QD_RECEIVE_PASS_END,        ToFrame,             anyWindow,   "receive and send sessions" },
    { 1366,                          ToFrame,             anyWindow,   "the selective receive window" },
    { 1367,                          ToFrame,             anyWindow,   "the selective receive window" },
    { 1368,                          ToFrame,             anyWindow,   "viewers: next folder" },
    { 1369,                          ToFrame,             anyWindow,   "viewers: previous folder" },
    { 1370,                          ToFrame,             anyWindow,   "viewers: reset the list state" },
    { 1371,                          ToFrame,             anyWindow,   "viewers: find the next folder" },
    { 1372,                          ToFrame,             anyWindow,   "viewers: find the previous folder" },
    { 1375,                          EndDialog,           threadQueue, "worker threads: end a dialog of the main thread" },
    { 1376,                          RunDialog,           threadQueue, "worker threads: run a dialog on the main thread" },
    { 1382,                          ToFrame,             anyWindow,   "viewers: find the next folder, all folders" },
    { 1383,                          ToFrame,             anyWindow,   "viewers: find the previous folder, all folders" },
    { 1384,                          ToFrame,             anyWindow,   "viewers: next folder, all folders" },
    { 1386,                          ToFrame,             anyWindow,   "viewers after a delete, the sending session" },
    { 1388,                          ToFrame,             anyWindow,   "folder properties, plug-ins" },
    { WM_QD_DELETE_STORED_MAIL,      DeleteDraft,         threadQueue, "editors: a draft sent or dropped" },
    { 1390,                          ToFrame,             anyWindow,   "settings dialogs, plug-ins" },
    { 1392,                          ToFrame,             anyWindow,   "the selective receive worker" },
    { 1393,                          ToFrame,             anyWindow,   "the mail view: a mail's state changed" },
    { 1394,                          ToFrame,             anyWindow,   "the mail view: space scrolled past the end" },
    { WM_QD_COMPOSE_TEXT,            ComposeText,         threadQueue, "the communication thread: hand-over to compose" },
    { WM_QD_ADDRESS_TEXT,            AddressText,         threadQueue, "the communication thread: an address to add" },
    { WM_QD_MAIL_TEXT,               MailText,            threadQueue, "the communication thread: a mail text to import" },
    { WM_QD_SEND_FOLDER_MAIL,        ToFrame,             anyWindow,   "the plug-in send-folder call" },
    { WM_QD_REMOVE_EDIT_THREAD,      EditorEnded,         threadQueue, "an editor thread at its end" },
    { WM_QD_REMOVE_VIEW_THREAD,      ViewerEnded,         threadQueue, "a viewer thread at its end" },
    { WM_QD_REMOVE_SEARCH_THREAD,    SearchEnded,         threadQueue, "a search thread at its end" },
    { 1417,                          ToFrame,             anyWindow,   "the text view: メールを振分けに登録" },
    { WM_QD_KEYWORDS_CHANGED,        KeywordsChanged,     anyWindow,   "the keyword dialog" },
    { 1419,                          ToFrame,             anyWindow,   "folder properties: colours" },
    { WM_QD_RECEIVE_TIMEOUT_BOX,     ReceiveTimeoutBox,   anyWindow,   "a receive session that timed out" },
    { 1430,                          RestoreFromHistory,  threadQueue, "the deleted-mail history dialog" },
    { 1435,                          ToFrame,             anyWindow,   "viewers, plug-ins, the notification window" },
    { 1439,                          ReadNotify,          threadQueue, "the mail view: send a read receipt" },
    { WM_QD_RECEIVE_FINISHED,        ToFrame,             anyWindow,   "the receive worker" },
    { 1474,                          TasksChanged,        anyWindow,   "task dialogs" },
    { 1475,                          ToFrame,             anyWindow,   "the task reminder pass" },
    { WM_QD_SHOW_TASKLIST,           ShowTasks,           anyWindow,   "the task reminder, plug-ins" },
    { WM_QD_APPLY_VIEW_SETTINGS,     ViewSettings,        anyWindow,   "settings dialogs: view settings changed" },
    { WM_QD_MAPI_REQUEST,            MapiRequest,         threadQueue, "the communication thread: a Simple MAPI request" },
    { WM_QD_OPEN_MAIL_WINDOW,        OpenMailWindow,      threadQueue, "other threads: open a viewer" },
    { WM_QD_OPEN_FOUND_MAIL,         FoundMail,           threadQueue, "search windows: open a found mail" },
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
    if (!row || (row->source == threadQueue && pMsg->hwnd))
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
