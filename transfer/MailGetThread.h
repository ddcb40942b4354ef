// CMailGetThread: the session thread of one receive (POP3 or IMAP4) of one
// account. Its creator hands it the account by a thread message (1354, or
// 1396 for the login of POP before SMTP) and waits for the thread to end.
// The protocol session runs as a step machine inside this thread's message
// loop, so the loop stays alive and the watchdog sees whether it moves.
#pragma once

#include "classlib/ClassLib.h"
#include "net/ReceiveSession.h"
#include "transfer/ReceiveFolderChooser.h"
#include "transfer/ReceiveStatus.h"

#include <vector>

class CAccountData;
class CAccountDataSet;
class CDialConnection;
class CDlgRemoteMail;
class CImapSession;
class CMailGetThreadManager;
class CMailFolderStore;
class CPop3Session;
class CQuendalApp;

class CMailGetThread : public CWinThread
{
public:
    CMailGetThread();
    ~CMailGetThread() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The session's error result at its end (0 success).
    int GetResult() const { return m_nResult; }
    CReceiveSession* GetSession() const { return m_pSession; }
    // Thread id of the watchdog (0 while none runs).
    DWORD GetWatchdogThreadId() const { return m_dwWatchdogId; }

    CPop3Session* m_pPop3 = nullptr;
    CImapSession* m_pImap = nullptr;
    CReceiveSession* m_pSession = nullptr;  // the running one of the two
    CDlgRemoteMail* m_pSelectDlg = nullptr;
    std::vector<CReceiveSelection>* m_pSelectList = nullptr;
    BYTE m_bCheckDone = 0;
    CReceiveStatus m_status;
    DWORD m_nStatusThreadId = 0;
    CMailGetThreadManager* m_pWatchdog = nullptr;
    CQuendalApp* m_pApp = nullptr;
    HWND m_hStatusWnd = nullptr;  // gets the account name, or null
    BYTE m_bPopBeforeSmtp = 0;
    BYTE m_bInteractive = 1;
    BYTE m_bLogged = 0;
    CAccountDataSet* m_pAccounts = nullptr;
    CAccountData* m_pAccount = nullptr;
    CDialConnection* m_pDial = nullptr;  // handed over by the creator, not owned
    int m_nCallerKind = 0;               // 0 single account, 1 route, 2 selective download
    CTransferStatus* m_pDialStatus = nullptr;
    // The thread that hears the end of the session (1355) and the list
    // changes; the application's main thread unless set.
    DWORD m_dwMainThreadId = 0;
    // Chooses the folders of received mails (the filter rules); the
    // application's receive rules unless set (not owned).
    CReceiveFolderChooser* m_pChooser = nullptr;

protected:
    // The start of a receive for 1354 and 1396.
    void StartReceive(int nAccount, bool bPopBeforeSmtp);
    void StartSession();
    // The failure path: log, report, end of the loop.
    void Fail(int nError, UINT nMessageId);
    void WriteReceiveLog(const char* pszResult);
    void EndLoop();
    void StopWatchdog();
    void ReportUndelivered();
    CString MessageText(UINT nMessageId);
    DWORD MainThreadId() const;

    void OnReceive(WPARAM, LPARAM lParam);
    void OnPopBeforeSmtp(WPARAM, LPARAM lParam);
    void OnSessionFinished(WPARAM wParam, LPARAM lParam);
    void OnAbort(WPARAM, LPARAM);
    void OnTransferError(WPARAM wParam, LPARAM lParam);
    void OnDialState(WPARAM wParam, LPARAM);
    void OnDialConnected(WPARAM, LPARAM);
    void OnSessionFailed(WPARAM wParam, LPARAM lParam);
    void OnStep(WPARAM, LPARAM);
    void OnQuit(WPARAM, LPARAM);

    CCriticalSection m_storeLock;  // held while this thread writes to a store
    CReceiveFolderChooser* m_pAppRules = nullptr;  // owned: the application's rules
    DWORD m_dwWatchdogId = 0;
    UINT_PTR m_nTouchTimer = 0;
    int m_nResult = 0;
    bool m_bSocketsStarted = false;
    bool m_bEnded = false;     // the end or failure of this request was handled
    bool m_bStarted = false;   // the session was started (it reports its own end)

    DECLARE_MESSAGE_MAP()
};
