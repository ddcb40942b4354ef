// CMutex: a Win32 mutex, optionally named (shared between processes).
#pragma once

#include "classlib/SyncObject.h"

class CMutex : public CSyncObject
{
public:
    explicit CMutex(BOOL bInitiallyOwn = FALSE, const char* pstrName = nullptr,
                    SECURITY_ATTRIBUTES* lpsaAttribute = nullptr)
    {
        m_hObject = CreateMutexA(lpsaAttribute, bInitiallyOwn, pstrName);
        m_alreadyExisted = m_hObject && GetLastError() == ERROR_ALREADY_EXISTS;
    }

    // True when a mutex of this name existed before this object was made.
    bool AlreadyExisted() const { return m_alreadyExisted; }
    BOOL Unlock() override { return ReleaseMutex(m_hObject); }

private:
    bool m_alreadyExisted = false;
};
