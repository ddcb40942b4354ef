// CMainFrameTransfer: the main frame's receive and send commands. It is the
// frame's transfer host: it starts the jobs, guards them, aborts them, binds
// the status bar's transfer controls to the running session's progress and
// handles the end of a session (1355) and of a receive job (1440).
#pragma once

#include "transfer/TransferHost.h"
#include "transfer/TransferProgressCtrl.h"

#include <deque>
#include <memory>
#include <mutex>

class CMainFrame;
class CCmdUI;
class CSoundPlayer;
class CDlgRemoteMail;

class CMainFrameTransfer : public CTransferHost
{
public:
    // hControls: the status bar's five transfer controls (kind, account,
    // progress bar, counter, detail). Made on the UI thread.
    CMainFrameTransfer(CMainFrame* pFrame, const HWND hControls[5]);
    ~CMainFrameTransfer() override;

    // The commands and their update rules.
    void OnCommand(UINT nID);
    // A route pass of the schedule: nothing is shown when it cannot start.
    void StartScheduledRoutePass();
    void UpdateCommand(CCmdUI* pCmdUI);
    // Thread messages of the transfers (1355, 1440); false when not one.
    bool OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The end of a receive job: notification, plug-in event, toolbar.
    void OnReceiveEnd();
    int GetNewMailCount() const { return m_nNewMails; }
    // New mails counted for the notification, the tray and the plug-ins.
    void AddNewMails(int nCount);
    // The requests of plug-ins and task notices (any thread for the
    // receive): receive one account by its name, a duplicate of the
    // worker's handle or null when the account is unknown or a transfer
    // runs; send the mails of a folder (1402).
    HANDLE ReceiveNamedAccount(const char* pszAccount, BOOL bInteractive, BOOL bNotifyEnd);
    bool SendFolder(int nFolderId, bool bKeepNoCopy);
    // The new mail has been seen (the tray icon was reset).
    void ResetNewMailCount() { m_nNewMails = 0; }

    // CTransferHost: called by the workers (from their threads).
    void StartTransferProgress(int nKind, CTransferStatus* pStatus) override;
    void EndTransferProgress(BOOL bNoEvent) override;
    void ShowProgressControls() override;
    HWND GetStatusPane() override { return m_hControls[1]; }
    HWND GetSendOwner() override;
    void SetTransferCounter(int nHanded, int nTotal) override;
    void PostRouteCommand() override;
    bool Confirm(const char* pszText) override;
    void ShowMessage(const char* pszText) override;
    void ShowSendError(const char* pszText) override;

    // The selective-receive window (null until first opened).
    CDlgRemoteMail* GetSelectWindow() const { return m_pRemoteDlg.get(); }

private:
    class CRelay;
    // The selective-receive commands (bLatest: only the newest mails).
    void SelectReceive(bool bLatest);
    bool IsSelectWindowShown() const;
    // Runs on the UI thread (the workers reach it through the relay window).
    void DoStartProgress(int nKind, CTransferStatus* pStatus);
    void DoEndProgress(BOOL bNoEvent);
    // The send errors the workers left, one box each (UI thread).
    void ShowWaitingSendErrors();
    void ShowControls(bool bShow);
    HANDLE DoReceiveNamedAccount(const char* pszAccount, BOOL bInteractive, BOOL bNotifyEnd);
    // Keeps the frame's duplicates of the worker handles current.
    void MirrorWorkers();

    CMainFrame* m_pFrame;
    HWND m_hControls[5] = {};
    CTransferProgressCtrl m_progress;
    std::unique_ptr<CRelay> m_pRelay;
    std::unique_ptr<CSoundPlayer> m_pSound;
    std::unique_ptr<CDlgRemoteMail> m_pRemoteDlg;
    int m_nNewMails = 0;
    std::mutex m_sendErrorLock;
    std::deque<CString> m_sendErrors;
};
