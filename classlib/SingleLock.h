// CSingleLock: holds one sync object's lock for a scope; released on every path.
#pragma once

#include "classlib/SyncObject.h"

class CSingleLock
{
public:
    explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE) : m_pObject(pObject)
    {
        if (bInitialLock)
            Lock();
    }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    ~CSingleLock() { Unlock(); }

    BOOL Lock(DWORD dwTimeOut = INFINITE)
    {
        if (!m_bAcquired && m_pObject)
            m_bAcquired = m_pObject->Lock(dwTimeOut);
        return m_bAcquired;
    }
    BOOL Unlock()
    {
        if (m_bAcquired && m_pObject)
            m_bAcquired = !m_pObject->Unlock();
        return !m_bAcquired;
    }
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired = FALSE;
};
