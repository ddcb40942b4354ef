// CReceivedIdRecord: one mail received from a server and kept there: its id
// (UIDL, or Message-ID when the server has no UIDL), its number on the server
// when it was recorded, and when it was received (seconds since 1970, UTC,
// as decimal text).
#pragma once

#include "core/DataStrgRecord.h"

class CReceivedIdRecord : public CDataStrgRecord
{
public:
    CString m_strId;
    int m_nNumber = 0;
    CString m_strStamp;
};
