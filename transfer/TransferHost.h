// CTransferHost: the main window's side of the transfer jobs: the starters
// of the receive, route and send jobs with their guards, the records of the
// running workers and session threads, the abort commands, and what the
// workers call back (progress display, status pane). The main frame owns
// one and supplies the window parts by overriding the hooks; the jobs
// themselves know no window.
#pragma once

#include "classlib/ClassLib.h"

#include <ras.h>

class CAccountData;
class CDialConnection;
class CMailFolderStore;
class CDlgRemoteMail;
class CMailGetThread;
class CMailSendThread;
class CReceiveFolderChooser;
class CTransferStatus;

class CTransferHost
{
public:
    CTransferHost();
    CTransferHost(const CTransferHost&) = delete;
    CTransferHost& operator=(const CTransferHost&) = delete;
    virtual ~CTransferHost();

    // ---- Commands (run on the UI thread) ----
    // Receive of the current account (the route in profile mode).
    bool ReceiveCurrentAccount();
    bool ReceiveAccount(int nAccount, bool bInteractive, bool bNotifyEnd);
    // bByUser: the route command (told when there is no account), not the schedule.
    bool StartRoutePass(bool bByUser = true);
    // Sends the mails of the folder (the outbox when null). Refused while
    // any transfer runs.
    bool SendOutbox(CMailFolderStore* pFolder = nullptr, bool bKeepSent = false);
    bool SendAndReceive();
    // The selective receive of the window m_pSelectDlg for the account: a
    // listing, or a run of the window's requests when it holds any.
    // bCancel (the Ctrl key was down when the user started it, read on the
    // UI thread) only gives the window back without a session.
    bool StartSelectReceive(int nAccount, bool bCancel = false);
    // The abort command; bRouteOnly also stops the route before its next
    // account. Confirmations go through Confirm.
    void AbortTransfer(bool bRouteOnly = false);

    bool IsReceiving();
    bool IsSending();

    // ---- Called by the workers ----
    virtual void StartTransferProgress(int nKind, CTransferStatus* pStatus);
    virtual void EndTransferProgress(BOOL bNoEvent);
    // Shows the status bar's transfer controls (a change came).
    virtual void ShowProgressControls() {}
    // The window that shows the account name (null: none).
    virtual HWND GetStatusPane() { return nullptr; }
    // The window that gets the send results (1724); null: the main thread.
    virtual HWND GetSendOwner() { return nullptr; }
    // The mails handed to the send thread so far, of the job's count.
    virtual void SetTransferCounter(int nHanded, int nTotal);
    // After a send-and-receive's send: starts the route on the UI thread.
    virtual void PostRouteCommand();
    // The send worker lets go of its own handle before it asks for the
    // route, so that the route does not find a send still running.
    void ForgetSendWorker();
    // A question with OK and Cancel; true for OK.
    virtual bool Confirm(const char* pszText);
    // A send job whose mails failed reports the first error once, at its end.
    virtual void ShowSendError(const char* pszText);
    virtual void ShowMessage(const char* pszText);

    // ---- State shared with the workers ----
    DWORD m_dwMainThreadId = 0;
    HANDLE m_hReceiveWorker = nullptr;  // owned by the UI thread
    HANDLE m_hSendWorker = nullptr;
    CMailGetThread* m_pMailGetThread = nullptr;
    CMailSendThread* m_pMailSendThread = nullptr;
    CMailGetThread* m_pPopBeforeSmtpThread = nullptr;
    CCriticalSection m_threadLock;  // guards the three session-thread records
    CAccountData* m_pReceiveAccount = nullptr;
    int m_nReceiveAccount = -1;
    CDialConnection* m_pSendDial = nullptr;
    volatile BYTE m_bAbortReceive = 0;
    volatile BYTE m_bAbortSend = 0;
    volatile BYTE m_bProfileRoute = 0;
    volatile BYTE m_bSendAndReceive = 0;
    volatile BYTE m_bSendJobRunning = 0;
    int m_nHanded = 0;
    int m_nTotal = 0;
    CString m_strDialEntry;  // the application's dial-up entry
    // The selective-receive window (owned by the UI side), the account it
    // lists, the cancel mark of its start and the result of its last run.
    CDlgRemoteMail* m_pSelectDlg = nullptr;
    int m_nSelectAccount = -1;
    volatile BYTE m_bSelectCancel = 0;
    int m_nSelectResult = 0;
    // The receive rules (null: the application's).
    CReceiveFolderChooser* m_pReceiveRules = nullptr;

protected:
    // Whether there is an account to work with; bTell shows the message
    // that asks for one.
    bool CheckAccounts(bool bTell = true);
    // After an abort: the session's dial-up line, when one is up, is hung
    // up if the user wants it.
    void OfferHangUp(HRASCONN hLine);
    void HangUpLine(HRASCONN hLine);
    bool StartWorker(unsigned(__stdcall* pfnProc)(void*), void* pArg, HANDLE& hWorker);
    bool IsRunning(HANDLE& hWorker);

    // Guards starting workers and the two worker handles.
    CCriticalSection m_startLock;
};

// The worker procedures of the jobs.
unsigned __stdcall ReceiveAccountProc(void* pJob);
unsigned __stdcall ReceiveRouteProc(void* pHost);
unsigned __stdcall SendOutboxProc(void* pJob);
unsigned __stdcall SelectReceiveProc(void* pHost);
// The process-wide transfer lock every worker holds for its whole run.
CCriticalSection& TransferLock();
