#include "viewer/TextSelection.h"

#include "classlib/Mbcs.h"

#include <algorithm>

namespace {

size_t CharLen(const std::string& s, size_t pos)
{
    return Mbcs::CharLength(s.data() + pos, s.size() - pos);
}

bool IsSingleByteKatakana(unsigned char c)
{
    return c >= 0xA6 && c <= 0xDF;
}

// Upper-cases single-byte letters only; a trail byte is never touched.
std::string UpperSingleBytes(const std::string& s)
{
    std::string out = s;
    for (size_t i = 0; i < out.size();) {
        size_t n = CharLen(out, i);
        if (n == 1 && out[i] >= 'a' && out[i] <= 'z')
            out[i] = static_cast<char>(out[i] - 'a' + 'A');
        i += n;
    }
    return out;
}

} // namespace

bool CTextSelection::IsEmpty() const
{
    if (!m_start.IsSet() || !m_end.IsSet())
        return true;
    return m_start.nLine == m_end.nLine && m_end.nCol <= m_start.nCol;
}

void CTextSelection::Order()
{
    if (!m_start.IsSet() || !m_end.IsSet())
        return;
    bool swap = m_start.nLine == m_end.nLine ? m_end.nCol < m_start.nCol : m_end.nLine < m_start.nLine;
    if (swap)
        std::swap(m_start, m_end);
}

void CTextSelection::DragTo(const TextPos& pos)
{
    m_start = m_anchor;
    m_end = pos;
    Order();
}

void CTextSelection::SelectAll(const std::vector<CTextLine>& lines)
{
    if (lines.empty()) {
        Clear();
        return;
    }
    m_start = {0, 0};
    m_end = {static_cast<int>(lines.size()) - 1, static_cast<int>(lines.back().text.size())};
    m_anchor = m_start;
}

std::string CTextSelection::GetText(const std::vector<CTextLine>& lines) const
{
    if (IsEmpty() || lines.empty())
        return std::string();
    TextPos a = m_start, b = m_end;
    const int last = static_cast<int>(lines.size()) - 1;
    if (a.nLine > last)
        return std::string();
    b.nLine = std::min(b.nLine, last);
    auto clampCol = [&](int line, int col) {
        return static_cast<size_t>(std::min<size_t>(static_cast<size_t>(std::max(col, 0)),
                                                    lines[static_cast<size_t>(line)].text.size()));
    };
    if (a.nLine == b.nLine) {
        size_t from = clampCol(a.nLine, a.nCol), to = clampCol(b.nLine, b.nCol);
        return to > from ? lines[static_cast<size_t>(a.nLine)].text.substr(from, to - from) : std::string();
    }
    std::string out;
    for (int i = a.nLine; i <= b.nLine; ++i) {
        const CTextLine& line = lines[static_cast<size_t>(i)];
        size_t from = i == a.nLine ? clampCol(i, a.nCol) : 0;
        size_t to = i == b.nLine ? clampCol(i, b.nCol) : line.text.size();
        if (to > from)
            out.append(line.text, from, to - from);
        if (i != b.nLine && !line.wrapped)
            out += "\r\n";
    }
    return out;
}

int CTextSelection::ColumnAt(const std::string& text, int x, const MeasureFn& measure)
{
    if (x <= 11)
        return 0;
    size_t col = 0;
    while (col < text.size()) {
        if (x - 8 < measure(text, static_cast<int>(col)) + 4)
            return static_cast<int>(col);
        col += CharLen(text, col);
    }
    return static_cast<int>(text.size());
}

int CTextSelection::CharClass(unsigned char lead, unsigned char trail)
{
    if (Mbcs::IsLeadByte(lead)) {
        if (lead == 0x81)
            return 7;
        if (lead == 0x82 && trail >= 0x9F && trail <= 0xF1)
            return 4;
        if (lead == 0x83 && trail >= 0x40 && trail <= 0x96)
            return 5;
        return 6;
    }
    if ((lead >= '0' && lead <= '9') || (lead >= 'A' && lead <= 'Z') || (lead >= 'a' && lead <= 'z') ||
        IsSingleByteKatakana(lead))
        return 1;
    return 3;
}

void CTextSelection::WordAt(const std::string& text, int nCol, int* pFrom, int* pTo)
{
    // Groups are found from the start of the line, so that a double-byte
    // character is never entered in its middle.
    size_t groupStart = 0;
    int cls = 0;
    size_t pos = 0;
    const size_t target = static_cast<size_t>(std::max(nCol, 0));
    while (pos < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[pos]);
        size_t n = CharLen(text, pos);
        unsigned char trail = n == 2 ? static_cast<unsigned char>(text[pos + 1]) : 0;
        bool startsNew;
        int now = CharClass(c, trail);
        if (pos == 0) {
            startsNew = true;
        } else if (n == 1 && (c == '-' || c == '_')) {
            startsNew = false;
            now = cls;
        } else if (now == 7) {
            // The prolonged sound mark and the odd low trail bytes carry on
            // the group; any other double-byte symbol is a group of its own.
            startsNew = !(trail == 0x5B || trail < 0x40);
            if (!startsNew)
                now = cls;
        } else if (n == 1 && c >= 0xA1 && c <= 0xA5) {
            startsNew = true;
        } else {
            startsNew = now != cls;
        }
        if (startsNew) {
            if (pos > target)
                break;
            groupStart = pos;
        }
        cls = now;
        pos += n;
    }
    // pos stops at the start of the group after the one holding the column.
    *pFrom = static_cast<int>(groupStart);
    *pTo = static_cast<int>(std::min(pos, text.size()));
}

bool CTextSelection::Find(const std::vector<CTextLine>& lines, const std::string& what, bool bDown, bool bMatchCase,
                          long long nLastHit, TextFindHit& hit)
{
    if (what.empty())
        return false;
    const std::string key = bMatchCase ? what : UpperSingleBytes(what);
    long long offset = 0;
    bool found = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& raw = lines[i].text;
        const std::string text = bMatchCase ? raw : UpperSingleBytes(raw);
        for (size_t pos = 0; pos + key.size() <= text.size(); pos += CharLen(text, pos)) {
            if (text.compare(pos, key.size(), key) != 0)
                continue;
            long long at = offset + static_cast<long long>(pos);
            if (bDown) {
                if (at > nLastHit) {
                    hit = {static_cast<int>(i), static_cast<int>(pos), static_cast<int>(key.size()), at};
                    return true;
                }
            } else {
                if (nLastHit < 0 || at >= nLastHit)
                    return found;
                hit = {static_cast<int>(i), static_cast<int>(pos), static_cast<int>(key.size()), at};
                found = true;
            }
        }
        offset += static_cast<long long>(raw.size());
    }
    return found;
}
