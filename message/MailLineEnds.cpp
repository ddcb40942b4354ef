#include "message/MailLineEnds.h"

bool CMailLineEnds::Scan(const char* p, size_t n)
{
    for (size_t i = 0; i < n && !m_bDone; ++i) {
        char c = p[i];
        if (!m_bStarted) {
            if (c == '\0')
                continue;
            m_bStarted = true;
        } else if (c == '\0') {
            m_bDone = true;  // files of other programs are sometimes padded with NUL bytes
            break;
        }
        if (c == '\n' && m_prev == '\r') {
            m_bCrLf = true;
            m_bDone = true;
            break;
        }
        m_bSawCr |= c == '\r';
        m_bSawLf |= c == '\n';
        m_prev = c;
    }
    return m_bDone;
}

CMailLineEnds::Ends CMailLineEnds::GetEnds() const
{
    if (m_bCrLf)
        return endsCrLf;
    return m_bSawCr ? endsCr : m_bSawLf ? endsLf : endsNone;
}

void CMailLineEnds::Append(std::string& out, const char* p, size_t n, Ends ends)
{
    out.reserve(out.size() + n + n / 32);
    for (size_t i = 0; i < n; ++i) {
        char c = p[i];
        if (c == '\0')
            continue;
        if ((ends == endsCr && c == '\r') || (ends == endsLf && c == '\n'))
            out += "\r\n";
        else
            out += c;
    }
}

std::string CMailLineEnds::ToCrLf(const std::string& text)
{
    CMailLineEnds scan;
    scan.Scan(text.data(), text.size());
    std::string out;
    Append(out, text.data(), text.size(), scan.GetEnds());
    return out;
}
