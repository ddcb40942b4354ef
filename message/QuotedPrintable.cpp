#include "message/QuotedPrintable.h"

#include "classlib/ByteSearch.h"

#include <cstring>

namespace {

void AppendHex(std::string& out, unsigned char c)
{
    static const char kHex[] = "0123456789abcdef";
    out += '=';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

} // namespace

int CQuotedPrintable::HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string CQuotedPrintable::EncodeToString(const char* pText, size_t n)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pText);
    std::string out;
    out.reserve(n + n / 2 + 8);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = p[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && p[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (c == 0x1B || c == '=') {
            AppendHex(out, c);
        } else if (c >= 0x80) {
            AppendHex(out, c);
            // The pair partner, when there is one; a lone last byte stands alone.
            if (i + 1 < n)
                AppendHex(out, p[++i]);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string CQuotedPrintable::EncodeBody(const char* pText, size_t n)
{
    static const char kHex[] = "0123456789ABCDEF";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pText);
    std::string out;
    out.reserve(n + n / 4 + 8);
    size_t column = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = p[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && p[i + 1] == '\n')
                ++i;
            out += "\r\n";
            column = 0;
            continue;
        }
        // A blank is kept only where a line does not end behind it.
        bool lineEnds = i + 1 >= n || p[i + 1] == '\r' || p[i + 1] == '\n';
        bool plain = (c >= 0x21 && c <= 0x7E && c != '=') || ((c == ' ' || c == '\t') && !lineEnds);
        size_t width = plain ? 1 : 3;
        // Soft breaks keep every line within 76 characters, the "=" included.
        if (column + width > (lineEnds ? 76u : 75u)) {
            out += "=\r\n";
            column = 0;
        }
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '=';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
        column += width;
    }
    return out;
}

int CQuotedPrintable::Encode(const char* pszText, char* pOut, int nOutSize)
{
    if (!pOut || nOutSize <= 0)
        return 1;
    pOut[0] = '\0';
    if (!pszText)
        return 1;
    // Item by item, so that a pair or an escape is never cut in half.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    size_t n = strlen(pszText);
    size_t written = 0;
    std::string item;
    for (size_t i = 0; i < n; ++i) {
        item.clear();
        size_t consumed = 1;
        unsigned char c = p[i];
        if (c >= 0x80 && i + 1 < n)
            consumed = 2;
        else if (c == '\r' && i + 1 < n && p[i + 1] == '\n')
            consumed = 2;
        item = EncodeToString(pszText + i, consumed);
        if (written + item.size() + 1 > static_cast<size_t>(nOutSize))
            break;
        memcpy(pOut + written, item.data(), item.size());
        written += item.size();
        i += consumed - 1;
    }
    pOut[written] = '\0';
    return 1;
}

void CQuotedPrintable::DecodeAppend(const char* p, size_t n, std::string& out, bool bUnderscoreBlank)
{
    size_t i = 0;
    while (i < n) {
        char c = p[i];
        if (c == '=') {
            // Soft line break.
            if (i + 2 < n && p[i + 1] == '\r' && p[i + 2] == '\n') {
                i += 3;
                continue;
            }
            // An escape needs two characters after the "="; one cut short by
            // the end of the text is kept as it stands.
            if (i + 2 < n) {
                int hi = HexDigitValue(p[i + 1]);
                if (hi >= 0) {
                    int lo = HexDigitValue(p[i + 2]);
                    out += static_cast<char>(hi * 16 + (lo < 0 ? 0 : lo));
                    i += 3;
                    continue;
                }
            }
            out += '=';
            ++i;
            continue;
        }
        if (bUnderscoreBlank) {
            out += c == '_' ? ' ' : c;
            ++i;
            continue;
        }
        // A body is mostly literal text: the run up to the next escape goes
        // over in one append.
        const char* eq = ByteSearch::Find(p + i, n - i, '=');
        size_t runEnd = eq ? static_cast<size_t>(eq - p) : n;
        out.append(p + i, runEnd - i);
        i = runEnd;
    }
}

std::string CQuotedPrintable::DecodeToString(const char* pText, size_t n)
{
    std::string out;
    out.reserve(n);
    DecodeAppend(pText, n, out);
    return out;
}

int CQuotedPrintable::Decode(const char* pszText, char* pOut, int nOutSize)
{
    if (!pOut || nOutSize <= 0)
        return 0;
    pOut[0] = '\0';
    if (!pszText || !*pszText)
        return 0;
    std::string s = DecodeToString(pszText, strlen(pszText));
    size_t n = s.size() < static_cast<size_t>(nOutSize) ? s.size() : static_cast<size_t>(nOutSize) - 1;
    memcpy(pOut, s.data(), n);
    pOut[n] = '\0';
    return static_cast<int>(n);
}
