#include "editor/AddressCompletion.h"

#include "message/AddressList.h"

#include <cstring>

namespace {

bool IsLead(char c)
{
    return IsDBCSLeadByteEx(932, static_cast<BYTE>(c)) != FALSE;
}

} // namespace

int CAddressCompletion::CharToByte(const char* pszText, int nChars)
{
    int i = 0;
    for (int n = 0; pszText && pszText[i] && n < nChars; ++n)
        i += IsLead(pszText[i]) && pszText[i + 1] ? 2 : 1;
    return i;
}

int CAddressCompletion::ByteToChar(const char* pszText, int nBytes)
{
    int n = 0;
    for (int i = 0; pszText && pszText[i] && i < nBytes; ++n)
        i += IsLead(pszText[i]) && pszText[i + 1] ? 2 : 1;
    return n;
}

CString CAddressCompletion::TokenBeforeCaret(const char* pszText, int nCaret, int* pnStart)
{
    const char* text = pszText ? pszText : "";
    int length = static_cast<int>(strlen(text));
    if (nCaret > length)
        nCaret = length;
    // The last comma before the caret, stepping over double-byte characters.
    int start = 0;
    for (int i = 0; i < nCaret;) {
        if (IsLead(text[i]) && text[i + 1]) {
            i += 2;
            continue;
        }
        if (text[i] == ',')
            start = i + 1;
        ++i;
    }
    while (start < nCaret && text[start] == ' ')
        ++start;
    if (pnStart)
        *pnStart = start;
    CString token;
    for (int i = start; i < nCaret;) {
        if (IsLead(text[i]) && text[i + 1]) {
            if (!(static_cast<BYTE>(text[i]) == 0x81 && static_cast<BYTE>(text[i + 1]) == 0x40))
                token += CString(text + i, 2);
            i += 2;
            continue;
        }
        if (text[i] != '\t')
            token += text[i];
        ++i;
    }
    return token;
}

void CAddressCompletion::SplitLine(const char* pszLine, CString& address, CString& name)
{
    const char* line = pszLine ? pszLine : "";
    const char* tab = strchr(line, '\t');
    address = tab ? CString(line, static_cast<int>(tab - line)) : CString(line);
    name = tab ? CString(tab + 1) : CString();
}

CString CAddressCompletion::ShownText(const char* pszLine)
{
    CString address, name;
    SplitLine(pszLine, address, name);
    return name.IsEmpty() ? address : address + " (" + name + ")";
}

bool CAddressCompletion::AppendAddress(CString& field, const char* pszAddress)
{
    if (!pszAddress || !*pszAddress)
        return false;
    CString bare = ExtractMailAddress(pszAddress);
    CString lowerField = field, lowerBare = bare;
    lowerField.MakeLower();
    lowerBare.MakeLower();
    if (!lowerBare.IsEmpty() && lowerField.Find(lowerBare) >= 0)
        return false;
    if (!field.IsEmpty()) {
        char last = field[field.GetLength() - 1];
        if (last != ',' && last != ';')
            field += ",";
    }
    field += pszAddress;
    return true;
}

void CAddressCompletion::SetCandidates(const CStringArray& lines)
{
    // The turn goes on: asking again for the same token gives the next one.
    m_candidates.Copy(lines);
}

CString CAddressCompletion::NextCandidate()
{
    if (m_candidates.GetSize() == 0)
        return CString();
    if (m_nNext >= m_candidates.GetSize())
        m_nNext = 0;
    return m_candidates[m_nNext++];
}

void CAddressCompletion::Reset()
{
    m_candidates.RemoveAll();
    m_nNext = 0;
}
