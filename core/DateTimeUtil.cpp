#include "core/DateTimeUtil.h"

#include "classlib/Mbcs.h"
#include "core/QuendalApp.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

std::atomic<bool> g_biasOverridden(false);
std::atomic<long> g_biasOverride(0);

const char kDefaultFormat[] = "%Y/%m/%d %H:%M:%S";

bool IsAllDigits(const std::string& w)
{
    if (w.empty())
        return false;
    for (char c : w) {
        if (!isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// The number a run of digits gives, capped far above every field's range so
// that no count overflows (atoi's result is undefined beyond int).
int FieldNumber(const std::string& w)
{
    long long n = 0;
    for (char c : w) {
        if (!isdigit(static_cast<unsigned char>(c)))
            break;
        if (n < 1000000)
            n = n * 10 + (c - '0');
    }
    return static_cast<int>(n);
}

// Fields a date can be made of. A day or time field a little past its range
// ("31 Apr", "24:00") is carried over into the next, as the platform's
// conversion does; one beyond two digits is no date at all.
bool FieldsInRange(int year, int month, int day, int hour, int minute, int second)
{
    auto twoDigits = [](int v) { return v >= 0 && v <= 99; };
    return year >= 1601 && year <= 30827 && month >= 1 && month <= 12 && twoDigits(day) && twoDigits(hour) &&
           twoDigits(minute) && twoDigits(second);
}

int MonthFromName(const std::string& w)
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (w.size() >= 3) {
        for (int i = 0; i < 12; ++i) {
            if (_strnicmp(w.c_str(), kMonths[i], 3) == 0)
                return i + 1;
        }
    }
    return 13;
}

// Words of a Date header; each read cuts at its own delimiters.
class WordReader
{
public:
    explicit WordReader(const std::string& s) : m_s(s) {}
    std::string Next(const char* delimiters)
    {
        while (m_pos < m_s.size() && (strchr(delimiters, m_s[m_pos]) || m_s[m_pos] == ',' || m_s[m_pos] == '\t'))
            ++m_pos;
        size_t start = m_pos;
        while (m_pos < m_s.size() && !strchr(delimiters, m_s[m_pos]) && m_s[m_pos] != '\t')
            m_pos += Mbcs::CharLength(m_s.data() + m_pos, m_s.size() - m_pos);
        return m_s.substr(start, m_pos - start);
    }
    bool AtEnd() const { return m_pos >= m_s.size(); }

private:
    const std::string& m_s;
    size_t m_pos = 0;
};

int WidenYear(const std::string& word)
{
    int year = FieldNumber(word);
    // Only years written with fewer than four digits are widened: "1 Jan 1970"
    // must stay 1970.
    if (word.size() < 4) {
        if (year < 80)
            year += 2000;
        else if (year < 1980)
            year += 1900;
    }
    return year;
}

int64_t MakeValue(int y, int mo, int d, int h, int mi, int s) { return CTime(y, mo, d, h, mi, s).GetTime(); }

struct DateFields
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::string_view zone;  // the text after the seconds, as written
};

// atoi over a field of fixed width: blanks, a sign, then digits.
int FixedFieldNumber(const char* p, size_t len)
{
    size_t i = 0;
    while (i < len && (p[i] == ' ' || (p[i] >= '\t' && p[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < len && (p[i] == '+' || p[i] == '-'))
        negative = p[i++] == '-';
    int n = 0;
    for (; i < len && p[i] >= '0' && p[i] <= '9'; ++i)
        n = n * 10 + (p[i] - '0');
    return negative ? -n : n;
}

// Reads a normalised date text ("%Y/%m/%d %H:%M:%S" and a zone) in place:
// a large folder's sort reads every mail's date this way.
bool ReadFixedFields(std::string_view s, DateFields& f, bool bSkipBlanks)
{
    s = s.substr(0, 64);
    if (s.size() < 19)
        return false;
    auto field = [&](size_t pos, size_t len) { return FixedFieldNumber(s.data() + pos, len); };
    f.year = field(0, 4);
    f.month = field(5, 2);
    f.day = field(8, 2);
    f.hour = field(11, 2);
    f.minute = field(14, 2);
    f.second = field(17, 2);
    size_t pos = 19;
    if (bSkipBlanks) {
        for (;;) {
            if (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
                ++pos;
            else if (pos + 1 < s.size() && static_cast<unsigned char>(s[pos]) == 0x81 &&
                     static_cast<unsigned char>(s[pos + 1]) == 0x40)
                pos += 2;
            else
                break;
        }
    }
    f.zone = s.substr(pos);
    return f.year > 0 && FieldsInRange(f.year, f.month, f.day, f.hour, f.minute, f.second);
}

// Whether a zone text begins with a three-letter name, in any case.
bool ZoneStartsWith(std::string_view zone, const char* name)
{
    if (zone.size() < 3)
        return false;
    for (size_t i = 0; i < 3; ++i) {
        char c = zone[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != name[i])
            return false;
    }
    return true;
}

// Seconds to add to a time in the given numeric zone to reach UTC.
int64_t NumericZoneShift(std::string_view zone)
{
    char five[6] = {0};
    zone.copy(five, 5);
    int z = atoi(five);
    if (z > 0)
        return -(static_cast<int64_t>(z / 100) * 3600 + (z % 100) * 60);
    if (z < 0)
        return static_cast<int64_t>(-z / 100) * 3600 + ((-z) % 100) * 60;
    return 0;
}

} // namespace

long ComputeTimeZoneBias()
{
    TIME_ZONE_INFORMATION tzi{};
    DWORD r = GetTimeZoneInformation(&tzi);
    long bias = tzi.Bias;
    if (r == TIME_ZONE_ID_DAYLIGHT)
        bias += tzi.DaylightBias;
    return bias * 60;
}

long GetTimeZoneBias()
{
    if (g_biasOverridden)
        return g_biasOverride;
    if (CQuendalApp* app = QuendalApp())
        return app->m_lTimeZoneBias;
    return ComputeTimeZoneBias();
}

void OverrideTimeZoneBias(bool bEnable, long lBias)
{
    g_biasOverride = lBias;
    g_biasOverridden = bEnable;
}

CString NormalizeDateHeader(const char* pszDate)
{
    if (!pszDate)
        return CString(" ");
    std::string s(pszDate, strnlen(pszDate, 127));
    if (s.size() == 127 && Mbcs::IsTrailByteAt(pszDate, 128, 127))
        s.pop_back();
    WordReader r(s);
    const char* const kTime = " :";
    int day = 0, month = 13, year = 0, hour = 0, minute = 0, second = 0;
    bool haveTime = false;
    std::string yearWord, pendingZone;

    auto readClock = [&](bool withSeconds) {
        std::string h = r.Next(kTime);
        std::string m = r.Next(kTime);
        if (!IsAllDigits(h) || !IsAllDigits(m))
            return;
        hour = FieldNumber(h);
        minute = FieldNumber(m);
        haveTime = true;
        if (withSeconds) {
            std::string sec = r.Next(kTime);
            // "12:34 +0900": no seconds, the zone follows at once.
            if (IsAllDigits(sec))
                second = FieldNumber(sec);
            else
                pendingZone = sec;
        }
    };

    std::string w1 = r.Next(" ,");
    if (IsAllDigits(w1)) {
        day = FieldNumber(w1);
        month = MonthFromName(r.Next(kTime));
        yearWord = r.Next(kTime);
        readClock(true);
    } else if (w1.size() > 3) {
        // "Sunday, 06-Nov-94 08:49:37 GMT"
        day = FieldNumber(r.Next(" -"));
        month = MonthFromName(r.Next(" -"));
        yearWord = r.Next(" -");
        readClock(true);
    } else {
        std::string w2 = r.Next(kTime);
        if (IsAllDigits(w2)) {
            day = FieldNumber(w2);
            month = MonthFromName(r.Next(kTime));
            yearWord = r.Next(kTime);
            readClock(true);
        } else {
            // ctime: "Sun Nov  6 08:49:37 1994", or with the year before the time.
            month = MonthFromName(w2);
            day = FieldNumber(r.Next(kTime));
            std::string w4 = r.Next(kTime);
            if (w4.size() <= 2) {
                if (IsAllDigits(w4)) {
                    hour = FieldNumber(w4);
                    std::string m = r.Next(kTime);
                    std::string sec = r.Next(kTime);
                    if (IsAllDigits(m)) {
                        minute = FieldNumber(m);
                        second = FieldNumber(sec);
                        haveTime = true;
                    }
                    yearWord = r.Next(kTime);
                }
            } else {
                yearWord = w4;
                readClock(true);
            }
        }
    }

    std::string zone;
    if (!pendingZone.empty())
        zone += pendingZone + " ";
    for (;;) {
        std::string w = r.Next(kTime);
        if (w.empty())
            break;
        zone += w + " ";
    }

    CString datePart;
    if (IsAllDigits(yearWord))
        year = WidenYear(yearWord);
    if (haveTime && year > 1900 && FieldsInRange(year, month, day, hour, minute, second)) {
        CTime t(year, month, day, hour, minute, second);
        if (t.GetTime() != -1)
            datePart = t.Format(kDefaultFormat);
    }
    return datePart + " " + CString(zone);
}

int64_t ParseDateText(const char* pszNormalized)
{
    if (!pszNormalized)
        return 0;
    return ParseDateText(std::string_view(pszNormalized, strnlen(pszNormalized, 64)));
}

int64_t ParseDateText(std::string_view normalized)
{
    DateFields f;
    if (!ReadFixedFields(normalized, f, true))
        return 0;
    int64_t t = MakeValue(f.year, f.month, f.day, f.hour, f.minute, f.second);
    if (f.zone.empty())
        return t + GetTimeZoneBias();
    if (ZoneStartsWith(f.zone, "GMT"))
        return t;
    if (ZoneStartsWith(f.zone, "JST"))
        return t - 9 * 3600;
    return t + NumericZoneShift(f.zone);
}

int64_t ParseDateToLocalTime(const char* pszNormalized)
{
    return ParseDateText(pszNormalized) - GetTimeZoneBias();
}

CString ParseDateToUtcText(const char* pszNormalized)
{
    DateFields f;
    if (!pszNormalized || !ReadFixedFields(std::string_view(pszNormalized, strnlen(pszNormalized, 64)), f, true))
        return CString();
    int64_t t = MakeValue(f.year, f.month, f.day, f.hour, f.minute, f.second);
    CString zone(std::string(f.zone));
    zone.MakeUpper();
    if (zone.Find("JST") >= 0)
        t -= 9 * 3600;
    else if (zone.Find("GMT") < 0 && !zone.IsEmpty())
        t += NumericZoneShift(f.zone);
    return CTime(t).Format(kDefaultFormat);
}

CString FormatLocalTime(int64_t utcValue, const char* pszFormat)
{
    const char* fmt = (pszFormat && *pszFormat) ? pszFormat : kDefaultFormat;
    return CTime(utcValue - GetTimeZoneBias()).Format(fmt);
}

CString FormatDateTextAsLocal(const char* pszNormalized, const char* pszFormat)
{
    return FormatLocalTime(ParseDateText(pszNormalized), pszFormat);
}

CString FormatTimeText(int64_t value) { return CTime(value).Format(kDefaultFormat); }

CString FormatDateWithZone(int64_t value)
{
    return FormatString("%s %s", CTime(value).Format(kDefaultFormat).GetString(), GetTimeZoneText().GetString());
}

CString FormatRfc822Date(int64_t value)
{
    return FormatString("%s %s", CTime(value).Format("%a, %d %b %Y %H:%M:%S").GetString(),
                        GetTimeZoneText().GetString());
}

CString FormatCtimeDate(int64_t value) { return CTime(value).Format("%a %b %d %H:%M:%S %Y"); }

CString GetTimeZoneText()
{
    long b = GetTimeZoneBias();
    if (b < 0)
        return FormatString("+%02ld%02ld", b / -3600, (-b % 3600) / 60);
    return FormatString("-%02ld%02ld", b / 3600, (b % 3600) / 60);
}

CString GetPriorityHeaders(int nPriority)
{
    switch (nPriority) {
    case 0:
        return "X-Priority: 1\r\nX-MSMail-Priority: High\r\nPriority: high\r\n";
    case 1:
        return "X-Priority: 2\r\nX-MSMail-Priority: High\r\nPriority: high\r\n";
    case 3:
        return "X-Priority: 4\r\nX-MSMail-Priority: Low\r\nPriority: low\r\n";
    case 4:
        return "X-Priority: 5\r\nX-MSMail-Priority: Low\r\nPriority: low\r\n";
    default:
        return CString();
    }
}

bool SplitQuotedWords(const char* pszText, CStringArray* pWords)
{
    if (!pszText || !pWords)
        return false;
    std::string s(pszText);
    s += ' ';
    std::string word;
    bool quoted = false;
    for (size_t i = 0; i < s.size();) {
        size_t len = Mbcs::CharLength(s.data() + i, s.size() - i);
        char c = s[i];
        if (len == 1 && c == '"')
            quoted = !quoted;
        if (len == 1 && c == ' ' && !quoted) {
            CString w(word);
            if (w.GetLength() > 0 && w[0] == '"')
                w = w.Mid(1);
            if (w.GetLength() > 0 && w[w.GetLength() - 1] == '"' &&
                !Mbcs::IsTrailByteAt(w, static_cast<size_t>(w.GetLength()), static_cast<size_t>(w.GetLength() - 1)))
                w = w.Left(w.GetLength() - 1);
            w.Trim();
            if (!w.IsEmpty())
                pWords->Add(w);
            word.clear();
        } else {
            word.append(s, i, len);
        }
        i += len;
    }
    return true;
}

void SplitQuotedPhrases(const char* pszText, CStringArray& phrases)
{
    if (!pszText)
        return;
    size_t n = strlen(pszText);
    std::string piece;
    auto flush = [&]() {
        CString w(piece);
        w.Trim();
        if (!w.IsEmpty())
            phrases.Add(w);
        piece.clear();
    };
    for (size_t i = 0; i < n;) {
        unsigned char c = static_cast<unsigned char>(pszText[i]);
        if (c == '"') {
            flush();
            const char* close = strchr(pszText + i + 1, '"');
            size_t end = close ? static_cast<size_t>(close - pszText) : n;
            CString phrase(pszText + i + 1, static_cast<int>(end - i - 1));
            if (!phrase.IsEmpty())
                phrases.Add(phrase);
            i = close ? end + 1 : n;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            flush();
            ++i;
            continue;
        }
        if (c == 0x81 && i + 1 < n && static_cast<unsigned char>(pszText[i + 1]) == 0x40) {
            flush();
            i += 2;
            continue;
        }
        size_t len = Mbcs::CharLength(pszText + i, n - i);
        piece.append(pszText + i, len);
        i += len;
    }
    flush();
}

COLORREF GetStandardColor(int nIndex, bool bInverse)
{
    static const COLORREF kPalette[] = {0x7F0000, 0x007F00, 0x7F7F00, 0x00007F, 0x7F007F,
                                        0x007F7F, 0x7F7F7F, 0x3F3F3F, 0xFF0000, 0x00FF00,
                                        0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    if (bInverse) {
        if (nIndex == 14)
            return 0xFF0000;
        if (nIndex == 15)
            return 0x000000;
        return 0xFFFFFF;
    }
    if (nIndex >= 1 && nIndex <= 15)
        return kPalette[nIndex - 1];
    return 0x000000;
}

CString GetTagText() { return CString("F1"); }
