// CTransferProgressCtrl: the progress bar of the main window's status bar
// while a transfer runs. It is bound to the status object of the running
// session, which sends it a message on every change; it then reads the
// status and writes the counter pane, the detail pane and its position.
#pragma once

#include "classlib/ClassLib.h"

class CReceiveStatus;
class CSendStatus;
class CTransferHost;
class CTransferStatus;

class CTransferProgressCtrl : public CWnd
{
public:
    CTransferProgressCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID);
    // Binds the status (types 0 and 1 receive, 2 and 3 send) and shows the
    // control; the status's window is this control from now on.
    void Begin(HWND hCounterPane, HWND hDetailPane, int nType, CTransferStatus* pStatus);
    // Unbinds the status: a change told before the end and read after it
    // is dropped (the status may be gone by then).
    void End();
    // The send job's place in its mails (type 2 shows it in the counter pane).
    void SetSendCounter(int nCurrent, int nTotal);
    // Told when a change came while no text is to be shown (may be null).
    void SetHost(CTransferHost* pHost) { m_pHost = pHost; }

    const CString& GetCounterText() const { return m_strCounter; }
    const CString& GetDetailText() const { return m_strDetail; }

protected:
    LRESULT OnProgress(WPARAM, LPARAM);
    void WritePanes();

    CString m_strCounter;
    CString m_strDetail;
    HWND m_hCounterPane = nullptr;
    HWND m_hDetailPane = nullptr;
    int m_nType = 0;
    int m_nBytes = 0, m_nSize = 0, m_nCurrent = 0, m_nTotal = 0;
    int m_nSendCurrent = 0, m_nSendTotal = 0;
    CReceiveStatus* m_pReceiveStatus = nullptr;
    CSendStatus* m_pSendStatus = nullptr;
    CTransferHost* m_pHost = nullptr;
    bool m_bEnded = false;

    DECLARE_MESSAGE_MAP()
};
