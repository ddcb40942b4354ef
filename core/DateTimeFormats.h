// CDateTimeFormats: how the user wants dates and times shown: the choice
// "Setting"/TimeFormatType (0 the system's own forms, any other value the
// two formats below) and the strftime formats FormatDate and FormatTime.
// The template macros and the mail list read them through this one reader.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>

class CMailApp;

class CDateTimeFormats
{
public:
    static CDateTimeFormats Read(CMailApp& app);
    CDateTimeFormats() = default;
    CDateTimeFormats(int nType, const char* pszDate, const char* pszTime)
        : m_nType(nType), m_strDate(pszDate), m_strTime(pszTime)
    {
    }

    // The user chose the two formats ("指定").
    bool IsCustom() const { return m_nType != 0; }
    // The formats in force for a date and for a time.
    CString DateFormat() const { return IsCustom() ? m_strDate : CString("%Y/%m/%d"); }
    CString TimeFormat() const { return IsCustom() ? m_strTime : CString("%H:%M:%S"); }
    // The date columns of the mail list: the user's date and time joined by
    // a blank; "%Y/%m/%d %H:%M:%S" without the choice or when the user's
    // formats are not ones the formatter knows.
    CString ListFormat() const;

    // Only conversions the time formatter knows; the C runtime's strftime
    // ends the program on some others.
    static bool IsValidFormat(const char* pszFormat);
    // A local time value in the format; empty for an invalid format or a
    // result longer than 127 bytes.
    static CString FormatTimeValue(const char* pszFormat, int64_t t);

private:
    int m_nType = 0;
    CString m_strDate = "%Y/%m/%d";
    CString m_strTime = "%H:%M:%S";
};
