#include "editor/SubjectPrefix.h"

#include <cctype>

namespace {

// The full-width colon "：" in Shift_JIS.
const unsigned char kWideColon[2] = {0x81, 0x46};

int SkipSpaces(const char* p, int n)
{
    while (p[n] == ' ')
        n++;
    return n;
}

// ":", "：" or ">" at p[n]: the offset after it, else -1.
int SkipSeparator(const char* p, int n)
{
    if (p[n] == ':' || p[n] == '>')
        return n + 1;
    if (static_cast<unsigned char>(p[n]) == kWideColon[0] && static_cast<unsigned char>(p[n + 1]) == kWideColon[1])
        return n + 2;
    return -1;
}

int SkipDigits(const char* p, int n)
{
    while (isdigit(static_cast<unsigned char>(p[n])))
        n++;
    return n;
}

bool IsLetter(char c, char upper)
{
    return toupper(static_cast<unsigned char>(c)) == upper;
}

} // namespace

bool IsReplyPrefix(const char* pszText, int* pnLength)
{
    const char* p = pszText;
    if (!p || !IsLetter(p[0], 'R') || !IsLetter(p[1], 'E'))
        return false;
    int n = 2;
    if (p[n] == '[') {
        int d = SkipDigits(p, n + 1);
        if (d == n + 1 || p[d] != ']')
            return false;
        n = d + 1;
    } else if (p[n] == '^') {
        int d = SkipDigits(p, n + 1);
        if (d == n + 1)
            return false;
        n = d;
    }
    n = SkipSeparator(p, SkipSpaces(p, n));
    if (n < 0)
        return false;
    if (pnLength)
        *pnLength = SkipSpaces(p, n);
    return true;
}

bool IsForwardPrefix(const char* pszText, int* pnLength)
{
    const char* p = pszText;
    if (!p || !IsLetter(p[0], 'F') || !IsLetter(p[1], 'W'))
        return false;
    int n = IsLetter(p[2], 'D') ? 3 : 2;
    n = SkipSeparator(p, SkipSpaces(p, n));
    if (n < 0)
        return false;
    if (pnLength)
        *pnLength = SkipSpaces(p, n);
    return true;
}

bool IsBracketTag(const char* pszText, int* pnLength)
{
    if (!pszText || pszText[0] != '[')
        return false;
    for (int i = 1; pszText[i]; i++) {
        if (Mbcs::IsLeadByte(pszText[i]) && pszText[i + 1]) {
            i++;
            continue;
        }
        if (pszText[i] == ']') {
            if (pnLength)
                *pnLength = SkipSpaces(pszText, i + 1);
            return true;
        }
    }
    return false;
}

const char* SkipBracketTag(const char* pszText, int* pnSkipped)
{
    int n = 0;
    if (!IsBracketTag(pszText, &n) || pszText[n] == '\0')
        n = 0;
    if (pnSkipped)
        *pnSkipped = n;
    return pszText ? pszText + n : pszText;
}

const char* SkipSubjectPrefixes(const char* pszText, bool bForward, bool bReply)
{
    if (!pszText)
        return pszText;
    const char* p = pszText;
    bool skippedReply = false, skippedForward = false;
    for (;;) {
        int n = 0;
        if (bReply && !skippedForward && IsReplyPrefix(p, &n)) {
            skippedReply = true;
        } else if (bForward && !skippedReply && IsForwardPrefix(p, &n)) {
            skippedForward = true;
        } else {
            return p;
        }
        p += n;
    }
}

CString GetBareSubject(const char* pszSubject)
{
    if (!pszSubject)
        return CString();
    const char* p = SkipSubjectPrefixes(pszSubject, true, true);
    int skipped = 0;
    p = SkipBracketTag(p, &skipped);
    if (skipped > 0)
        p = SkipSubjectPrefixes(p, true, true);
    return CString(p);
}

CString MakeReplySubject(const char* pszSubject, bool bDropTag)
{
    const char* p = SkipSubjectPrefixes(pszSubject ? pszSubject : "", false, true);
    if (bDropTag) {
        int skipped = 0;
        p = SkipBracketTag(p, &skipped);
        if (skipped > 0)
            p = SkipSubjectPrefixes(p, false, true);
    }
    return CString("Re: ") + p;
}

CString MakeForwardSubject(const char* pszSubject, int nForwardMethod)
{
    if (nForwardMethod == 2)
        return CString(pszSubject);
    return CString("Fw: ") + SkipSubjectPrefixes(pszSubject ? pszSubject : "", true, false);
}
