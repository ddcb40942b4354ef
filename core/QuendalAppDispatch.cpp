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

// Posted to the application thread, the main frame or any of its windows;
// the dispatcher looks only at the number.
bool IsApplicationMessage(UINT message)
{
    switch (message) {
    case 689:  // WM_WTSSESSION_CHANGE
    case 1336: case 1344: case 1345: case 1346: case 1351: case 1352: case 1353: case 1355:
    case 1366: case 1367: case 1368: case 1369: case 1370: case 1371: case 1372: case 1375: case 1376:
    case 1382: case 1383: case 1384: case 1386: case 1388: case 1389: case 1390: case 1392: case 1393:
    case 1394: case 1399: case 1400: case 1401: case 1402: case 1405: case 1406: case 1407: case 1417: case 1418:
    case 1419: case 1421: case 1430: case 1435: case 1439: case 1440: case 1474: case 1475: case 1476: case 1478:
    case 1495: case 1497: case WM_QD_OPEN_FOUND_MAIL:
        return true;
    default:
        return false;
    }
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
    UINT message = pMsg->message;
    if (!IsApplicationMessage(message))
        return FALSE;
    WPARAM wParam = pMsg->wParam;
    LPARAM lParam = pMsg->lParam;
    CMainFrame* pFrame = m_pMainFrame && m_pMainFrame->m_hWnd ? m_pMainFrame : nullptr;
    switch (message) {
    case 689:
        UpdateUnreadMailRegistry();
        break;
    case WM_QD_PREPARE_MAILBOX:
        PrepareMailBox(TRUE);
        break;
    case WM_QD_COMPOSE_TEXT: {
        const char* text = reinterpret_cast<const char*>(lParam);
        if (text) {
            OpenMailEditor(text);
            ReleaseHandOverText(lParam);
        } else {
            OpenMailEditor("");
        }
        break;
    }
    case WM_QD_MAPI_REQUEST:
        if (lParam) {
            if (wParam == kMapiRequestText)
                OpenMapiRequestText(reinterpret_cast<const char*>(lParam));
            else
                OpenMapiRequestFile(reinterpret_cast<const char*>(lParam));
            ReleaseHandOverText(lParam);
        }
        break;
    case WM_QD_ADDRESS_TEXT:
        if (pFrame && lParam) {
            if (pFrame->IsIconic())
                pFrame->SendMessage(WM_SYSCOMMAND, SC_RESTORE);
            pFrame->BringWindowToTop();
            pFrame->SetForegroundWindow();
            pFrame->OpenAddressBookToAdd("", reinterpret_cast<const char*>(lParam));
        }
        ReleaseHandOverText(lParam);
        break;
    case WM_QD_MAIL_TEXT:
        if (lParam)
            ImportMailText(reinterpret_cast<const char*>(lParam));
        ReleaseHandOverText(lParam);
        break;
    case 1389:
        DeleteEditedMail(static_cast<int>(wParam), static_cast<int>(lParam));
        if (pFrame)
            pFrame->OnAppThreadMessage(WM_QD_FOLDER_MAIL_FILED, 0, static_cast<LPARAM>(wParam));
        break;
    case WM_QD_REMOVE_EDIT_THREAD:
        RemoveEditThread(static_cast<DWORD>(lParam));
        break;
    case WM_QD_REMOVE_VIEW_THREAD:
        RemoveViewThread(static_cast<DWORD>(lParam));
        break;
    case WM_QD_OPEN_MAIL_WINDOW:
        RunMailWindowRequest(lParam);
        break;
    case WM_QD_REMOVE_SEARCH_THREAD:
        RemoveSearchThread(static_cast<DWORD>(lParam));
        break;
    case WM_QD_OPEN_FOUND_MAIL:
        OpenFoundMail(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case 1430:
        // The deleted-mail history dialog's restore; the frame then refills its list.
        RestoreDeletedMail(static_cast<int>(lParam));
        if (pFrame)
            pFrame->OnAppThreadMessage(message, wParam, lParam);
        break;
    case WM_QD_RECEIVE_TIMEOUT_BOX: {
        CString text;
        text.LoadString(IDS_RECEIVE_TIMEOUT);
        AfxMessageBox(text, MB_OK);
        break;
    }
    case WM_QD_SHOW_TASKLIST:
        ShowTaskList();
        break;
    case WM_QD_APPLY_VIEW_SETTINGS:
        if (pFrame)
            pFrame->ApplyViewSettings(wParam != 0);
        break;
    case WM_QD_KEYWORDS_CHANGED:
        if (pFrame)
            pFrame->ReloadKeywords();
        break;
    case 1474:
        // Tasks changed elsewhere: the open task list shows them again.
        if (m_pTaskListDlg && m_pTaskListDlg->m_hWnd)
            m_pTaskListDlg->Refill();
        break;
    case 1375:
        if (CDialog* p = reinterpret_cast<CDialog*>(lParam))
            p->EndDialog(0);
        break;
    case 1376:
        if (CDialog* p = reinterpret_cast<CDialog*>(lParam))
            p->DoModal();
        break;
    default:
        // The main window's share: counts, selection, end of receiving and
        // sending, folder searches; consumed without effect when it is absent.
        if (pFrame)
            pFrame->OnAppThreadMessage(message, wParam, lParam);
        break;
    }
    return TRUE;
}

void CQuendalApp::OnAppAbout()
{
    CDlgAbout dlg;
    dlg.DoModal();
}
