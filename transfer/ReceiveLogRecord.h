// CReceiveLogRecord: one entry of the receive log: when an account was
// received, with what result and how many mails.
#pragma once

#include "core/DataStrgRecord.h"

class CReceiveLogRecord : public CDataStrgRecord
{
public:
    // "受信日時[...] アカウント[...] 結果[...] 受信メール数[...]".
    CString GetDisplayText() const;

    CString m_strAccount;
    CString m_strResult;
    int m_nCount = 0;
    CTime m_time;
};

// Fills an entry with the account name, the result text, the count and the
// current time.
void SetReceiveLogEntry(const char* pszAccount, CReceiveLogRecord& entry, const char* pszResult, int nCount);
