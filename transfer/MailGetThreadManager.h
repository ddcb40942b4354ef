// CMailGetThreadManager: the watchdog of a receive session thread. Besides
// the silence measured from the last touch, it counts the checks in a row in
// which the session's status did not move: ten of them ask the session to
// abort, eleven end it.
#pragma once

#include "transfer/MailThreadManager.h"

class CReceiveSession;

class CMailGetThreadManager : public CMailThreadManager
{
public:
    // The session the watched thread runs (may change while it is watched).
    void SetSession(CReceiveSession* pSession);

    void Arm(int nElapse) override;
    void Disarm() override;
    void Check() override;

    int m_nIdleChecks = 0;

protected:
    void RequestAbort() override;
    void AfterTerminate() override;

    CReceiveSession* m_pSession = nullptr;
};
