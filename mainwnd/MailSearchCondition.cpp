#include "mainwnd/MailSearchCondition.h"

#include "core/DateTimeUtil.h"

#include <cstdlib>

namespace {

bool Filled(const CString& s)
{
    CString t = s;
    t.Trim();
    return !t.IsEmpty();
}

void CompleteOne(CString& year, CString& month, CString& day, const SYSTEMTIME& today)
{
    bool y = Filled(year), m = Filled(month), d = Filled(day);
    if (y) {
        if (!m)
            month = "1";
        if (!d)
            day = "1";
    } else if (m) {
        year = FormatString("%d", today.wYear);
        if (!d)
            day = "1";
    } else if (d) {
        year = FormatString("%d", today.wYear);
        month = FormatString("%d", today.wMonth);
    }
}

bool Complete(const CString& year, const CString& month, const CString& day)
{
    return Filled(year) && Filled(month) && Filled(day);
}

} // namespace

void CMailSearchCondition::CompleteDates(const SYSTEMTIME& today)
{
    CompleteOne(dateText[fromYear], dateText[fromMonth], dateText[fromDay], today);
    CompleteOne(dateText[toYear], dateText[toMonth], dateText[toDay], today);
    bool fromComplete = Complete(dateText[fromYear], dateText[fromMonth], dateText[fromDay]);
    bool toComplete = Complete(dateText[toYear], dateText[toMonth], dateText[toDay]);
    if (fromComplete && !toComplete) {
        dateText[toYear] = FormatString("%d", today.wYear);
        dateText[toMonth] = FormatString("%d", today.wMonth);
        dateText[toDay] = FormatString("%d", today.wDay);
    } else if (toComplete && !fromComplete) {
        dateText[fromYear] = "1980";
        dateText[fromMonth] = "1";
        dateText[fromDay] = "1";
    }
}

bool CMailSearchCondition::HasDateRange() const
{
    for (const CString& s : dateText)
        if (!Filled(s))
            return false;
    return true;
}

void CMailSearchCondition::GetDateRange(int64_t& from, int64_t& to) const
{
    // Midnight of the program's time zone as a time value.
    long bias = GetTimeZoneBias();
    from = DayStart(atoi(dateText[fromYear]), atoi(dateText[fromMonth]), atoi(dateText[fromDay])) + bias;
    to = DayStart(atoi(dateText[toYear]), atoi(dateText[toMonth]), atoi(dateText[toDay])) + 24 * 3600 + bias;
}

int64_t CMailSearchCondition::DayStart(int nYear, int nMonth, int nDay)
{
    if (nYear < 1 || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31)
        return 0;
    // Days from 1970-01-01 of the proleptic Gregorian calendar.
    int64_t y = nYear - (nMonth <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t mp = (nMonth + 9) % 12;
    int64_t doy = (153 * mp + 2) / 5 + nDay - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t days = era * 146097 + doe - 719468;
    return days * 24 * 3600;
}
