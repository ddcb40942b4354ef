#include "transfer/SendStatus.h"

void CSendStatus::SetProgress(const char* pszText, int nSize, int nDone)
{
    {
        CSingleLock hold(&m_cs, TRUE);
        m_strStatus = pszText ? pszText : "";
        m_nSize = nSize;
        m_nDone = nDone;
        m_strDetail.Empty();
    }
    Notify();
}

void CSendStatus::GetProgress(char* pszBuffer, int nLength, int& nDone, int& nSize)
{
    CSingleLock hold(&m_cs, TRUE);
    MarkRead();
    CopyText(m_nSize != 0 && m_nType != 3 ? m_strStatus : m_strDetail, pszBuffer, nLength);
    nDone = m_nDone;
    nSize = m_nSize;
}

int CSendStatus::GetType()
{
    CSingleLock hold(&m_cs, TRUE);
    return m_nType;
}

void CSendStatus::SetType(int nType)
{
    CSingleLock hold(&m_cs, TRUE);
    m_nType = nType;
}
