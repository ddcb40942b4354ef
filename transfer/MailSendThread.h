// CMailSendThread: the session thread that sends the mails of one account
// over SMTP (or stores one composed mail without sending). Its creator
// fills the session, hands over its completion event and posts a send
// request (1359); the thread composes the outgoing file, lets the session
// send it, stores the sent copy and reports the result with 1724 to its
// owner and by signalling the creator's event.
#pragma once

#include "classlib/ClassLib.h"
#include "transfer/SendStatus.h"

class CDialConnection;
class CMailFolderStore;
class CMailGetThread;
class CMailSendThreadManager;
class CQuendalApp;
class CSmtpSession;

class CMailSendThread : public CWinThread
{
public:
    // Send modes of the request.
    enum { modeSendNow = 0, modeOutbox = 1, modeDraft = 2, modeDraftKeep = 4 };
    // wParam values of 1724.
    enum { resultFailed = 0, resultSent = 1, resultStored = 2, resultNotStarted = 3 };

    CMailSendThread();
    ~CMailSendThread() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;

    CSmtpSession* GetSession() const { return m_pSession; }
    // Thread id of the watchdog (0 while none runs).
    DWORD GetWatchdogThreadId() const { return m_dwWatchdogId; }
    // Whether the last request's mail reached the server.
    bool WasSent() const { return m_bSent; }
    // Whether the sent mail is safely stored (or needed no storing).
    bool WasStored() const { return m_bStored; }

    CSmtpSession* m_pSession = nullptr;
    int m_nResult = -1;   // 0: the last mail was sent and stored
    int m_nAccount = 0;   // for POP before SMTP
    BYTE m_bKeepSent = 0;
    BYTE m_bQuiet = 0;
    CCriticalSection m_cs;
    CSendStatus m_status;
    CMailGetThread* m_pPopBeforeSmtpThread = nullptr;
    HANDLE m_pDoneEvent = nullptr;  // the creator's, or null
    HWND m_hOwner = nullptr;        // gets 1724 as a window message
    DWORD m_dwOwnerThreadId = 0;    // gets 1724 as a thread message when no window is set
    CMailSendThreadManager* m_pWatchdog = nullptr;
    CString m_szFile;
    int m_nMailHandle = -1;
    CDialConnection* m_pDial = nullptr;
    CString m_strDialEntry, m_strDialUser, m_strDialPassword, m_strWork;
    BYTE m_bBuilt = 0;
    int m_nTimeout = 10;
    int m_nSequence = 0;
    CMailFolderStore* m_pTargetFolder = nullptr;
    // The text of a stored mail to send as it is (empty: compose it from
    // the session's fields).
    CString m_strReadyText;
    CCriticalSection& GetStoreLock() { return m_storeLock; }
    // The error text of the last failed request, for an editor owner.
    CString m_strErrorText;
    // The thread that hears folder changes; the application's main thread unless set.
    DWORD m_dwMainThreadId = 0;

protected:
    void OnSendRequest(WPARAM wParam, LPARAM lParam);
    void OnSendNow(WPARAM, LPARAM);
    void OnSendFinished(WPARAM wParam, LPARAM);
    void OnTransferError(WPARAM, LPARAM);
    void OnSendQuit(WPARAM, LPARAM);
    void OnStep(WPARAM, LPARAM);
    void OnAbort(WPARAM, LPARAM);
    void OnDialState(WPARAM wParam, LPARAM);
    void OnQuit(WPARAM, LPARAM);

    void LogInFirst();
    void StartWatchdog();
    void StopWatchdog();
    void SendNow();
    // Ends the current request: 1724 to the owner, the creator woken.
    void FinishRequest(WPARAM wResult, LPARAM lParam);
    void ReportToOwner(WPARAM wResult, LPARAM lParam);
    // Composes the mail into its work file, with the Cc recipients' copy
    // and the readable copy of an archived body where they are asked for.
    bool BuildComposedFiles();
    // Removes the work file and its Cc and readable companions.
    void DeleteWorkFiles();
    bool StoreSentMail();
    bool SaveToOutbox();
    bool SaveToDrafts();
    void MarkReferredMail(BOOL bReplied);
    void PostListChanged(int nFolderId);
    DWORD MainThreadId() const;

    CQuendalApp* m_pApp = nullptr;
    CCriticalSection m_storeLock;  // held while this thread writes to a store
    CEvent m_abortEvent{FALSE, TRUE};  // the watchdog's and the abort command's
    DWORD m_dwWatchdogId = 0;
    UINT_PTR m_nTouchTimer = 0;
    bool m_bSocketsStarted = false;
    bool m_bRequestOpen = false;
    bool m_bRequestTaken = false;  // a request came (or the thread was stopped before one)
    bool m_bQuitRequest = false;
    bool m_bSent = false;
    bool m_bStored = false;
    int m_nMode = 0;

    DECLARE_MESSAGE_MAP()
};
