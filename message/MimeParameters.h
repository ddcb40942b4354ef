// CMimeParameters: the parameters after the type of a Content-Type or the
// word of a Content-Disposition, with the continuations and the extended
// values of RFC 2231 ("name*=UTF-8''%E8%A6%8B.pdf", "filename*0*=...",
// "filename*1=...") put together.
#pragma once

#include "classlib/ClassLib.h"

#include <string>
#include <vector>

class CMimeParameters
{
public:
    // Reads the parameters of the text: separated by ";" (blanks, tabs, line
    // breaks and quotes between them are passed over), each a name up to
    // "=", then a value in double quotes, or one that runs to the next ";"
    // (or the end) without the blanks at either end.
    void Parse(const char* pszText, size_t nLength);

    struct Value
    {
        std::string bytes;   // pieces joined in the order of their numbers, extended ones percent-decoded
        CString charset;     // of an extended value (before the first "'")
        bool bExtended = false;  // some piece was given in the extended form
    };
    // The named parameter (case-insensitive), false when it is not given.
    bool Find(const char* pszName, Value& value) const;

private:
    struct Piece
    {
        CString name;       // without the star and number
        int nSection = -1;  // the number of a continuation, -1 for none
        bool bExtended = false;
        std::string value;
    };
    std::vector<Piece> m_pieces;
};
