// CMailSendThreadManager: the watchdog of a send session thread. A silent
// session is asked to abort through the send thread's own abort event (never
// the creator's completion event, which must mean that the request is over)
// and ended when it stays silent.
#pragma once

#include "transfer/MailThreadManager.h"

class CSmtpSession;

class CMailSendThreadManager : public CMailThreadManager
{
public:
    void SetSession(CSmtpSession* pSession, HANDLE hAbortEvent);

    void Arm(int nElapse) override;
    void Disarm() override;
    void Check() override;

    HANDLE m_pAbortEvent = nullptr;  // the send thread's, not owned

protected:
    void RequestAbort() override;

    CSmtpSession* m_pSession = nullptr;
};
