#include "message/Base64.h"

#include <cstring>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

size_t EncodedLength(size_t n, int nLineLength)
{
    size_t groups = (n + 2) / 3;
    size_t len = groups * 4;
    if (nLineLength > 0) {
        size_t perLine = (static_cast<size_t>(nLineLength) + 3) / 4;  // groups until the length is reached
        len += (groups / perLine) * 2;
    }
    return len;
}

} // namespace

int CBase64::DecodeChar(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return 0;
}

std::string CBase64::EncodeToString(const void* pData, size_t n, int nLineLength)
{
    const unsigned char* p = static_cast<const unsigned char*>(pData);
    std::string out;
    out.reserve(EncodedLength(n, nLineLength));
    int column = 0;
    for (size_t i = 0; i < n; i += 3) {
        unsigned v = static_cast<unsigned>(p[i]) << 16;
        if (i + 1 < n)
            v |= static_cast<unsigned>(p[i + 1]) << 8;
        if (i + 2 < n)
            v |= p[i + 2];
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < n ? kAlphabet[(v >> 6) & 63] : '=';
        out += i + 2 < n ? kAlphabet[v & 63] : '=';
        column += 4;
        if (nLineLength > 0 && column >= nLineLength) {
            out += "\r\n";
            column = 0;
        }
    }
    return out;
}

int CBase64::Encode(const char* pSrc, char* pOut, int nOutSize, int nSrcLength, int nLineLength)
{
    if (!pSrc || !pOut)
        return 0;
    size_t n = nSrcLength < 0 ? strlen(pSrc) : static_cast<size_t>(nSrcLength);
    // The classic size test ignores line breaks and the NUL; the exact length
    // is checked as well so that nothing is ever written past the buffer.
    size_t classic = n / 3 * 4 + 4;
    size_t exact = EncodedLength(n, nLineLength) + 1;
    if (nOutSize < 0 || static_cast<size_t>(nOutSize) < classic || static_cast<size_t>(nOutSize) < exact)
        return 0;
    std::string s = EncodeToString(pSrc, n, nLineLength);
    memcpy(pOut, s.c_str(), s.size() + 1);
    return 1;
}

void CBase64::DecodeAppend(const char* pszText, size_t n, std::string& out)
{
    // Values of the alphabet's characters; anything else counts as 0.
    static const struct Table
    {
        unsigned char value[256];
        Table()
        {
            for (int c = 0; c < 256; c++)
                value[c] = static_cast<unsigned char>(DecodeChar(static_cast<char>(c)));
        }
    } table;
    const unsigned char* t = reinterpret_cast<const unsigned char*>(pszText);
    const unsigned char* v = table.value;
    // The output is sized once for the most the text can give, then cut.
    size_t start = out.size();
    out.resize(start + (n / 4 + 1) * 3);
    char* o = &out[start];
    size_t i = 0;
    // Whole groups of four with no "=" in them.
    while (i + 4 <= n && t[i + 1] != '=' && t[i + 2] != '=' && t[i + 3] != '=') {
        unsigned bits = (static_cast<unsigned>(v[t[i]]) << 18) | (static_cast<unsigned>(v[t[i + 1]]) << 12) |
                        (static_cast<unsigned>(v[t[i + 2]]) << 6) | v[t[i + 3]];
        o[0] = static_cast<char>(bits >> 16);
        o[1] = static_cast<char>(bits >> 8);
        o[2] = static_cast<char>(bits);
        o += 3;
        i += 4;
    }
    // The last group: a byte needs two characters; "=" or the end stops the
    // decoding.
    if (i + 1 < n && t[i + 1] != '=') {
        unsigned v2 = v[t[i + 1]];
        *o++ = static_cast<char>((v[t[i]] << 2) | (v2 >> 4));
        if (i + 2 < n && t[i + 2] != '=') {
            unsigned v3 = v[t[i + 2]];
            *o++ = static_cast<char>(((v2 & 15) << 4) | (v3 >> 2));
            if (i + 3 < n && t[i + 3] != '=')
                *o++ = static_cast<char>(((v3 & 3) << 6) | v[t[i + 3]]);
        }
    }
    out.resize(static_cast<size_t>(o - out.data()));
}

std::string CBase64::DecodeToString(const char* pszText, int nLength)
{
    std::string out;
    if (!pszText)
        return out;
    size_t n = nLength < 0 ? strlen(pszText) : static_cast<size_t>(nLength);
    out.reserve(n / 4 * 3 + 3);
    DecodeAppend(pszText, n, out);
    return out;
}

int CBase64::Decode(const char* pszText, char* pOut, int nOutSize)
{
    if (!pszText || !pOut || nOutSize <= 0)
        return -1;
    std::string s = DecodeToString(pszText);
    // Room for the bytes and the NUL after them.
    if (s.size() >= static_cast<size_t>(nOutSize))
        return -1;
    memcpy(pOut, s.data(), s.size());
    pOut[s.size()] = '\0';
    return static_cast<int>(s.size());
}

std::string CBase64::EncodeBody(const void* pData, size_t nLength)
{
    std::string out = EncodeToString(pData, nLength, 76);
    if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0)
        out += "\r\n";
    return out;
}
