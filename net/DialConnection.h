// CDialConnection: the dial-up line of one transfer job. It dials a phone-book
// entry through the dial-up library Vonlink, reports the progress to the
// transfer thread that asked for it, and hangs up.
//
// The remote-access service is never linked: the application loads Vonlink
// at start-up and hands the module here (SetLibrary); every export is looked
// up by name when it is used, so a missing library or export skips that step.
#pragma once

#include "classlib/ClassLib.h"
#include "resources/resource.h"

#include <windows.h>
#include <ras.h>

class CTransferStatus;

// Shows a dial-up progress text in a transfer's status object. The transfer
// subsystem defines it beside CTransferStatus (CTransferStatus::SetStatusText).
void SetTransferStatusText(CTransferStatus* pStatus, const char* pszText);

class CDialConnection
{
public:
    // Thread messages to the thread that dials. The transfer error message
    // (CVM_MSG_TRANSFER_ERROR) comes with one of the two string ids below.
    static constexpr UINT kMsgDialState = 1361;      // wParam the connection state, lParam the error code
    static constexpr UINT kMsgDialConnected = 1362;  // the line is up: start the session
    static constexpr UINT kIdsDialFailed = IDS_DIAL_FAILED;
    static constexpr UINT kIdsLineDropped = IDS_LINE_DROPPED;

    CDialConnection() = default;
    CDialConnection(const CDialConnection&) = delete;
    CDialConnection& operator=(const CDialConnection&) = delete;
    // Forgets the connection; it does not hang up.
    ~CDialConnection();

    // The entry the worker dials for and whether the line stays up after the transfer.
    void SetEntry(const char* pszEntry, BOOL bKeepLine);
    void SetEntry(BOOL bKeepLine, const char* pszEntry) { SetEntry(pszEntry, bKeepLine); }
    void SetCancelHint(BOOL bShow, const char* pszHint);

    // Dials the entry, or reuses a line that is already up (1362 at once).
    // With no password stored in the phone book, the user and password given
    // are used. False when the dial could not start (1360 posted) or the
    // library cannot dial (nothing posted).
    bool Dial(const char* pszEntry, const char* pszUser, const char* pszPassword, CTransferStatus* pStatus);
    // The transfer thread's handling of 1361: shows the state and acts on it.
    void OnDialState(int nState);
    // Hangs the line up and waits five seconds for the modem to settle.
    void HangUp();
    bool IsConnected() const { return m_hRasConn != nullptr; }

    // The state of a connection (a RASCONNSTATE), or -1 when it cannot be had.
    static int GetConnectStatus(HRASCONN hConn);

    // The dial-up library of the application; null when it is not loaded.
    static void SetLibrary(HMODULE hLibrary);
    static HMODULE GetLibrary();
    // Cleared while the application is not in its normal running state
    // (starting or shutting down): notifications are then taken for the
    // first connection known.
    static void SetApplicationRunning(bool bRunning);

    DWORD m_nThreadId = 0;  // thread to notify; 0 = none
    HRASCONN m_hRasConn = nullptr;
    BOOL m_bShowCancelHint = FALSE;
    CString m_strCancelHint;
    BOOL m_bDialling = FALSE;
    CTransferStatus* m_pStatus = nullptr;
    CString m_strEntry;
    BOOL m_bKeepLine = FALSE;

private:
    void Post(UINT nMessage, WPARAM wParam, LPARAM lParam) const;
};
