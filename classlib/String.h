// CString: a narrow, code-page-932 aware string with the members the program
// uses. Offsets and lengths are in bytes; searches and case changes never
// split or alter a double-byte character.
#pragma once

#include <windows.h>
#include <cstdarg>
#include <string>

class CString
{
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* p, int nLength) : m_str(p ? std::string(p, nLength > 0 ? nLength : 0) : std::string()) {}
    CString(char ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}
    explicit CString(const std::string& s) : m_str(s) {}
    // From UTF-16, converted to the ANSI code page.
    CString(const wchar_t* pwsz);

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* psz) { m_str = psz ? psz : ""; return *this; }
    CString& operator=(char ch) { m_str.assign(1, ch); return *this; }
    CString& operator=(const wchar_t* pwsz);

    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(const char* psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }

    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    const std::string& Str() const { return m_str; }

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int i) const { return m_str[static_cast<size_t>(i)]; }
    void SetAt(int i, char ch) { m_str[static_cast<size_t>(i)] = ch; }
    char operator[](int i) const { return m_str[static_cast<size_t>(i)]; }

    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;  // ASCII letters only; double-byte characters compared as they are
    int Collate(const char* psz) const;
    int CollateNoCase(const char* psz) const;

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(const char* pszCharSet) const;
    CString SpanExcluding(const char* pszCharSet) const;

    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* pszCharSet) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    int Replace(char chOld, char chNew);
    int Replace(const char* pszOld, const char* pszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, const char* psz);
    int Delete(int nIndex, int nCount = 1);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(const char* pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(const char* pszTargets);
    CString& Trim() { TrimRight(); return TrimLeft(); }
    CString& Trim(const char* pszTargets) { TrimRight(pszTargets); return TrimLeft(pszTargets); }
    // Next token delimited by any of pszTokens from iStart; iStart becomes -1 at the end.
    CString Tokenize(const char* pszTokens, int& iStart) const;

    void Format(const char* pszFormat, ...) __attribute__((format(gnu_printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args);
    void AppendFormat(const char* pszFormat, ...) __attribute__((format(gnu_printf, 2, 3)));
    void Append(const char* p, int nLength) { if (p && nLength > 0) m_str.append(p, static_cast<size_t>(nLength)); }
    BOOL LoadString(UINT nID);

    // Direct buffer access: the buffer holds at least nMinBufLength bytes plus
    // a NUL; ReleaseBuffer(-1) takes the length up to the first NUL.
    char* GetBuffer(int nMinBufLength = 0);
    char* GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);

    // UTF-16 copy through the ANSI code page.
    std::wstring ToWide() const;

    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
    friend CString operator+(char a, const CString& b) { CString r(a); r += b; return r; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
    friend bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }
    friend bool operator>(const CString& a, const CString& b) { return a.m_str > b.m_str; }
    friend bool operator<=(const CString& a, const CString& b) { return a.m_str <= b.m_str; }
    friend bool operator>=(const CString& a, const CString& b) { return a.m_str >= b.m_str; }

private:
    bool IsCharStart(size_t pos) const;

    std::string m_str;
};

// Formats like CString::Format and returns the result.
CString FormatString(const char* pszFormat, ...) __attribute__((format(gnu_printf, 1, 2)));
