#include "classlib/String.h"

#include "classlib/Mbcs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

extern HINSTANCE AfxGetResourceHandle();

namespace {

bool InSet(const char* set, const char* p, size_t charLen)
{
    // A double-byte character matches only the same double-byte pair in the
    // set. A set character is double-byte when a lead byte has a byte after
    // it (what the set's remaining length would tell).
    for (const char* q = set; *q;) {
        size_t qlen = Mbcs::CharLength(q, 2);
        if (qlen == charLen && p[0] == q[0] && (qlen == 1 || p[1] == q[1]))
            return true;
        q += qlen;
    }
    return false;
}

int AsciiLower(int c)
{
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

} // namespace

CString::CString(const wchar_t* pwsz)
{
    *this = pwsz;
}

CString& CString::operator=(const wchar_t* pwsz)
{
    m_str.clear();
    if (!pwsz || !*pwsz)
        return *this;
    int wlen = static_cast<int>(wcslen(pwsz));
    int n = WideCharToMultiByte(CP_ACP, 0, pwsz, wlen, nullptr, 0, nullptr, nullptr);
    if (n > 0) {
        m_str.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_ACP, 0, pwsz, wlen, &m_str[0], n, nullptr, nullptr);
    }
    return *this;
}

std::wstring CString::ToWide() const
{
    std::wstring w;
    if (m_str.empty())
        return w;
    int n = MultiByteToWideChar(CP_ACP, 0, m_str.data(), GetLength(), nullptr, 0);
    if (n > 0) {
        w.resize(static_cast<size_t>(n));
        MultiByteToWideChar(CP_ACP, 0, m_str.data(), GetLength(), &w[0], n);
    }
    return w;
}

bool CString::IsCharStart(size_t pos) const
{
    return !Mbcs::IsTrailByteAt(m_str.data(), m_str.size(), pos);
}

int CString::Compare(const char* psz) const
{
    return std::strcmp(m_str.c_str(), psz ? psz : "");
}

int CString::CompareNoCase(const char* psz) const
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_str.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(psz ? psz : "");
    while (*a || *b) {
        if (Mbcs::IsLeadByte(*a) && a[1] && *a == *b) {
            if (a[1] != b[1])
                return a[1] < b[1] ? -1 : 1;
            a += 2;
            b += 2;
            continue;
        }
        int ca = AsciiLower(*a), cb = AsciiLower(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++a;
        ++b;
    }
    return 0;
}

int CString::Collate(const char* psz) const
{
    return CompareStringA(LOCALE_USER_DEFAULT, 0, m_str.c_str(), -1, psz ? psz : "", -1) - 2;
}

int CString::CollateNoCase(const char* psz) const
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, m_str.c_str(), -1, psz ? psz : "", -1) - 2;
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength() - nFirst);
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nCount < 0)
        nCount = 0;
    if (nFirst >= GetLength())
        return CString();
    if (nCount > GetLength() - nFirst)
        nCount = GetLength() - nFirst;
    return CString(m_str.substr(static_cast<size_t>(nFirst), static_cast<size_t>(nCount)));
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount >= GetLength())
        return *this;
    return Mid(GetLength() - nCount, nCount);
}

CString CString::SpanIncluding(const char* pszCharSet) const
{
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (!InSet(pszCharSet, m_str.data() + i, n))
            break;
        i += n;
    }
    return CString(m_str.substr(0, i));
}

CString CString::SpanExcluding(const char* pszCharSet) const
{
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (InSet(pszCharSet, m_str.data() + i, n))
            break;
        i += n;
    }
    return CString(m_str.substr(0, i));
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0)
        nStart = 0;
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (n == 1 && static_cast<int>(i) >= nStart && m_str[i] == ch)
            return static_cast<int>(i);
        i += n;
    }
    return -1;
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (!pszSub)
        return -1;
    size_t sub = std::strlen(pszSub);
    if (nStart < 0)
        nStart = 0;
    if (static_cast<size_t>(nStart) > m_str.size())
        return -1;
    size_t i = 0;
    while (i + sub <= m_str.size()) {
        if (static_cast<int>(i) >= nStart && m_str.compare(i, sub, pszSub) == 0)
            return static_cast<int>(i);
        if (i == m_str.size())
            break;
        i += Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
    }
    return -1;
}

int CString::ReverseFind(char ch) const
{
    int found = -1;
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (n == 1 && m_str[i] == ch)
            found = static_cast<int>(i);
        i += n;
    }
    return found;
}

int CString::FindOneOf(const char* pszCharSet) const
{
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (InSet(pszCharSet, m_str.data() + i, n))
            return static_cast<int>(i);
        i += n;
    }
    return -1;
}

CString& CString::MakeUpper()
{
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (n == 1 && m_str[i] >= 'a' && m_str[i] <= 'z')
            m_str[i] = static_cast<char>(m_str[i] - ('a' - 'A'));
        i += n;
    }
    return *this;
}

CString& CString::MakeLower()
{
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (n == 1 && m_str[i] >= 'A' && m_str[i] <= 'Z')
            m_str[i] = static_cast<char>(m_str[i] + ('a' - 'A'));
        i += n;
    }
    return *this;
}

CString& CString::MakeReverse()
{
    // Characters are reversed as units so double-byte pairs stay intact.
    std::string out;
    out.reserve(m_str.size());
    size_t i = 0;
    std::vector<std::pair<size_t, size_t>> chars;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        chars.emplace_back(i, n);
        i += n;
    }
    for (auto it = chars.rbegin(); it != chars.rend(); ++it)
        out.append(m_str, it->first, it->second);
    m_str.swap(out);
    return *this;
}

int CString::Replace(char chOld, char chNew)
{
    int count = 0;
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (n == 1 && m_str[i] == chOld) {
            m_str[i] = chNew;
            ++count;
        }
        i += n;
    }
    return count;
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    size_t oldLen = std::strlen(pszOld);
    std::string out;
    int count = 0;
    size_t i = 0;
    while (i < m_str.size()) {
        if (m_str.compare(i, oldLen, pszOld) == 0 && i + oldLen <= m_str.size()) {
            out += pszNew ? pszNew : "";
            i += oldLen;
            ++count;
            continue;
        }
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        out.append(m_str, i, n);
        i += n;
    }
    if (count)
        m_str.swap(out);
    return count;
}

int CString::Remove(char ch)
{
    std::string out;
    int count = 0;
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (n == 1 && m_str[i] == ch)
            ++count;
        else
            out.append(m_str, i, n);
        i += n;
    }
    m_str.swap(out);
    return count;
}

int CString::Insert(int nIndex, char ch)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > GetLength())
        nIndex = GetLength();
    m_str.insert(static_cast<size_t>(nIndex), 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, const char* psz)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > GetLength())
        nIndex = GetLength();
    m_str.insert(static_cast<size_t>(nIndex), psz ? psz : "");
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nCount > 0 && nIndex < GetLength())
        m_str.erase(static_cast<size_t>(nIndex), static_cast<size_t>(nCount));
    return GetLength();
}

CString& CString::TrimLeft()
{
    return TrimLeft(" \t\r\n\v\f");
}

CString& CString::TrimLeft(char chTarget)
{
    char set[2] = {chTarget, '\0'};
    return TrimLeft(set);
}

CString& CString::TrimLeft(const char* pszTargets)
{
    m_str.erase(0, static_cast<size_t>(SpanIncluding(pszTargets).GetLength()));
    return *this;
}

CString& CString::TrimRight()
{
    return TrimRight(" \t\r\n\v\f");
}

CString& CString::TrimRight(char chTarget)
{
    char set[2] = {chTarget, '\0'};
    return TrimRight(set);
}

CString& CString::TrimRight(const char* pszTargets)
{
    // Most texts end in a byte that is no target: with a set of single-byte
    // characters, such a text keeps all it has, whether that byte is a
    // character of its own or the second half of a double-byte one.
    if (m_str.empty())
        return *this;
    bool singleByteSet = true, lastInSet = false;
    for (const char* q = pszTargets; *q; ++q) {
        singleByteSet = singleByteSet && static_cast<unsigned char>(*q) < 0x80;
        lastInSet = lastInSet || *q == m_str.back();
    }
    if (singleByteSet && !lastInSet)
        return *this;
    // Walk forward so that a trailing byte that is the second half of a
    // double-byte character is never taken for a target.
    size_t keep = 0;
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (!InSet(pszTargets, m_str.data() + i, n))
            keep = i + n;
        i += n;
    }
    m_str.resize(keep);
    return *this;
}

CString CString::Tokenize(const char* pszTokens, int& iStart) const
{
    if (iStart < 0 || iStart >= GetLength()) {
        iStart = -1;
        return CString();
    }
    size_t i = static_cast<size_t>(iStart);
    // Skip leading delimiters.
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (!InSet(pszTokens, m_str.data() + i, n))
            break;
        i += n;
    }
    if (i >= m_str.size()) {
        iStart = -1;
        return CString();
    }
    size_t begin = i;
    while (i < m_str.size()) {
        size_t n = Mbcs::CharLength(m_str.data() + i, m_str.size() - i);
        if (InSet(pszTokens, m_str.data() + i, n))
            break;
        i += n;
    }
    CString token(m_str.substr(begin, i - begin));
    iStart = static_cast<int>(i < m_str.size() ? i + Mbcs::CharLength(m_str.data() + i, m_str.size() - i) : i);
    return token;
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
        return;
    }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), pszFormat, args);
    out.resize(static_cast<size_t>(n));
    m_str.swap(out);
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormat(const char* pszFormat, ...)
{
    CString tail;
    va_list args;
    va_start(args, pszFormat);
    tail.FormatV(pszFormat, args);
    va_end(args);
    m_str += tail.m_str;
}

BOOL CString::LoadString(UINT nID)
{
    // Resource strings are UTF-16; load them wide and convert to code page 932.
    const wchar_t* p = nullptr;
    int n = LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || !p) {
        m_str.clear();
        return FALSE;
    }
    std::wstring w(p, static_cast<size_t>(n));
    *this = w.c_str();
    return TRUE;
}

char* CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinBufLength));
    m_str.reserve(m_str.size() + 1);
    return &m_str[0];
}

char* CString::GetBufferSetLength(int nLength)
{
    m_str.resize(static_cast<size_t>(nLength > 0 ? nLength : 0));
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_str.c_str(), m_str.size()));
    if (nNewLength > GetLength())
        nNewLength = GetLength();
    m_str.resize(static_cast<size_t>(nNewLength));
}

CString FormatString(const char* pszFormat, ...)
{
    CString s;
    va_list args;
    va_start(args, pszFormat);
    s.FormatV(pszFormat, args);
    va_end(args);
    return s;
}
