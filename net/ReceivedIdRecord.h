// CReceivedIdRecord: one mail received from a server and kept there: its id
// (UIDL, or Message-ID when the server has no UIDL), its number on the server
// when it was recorded, and when it was received (seconds since 1970, UTC,
// as decimal text). A record that is about to be filed (written before the
// store files the mail, so that a stop in between can be told afterwards)
// also names the folder and the mail file name it is filed under; such a
// record counts only once its mail is found in that folder.
#pragma once

#include "core/DataStrgRecord.h"

class CReceivedIdRecord : public CDataStrgRecord
{
public:
    CString m_strId;
    int m_nNumber = 0;
    CString m_strStamp;
    int m_nPendingFolder = 0;
    CString m_strPendingName;  // empty: a received mail, not a pending one
};
