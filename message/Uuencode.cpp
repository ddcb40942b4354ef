#include "message/Uuencode.h"

#include <cstring>

namespace {

// Zero is written as a backquote rather than a blank so that trailing blanks
// cannot be lost on the way.
inline char EncodeSixBits(unsigned v) { return v == 0 ? '`' : static_cast<char>(v + 32); }
inline unsigned DecodeSixBits(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c) - 32) & 63; }

const size_t kMaxLineBytes = 45;

void EncodeLine(const unsigned char* p, size_t n, std::string& out)
{
    out += EncodeSixBits(static_cast<unsigned>(n % 64));
    for (size_t i = 0; i < n; i += 3) {
        unsigned v = static_cast<unsigned>(p[i]) << 16;
        if (i + 1 < n)
            v |= static_cast<unsigned>(p[i + 1]) << 8;
        if (i + 2 < n)
            v |= p[i + 2];
        out += EncodeSixBits((v >> 18) & 63);
        out += EncodeSixBits((v >> 12) & 63);
        out += EncodeSixBits((v >> 6) & 63);
        out += EncodeSixBits(v & 63);
    }
    out += "\r\n";
}

} // namespace

std::string CUuencode::EncodeToString(const char* pText, size_t n)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pText);
    std::string out;
    size_t i = 0;
    while (i < n) {
        size_t start = i;
        while (i < n && p[i] != '\r' && p[i] != '\n')
            ++i;
        for (size_t k = start; k < i; k += kMaxLineBytes)
            EncodeLine(p + k, (i - k) < kMaxLineBytes ? i - k : kMaxLineBytes, out);
        while (i < n && (p[i] == '\r' || p[i] == '\n'))
            ++i;
    }
    return out;
}

int CUuencode::Encode(const char* pszText, char* pOut, int nOutSize, int nLength)
{
    if (!pszText || !pOut || nOutSize <= 0)
        return 0;
    size_t n = nLength < 0 ? strlen(pszText) : static_cast<size_t>(nLength);
    std::string s = EncodeToString(pszText, n);
    if (static_cast<size_t>(nOutSize) < n / 3 * 4 + 4 || static_cast<size_t>(nOutSize) < s.size() + 1)
        return 0;
    memcpy(pOut, s.c_str(), s.size() + 1);
    return 1;
}

void CUuencode::DecodeLineAppend(const char* p, size_t n, std::string& out)
{
    if (n == 0 || p[0] == '\0' || p[0] == '\n')
        return;
    if (p[0] == '\r') {
        out += "\r\n";
        return;
    }
    size_t end = 1;
    while (end < n && p[end] != '\r' && p[end] != '\n' && p[end] != '\0')
        ++end;
    size_t want = DecodeSixBits(p[0]);
    size_t got = 0;
    for (size_t i = 1; i < end && got < want; i += 4) {
        size_t chars = end - i < 4 ? end - i : 4;
        if (chars < 2)
            break;
        unsigned v = 0;
        for (size_t k = 0; k < 4; ++k)
            v = (v << 6) | (k < chars ? DecodeSixBits(p[i + k]) : 0);
        // A group cut short yields only the bytes its characters determine.
        size_t bytes = chars - 1;
        for (size_t k = 0; k < bytes && got < want; ++k, ++got)
            out += static_cast<char>((v >> (16 - 8 * k)) & 0xFF);
    }
}

int CUuencode::DecodeLine(char* pOut, int nOutSize, const char* pszLine)
{
    if (!pOut || nOutSize <= 0)
        return 0;
    std::string s;
    if (pszLine)
        DecodeLineAppend(pszLine, strlen(pszLine), s);
    size_t n = s.size() < static_cast<size_t>(nOutSize) ? s.size() : static_cast<size_t>(nOutSize) - 1;
    memcpy(pOut, s.data(), n);
    pOut[n] = '\0';
    return static_cast<int>(n);
}
