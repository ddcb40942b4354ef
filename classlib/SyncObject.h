// CSyncObject: the base of the lockable kernel objects (one owned handle).
#pragma once

#include <windows.h>

class CSyncObject
{
public:
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
    virtual ~CSyncObject()
    {
        if (m_hObject)
            CloseHandle(m_hObject);
    }

    virtual BOOL Lock(DWORD dwTimeout = INFINITE)
    {
        return m_hObject && WaitForSingleObject(m_hObject, dwTimeout) == WAIT_OBJECT_0;
    }
    virtual BOOL Unlock() = 0;
    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject = nullptr;

protected:
    CSyncObject() = default;
};
