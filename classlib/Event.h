// CEvent: a Win32 event object.
#pragma once

#include "classlib/SyncObject.h"

class CEvent : public CSyncObject
{
public:
    explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, const char* pstrName = nullptr,
                    SECURITY_ATTRIBUTES* lpsaAttribute = nullptr)
    {
        m_hObject = CreateEventA(lpsaAttribute, bManualReset, bInitiallyOwn, pstrName);
    }

    BOOL SetEvent() { return ::SetEvent(m_hObject); }
    BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
    BOOL PulseEvent() { return ::PulseEvent(m_hObject); }
    BOOL Unlock() override { return TRUE; }
};
