#include "mainwnd/MailSearchText.h"

#include "classlib/Mbcs.h"
#include "core/DateTimeUtil.h"

namespace MailSearchText {

std::vector<std::string> SplitKeywords(const char* pszText)
{
    CStringArray parts;
    SplitQuotedPhrases(pszText, parts);
    std::vector<std::string> keywords;
    for (int i = 0; i < parts.GetSize(); ++i) {
        std::string lower;
        AppendLower(lower, parts[i].GetString(), static_cast<size_t>(parts[i].GetLength()));
        if (!lower.empty())
            keywords.push_back(lower);
    }
    return keywords;
}

void AppendLower(std::string& out, const char* p, size_t n)
{
    size_t start = out.size();
    out.append(p, n);
    for (size_t i = start; i < out.size();) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (Mbcs::IsLeadByte(c) && i + 1 < out.size()) {
            i += 2;
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            out[i] = static_cast<char>(c + ('a' - 'A'));
        ++i;
    }
}

void AppendJoinedLines(std::string& out, const char* p, size_t n)
{
    out.reserve(out.size() + n);
    // Whether the last character written was double-byte, a blank, or
    // nothing at all (start of the text).
    bool lastWide = false, lastBlank = true;
    bool pendingBreak = false;
    for (size_t i = 0; i < n;) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (c == '\r' || c == '\n') {
            pendingBreak = true;
            ++i;
            continue;
        }
        bool wide = Mbcs::IsLeadByte(c) && i + 1 < n;
        bool blank = c == ' ' || c == '\t';
        if (pendingBreak) {
            pendingBreak = false;
            if (!(lastWide && wide) && !lastBlank && !blank) {
                out += ' ';
                lastBlank = true;
            }
        }
        if (wide) {
            out += static_cast<char>(c);
            out += p[i + 1];
            i += 2;
        } else {
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : static_cast<char>(c);
            ++i;
        }
        lastWide = wide;
        lastBlank = blank;
    }
}

bool Contains(const std::string& text, const std::string& needle)
{
    if (needle.empty())
        return false;
    // Hits are checked against the character boundaries walked so far, so
    // the whole text is walked at most once.
    size_t boundary = 0;
    size_t from = 0;
    while (true) {
        size_t hit = text.find(needle, from);
        if (hit == std::string::npos)
            return false;
        while (boundary < hit)
            boundary += Mbcs::CharLength(text.data() + boundary, text.size() - boundary);
        if (boundary == hit)
            return true;
        from = hit + 1;
    }
}

namespace {

// Whether the text at p (n bytes left) starts with the lower-case word,
// Latin letters compared without case.
bool StartsWithNoCase(const char* p, size_t n, const char* word)
{
    for (size_t i = 0; word[i]; ++i) {
        if (i >= n)
            return false;
        char c = p[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
        if (c != word[i])
            return false;
    }
    return true;
}

} // namespace

bool MayHoldNonAscii(const char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (c >= 0x80 || c == 0x1B || c == '&')
            return true;
        switch (c) {
        case '=':
            if (i + 1 < n && p[i + 1] == '?')
                return true;
            break;
        case 'b': case 'B':
            if (StartsWithNoCase(p + i, n - i, "base64"))
                return true;
            break;
        case 'q': case 'Q':
            if (StartsWithNoCase(p + i, n - i, "quoted-printable"))
                return true;
            break;
        case 'u': case 'U':
            if (StartsWithNoCase(p + i, n - i, "uuencode") || StartsWithNoCase(p + i, n - i, "utf-7"))
                return true;
            break;
        case 'h': case 'H':
            if (StartsWithNoCase(p + i, n - i, "hz-gb"))
                return true;
            break;
        default:
            break;
        }
    }
    return false;
}

bool IsNonAscii(const std::string& keyword)
{
    for (char c : keyword)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

bool MatchKeywords(const std::string& text, const std::vector<std::string>& keywords, bool bAll)
{
    if (keywords.empty())
        return false;
    for (const std::string& k : keywords) {
        bool found = Contains(text, k);
        if (bAll && !found)
            return false;
        if (!bAll && found)
            return true;
    }
    return bAll;
}

} // namespace MailSearchText
