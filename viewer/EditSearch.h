// CEditSearch: search and replace in the text of an edit control, on
// Shift-JIS bytes (a match never starts inside a double-byte character).
#pragma once

#include <string>

class CEditSearch
{
public:
    // The first match at or after nFrom (a character boundary);
    // std::string::npos when none.
    static size_t Find(const std::string& text, const std::string& what, size_t nFrom, bool bMatchCase);
    // Every match replaced; the number of replacements in *pCount.
    static std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with,
                                  bool bMatchCase, int* pCount);
};
