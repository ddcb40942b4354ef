// CDataStrgRecord: the base of every record of a tab-separated table.
#pragma once

#include "classlib/ClassLib.h"

class CDataStrgRecord : public CObject
{
public:
    BYTE m_bDeleted = 0;  // deleted but still held; left out when the table is rewritten
    int m_nIndex = -1;    // position in its table
};
