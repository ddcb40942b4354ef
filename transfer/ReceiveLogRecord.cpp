#include "transfer/ReceiveLogRecord.h"

CString CReceiveLogRecord::GetDisplayText() const
{
    CString text;
    text.Format("受信日時[%s] アカウント[%s] 結果[%s] 受信メール数[%d]", m_time.Format("%Y/%m/%d %H:%M:%S").GetString(),
                m_strAccount.GetString(), m_strResult.GetString(), m_nCount);
    return text;
}

void SetReceiveLogEntry(const char* pszAccount, CReceiveLogRecord& entry, const char* pszResult, int nCount)
{
    entry.m_strAccount = pszAccount ? pszAccount : "";
    entry.m_strResult = pszResult ? pszResult : "";
    entry.m_nCount = nCount;
    entry.m_time = CTime::GetCurrentTime();
}
