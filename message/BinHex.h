// BinHex 4.0 (the Macintosh transfer format): decoding only.
#pragma once

#include "classlib/ClassLib.h"

#include <string>

class CBinHex
{
public:
    virtual ~CBinHex() = default;

    // Decodes the text between the first ":" and the next one (line breaks
    // ignored), run-length expansion included. Returns the byte count, or -1
    // when the buffer is too small (nothing useful is left in it then).
    int Decode(const char* pszText, char* pOut, int nOutSize);
    static std::string DecodeToString(const char* pText, size_t nLength);
    // Writes the data fork under the file name stored in the BinHex header,
    // made valid, in the folder of pszPath. False when the file cannot be
    // created or the header is incomplete.
    static bool DecodeToFile(const char* pszText, const char* pszPath);
};
