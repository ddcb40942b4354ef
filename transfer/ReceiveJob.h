// CReceiveJob: the job record of a one-account receive, allocated by the
// starter and freed by the worker as its last step.
#pragma once

#include <windows.h>

class CTransferHost;

struct CReceiveJob
{
    CTransferHost* m_pHost = nullptr;
    BYTE m_bInteractive = 1;  // failures in a message box, not only in the status text
    BYTE m_bNotifyEnd = 1;    // post 1440 to the main thread when done
};
