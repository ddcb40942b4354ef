// CHandle: one kernel handle (file, event, process, mapping...), closed with
// the object. Both null and INVALID_HANDLE_VALUE mean "none".
#pragma once

#include <windows.h>

class CHandle
{
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(h) {}
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(other.Detach()) {}
    CHandle& operator=(CHandle&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CHandle() { Close(); }

    bool IsValid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return IsValid(); }
    operator HANDLE() const { return m_h; }
    HANDLE Get() const { return m_h; }

    // Takes ownership, closing the handle held before.
    void Attach(HANDLE h)
    {
        Close();
        m_h = h;
    }
    HANDLE Detach()
    {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }
    void Close()
    {
        if (IsValid())
            CloseHandle(m_h);
        m_h = nullptr;
    }

private:
    HANDLE m_h = nullptr;
};
