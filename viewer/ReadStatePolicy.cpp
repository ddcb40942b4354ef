#include "viewer/ReadStatePolicy.h"

CReadStatePolicy::ShowAction CReadStatePolicy::OnShow(int nFolderId, int nIndex, bool bRead, int nPreViewTime,
                                                      bool bScrollEndRead)
{
    m_bArmed = false;
    m_nDelayMs = 0;
    m_nFolderId = nFolderId;
    m_nIndex = nIndex;
    if (bRead)
        return ShowAction::None;
    if (nPreViewTime >= 1) {
        m_bArmed = true;
        m_nDelayMs = static_cast<UINT>(nPreViewTime) * 1000u;
        return ShowAction::StartTimer;
    }
    if (nPreViewTime == -1)
        return ShowAction::MarkNoFlag;
    if (nPreViewTime == 0 && !bScrollEndRead)
        return ShowAction::MarkRead;
    return ShowAction::None;
}

bool CReadStatePolicy::OnTimer()
{
    bool fire = m_bArmed && m_nIndex >= 0;
    m_bArmed = false;
    return fire;
}

CReadStatePolicy::MarkResult CReadStatePolicy::MarkRead(bool bReadNotifyOn, int nFlags, bool bFrameInFront,
                                                        bool bSetRead)
{
    MarkResult r;
    if (bReadNotifyOn && IsNotifyPending(nFlags)) {
        r.bPending = true;
        if (!bFrameInFront)
            return r;
    }
    r.bSetRead = bSetRead;
    r.bAnnounce = true;
    return r;
}

int CReadStatePolicy::FlagsAfterAnswer(int nFlags, int nAnswer, bool* pbSend)
{
    bool send = nAnswer == answerSend;
    if (pbSend)
        *pbSend = send;
    if (nAnswer == answerSend || nAnswer == answerDoNotSend)
        return nFlags | flagNotifyAnswered;
    return nFlags;
}
