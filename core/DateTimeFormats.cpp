#include "core/DateTimeFormats.h"

#include "core/MailApp.h"
#include "core/SettingDefaults.h"

#include <cstring>

namespace {

const char kListDefault[] = "%Y/%m/%d %H:%M:%S";
const int kMaxFormatted = 127;

} // namespace

CDateTimeFormats CDateTimeFormats::Read(CMailApp& app)
{
    return CDateTimeFormats(GetSettingInt(app, "Setting", "TimeFormatType"), GetSettingText(app, "Setting", "FormatDate"),
                            GetSettingText(app, "Setting", "FormatTime"));
}

CString CDateTimeFormats::ListFormat() const
{
    if (!IsCustom())
        return kListDefault;
    CString format = m_strDate + " " + m_strTime;
    format.Trim();
    return !format.IsEmpty() && IsValidFormat(format) ? format : CString(kListDefault);
}

bool CDateTimeFormats::IsValidFormat(const char* pszFormat)
{
    if (!pszFormat)
        return false;
    for (const char* p = pszFormat; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '#')
            ++p;
        if (!*p || !strchr("aAbBcdHIjmMpSUwxXyY%", *p))
            return false;
    }
    return true;
}

CString CDateTimeFormats::FormatTimeValue(const char* pszFormat, int64_t t)
{
    if (!IsValidFormat(pszFormat))
        return CString();
    CString s = CTime(t).Format(pszFormat);
    return s.GetLength() > kMaxFormatted ? CString() : s;
}
