// CDlgSendProgress: the modeless window an editor shows while its mail is
// sent: a progress bar and a text line driven by the send thread's status.
// Esc asks the frame to cancel the send.
#pragma once

#include "classlib/Dialog.h"
#include "transfer/TransferProgressCtrl.h"

class CTransferStatus;

class CDlgSendProgress : public CDialog
{
public:
    CDlgSendProgress() : CDialog(0) {}

    // Creates the window owned by the frame, centred on it, captioned for
    // the mail kind, bound to the status.
    BOOL Open(CWnd* pFrame, int nMailKind, CTransferStatus* pStatus);
    BOOL OnInitDialog() override;
    // After the result: the bar stops following the status.
    void Refresh();

protected:
    void OnCancel() override;
    void OnOK() override {}
    void PostNcDestroy() override {}

private:
    CWnd* m_pFrame = nullptr;
    CTransferStatus* m_pStatus = nullptr;
    CTransferProgressCtrl m_progress;
};
