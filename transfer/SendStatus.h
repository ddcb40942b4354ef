// CSendStatus: the progress of one send session (member of the send session
// thread): the status line, the byte total and the bytes sent. Type 3 is a
// send started from an editor window, 2 one of the main window's send job.
#pragma once

#include "net/SmtpStatusSink.h"
#include "transfer/TransferStatus.h"

class CSendStatus : public CTransferStatus, public CSmtpStatusSink
{
public:
    // Status line, byte total and bytes sent; the detail line is cleared.
    void SetProgress(const char* pszText, int nSize, int nDone) override;
    // Text: the status line while an item with a size runs (not for type
    // 3), else the detail line.
    void GetProgress(char* pszBuffer, int nLength, int& nDone, int& nSize);

    // What the SMTP session reports.
    void SetStatusText(const char* pszText) override { CTransferStatus::SetStatusText(pszText); }
    void SetProgressData(int nSent, bool bNotify) override { CTransferStatus::SetProgressData(nSent, bNotify); }

    int GetType();
    void SetType(int nType);

private:
    int m_nType = 3;
};
