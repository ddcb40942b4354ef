#include "message/DotStuffer.h"

void CDotStuffer::Append(std::string& out, const char* pData, size_t nLength)
{
    for (size_t i = 0; i < nLength; ++i) {
        char c = pData[i];
        if (m_bLineStart && c == '.')
            out += '.';
        out += c;
        m_bLineStart = c == '\n';
    }
}

std::string CDotStuffer::Stuff(const char* pData, size_t nLength)
{
    std::string out;
    out.reserve(nLength + 16);
    CDotStuffer stuffer;
    stuffer.Append(out, pData, nLength);
    return out;
}

std::string CDotStuffer::Undo(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    bool bLineStart = true;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (bLineStart && c == '.' && i + 1 < text.size() && text[i + 1] == '.') {
            bLineStart = false;
            continue;  // the added dot; the one after it is the line's own
        }
        out += c;
        bLineStart = c == '\n';
    }
    return out;
}
