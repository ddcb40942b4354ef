// Shut-down in order, and the idle unloading of unused folder indexes.
#include "core/QuendalApp.h"
#include "plugin/PlugInStartup.h"

#include "core/AppMessages.h"
#include "core/DlgEndWaitThread.h"
#include "core/SplashWnd.h"
#include "mainwnd/MainFrame.h"
#include "net/DialConnection.h"
#include "store/MailFolderStore.h"

#include <winsock2.h>
#include <ole2.h>

namespace {

// Service threads get this long to finish after the quit message before the
// application frees what they use.
const DWORD kThreadEndWaitMs = 10000;

// Asks a service thread to quit and waits for it, keeping the main thread's
// own queue served (a thread may be sending to a window of ours).
void EndServiceThread(CWinThread*& pThread, HANDLE& hThread)
{
    if (hThread && WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT) {
        ::PostThreadMessageA(GetThreadId(hThread), WM_QD_QUIT_THREAD, 0, 0);
        DWORD start = GetTickCount();
        for (;;) {
            DWORD elapsed = GetTickCount() - start;
            if (elapsed >= kThreadEndWaitMs)
                break;
            DWORD r = MsgWaitForMultipleObjects(1, &hThread, FALSE, kThreadEndWaitMs - elapsed, QS_SENDMESSAGE);
            if (r != WAIT_OBJECT_0 + 1)
                break;
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent messages only
        }
    }
    if (hThread && WaitForSingleObject(hThread, 0) == WAIT_OBJECT_0) {
        CloseHandle(hThread);
        hThread = nullptr;
    }
    pThread = nullptr;  // auto-deleted by its thread
}

void ReleaseModule(HMODULE& h)
{
    if (h)
        FreeLibrary(h);
    h = nullptr;
}

} // namespace

void CQuendalApp::ShutDown()
{
    CSingleLock hold(&m_shutdownLock, TRUE);
    if (m_bShutDown)
        return;
    m_bShutDown = true;
    MarkInstanceEnding();
    UnloadPlugIns();

    UpdateUnreadMailRegistry();
    DeleteOldReceiveMailBackup();

    CMainFrame* pFrame = m_pMainFrame && m_pMainFrame->m_hWnd ? m_pMainFrame : nullptr;
    if (pFrame) {
        CDlgEndWaitThread* pWait = new CDlgEndWaitThread;
        if (pWait->CreateThread()) {
            m_pEndWaitThread = pWait;
            DuplicateHandle(GetCurrentProcess(), pWait->m_hThread, GetCurrentProcess(), &m_hEndWaitThread, 0, FALSE,
                            DUPLICATE_SAME_ACCESS);
        } else {
            delete pWait;
        }
        pFrame->ShowWindow(SW_HIDE);
        pFrame->SaveFrameState();
    }

    // The task list window and the reminder thread go before the folders:
    // both hold folder stores, and a reminder files its notice into one.
    CloseTaskList();
    EndServiceThread(m_pTaskListThread, m_hTaskListThread);

    // The folder stores are written before anything else goes: they hold
    // what the user would lose.
    if (GetFolderCount() > 0) {
        for (int i = 0; i < GetFolderCount(); ++i) {
            if (CMailFolderStore* s = GetFolderAt(i))
                s->WriteFolderSettings();
        }
        CloseAllFolders();
    }

    m_mailListImages.DeleteImageList();
    ReleaseModule(m_hUxTheme);
    ReleaseModule(m_hZip32j);
    ReleaseModule(m_hUnlha32);
    CDialConnection::SetApplicationRunning(false);
    CDialConnection::SetLibrary(nullptr);
    ReleaseModule(m_hVonlink);

    // Told to quit and waited for (with a bound): they must not run on while
    // the application frees what they use.
    EndServiceThread(m_pCommThread, m_hCommThread);
    EndServiceThread(m_pAddressThread, m_hAddressThread);
    EndServiceThread(m_pEndWaitThread, m_hEndWaitThread);

    // The settings file is on disk before another start may begin.
    if (m_hInstanceMutex && IsProfileFileMode() && !GetProfileFilePath().IsEmpty())
        SaveProfileFile();
    ReleaseInstanceMutex();
}

int CQuendalApp::ExitInstance()
{
    ShutDown();
    for (HANDLE* h : { &m_hCommThread, &m_hEndWaitThread, &m_hAddressThread, &m_hTaskListThread }) {
        if (*h && WaitForSingleObject(*h, 0) == WAIT_OBJECT_0) {
            CloseHandle(*h);
            *h = nullptr;
        }
    }
    if (m_pMainFrame && m_pMainFrame->m_hWnd)
        m_pMainFrame->ShowWindow(SW_HIDE);
    ReleaseModule(m_hShell32);
    ReleaseModule(m_hWtsapi32);
    ReleaseModule(m_hRichEdit);
    if (m_bOleStarted)
        OleUninitialize();
    m_bOleStarted = false;
    if (m_bSocketsStarted)
        WSACleanup();
    m_bSocketsStarted = false;
    int code = CMailApp::ExitInstance();
    DeleteQuendalAPIObject();
    return m_nExitCode ? m_nExitCode : code;
}

BOOL CQuendalApp::SaveAllModified()
{
    if (!m_pMainFrame || !m_pMainFrame->m_hWnd)
        return TRUE;
    if (!m_pMainFrame->CanCloseFrame())
        return FALSE;
    // From here the window goes: a start in the meantime waits for the end.
    MarkInstanceEnding();
    m_pMainFrame->SaveFrameState();
    PostQuitMessage(0);
    return TRUE;
}

BOOL CQuendalApp::OnIdle(LONG lCount)
{
    if (lCount == 0 && GetProfileInt("Setting", "UnloadMailIndex", 0)) {
        CleanupSearchThreads();
        if (m_searchThreads.IsEmpty()) {
            CTime now = CTime::GetCurrentTime();
            // Whole minutes since the last check.
            if ((now.GetTime() - m_lastIdleCheck.GetTime()) / 60 > 10)
                UnloadIdleFolders(now);
        }
    }
    return CMailApp::OnIdle(lCount);
}

void CQuendalApp::UnloadIdleFolders(const CTime& now)
{
    int hours = GetProfileInt("Setting", "UnloadMailIndexTime", 3);
    int remembered = GetProfileInt("Etc", "MailMemFolder", 0);
    for (int i = 0; i < GetFolderCount(); ++i) {
        CMailFolderStore* s = GetFolderAt(i);
        if (!s)
            continue;
        int id = s->GetFolderId();
        if (id == m_nCurrentFolderId || id == remembered || IsFolderInEditor(id) || IsFolderInViewer(id))
            continue;
        // Whole hours since the folder was last used.
        if ((now.GetTime() - s->GetLastUseTime()) / 3600 > hours)
            s->UnloadIndex();
    }
    m_lastIdleCheck = now;
}
