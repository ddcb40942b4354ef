#include "transfer/MailSendThreadManager.h"

#include "net/SmtpSession.h"

void CMailSendThreadManager::SetSession(CSmtpSession* pSession, HANDLE hAbortEvent)
{
    CSingleLock hold(&m_guard, TRUE);
    m_pSession = pSession;
    m_pAbortEvent = hAbortEvent;
}

void CMailSendThreadManager::Arm(int nElapse)
{
    m_tLastTouch = GetTickCount64();
    m_nElapse = nElapse > 0 ? nElapse : 10000;
    StartTimer(static_cast<UINT>(m_nElapse));
}

void CMailSendThreadManager::Disarm()
{
    StopTimer();
}

void CMailSendThreadManager::Check()
{
    ULONGLONG nElapsed = Elapsed();
    if (nElapsed > static_cast<ULONGLONG>(GetTerminateThreshold())) {
        EndWatchedThread(static_cast<DWORD>(m_nElapse));
        return;
    }
    if (nElapsed > static_cast<ULONGLONG>(GetAbortThreshold())) {
        CSingleLock hold(&m_guard, TRUE);
        if (!m_bDetached) {
            m_bAborted = true;
            RequestAbort();
        }
    }
}

void CMailSendThreadManager::RequestAbort()
{
    if (m_pAbortEvent)
        SetEvent(m_pAbortEvent);
    if (m_pSession)
        m_pSession->Cancel();
}
