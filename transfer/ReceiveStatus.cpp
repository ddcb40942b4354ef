#include "transfer/ReceiveStatus.h"

void CReceiveStatus::SetProgress(const char* pszText, int nCurrent, int nSize, int nDone)
{
    {
        CSingleLock hold(&m_cs, TRUE);
        m_strStatus = pszText ? pszText : "";
        m_nCurrent = nCurrent;
        m_nSize = nSize;
        m_nDone = nDone;
        m_strDetail.Empty();
    }
    Notify();
}

void CReceiveStatus::SetMailCount(int nTotal)
{
    {
        CSingleLock hold(&m_cs, TRUE);
        if (m_nTotal == nTotal)
            return;
        m_nTotal = nTotal;
    }
    Notify();
}

void CReceiveStatus::GetProgress(char* pszBuffer, int nLength, int& nDone, int& nSize, int& nCurrent, int& nTotal)
{
    CSingleLock hold(&m_cs, TRUE);
    MarkRead();
    CopyText(m_nSize != 0 ? m_strStatus : m_strDetail, pszBuffer, nLength);
    nDone = m_nDone;
    nSize = m_nSize;
    nCurrent = m_nCurrent;
    nTotal = m_nTotal;
}

void CReceiveStatus::SetMailStart(int nCurrent, int nSize)
{
    SetProgress("受信中", nCurrent, nSize, 0);
}
