#include "transfer/ReceiveNotifyData.h"

#include "message/MailMessage.h"
#include "transfer/ConditionItems.h"

CString CReceiveNotifyData::GetHeader1Name() const
{
    return GetConditionItemName(m_strHeader1);
}

CString CReceiveNotifyData::GetHeader2Name() const
{
    return GetConditionItemName(m_strHeader2);
}

void CReceiveNotifyData::SetHeader1Name(const char* pszName)
{
    m_strHeader1 = GetConditionItemKey(pszName);
}

void CReceiveNotifyData::SetHeader2Name(const char* pszName)
{
    m_strHeader2 = GetConditionItemKey(pszName);
}

BOOL CReceiveNotifyData::Match(const CMailMessage& header) const
{
    return header.MatchCondition(m_strString1, m_strHeader1, true, false) &&
           header.MatchCondition(m_strString2, m_strHeader2, true, false);
}
