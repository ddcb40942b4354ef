// Quoted-printable of RFC 2045 as the program writes and reads it.
#pragma once

#include "classlib/ClassLib.h"

#include <string>

class CQuotedPrintable
{
public:
    virtual ~CQuotedPrintable() = default;

    // Encodes the text keeping its lines: line breaks become CR LF, ESC and
    // "=" and every byte of 0x80 or more are written as "=xx" (a byte of 0x80
    // or more together with the byte after it, so a Shift_JIS pair is never
    // split). Stops before an item that would not fit with the NUL. Returns 1.
    int Encode(const char* pszText, char* pOut, int nOutSize);
    // Decodes into pOut, NUL-terminated, stopping when the buffer is full.
    // Returns the byte count.
    int Decode(const char* pszText, char* pOut, int nOutSize);

    static std::string EncodeToString(const char* pText, size_t nLength);
    // A body in the quoted-printable of RFC 2045: lines of at most 76
    // characters joined by soft breaks, the text's own line breaks as CR LF,
    // blanks before a line end and every byte that is not printable ASCII
    // written as "=XX".
    static std::string EncodeBody(const char* pText, size_t nLength);
    // Appends the decoding of text[0, nLength) to out. With bUnderscoreBlank
    // (the Q form of header words) "_" stands for a blank.
    static void DecodeAppend(const char* pText, size_t nLength, std::string& out, bool bUnderscoreBlank = false);
    static std::string DecodeToString(const char* pText, size_t nLength);
    // The value of a hexadecimal digit of either case, or -1.
    static int HexDigitValue(char c);
};
