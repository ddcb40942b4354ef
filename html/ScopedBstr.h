// CScopedBstr: a BSTR held for the length of a call and freed after it.
#pragma once

#include <oleauto.h>

#include <string>

class CScopedBstr
{
public:
    CScopedBstr() = default;
    explicit CScopedBstr(const std::wstring& text) : m_b(SysAllocString(text.c_str())) {}
    ~CScopedBstr() { SysFreeString(m_b); }
    CScopedBstr(const CScopedBstr&) = delete;
    CScopedBstr& operator=(const CScopedBstr&) = delete;

    BSTR* Receive()
    {
        SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }
    operator BSTR() const { return m_b; }
    std::wstring Text() const { return m_b ? std::wstring(m_b) : std::wstring(); }

private:
    BSTR m_b = nullptr;
};
