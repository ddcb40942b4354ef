// CCriticalSection: a process-local lock.
#pragma once

#include "classlib/SyncObject.h"

class CCriticalSection : public CSyncObject
{
public:
    CCriticalSection() { InitializeCriticalSection(&m_sect); }
    ~CCriticalSection() override { DeleteCriticalSection(&m_sect); }

    BOOL Lock(DWORD = INFINITE) override { EnterCriticalSection(&m_sect); return TRUE; }
    BOOL Unlock() override { LeaveCriticalSection(&m_sect); return TRUE; }
    operator CRITICAL_SECTION*() { return &m_sect; }

private:
    CRITICAL_SECTION m_sect;
};
