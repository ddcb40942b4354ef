// CShortCutTemplateRecord: one slot of the template calls: a template name
// and whether the call makes a reply or a reply to all.
#pragma once

#include "core/DataStrgRecord.h"

class CShortCutTemplateRecord : public CDataStrgRecord
{
public:
    CString m_strName;  // empty for an empty slot
    BYTE m_bReply = 0;
    BYTE m_bReplyAll = 0;
};
