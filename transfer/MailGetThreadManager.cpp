#include "transfer/MailGetThreadManager.h"

#include "net/ReceiveSession.h"
#include "transfer/TransferStatus.h"

void CMailGetThreadManager::SetSession(CReceiveSession* pSession)
{
    CSingleLock hold(&m_guard, TRUE);
    m_pSession = pSession;
}

void CMailGetThreadManager::Arm(int nElapse)
{
    m_tLastTouch = GetTickCount64();
    m_nElapse = nElapse > 0 ? nElapse : 10000;
    StartTimer(static_cast<UINT>(m_nElapse));
}

void CMailGetThreadManager::Disarm()
{
    StopTimer();
}

void CMailGetThreadManager::Check()
{
    ULONGLONG nElapsed = Elapsed();
    if (nElapsed > static_cast<ULONGLONG>(GetTerminateThreshold()) || m_nIdleChecks > 10) {
        m_nIdleChecks = 0;
        EndWatchedThread(static_cast<DWORD>(m_nElapse));
        return;
    }
    CSingleLock hold(&m_guard, TRUE);
    if (m_bDetached)
        return;
    if (nElapsed > static_cast<ULONGLONG>(GetAbortThreshold()) || m_nIdleChecks > 9) {
        m_bAborted = true;
        RequestAbort();
    }
    if (m_pStatus && m_pStatus->HasChanged())
        m_nIdleChecks = 0;
    else
        m_nIdleChecks++;
}

void CMailGetThreadManager::RequestAbort()
{
    // Sets the stop flag, the result -1 and the socket's abort event.
    if (m_pSession)
        m_pSession->Abort();
}

void CMailGetThreadManager::AfterTerminate()
{
    // The thread is gone: the half-received mail goes, so that no partial
    // mail is ever filed; the mail stays on the server.
    if (m_pSession)
        m_pSession->DiscardPartialMail();
}
