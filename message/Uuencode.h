// uuencode, line by line.
#pragma once

#include "classlib/ClassLib.h"

#include <string>

class CUuencode
{
public:
    virtual ~CUuencode() = default;

    // Encodes the text's lines (split at CR and LF; empty lines vanish), each
    // as length character, groups of four characters and CR LF. Lines of more
    // than 45 bytes are written as several encoded lines. Returns 0 without
    // writing when nOutSize cannot hold the result, else 1.
    int Encode(const char* pszText, char* pOut, int nOutSize, int nLength = -1);
    // Decodes one encoded line into pOut (NUL-terminated, at most nOutSize - 1
    // bytes) and returns the byte count.
    int DecodeLine(char* pOut, int nOutSize, const char* pszLine);

    static std::string EncodeToString(const char* pText, size_t nLength);
    // Appends the decoding of one line (up to its CR, LF or nLength) to out.
    // The length character is only believed as far as the line carries data.
    static void DecodeLineAppend(const char* pLine, size_t nLength, std::string& out);
};
