// CReceiveNotifyData: one receive notification rule: two header conditions
// (both must hold; an empty item holds) and the sound file to play for a
// matching mail. One line of "Notify.dat".
#pragma once

#include "core/DataStrgRecord.h"

class CMailMessage;

class CReceiveNotifyData : public CDataStrgRecord
{
public:
    enum { ColumnCount = 5 };

    // Display names of the condition items and back (see ConditionItems.h).
    CString GetHeader1Name() const;
    CString GetHeader2Name() const;
    void SetHeader1Name(const char* pszName);
    void SetHeader2Name(const char* pszName);

    // Both conditions hold for the parsed header, tested like And-mode
    // filter conditions without negation.
    BOOL Match(const CMailMessage& header) const;

    CString m_strHeader1, m_strString1, m_strHeader2, m_strString2;
    CString m_strSoundFile;
};
