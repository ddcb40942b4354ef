// CReceiveStatus: the progress of one receive session (member of the
// receive session thread): the status line with the mail count, the number
// of the mail now received and its bytes.
#pragma once

#include "net/ReceiveProgressSink.h"
#include "transfer/TransferStatus.h"

class CReceiveStatus : public CTransferStatus, public CReceiveProgressSink
{
public:
    // Status line and counters; the detail line is cleared.
    void SetProgress(const char* pszText, int nCurrent, int nSize, int nDone);
    void SetMailCount(int nTotal) override;
    // Text: the status line while an item with a size runs, else the detail line.
    void GetProgress(char* pszBuffer, int nLength, int& nDone, int& nSize, int& nCurrent, int& nTotal);

    // What the receive session reports.
    void SetMailStart(int nCurrent, int nSize) override;
    void SetMailBytes(int nDone) override { SetProgressData(nDone, TRUE); }

    HANDLE m_hThread = nullptr;  // the session thread (not owned)
    DWORD m_nThreadId = 0;
};
