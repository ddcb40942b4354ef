// CMailLineEnds: mail files written by other programs may end their lines
// with LF or CR alone. Everything here reads and stores CR LF, so such a
// file is normalised before it is parsed or filed. The convention is what
// the text holds between its first non-NUL byte and the first NUL after it:
// any CR LF there means the text is kept as it is (mixed ends stay mixed),
// else CR alone or LF alone becomes CR LF. NUL bytes are dropped.
#pragma once

#include <cstddef>
#include <string>

class CMailLineEnds
{
public:
    enum Ends { endsCrLf, endsCr, endsLf, endsNone };

    // Feeds the text in pieces from its start; true once the convention is
    // known (no more pieces are needed).
    bool Scan(const char* pData, size_t nLength);
    Ends GetEnds() const;
    // Whether the text holds a byte that is not NUL.
    bool HasText() const { return m_bStarted; }

    // Appends a piece with its NUL bytes dropped and its line ends made
    // CR LF by the given convention.
    static void Append(std::string& out, const char* pData, size_t nLength, Ends ends);
    // The whole text normalised.
    static std::string ToCrLf(const std::string& text);

private:
    bool m_bStarted = false;
    bool m_bDone = false;
    bool m_bSawCr = false;
    bool m_bSawLf = false;
    bool m_bCrLf = false;
    char m_prev = '\0';
};
