#include "settings/CharSetNames.h"

namespace {

// The length of a blank at position i (1 or 2), else 0.
int BlankAt(const CString& s, int i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == ' ' || c == '\t')
        return 1;
    if (c == 0x81 && i + 1 < s.GetLength() && static_cast<unsigned char>(s[i + 1]) == 0x40)
        return 2;
    return 0;
}

} // namespace

CString NormalizeCharSetName(const char* pszName)
{
    CString s(pszName ? pszName : "");
    int start = 0;
    while (start < s.GetLength() && BlankAt(s, start))
        start += BlankAt(s, start);
    // Trailing blanks: walk whole characters from the start so that a trail
    // byte is never taken for a blank.
    int end = start;
    for (int i = start; i < s.GetLength();) {
        int blank = BlankAt(s, i);
        int len = blank ? blank : (Mbcs::IsLeadByte(s[i]) && i + 1 < s.GetLength() ? 2 : 1);
        i += len;
        if (!blank)
            end = i;
    }
    CString out = s.Mid(start, end - start);
    for (int i = 0; i < out.GetLength(); ++i) {
        if (Mbcs::IsLeadByte(out[i])) {
            ++i;
            continue;
        }
        if (out[i] >= 'a' && out[i] <= 'z')
            out.SetAt(i, static_cast<char>(out[i] - 'a' + 'A'));
    }
    return out;
}

CCharSetData* FindCharSetByName(const CCharSetDataSet& table, const char* pszName)
{
    CCharSetDataSet& t = const_cast<CCharSetDataSet&>(table);
    for (int i = 0; i < t.GetRecordCount(TRUE); ++i) {
        CCharSetData* r = t.GetCharSet(i);
        if (r && r->m_strCharset == pszName)
            return r;
    }
    return nullptr;
}

bool CharSetNameExists(const CCharSetDataSet& table, const char* pszName)
{
    CString name = NormalizeCharSetName(pszName);
    CCharSetDataSet& t = const_cast<CCharSetDataSet&>(table);
    for (int i = 0; i < t.GetRecordCount(TRUE); ++i) {
        CCharSetData* r = t.GetCharSet(i);
        if (r && !r->m_bDeleted && NormalizeCharSetName(r->m_strCharset) == name)
            return true;
    }
    return false;
}
