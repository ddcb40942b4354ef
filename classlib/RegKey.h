// CRegKey: one open registry key, closed with the object.
#pragma once

#include "classlib/String.h"

#include <windows.h>

class CRegKey
{
public:
    CRegKey() = default;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    CRegKey(CRegKey&& other) noexcept : m_hKey(other.m_hKey) { other.m_hKey = nullptr; }
    CRegKey& operator=(CRegKey&& other) noexcept;
    ~CRegKey() { Close(); }

    // Each returns the registry's result code; the key held before is closed.
    LONG Open(HKEY hParent, const char* pszSubKey, REGSAM access = KEY_READ);
    LONG Create(HKEY hParent, const char* pszSubKey, REGSAM access = KEY_ALL_ACCESS);
    void Close();

    // A string value (REG_SZ or REG_EXPAND_SZ, unexpanded); false when it is
    // missing or of another type.
    bool QueryStringValue(const char* pszName, CString& value) const;
    LONG SetStringValue(const char* pszName, const char* pszValue, DWORD type = REG_SZ);
    LONG SetDWORDValue(const char* pszName, DWORD value);

    HKEY Get() const { return m_hKey; }
    operator HKEY() const { return m_hKey; }
    explicit operator bool() const { return m_hKey != nullptr; }

private:
    HKEY m_hKey = nullptr;
};
