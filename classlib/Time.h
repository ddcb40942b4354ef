// CTime: a point in time as 64-bit seconds since 1970-01-01 UTC. Broken-down
// fields and Format use the Windows time zone (not the C runtime's TZ).
#pragma once

#include "classlib/String.h"
#include "classlib/TimeSpan.h"

#include <windows.h>
#include <cstdint>
#include <ctime>

class CTime
{
public:
    CTime() = default;
    CTime(int64_t t) : m_time(t) {}
    // Local time fields; nDST is accepted for compatibility and ignored (the
    // Windows time-zone rules decide).
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);  // local time
    CTime(const FILETIME& ft);                   // UTC file time

    static CTime GetCurrentTime();

    int64_t GetTime() const { return m_time; }
    int GetYear() const { return Local().wYear; }
    int GetMonth() const { return Local().wMonth; }
    int GetDay() const { return Local().wDay; }
    int GetHour() const { return Local().wHour; }
    int GetMinute() const { return Local().wMinute; }
    int GetSecond() const { return Local().wSecond; }
    int GetDayOfWeek() const { return Local().wDayOfWeek + 1; }  // 1 = Sunday

    bool GetAsSystemTime(SYSTEMTIME& st) const;  // local time
    bool GetAsFileTime(FILETIME& ft) const;      // UTC
    struct tm* GetLocalTm(struct tm* ptm) const;
    struct tm* GetGmtTm(struct tm* ptm) const;

    // strftime-like codes: %a %A %b %B %c %d %H %I %j %m %M %p %S %U %w %x %X %y %Y %% (and %#d style).
    CString Format(const char* pszFormat) const;
    CString FormatGmt(const char* pszFormat) const;

    CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTimeSpan()); }
    CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTimeSpan()); }
    CTimeSpan operator-(CTime t) const { return CTimeSpan(m_time - t.m_time); }
    CTime& operator+=(CTimeSpan s) { m_time += s.GetTimeSpan(); return *this; }
    CTime& operator-=(CTimeSpan s) { m_time -= s.GetTimeSpan(); return *this; }
    bool operator==(CTime o) const { return m_time == o.m_time; }
    bool operator!=(CTime o) const { return m_time != o.m_time; }
    bool operator<(CTime o) const { return m_time < o.m_time; }
    bool operator>(CTime o) const { return m_time > o.m_time; }
    bool operator<=(CTime o) const { return m_time <= o.m_time; }
    bool operator>=(CTime o) const { return m_time >= o.m_time; }

private:
    SYSTEMTIME Local() const;
    SYSTEMTIME Utc() const;
    static CString FormatFields(const char* pszFormat, const SYSTEMTIME& st);

    int64_t m_time = 0;
};
