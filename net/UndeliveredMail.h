// A mail that a receive pass left on the server without filing it, for the
// report at the end of the pass: why (kind 0 size limit, 1 filter rule,
// 2 filter rule and deleted on the server) and what its header says.
#pragma once

#include "classlib/ClassLib.h"

struct CUndeliveredMail
{
    int nKind = 0;
    int nNumber = 0;
    int nSize = 0;
    CString strSubject;
    CString strFrom;
    CString strDate;
    CString strMessageId;
    CString strHeader;
};
