// CAutoSignRecord: one rule of the automatic signature choice: the
// signature, which text of the mail is searched, and the text looked for.
#pragma once

#include "core/DataStrgRecord.h"

class CAutoSignRecord : public CDataStrgRecord
{
public:
    enum Item { itemToAndCc = 0, itemTo = 1, itemSubject = 2 };

    CString m_strSignName;
    int m_nItem = -1;
    CString m_strText;
};
