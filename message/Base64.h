// Base64 of RFC 2045 over byte strings.
#pragma once

#include "classlib/ClassLib.h"

#include <string>

class CBase64
{
public:
    virtual ~CBase64() = default;

    // Encodes nSrcLength bytes (-1: up to the first NUL) into pOut, NUL
    // terminated, with a CR LF after the group of four characters at which a
    // line reaches nLineLength (-1: one line). Returns 0 without writing when
    // nOutSize cannot hold the result, else 1.
    int Encode(const char* pSrc, char* pOut, int nOutSize, int nSrcLength = -1, int nLineLength = -1);
    // Decodes one line of Base64 (line breaks are not skipped: callers split
    // lines first). Returns the byte count, the buffer NUL-terminated after
    // them, or -1 when the buffer is full before the text ends.
    int Decode(const char* pszText, char* pOut, int nOutSize);
    static int DecodeChar(char c);

    static std::string EncodeToString(const void* pData, size_t nLength, int nLineLength = -1);
    // A MIME body: lines of 76 characters, each (the last too) ended by CR LF.
    static std::string EncodeBody(const void* pData, size_t nLength);
    static std::string DecodeToString(const char* pszText, int nLength = -1);
    // Appends the decoding of text[0, nLength) to out.
    static void DecodeAppend(const char* pszText, size_t nLength, std::string& out);
};
