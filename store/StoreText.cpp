#include "store/StoreText.h"

#include "core/DateTimeUtil.h"
#include "message/AddressList.h"

#include <atomic>
#include <cctype>
#include <cstring>

namespace StoreText {

namespace {

std::atomic<AddressBookLookup> g_pfnAddressBookLookup{nullptr};

bool IsBlank(const char* p)
{
    return *p == ' ' || *p == '\t';
}

// Blanks, tabs and the full-width space (0x81 0x40).
int SkipBlanks(const char* s, int pos)
{
    for (;;) {
        if (IsBlank(s + pos))
            pos++;
        else if (static_cast<unsigned char>(s[pos]) == 0x81 && static_cast<unsigned char>(s[pos + 1]) == 0x40)
            pos += 2;
        else
            return pos;
    }
}

// Length of one reply or forward prefix at s ("Re:", "Re^2:", "Re[2]:",
// "Fw:", "Fwd:", any case), blanks after it included; 0 when none.
int PrefixLength(const char* s)
{
    int n = 0;
    if (_strnicmp(s, "re", 2) == 0)
        n = 2;
    else if (_strnicmp(s, "fwd", 3) == 0)
        n = 3;
    else if (_strnicmp(s, "fw", 2) == 0)
        n = 2;
    else
        return 0;
    if (s[n] == '^') {
        int d = n + 1;
        while (isdigit(static_cast<unsigned char>(s[d])))
            d++;
        if (d == n + 1)
            return 0;
        n = d;
    } else if (s[n] == '[' || s[n] == '(') {
        char close = s[n] == '[' ? ']' : ')';
        int d = n + 1;
        while (isdigit(static_cast<unsigned char>(s[d])))
            d++;
        if (d == n + 1 || s[d] != close)
            return 0;
        n = d + 1;
    }
    if (s[n] == ':')
        n++;
    else if (static_cast<unsigned char>(s[n]) == 0x81 && static_cast<unsigned char>(s[n + 1]) == 0x46)
        n += 2;  // full-width colon
    else
        return 0;
    return SkipBlanks(s, n);
}

int SkipPrefixes(const char* s, int pos)
{
    pos = SkipBlanks(s, pos);
    for (int n; (n = PrefixLength(s + pos)) > 0;)
        pos += n;
    return pos;
}

// End of a "[...]" tag starting at pos (the offset after "]"), or -1.
int TagEnd(const char* s, int pos)
{
    if (s[pos] != '[')
        return -1;
    for (int i = pos + 1; s[i]; i++) {
        if (Mbcs::IsLeadByte(s[i]) && s[i + 1]) {
            i++;
            continue;
        }
        if (s[i] == ']')
            return i + 1;
    }
    return -1;
}

} // namespace

int SkipSubjectTag(const CString& subject)
{
    const char* s = subject.GetString();
    int end = TagEnd(s, 0);
    if (end < 0)
        return 0;
    end = SkipBlanks(s, end);
    return s[end] ? end : 0;
}

int SortSubjectOffset(const CString& subject)
{
    const char* s = subject.GetString();
    int pos = SkipPrefixes(s, 0);
    int end = TagEnd(s, pos);
    if (end >= 0)
        pos = SkipPrefixes(s, end);
    return pos;
}

CString BareAddress(const CString& from)
{
    return ExtractMailAddress(from);
}

CString DisplayName(const CString& from)
{
    return ExtractDisplayName(from);
}

void SetAddressBookLookup(AddressBookLookup pfnLookup)
{
    g_pfnAddressBookLookup = pfnLookup;
}

CString AddressBookName(const CString& entry)
{
    CString address = ExtractMailAddress(entry);
    CString name;
    AddressBookLookup lookup = g_pfnAddressBookLookup;
    if (!address.IsEmpty() && lookup && lookup(address, name) && !name.IsEmpty())
        return name;
    name = ExtractDisplayName(entry);
    return name.IsEmpty() ? address : name;
}

int64_t ParseDate(std::string_view text)
{
    if (text.empty())
        return 0;
    return ParseDateText(text);
}

int64_t ParseDateLocal(std::string_view text)
{
    if (text.empty())
        return 0;
    return ParseDateText(text) - GetTimeZoneBias();
}

} // namespace StoreText
