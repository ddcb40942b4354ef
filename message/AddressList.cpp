#include "message/AddressList.h"

#include "classlib/Mbcs.h"
#include "message/JapaneseCode.h"
#include "message/QuotedPrintable.h"

#include <cctype>
#include <cstring>
#include <string>
#include <unordered_set>

namespace {

// A character that is no hex digit is taken as its distance from "0", not
// refused: a malformed escape still yields a byte.
int HexOrDigit(char c)
{
    int v = CQuotedPrintable::HexDigitValue(c);
    return v >= 0 ? v : static_cast<unsigned char>(c) - '0';
}

} // namespace

CString ExtractMailAddress(const char* pszEntry)
{
    if (!pszEntry)
        return CString();
    size_t n = strlen(pszEntry);
    // The entry without its quoted parts.
    std::string copy;
    copy.reserve(n);
    bool quoted = false;
    for (size_t i = 0; i < n;) {
        size_t len = Mbcs::CharLength(pszEntry + i, n - i);
        char c = pszEntry[i];
        if (len == 1 && c == '\\' && i + 1 < n && pszEntry[i + 1] == '"') {
            i += 2;
            continue;
        }
        if (len == 1 && c == '"') {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (!quoted)
            copy.append(pszEntry + i, len);
        i += len;
    }
    CString c(copy);
    CString result;
    int lt = c.ReverseFind('<');
    if (lt >= 0) {
        int gt = c.Find('>', lt + 1);
        result = gt >= 0 ? c.Mid(lt + 1, gt - lt - 1) : c.Mid(lt + 1);
    } else {
        int paren = c.Find('(');
        if (paren >= 0) {
            result = c.Left(paren);
        } else {
            const char* s = copy.c_str();
            size_t m = copy.size();
            size_t start = 0;
            while (start < m && (s[start] == ' ' || s[start] == '\t'))
                ++start;
            size_t end = start;
            while (end < m) {
                char ch = s[end];
                if (ch == ',' || ch == ' ' || ch == '\t')
                    break;
                if (static_cast<unsigned char>(ch) == 0x81 && end + 1 < m && static_cast<unsigned char>(s[end + 1]) == 0x40)
                    break;
                end += Mbcs::CharLength(s + end, m - end);
            }
            result = CString(s + start, static_cast<int>(end - start));
        }
    }
    result.Trim();
    if (result.IsEmpty())
        return CString(pszEntry);
    return result;
}

CString ExtractDisplayName(const char* pszEntry)
{
    if (!pszEntry)
        return CString();
    CString address = ExtractMailAddress(pszEntry);
    CString entry(pszEntry);
    entry.TrimRight();
    if (entry.IsEmpty())
        return CString();
    int at = entry.Find(address);
    if (address.IsEmpty() || at < 0)
        return CString();
    CString name;
    CString lead = entry.Left(at);
    lead.TrimLeft();
    if (lead.IsEmpty()) {
        // "address (Name)"
        CString rest = entry.Mid(at + address.GetLength());
        rest.Trim();
        int open = rest.Find('(');
        if (open >= 0) {
            int close = rest.Find(')', open + 1);
            name = close >= 0 ? rest.Mid(open + 1, close - open - 1) : rest.Mid(open + 1);
        }
    } else {
        // "Name <address>": the text before the last "<" in front of the address.
        CString before = entry.Left(at);
        int lt = before.ReverseFind('<');
        name = lt >= 0 ? before.Left(lt) : before;
        name.Remove('"');
    }
    name.Trim();
    return name;
}

bool ParseAddressList(const char* pszList, CStringArray* pEntries, bool bUnique)
{
    if (!pszList || !pEntries)
        return false;
    // The bare addresses already in the array, upper case, for the unique
    // mode: one look-up per entry keeps long lists linear.
    std::unordered_set<std::string> seen;
    auto key = [](const CString& address) {
        CString upper(address);
        upper.MakeUpper();
        return upper.Str();
    };
    if (bUnique) {
        for (int k = 0; k < pEntries->GetSize(); ++k)
            seen.insert(key(ExtractMailAddress(pEntries->GetAt(k))));
    }
    std::string s(pszList);
    s += ',';
    size_t n = s.size();
    size_t start = 0;
    bool quoted = false, sawLt = false, sawGt = false;
    int depth = 0;
    for (size_t i = 0; i < n;) {
        size_t len = Mbcs::CharLength(s.data() + i, n - i);
        if (len == 2) {
            i += 2;
            continue;
        }
        char c = s[i];
        if (c == '\\' && i + 1 < n && (s[i + 1] == '"' || s[i + 1] == '(' || s[i + 1] == ')')) {
            i += 2;
            continue;
        }
        if (c == '"' && depth == 0) {
            quoted = !quoted;
        } else if (!quoted && c == '(') {
            ++depth;
        } else if (!quoted && c == ')') {
            if (depth > 0)
                --depth;
        } else if (c == '<') {
            sawLt = true;
        } else if (c == '>') {
            sawGt = true;
        } else if (c == ',' && ((!quoted && depth == 0) || (sawLt && sawGt))) {
            CString entry(s.data() + start, static_cast<int>(i - start));
            entry.Trim();
            CString address = ExtractMailAddress(entry);
            bool keep = !entry.IsEmpty() && !address.IsEmpty();
            if (keep && bUnique)
                keep = seen.insert(key(address)).second;
            if (keep)
                pEntries->Add(entry);
            start = i + 1;
            quoted = false;
            depth = 0;
            sawLt = sawGt = false;
        }
        ++i;
    }
    return true;
}

CString AddressFieldText(const char* pszList)
{
    CStringArray entries;
    ParseAddressList(pszList, &entries);
    CString text;
    for (int i = 0; i < entries.GetSize(); ++i) {
        if (i > 0)
            text += ", ";
        text += entries[i];
    }
    return text;
}

CString DecodePercentBytes(const char* pszText, int nLength)
{
    if (!pszText)
        return CString();
    size_t n = nLength < 0 ? strlen(pszText) : static_cast<size_t>(nLength);
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        // A "%" needs two characters after it; one cut short stays as it is.
        if (pszText[i] == '%' && i + 2 < n) {
            out += static_cast<char>(HexOrDigit(pszText[i + 1]) * 16 + HexOrDigit(pszText[i + 2]));
            i += 2;
        } else {
            out += pszText[i];
        }
    }
    return CString(out);
}

CString DecodePercentText(const char* pszText)
{
    CString bytes = DecodePercentBytes(pszText);
    return JisToSjis(bytes, bytes.GetLength());
}

CString EncodePercentText(const char* pszText)
{
    if (!pszText)
        return CString();
    CString jis = SjisToJis(pszText);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(jis.GetString());
    size_t n = static_cast<size_t>(jis.GetLength());
    static const char kHex[] = "0123456789abcdef";
    auto hex = [&](std::string& out, unsigned char c) {
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    };
    std::string out;
    out.reserve(n * 3);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = p[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && p[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (isalnum(c)) {
            out += static_cast<char>(c);
        } else {
            // Two bytes per step, as the two bytes of a double-byte JIS code.
            hex(out, c);
            if (i + 1 < n)
                hex(out, p[++i]);
        }
    }
    return CString(out);
}

bool AddressListContains(const char* pszList, const char* pszAddress)
{
    CString address = ExtractMailAddress(pszAddress ? pszAddress : "");
    address.Trim();
    if (address.IsEmpty())
        return false;
    CStringArray entries;
    ParseAddressList(pszList ? pszList : "", &entries);
    for (int i = 0; i < entries.GetSize(); ++i) {
        CString bare = ExtractMailAddress(entries[i]);
        bare.Trim();
        if (bare.CompareNoCase(address) == 0)
            return true;
    }
    return false;
}
