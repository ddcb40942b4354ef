// Date and time utilities: the normalised date text of mail headers
// ("%Y/%m/%d %H:%M:%S" and the sender's zone), conversions back to time
// values, the local zone text, new Date headers, priority header blocks, and
// the small text splitters and colour table of the same library.
//
// A "UTC value" is a time value whose fields, as the platform's local-time
// conversion writes them, show the UTC wall-clock time; a "local value" is an
// ordinary time value. The time-zone bias B is seconds west of UTC (Japan:
// -32400).
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>
#include <string_view>

// The program-wide bias: the application object's when one exists, else
// worked out from the platform's time-zone information.
long GetTimeZoneBias();
// The platform's bias: bias plus, while daylight time is in force, the
// daylight bias, times 60.
long ComputeTimeZoneBias();
// Forces a bias (tests, and code that runs without an application object);
// bEnable false returns to the normal source.
void OverrideTimeZoneBias(bool bEnable, long lBias = 0);

CString NormalizeDateHeader(const char* pszDate);
int64_t ParseDateText(const char* pszNormalized);
// The same for a text that need not end with a NUL (a column of a record).
int64_t ParseDateText(std::string_view normalized);
int64_t ParseDateToLocalTime(const char* pszNormalized);
CString ParseDateToUtcText(const char* pszNormalized);
CString FormatLocalTime(int64_t utcValue, const char* pszFormat = nullptr);
CString FormatDateTextAsLocal(const char* pszNormalized, const char* pszFormat = nullptr);
CString FormatTimeText(int64_t value);
CString FormatDateWithZone(int64_t value);
CString FormatRfc822Date(int64_t value);
CString FormatCtimeDate(int64_t value);
CString GetTimeZoneText();
CString GetPriorityHeaders(int nPriority);

bool SplitQuotedWords(const char* pszText, CStringArray* pWords);
void SplitQuotedPhrases(const char* pszText, CStringArray& phrases);
COLORREF GetStandardColor(int nIndex, bool bInverse);
CString GetTagText();
