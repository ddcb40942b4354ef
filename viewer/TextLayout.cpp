#include "viewer/TextLayout.h"

#include "classlib/Mbcs.h"

#include <cstring>

namespace {

bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }

} // namespace

bool CTextLayout::IsSingleByteBreak(unsigned char c, bool bOldStyle)
{
    switch (c) {
    case '\t': case ' ': case '!': case ')': case ',': case '/': case ';': case '>': case ']': case '}':
        return true;
    case '.':
        return !bOldStyle;
    default:
        return false;
    }
}

bool CTextLayout::IsDoubleByteBreak(unsigned char lead, unsigned char trail)
{
    // Ideographic space, comma and full stop, full-width right parenthesis,
    // right corner bracket.
    return lead == 0x81 && (trail == 0x40 || trail == 0x41 || trail == 0x42 || trail == 0x6A || trail == 0x76);
}

void CTextLayout::Start(const std::string* pText, const TextLayoutOptions& options, MeasureFn measure,
                        std::vector<CTextLine>* pLines)
{
    m_pText = pText;
    m_pLines = pLines;
    m_opt = options;
    m_measure = std::move(measure);
    m_pLines->clear();
    m_nWidest = 0;
    m_bWrap = m_opt.nWrapWidth > 0;
    int avg = m_opt.nAvgCharWidth > 0 ? m_opt.nAvgCharWidth : 1;
    int budget = m_opt.nWrapWidth / avg;
    m_nBudget = budget <= 20 ? 0 : budget - 6;
    m_nNearEnd = static_cast<int>(m_opt.nWrapWidth * 0.95);
    m_nPos = 0;
    if (!m_pText->empty() && (*m_pText)[0] == '.')
        m_nPos = 1;
    m_nLineStart = m_nPos;
    m_nBreak = 0;
    m_nColumns = 0;
    m_nLastWidth = 0;
    m_nMeasuredTo = 0;
    m_nPrevCharLen = 0;
    m_bDone = false;
}

size_t CTextLayout::SkipLineEnd(size_t nPos) const
{
    const std::string& s = *m_pText;
    if (s[nPos] == '\r' && nPos + 1 < s.size() && s[nPos + 1] == '\n')
        nPos += 2;
    else
        nPos += 1;
    // Every source line loses one leading "." (the stored text is dot-stuffed).
    if (nPos < s.size() && s[nPos] == '.')
        ++nPos;
    return nPos;
}

bool CTextLayout::IsBreakCharAt(size_t nPos) const
{
    const std::string& s = *m_pText;
    if (nPos >= s.size())
        return false;
    unsigned char c = static_cast<unsigned char>(s[nPos]);
    if (Mbcs::IsLeadByte(c) && nPos + 1 < s.size())
        return IsDoubleByteBreak(c, static_cast<unsigned char>(s[nPos + 1]));
    return IsSingleByteBreak(c, m_opt.bOldStyle);
}

void CTextLayout::EmitLine(size_t nEnd, bool bWrapped)
{
    CTextLine line;
    line.text.assign(*m_pText, m_nLineStart, nEnd - m_nLineStart);
    line.wrapped = bWrapped;
    if (!m_bWrap && !line.text.empty() && m_measure) {
        int w = m_measure(line.text.data(), static_cast<int>(line.text.size()));
        if (w > m_nWidest)
            m_nWidest = w;
    }
    m_pLines->push_back(std::move(line));
    m_nLineStart = nEnd;
    m_nBreak = 0;
    m_nColumns = 0;
    m_nLastWidth = 0;
    m_nMeasuredTo = 0;
    m_nPrevCharLen = 0;
}

bool CTextLayout::Continue(size_t nMinLines, size_t nMaxBytes)
{
    if (m_bDone)
        return true;
    const std::string& s = *m_pText;
    const size_t n = s.size();
    const size_t from = m_nPos;
    const int width = m_opt.nWrapWidth;
    while (m_nPos < n) {
        if (m_pLines->size() >= nMinLines || m_nPos - from >= nMaxBytes)
            return false;
        unsigned char c = static_cast<unsigned char>(s[m_nPos]);
        if (c == '\0') {
            // NUL ends the text.
            EmitLine(m_nPos, false);
            m_nPos = n;
            m_nLineStart = n + 1;
            break;
        }
        if (IsLineEnd(c)) {
            EmitLine(m_nPos, false);
            m_nPos = SkipLineEnd(m_nPos);
            m_nLineStart = m_nPos;
            continue;
        }
        size_t len = 1;
        if (Mbcs::IsLeadByte(c) && m_nPos + 1 < n) {
            unsigned char t = static_cast<unsigned char>(s[m_nPos + 1]);
            if (t != '\0' && !IsLineEnd(t))
                len = 2;
        }
        // The byte limit of a display line; a double-byte character that
        // would straddle it starts the next line whole.
        if (m_nPos - m_nLineStart + len > kMaxLineBytes)
            EmitLine(m_nPos, false);
        const size_t cur = m_nPos;
        m_nPos += len;
        m_nColumns += c == '\t' ? m_opt.nTabColumns : static_cast<int>(len);
        const size_t prevLen = m_nPrevCharLen;
        m_nPrevCharLen = len;
        if (!m_bWrap)
            continue;

        const size_t bytes = m_nPos - m_nLineStart;
        const bool isBreak = len == 2 ? IsDoubleByteBreak(c, static_cast<unsigned char>(s[cur + 1]))
                                      : IsSingleByteBreak(c, m_opt.bOldStyle);
        const bool wordAware = !m_opt.bOldStyle && !m_opt.bNoWordBreak;
        if (m_opt.bOldStyle) {
            if (isBreak)
                m_nBreak = m_nPos;
        } else if (wordAware && m_nLastWidth > m_nNearEnd) {
            if (prevLen == 2 && len == 1 && bytes >= 3)
                m_nBreak = cur;
            else if (isBreak)
                m_nBreak = m_nPos;
            else if (len == 2 && prevLen == 1 && bytes >= 3)
                m_nBreak = cur;
        }
        if (m_nColumns <= m_nBudget)
            continue;
        // Measured on whole characters only. Once a line is measured, only
        // what was added since is (a tab's width depends on where it
        // stands, so a tab makes the whole line measured again).
        if (m_nMeasuredTo > m_nLineStart &&
            !std::memchr(s.data() + m_nMeasuredTo, '\t', m_nPos - m_nMeasuredTo))
            m_nLastWidth += m_measure(s.data() + m_nMeasuredTo, static_cast<int>(m_nPos - m_nMeasuredTo));
        else
            m_nLastWidth = m_measure(s.data() + m_nLineStart, static_cast<int>(bytes));
        m_nMeasuredTo = m_nPos;
        if (m_nLastWidth <= width)
            continue;
        if (wordAware && IsBreakCharAt(m_nPos))
            continue;  // the punctuation that follows stays on this line
        // Cut at the break point, else before the character that overflowed;
        // punctuation that may not begin a line hangs at the end instead.
        size_t at = m_nPos;
        if (m_nBreak > m_nLineStart && m_nBreak <= m_nPos)
            at = m_nBreak;
        else if (cur > m_nLineStart && !(wordAware && isBreak))
            at = cur;
        EmitLine(at, true);
        m_nPos = at;
        // A wrapped line is never followed by an empty line.
        if (m_nPos < n && IsLineEnd(static_cast<unsigned char>(s[m_nPos])))
            m_nPos = SkipLineEnd(m_nPos);
        m_nLineStart = m_nPos;
    }
    if (m_nLineStart <= n && !(m_nLineStart == n && !m_pLines->empty() && m_pLines->back().wrapped))
        EmitLine(n, false);
    if (m_bWrap)
        m_nWidest = width > 100 ? width - 100 : 0;
    m_bDone = true;
    return true;
}
