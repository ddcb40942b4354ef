#include "viewer/EditSearch.h"

#include "classlib/Mbcs.h"

namespace {

bool SameByte(char a, char b, bool bMatchCase)
{
    if (bMatchCase)
        return a == b;
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return up(a) == up(b);
}

bool MatchAt(const std::string& text, size_t pos, const std::string& what, bool bMatchCase)
{
    if (text.size() - pos < what.size())
        return false;
    for (size_t i = 0; i < what.size();) {
        size_t n = Mbcs::CharLength(what.data() + i, what.size() - i);
        if (n == 2) {
            if (text[pos + i] != what[i] || text[pos + i + 1] != what[i + 1])
                return false;
        } else if (!SameByte(text[pos + i], what[i], bMatchCase)) {
            return false;
        }
        i += n;
    }
    return true;
}

} // namespace

size_t CEditSearch::Find(const std::string& text, const std::string& what, size_t nFrom, bool bMatchCase)
{
    if (what.empty())
        return std::string::npos;
    // nFrom is a character boundary: the start, or the end of a match or a selection.
    for (size_t pos = nFrom; pos < text.size(); pos += Mbcs::CharLength(text.data() + pos, text.size() - pos)) {
        if (MatchAt(text, pos, what, bMatchCase))
            return pos;
    }
    return std::string::npos;
}

std::string CEditSearch::ReplaceAll(const std::string& text, const std::string& what, const std::string& with,
                                    bool bMatchCase, int* pCount)
{
    std::string out;
    int count = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t hit = Find(text, what, pos, bMatchCase);
        if (hit == std::string::npos)
            break;
        out.append(text, pos, hit - pos);
        out += with;
        pos = hit + what.size();
        ++count;
    }
    out.append(text, pos < text.size() ? pos : text.size(), std::string::npos);
    if (pCount)
        *pCount = count;
    return out;
}
