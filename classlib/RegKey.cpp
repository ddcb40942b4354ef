#include "classlib/RegKey.h"

#include <vector>

CRegKey& CRegKey::operator=(CRegKey&& other) noexcept
{
    if (this != &other) {
        Close();
        m_hKey = other.m_hKey;
        other.m_hKey = nullptr;
    }
    return *this;
}

LONG CRegKey::Open(HKEY hParent, const char* pszSubKey, REGSAM access)
{
    Close();
    LONG r = RegOpenKeyExA(hParent, pszSubKey, 0, access, &m_hKey);
    if (r != ERROR_SUCCESS)
        m_hKey = nullptr;
    return r;
}

LONG CRegKey::Create(HKEY hParent, const char* pszSubKey, REGSAM access)
{
    Close();
    LONG r = RegCreateKeyExA(hParent, pszSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &m_hKey,
                             nullptr);
    if (r != ERROR_SUCCESS)
        m_hKey = nullptr;
    return r;
}

void CRegKey::Close()
{
    if (m_hKey)
        RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

bool CRegKey::QueryStringValue(const char* pszName, CString& value) const
{
    if (!m_hKey)
        return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(m_hKey, pszName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    // The stored value need not end with a NUL.
    std::vector<char> buf(size + 1, '\0');
    if (RegQueryValueExA(m_hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    value = buf.data();
    return true;
}

LONG CRegKey::SetStringValue(const char* pszName, const char* pszValue, DWORD type)
{
    if (!m_hKey)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExA(m_hKey, pszName, 0, type, reinterpret_cast<const BYTE*>(pszValue),
                          static_cast<DWORD>(lstrlenA(pszValue) + 1));
}

LONG CRegKey::SetDWORDValue(const char* pszName, DWORD value)
{
    if (!m_hKey)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExA(m_hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}
