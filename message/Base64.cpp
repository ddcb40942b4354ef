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

void CBase64::DecodeAppend(const char* t, size_t n, std::string& out)
{
    size_t i = 0;
    while (i < n) {
        // A byte needs two characters; "=" or the end stops the decoding.
        if (i + 1 >= n || t[i + 1] == '=')
            break;
        int v1 = DecodeChar(t[i]);
        int v2 = DecodeChar(t[i + 1]);
        out += static_cast<char>((v1 << 2) | (v2 >> 4));
        if (i + 2 >= n || t[i + 2] == '=')
            break;
        int v3 = DecodeChar(t[i + 2]);
        out += static_cast<char>(((v2 & 15) << 4) | (v3 >> 2));
        if (i + 3 >= n || t[i + 3] == '=')
            break;
        int v4 = DecodeChar(t[i + 3]);
        out += static_cast<char>(((v3 & 3) << 6) | v4);
        i += 4;
    }
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
