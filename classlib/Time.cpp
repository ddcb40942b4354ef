#include "classlib/Time.h"

namespace {

const int64_t kEpochDiff = 116444736000000000LL;  // 1601-01-01 to 1970-01-01 in 100 ns
// The years a SYSTEMTIME holds, and the seconds of 1601-01-02 to 30827-12-31
// (a day's margin either way for the time zone).
const int kMinYear = 1601;
const int kMaxYear = 30827;
const int64_t kMinSeconds = -11644473600LL + 86400;
const int64_t kMaxSeconds = 910670515199LL - 86400;

FILETIME ToFileTime(int64_t t)
{
    // Beyond these the product below would overflow.
    if (t < kMinSeconds)
        t = kMinSeconds;
    else if (t > kMaxSeconds)
        t = kMaxSeconds;
    ULARGE_INTEGER u;
    u.QuadPart = static_cast<ULONGLONG>(t * 10000000LL + kEpochDiff);
    FILETIME ft;
    ft.dwLowDateTime = u.LowPart;
    ft.dwHighDateTime = u.HighPart;
    return ft;
}

int64_t FromFileTime(const FILETIME& ft)
{
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    return (static_cast<int64_t>(u.QuadPart) - kEpochDiff) / 10000000LL;
}

const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                               "August", "September", "October", "November", "December"};

// The zone rules of the machine, as the conversions below use them. Asking
// the platform for them costs far more than the conversion itself (a sort
// of a large folder converts every mail's date), so each thread keeps the
// rules it read for a second before it reads them again.
const TIME_ZONE_INFORMATION* CurrentZone()
{
    struct Cache
    {
        TIME_ZONE_INFORMATION zone;
        ULONGLONG readAt;
        bool valid;
    };
    static thread_local Cache cache{};
    ULONGLONG now = GetTickCount64();
    if (!cache.valid || now - cache.readAt >= 1000) {
        cache.valid = GetTimeZoneInformation(&cache.zone) != TIME_ZONE_ID_INVALID;
        cache.readAt = now;
    }
    return cache.valid ? &cache.zone : nullptr;
}

int DayOfYear(const SYSTEMTIME& st)
{
    static const int cum[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    int y = st.wYear;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    int m = st.wMonth >= 1 && st.wMonth <= 12 ? st.wMonth : 1;
    return cum[m - 1] + st.wDay + (leap && m > 2 ? 1 : 0);
}

} // namespace

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int /*nDST*/)
{
    // Normalise overflowing fields the way mktime does, through a day count.
    // Everything is counted in 64 bits, and a result outside what a file
    // time can hold is no time at all (-1): fields read from a mail may be
    // anything.
    m_time = -1;
    int64_t months = static_cast<int64_t>(nMonth) - 1;
    int64_t y = static_cast<int64_t>(nYear) + months / 12;
    int64_t mon = months % 12;
    if (mon < 0) {
        mon += 12;
        --y;
    }
    if (nYear < kMinYear || nYear > kMaxYear || y < kMinYear || y > kMaxYear)
        return;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mon + 1);
    st.wDay = 1;
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft))
        return;
    int64_t localSeconds = FromFileTime(ft) + (static_cast<int64_t>(nDay) - 1) * 86400 +
                           static_cast<int64_t>(nHour) * 3600 + static_cast<int64_t>(nMin) * 60 + nSec;
    if (localSeconds < kMinSeconds || localSeconds > kMaxSeconds)
        return;
    // Local to UTC through the Windows time-zone rules.
    FILETIME lft = ToFileTime(localSeconds);
    SYSTEMTIME local, utc;
    FileTimeToSystemTime(&lft, &local);
    if (!TzSpecificLocalTimeToSystemTime(CurrentZone(), &local, &utc)) {
        m_time = localSeconds;
        return;
    }
    FILETIME uft;
    SystemTimeToFileTime(&utc, &uft);
    m_time = FromFileTime(uft);
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST)
{
}

CTime::CTime(const FILETIME& ft) : m_time(FromFileTime(ft))
{
}

CTime CTime::GetCurrentTime()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return CTime(ft);
}

SYSTEMTIME CTime::Utc() const
{
    FILETIME ft = ToFileTime(m_time);
    SYSTEMTIME st{};
    FileTimeToSystemTime(&ft, &st);
    return st;
}

SYSTEMTIME CTime::Local() const
{
    SYSTEMTIME utc = Utc();
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(CurrentZone(), &utc, &local))
        return utc;
    return local;
}

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    st = Local();
    return true;
}

bool CTime::GetAsFileTime(FILETIME& ft) const
{
    ft = ToFileTime(m_time);
    return true;
}

static struct tm* FillTm(const SYSTEMTIME& st, struct tm* ptm)
{
    if (!ptm)
        return nullptr;
    ptm->tm_year = st.wYear - 1900;
    ptm->tm_mon = st.wMonth - 1;
    ptm->tm_mday = st.wDay;
    ptm->tm_hour = st.wHour;
    ptm->tm_min = st.wMinute;
    ptm->tm_sec = st.wSecond;
    ptm->tm_wday = st.wDayOfWeek;
    ptm->tm_yday = DayOfYear(st) - 1;
    ptm->tm_isdst = 0;
    return ptm;
}

struct tm* CTime::GetLocalTm(struct tm* ptm) const
{
    return FillTm(Local(), ptm);
}

struct tm* CTime::GetGmtTm(struct tm* ptm) const
{
    return FillTm(Utc(), ptm);
}

CString CTime::Format(const char* pszFormat) const
{
    return FormatFields(pszFormat, Local());
}

CString CTime::FormatGmt(const char* pszFormat) const
{
    return FormatFields(pszFormat, Utc());
}

CString CTime::FormatFields(const char* fmt, const SYSTEMTIME& st)
{
    CString out;
    if (!fmt)
        return out;
    for (const char* p = fmt; *p; ++p) {
        if (*p != '%' || !p[1]) {
            out += *p;
            continue;
        }
        ++p;
        bool noPad = false;
        if (*p == '#' && p[1]) {
            noPad = true;
            ++p;
        }
        const char* two = noPad ? "%d" : "%02d";
        CString f;
        switch (*p) {
        case 'a': f = CString(kDays[st.wDayOfWeek % 7], 3); break;
        case 'A': f = kDays[st.wDayOfWeek % 7]; break;
        case 'b': f = CString(kMonths[(st.wMonth + 11) % 12], 3); break;
        case 'B': f = kMonths[(st.wMonth + 11) % 12]; break;
        case 'c': f = FormatFields("%m/%d/%y %H:%M:%S", st); break;
        case 'd': f.Format(two, st.wDay); break;
        case 'H': f.Format(two, st.wHour); break;
        case 'I': f.Format(two, st.wHour % 12 == 0 ? 12 : st.wHour % 12); break;
        case 'j': f.Format(noPad ? "%d" : "%03d", DayOfYear(st)); break;
        case 'm': f.Format(two, st.wMonth); break;
        case 'M': f.Format(two, st.wMinute); break;
        case 'p': f = st.wHour < 12 ? "AM" : "PM"; break;
        case 'S': f.Format(two, st.wSecond); break;
        case 'U': f.Format(two, (DayOfYear(st) - 1 + 7 - st.wDayOfWeek) / 7); break;
        case 'w': f.Format("%d", st.wDayOfWeek); break;
        case 'x': f = FormatFields("%m/%d/%y", st); break;
        case 'X': f = FormatFields("%H:%M:%S", st); break;
        case 'y': f.Format(two, st.wYear % 100); break;
        case 'Y': f.Format("%d", st.wYear); break;
        case '%': f = "%"; break;
        default: f += '%'; f += *p; break;
        }
        out += f;
    }
    return out;
}
