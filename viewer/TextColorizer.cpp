#include "viewer/TextColorizer.h"

#include "classlib/Mbcs.h"

#include <cstring>

namespace {

bool IsLead(char c) { return Mbcs::IsLeadByte(static_cast<unsigned char>(c)); }

// Bytes that end a web address (lead bytes end it too).
bool EndsWebAddress(unsigned char c)
{
    return c == '\0' || std::strchr("\t \"')*<>\\]|", c) != nullptr || Mbcs::IsLeadByte(c);
}

bool IsAddressChar(unsigned char c)
{
    return c != '\0' && std::strchr("\t \"#'(),/:;<>[\\]", c) == nullptr && !Mbcs::IsLeadByte(c);
}

// What may follow an at-sign that starts the domain of an address ("/" may,
// though it is no address character).
bool MayFollowAtSign(unsigned char c)
{
    return c != '\0' && c < 0x80 && std::strchr("\t \"#'(),:;<>[\\]", c) == nullptr;
}

// The first occurrence of needle in [nFrom, nEnd) that starts on a character
// boundary (nFrom must be one).
size_t FindOnBoundary(const std::string& text, size_t nFrom, size_t nEnd, const char* needle, size_t nNeedle)
{
    for (size_t i = nFrom; i < nEnd;) {
        if (i + nNeedle <= text.size() && text.compare(i, nNeedle, needle, nNeedle) == 0)
            return i;
        i += (IsLead(text[i]) && i + 1 < text.size()) ? 2 : 1;
    }
    return std::string::npos;
}

} // namespace

void CQuoteRules::SetLevel(int nLevel, const char* pszList)
{
    if (nLevel < 1 || nLevel > 4)
        return;
    std::vector<std::string>& list = m_prefixes[nLevel - 1];
    list.clear();
    std::string all = pszList ? pszList : "";
    size_t from = 0;
    for (;;) {
        size_t comma = all.find(',', from);
        list.push_back(all.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
}

int CQuoteRules::LevelOf(const char* p, size_t nLength) const
{
    static const int kOrder[] = {2, 1, 3, 4};
    for (int level : kOrder) {
        for (const std::string& prefix : m_prefixes[level - 1]) {
            if (!prefix.empty() && prefix.size() <= nLength && std::memcmp(p, prefix.data(), prefix.size()) == 0)
                return level;
        }
    }
    return 0;
}

COLORREF CTextColorizer::QuoteColor(const std::string& text) const
{
    if (text.empty())
        return m_colors.crText;
    int level = m_quotes.LevelOf(text.data(), text.size());
    return level ? m_colors.crQuote[level - 1] : m_colors.crText;
}

size_t CTextColorizer::WebAddressEnd(const std::string& text, size_t nStart, size_t nEnd)
{
    size_t i = nStart;
    while (i < nEnd && !EndsWebAddress(static_cast<unsigned char>(text[i])))
        ++i;
    return i;
}

bool CTextColorizer::FindWebAddress(const std::string& text, size_t nFrom, size_t nEnd, bool bLineWrapped,
                                    size_t& nStart, size_t& nStop)
{
    // A later "http:" is taken before an earlier "https:" or "ftp:".
    static const char* const kSchemes[] = {"http:", "https:", "ftp:"};
    size_t at = std::string::npos;
    for (const char* scheme : kSchemes) {
        at = FindOnBoundary(text, nFrom, nEnd, scheme, std::strlen(scheme));
        if (at != std::string::npos)
            break;
    }
    if (at == std::string::npos)
        return false;
    nStart = at;
    nStop = WebAddressEnd(text, at, nEnd);
    if (!bLineWrapped && nStop > nStart && text[nStop - 1] == '.')
        --nStop;
    return true;
}

bool CTextColorizer::FindMailAddress(const std::string& text, size_t nFrom, size_t nEnd, size_t& nStart,
                                     size_t& nStop)
{
    size_t runStart = nFrom;
    for (size_t i = nFrom; i < nEnd;) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (Mbcs::IsLeadByte(c) && i + 1 < text.size()) {
            i += 2;
            runStart = i;
            continue;
        }
        if (c == '@' && i != nFrom) {
            unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
            if (MayFollowAtSign(next)) {
                if (runStart == i)
                    return false;
                size_t e = i + 1;
                while (e < nEnd && IsAddressChar(static_cast<unsigned char>(text[e])))
                    ++e;
                nStart = runStart;
                nStop = e;
                return true;
            }
        }
        if (!IsAddressChar(c))
            runStart = i + 1;
        ++i;
    }
    return false;
}

void CTextColorizer::AddPiece(const std::string& text, size_t nFrom, size_t nEnd, COLORREF crColor, SpanKind link,
                              bool bKeywords, std::vector<TextSpan>& spans) const
{
    auto push = [&](size_t from, size_t end, COLORREF color, bool bold, SpanKind kind) {
        if (end <= from)
            return;
        TextSpan span;
        span.nStart = from;
        span.nLength = end - from;
        span.crColor = color;
        span.bBold = bold;
        span.kind = kind;
        span.link = link;
        spans.push_back(span);
    };
    size_t cur = nFrom;
    while (bKeywords && cur < nEnd) {
        // The earliest hit wins; at the current position itself the second
        // keyword found there wins ("abc" then "abcdef" highlights "abcdef").
        int best = -1;
        size_t bestPos = std::string::npos;
        int atCurrent = 0;
        for (size_t k = 0; k < m_keywords.size(); ++k) {
            const std::string& word = m_keywords[k].text;
            if (word.empty())
                continue;
            size_t pos = FindOnBoundary(text, cur, nEnd, word.data(), word.size());
            if (pos == std::string::npos)
                continue;
            if (pos == cur && ++atCurrent == 2) {
                best = static_cast<int>(k);
                bestPos = pos;
                break;
            }
            if (pos < bestPos) {
                best = static_cast<int>(k);
                bestPos = pos;
            }
        }
        if (best < 0)
            break;
        if (bestPos > cur) {
            // Draw up to the hit and look again from there, where two
            // keywords starting at the same place are decided.
            push(cur, bestPos, crColor, false, link);
            cur = bestPos;
            continue;
        }
        const KeywordEntry& hit = m_keywords[static_cast<size_t>(best)];
        size_t hitEnd = bestPos + hit.text.size();
        if (hitEnd > nEnd)
            hitEnd = nEnd;
        push(cur, bestPos, crColor, false, link);
        push(bestPos, hitEnd, hit.crColor, hit.bBold, SpanKind::Keyword);
        cur = hitEnd;
    }
    push(cur, nEnd, crColor, false, link);
}

void CTextColorizer::AddMailPieces(const std::string& text, size_t nFrom, size_t nEnd, COLORREF crColor,
                                   bool bKeywords, std::vector<TextSpan>& spans) const
{
    size_t pos = nFrom;
    while (pos < nEnd) {
        size_t start = 0, stop = 0;
        if (!FindMailAddress(text, pos, nEnd, start, stop)) {
            AddPiece(text, pos, nEnd, crColor, SpanKind::Text, bKeywords, spans);
            return;
        }
        AddPiece(text, pos, start, crColor, SpanKind::Text, bKeywords, spans);
        AddPiece(text, start, stop, m_colors.crAddress, SpanKind::MailAddress, bKeywords, spans);
        pos = stop;
    }
}

void CTextColorizer::ColorLine(const CTextLine& line, Carry& carry, bool bPrinting,
                               std::vector<TextSpan>& spans) const
{
    spans.clear();
    const std::string& text = line.text;
    const size_t n = text.size();
    const COLORREF base = carry.bContinues ? carry.crColor : QuoteColor(text);
    const bool keywords = !bPrinting && !m_keywords.empty();
    bool urlContinues = false;
    size_t pos = 0;
    if (bPrinting) {
        AddPiece(text, 0, n, base, SpanKind::Text, false, spans);
    } else {
        if (carry.bContinues && carry.bUrlContinues) {
            size_t stop = WebAddressEnd(text, 0, n);
            if (!line.wrapped && stop > 0 && text[stop - 1] == '.')
                --stop;
            AddPiece(text, 0, stop, m_colors.crUrl, SpanKind::WebAddress, keywords, spans);
            urlContinues = line.wrapped && stop == n;
            pos = stop;
        }
        while (pos < n) {
            size_t start = 0, stop = 0;
            if (!FindWebAddress(text, pos, n, line.wrapped, start, stop)) {
                AddMailPieces(text, pos, n, base, keywords, spans);
                break;
            }
            AddMailPieces(text, pos, start, base, keywords, spans);
            AddPiece(text, start, stop, m_colors.crUrl, SpanKind::WebAddress, keywords, spans);
            urlContinues = line.wrapped && stop == n;
            pos = stop > start ? stop : start + 1;
        }
    }
    carry.bContinues = line.wrapped;
    carry.crColor = base;
    carry.bUrlContinues = urlContinues;
}
