// One header line of a parsed message.
#pragma once

#include "classlib/ClassLib.h"

class CMailHeader
{
public:
    CString m_strName;   // as written, case kept, nothing trimmed
    CString m_strValue;  // unfolded, in Shift_JIS, header words decoded (not for Content-Type)
    CString m_strRaw;    // the header as it stood, kept only on request
};
