// The rows of the keyword colour dialog and the table they are stored as.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

struct KeywordRow
{
    CString strKeyword;
    COLORREF crColor;
    bool bBold;
};

// "KeywordList.dat" as rows, in file order.
std::vector<KeywordRow> ReadKeywordRows(const char* pszPath);
// Rewrites the file from the rows, in their order; false when it could not
// be written.
bool WriteKeywordRows(const char* pszPath, const std::vector<KeywordRow>& rows);
// Why a row cannot be added or stored, or empty.
CString CheckKeywordRow(const KeywordRow& row);
