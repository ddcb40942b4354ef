// CSendPassRecord: one kept send password: the name the user gave it and
// the password (plain in memory, scrambled in the file).
#pragma once

#include "core/DataStrgRecord.h"

class CSendPassRecord : public CDataStrgRecord
{
public:
    CString m_strName;
    CString m_strPassword;
};
