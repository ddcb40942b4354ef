// Header templates of "Headers.Box" and the macro language of reply and
// forward headers, read notifications and templates.
//
// Expansion is one pass over the template: each macro is replaced where it
// stands and the scan goes on behind what it inserted. A subject, a body or
// a header of a received mail is inserted as text, so a stranger's mail that
// carries "%BODY%", "%$X$%" or a date marker in its subject is never
// expanded again.
#include "core/QuendalApp.h"

#include "core/AccountDataSet.h"
#include "core/DateTimeFormats.h"
#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "core/TextFile.h"
#include "editor/SubjectPrefix.h"
#include "message/AddressList.h"
#include "message/MailMessage.h"
#include "message/OutgoingMailServices.h"
#include "resources/editor/EditorResource.h"
#include "store/MailIndexRecord.h"

#include <cstring>
#include <string>

namespace {

const char kHeadersBox[] = "Headers.Box";
// The forward header's Cc line, dropped whole when the mail has no Cc.
const char kCcLine[] = "CC：%CC%\r\n";

CString HeaderFilePath(CQuendalApp& app, const char* pszName)
{
    CString folder = CombinePath(app.GetMailBoxFolder(), kHeadersBox);
    if (!DirectoryExists(folder))
        CreateDirectoryPath(folder);
    return CombinePath(folder, pszName);
}

CString LoadHeaderFile(const CString& path, UINT nDefault)
{
    CString text;
    if (ReadTextFile(path, text))
        return text;
    text.LoadString(nDefault);
    return text;
}

// The user's locale form of a date and time.
CString FormatLocaleDateTime(int64_t t)
{
    SYSTEMTIME st;
    if (!CTime(t).GetAsSystemTime(st))
        return CString();
    char date[128] = "", time[128] = "";
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof(date)) ||
        !GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof(time)))
        return CString();
    return CString(date) + " " + time;
}

// An address list with a line break after every second address, the next
// line indented by one blank.
CString WrapAddressList(const CString& list)
{
    CString out;
    const char* s = list.GetString();
    const size_t length = static_cast<size_t>(list.GetLength());
    bool quoted = false;
    int commas = 0;
    for (size_t i = 0; i < length;) {
        size_t n = Mbcs::CharLength(s + i, length - i);
        char c = s[i];
        out.Append(s + i, static_cast<int>(n));
        i += n;
        if (n != 1)
            continue;
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted && ++commas == 2) {
            out += "\r\n";
            if (i < length)
                out += ' ';
            commas = 0;
        }
    }
    return out;
}

// The value of the first header whose upper-case name is the marker's name.
CString HeaderMarkerValue(const CMailMessage* pMessage, const std::string& name)
{
    if (!pMessage)
        return CString();
    for (int i = 0; i < pMessage->GetHeaderCount(); ++i) {
        const CMailHeader* h = pMessage->GetHeaderAt(i);
        if (!h)
            continue;
        CString upper = h->m_strName;
        upper.MakeUpper();
        if (upper.Str() == name)
            return h->m_strValue;
    }
    return CString();
}

// The first "$%" at or after a position, remembered so that a text full of
// unclosed markers is searched once, not once per marker.
class CloseFinder
{
public:
    explicit CloseFinder(const std::string& text) : m_text(text) {}
    size_t Find(size_t from)
    {
        if (!m_valid || from < m_from || (m_pos != std::string::npos && m_pos < from)) {
            m_pos = m_text.find("$%", from);
            m_from = from;
            m_valid = true;
        }
        return m_pos;
    }

private:
    const std::string& m_text;
    bool m_valid = false;
    size_t m_from = 0, m_pos = std::string::npos;
};

enum MacroId {
    mTemplate, mFrom, mFName, mFAddress, mReplyTo, mTo, mCc, mSubject, mNhSubject,
    mSendDateTime, mSendDate, mSendTime, mRecDateTime, mRecDate, mRecTime, mMessageId, mRAddress,
    mDateTime, mDate, mTime, mTZone, mBody, mRefBody,
};

struct Macro
{
    const char* text;
    MacroId id;
};

const Macro kMacros[] = {
    {"%TEMPLATE%", mTemplate}, {"%FROM%", mFrom}, {"%FNAME%", mFName}, {"%FADDRESS%", mFAddress},
    {"%REPLY-TO%", mReplyTo}, {"%TO%", mTo}, {"%CC%", mCc}, {"%SUBJECT%", mSubject},
    {"%NHSUBJECT%", mNhSubject}, {"%SENDDATETIME%", mSendDateTime}, {"%SENDDATE%", mSendDate},
    {"%SENDTIME%", mSendTime}, {"%RECDATETIME%", mRecDateTime}, {"%RECDATE%", mRecDate},
    {"%RECTIME%", mRecTime}, {"%MESSAGEID%", mMessageId}, {"%RADDRESS%", mRAddress},
    {"%DATETIME%", mDateTime}, {"%DATE%", mDate}, {"%TIME%", mTime}, {"%TZONE%", mTZone},
    {"%BODY%", mBody}, {"%REFBODY%", mRefBody},
};

const char kNowPrefix[] = "%FDATETIME$";
const char kSendPrefix[] = "%FSDATETIME$";
const char kRecvPrefix[] = "%FRDATETIME$";

bool StartsWith(const std::string& s, size_t pos, const char* psz, size_t n)
{
    return s.compare(pos, n, psz) == 0;
}

// One expansion: the mail, the settings and the times, fixed at the start.
class MacroExpander
{
public:
    MacroExpander(CQuendalApp& app, const CMailIndexRecord* pRecord, const char* pszBody, const char* pszRefBody,
                  int nKind, const CMailMessage* pMessage)
        : m_app(app), m_pRecord(pRecord), m_body(pszBody), m_refBody(pszRefBody), m_nKind(nKind),
          m_pMessage(pMessage)
    {
        m_formats = CDateTimeFormats::Read(app);
        m_now = CTime::GetCurrentTime().GetTime();
        if (pRecord && nKind != 5) {
            m_bSendTime = ReadTime(pRecord->GetText(CMailIndexRecord::colDate), m_sendTime);
            m_bRecvTime = ReadTime(pRecord->GetText(CMailIndexRecord::colReceived), m_recvTime);
        }
    }

    std::string Expand(const std::string& text, bool bTemplateAllowed)
    {
        std::string out;
        out.reserve(text.size());
        CloseFinder closes(text);
        const bool dropCcLine = m_pRecord && m_pRecord->GetText(CMailIndexRecord::colCc).IsEmpty();
        const size_t ccLineLength = strlen(kCcLine);
        for (size_t i = 0; i < text.size();) {
            if (dropCcLine && text[i] == kCcLine[0] && StartsWith(text, i, kCcLine, ccLineLength)) {
                i += ccLineLength;
                continue;
            }
            if (text[i] != '%') {
                size_t n = Mbcs::CharLength(text.data() + i, text.size() - i);
                out.append(text, i, n);
                i += n;
                continue;
            }
            size_t used = ExpandAt(text, i, closes, bTemplateAllowed, out);
            if (used == 0) {
                out += '%';
                used = 1;
            }
            i += used;
        }
        return out;
    }

private:
    static bool ReadTime(const CString& text, int64_t& t)
    {
        if (text.IsEmpty() || ParseDateText(text) == 0)
            return false;
        t = ParseDateToLocalTime(text);
        return true;
    }

    // Expands the macro or marker at text[i] into out; returns the bytes it
    // took, 0 when none starts there.
    size_t ExpandAt(const std::string& text, size_t i, CloseFinder& closes, bool bTemplateAllowed, std::string& out)
    {
        if (i + 1 < text.size() && text[i + 1] == '$')
            return ExpandHeaderMarker(text, i, closes, out);
        const char* prefixes[] = {kNowPrefix, kSendPrefix, kRecvPrefix};
        for (const char* prefix : prefixes) {
            size_t n = strlen(prefix);
            if (StartsWith(text, i, prefix, n))
                return ExpandDateMarker(text, i, n, prefix, closes, out);
        }
        for (const Macro& m : kMacros) {
            size_t n = strlen(m.text);
            if (!StartsWith(text, i, m.text, n))
                continue;
            if (m.id == mTemplate) {
                // The header file is a template of its own; its "%TEMPLATE%" stays.
                if (bTemplateAllowed && m_pRecord && IsHeaderKind())
                    out += Expand(HeaderForKind().Str(), false);
                else
                    out.append(m.text, n);
                return n;
            }
            if (m.id == mReplyTo && m_pRecord && !m_pMessage) {
                out.append(m.text, n);
                return n;
            }
            out += Value(m.id).Str();
            return n;
        }
        return 0;
    }

    size_t ExpandHeaderMarker(const std::string& text, size_t i, CloseFinder& closes, std::string& out)
    {
        // The closing "$%" may share the "$" of the opening one.
        size_t close = closes.Find(i + 1);
        if (close == std::string::npos)
            return 0;
        size_t nameStart = i + 2;
        std::string name = close > nameStart ? text.substr(nameStart, close - nameStart) : std::string();
        out += HeaderMarkerValue(m_pMessage, name).Str();
        return close + 2 - i;
    }

    size_t ExpandDateMarker(const std::string& text, size_t i, size_t prefixLength, const char* prefix,
                            CloseFinder& closes, std::string& out)
    {
        size_t formatStart = i + prefixLength;
        size_t close = closes.Find(formatStart);
        if (close == std::string::npos)
            return 0;
        std::string format = text.substr(formatStart, close - formatStart);
        const int64_t* t = nullptr;
        if (prefix == kNowPrefix)
            t = &m_now;
        else if (prefix == kSendPrefix && m_bSendTime)
            t = &m_sendTime;
        else if (prefix == kRecvPrefix && m_bRecvTime)
            t = &m_recvTime;
        if (t && !format.empty())
            out += CDateTimeFormats::FormatTimeValue(format.c_str(), *t).Str();
        return close + 2 - i;
    }

    bool IsHeaderKind() const
    {
        return m_nKind == 1 || m_nKind == 2 || m_nKind == 6 || m_nKind == 7 || m_nKind == 3 || m_nKind == 8;
    }

    CString HeaderForKind()
    {
        if (m_nKind == 1 || m_nKind == 2 || m_nKind == 6 || m_nKind == 7)
            return m_app.LoadRetHeader();
        if (m_nKind == 3 || m_nKind == 8)
            return m_app.LoadFwHeader();
        return CString();
    }

    CString DateTimeText(int64_t t) const
    {
        if (m_formats.IsCustom())
            return CDateTimeFormats::FormatTimeValue(m_formats.DateFormat() + " " + m_formats.TimeFormat(), t);
        return FormatLocaleDateTime(t);
    }
    CString DateText(int64_t t) const { return CDateTimeFormats::FormatTimeValue(m_formats.DateFormat(), t); }
    CString TimeText(int64_t t) const { return CDateTimeFormats::FormatTimeValue(m_formats.TimeFormat(), t); }

    CString Value(MacroId id)
    {
        switch (id) {
        case mDateTime: return DateTimeText(m_now);
        case mDate: return DateText(m_now);
        case mTime: return TimeText(m_now);
        case mTZone: return GetTimeZoneText();
        case mBody: return CString(m_body);
        case mRefBody: return CString(m_refBody);
        default: break;
        }
        if (!m_pRecord)
            return CString();
        const CMailIndexRecord& r = *m_pRecord;
        const CString& from = r.GetText(CMailIndexRecord::colFrom);
        switch (id) {
        case mFrom: return from;
        case mFName: {
            CString name = ExtractDisplayName(from);
            return name.IsEmpty() ? from : name;
        }
        case mFAddress: return ExtractMailAddress(from);
        case mReplyTo: {
            CString replyTo = m_pMessage->GetHeader("Reply-To");
            return replyTo.IsEmpty() ? from : replyTo;
        }
        case mTo: return WrapAddressList(r.GetText(CMailIndexRecord::colTo));
        case mCc: return WrapAddressList(r.GetText(CMailIndexRecord::colCc));
        case mSubject: return r.GetText(CMailIndexRecord::colSubject);
        case mNhSubject: return GetBareSubject(r.GetText(CMailIndexRecord::colSubject));
        case mSendDateTime: return m_bSendTime ? DateTimeText(m_sendTime) : CString();
        case mSendDate: return m_bSendTime ? DateText(m_sendTime) : CString();
        case mSendTime: return m_bSendTime ? TimeText(m_sendTime) : CString();
        case mRecDateTime: return m_bRecvTime ? DateTimeText(m_recvTime) : CString();
        case mRecDate: return m_bRecvTime ? DateText(m_recvTime) : CString();
        case mRecTime: return m_bRecvTime ? TimeText(m_recvTime) : CString();
        case mMessageId: return r.GetText(CMailIndexRecord::colMessageId);
        case mRAddress: return m_app.GetReceiveAddress(r.GetText(CMailIndexRecord::colAccount));
        default: return CString();
        }
    }

    CQuendalApp& m_app;
    const CMailIndexRecord* m_pRecord;
    const char* m_body;
    const char* m_refBody;
    int m_nKind;
    const CMailMessage* m_pMessage;
    CDateTimeFormats m_formats;
    int64_t m_now = 0, m_sendTime = 0, m_recvTime = 0;
    bool m_bSendTime = false, m_bRecvTime = false;
};

} // namespace

CString CQuendalApp::GetRetHeaderFilePath() { return HeaderFilePath(*this, "RetHeader.dat"); }
CString CQuendalApp::GetFwHeaderFilePath() { return HeaderFilePath(*this, "FwHeader.dat"); }
CString CQuendalApp::GetReadNotifyFilePath() { return HeaderFilePath(*this, "ReadNotify.dat"); }
CString CQuendalApp::GetReadNotifyMdnFilePath() { return HeaderFilePath(*this, "ReadNotifyMDN.dat"); }

CString CQuendalApp::LoadRetHeader() { return LoadHeaderFile(GetRetHeaderFilePath(), IDS_DEFAULT_RET_HEADER); }
CString CQuendalApp::LoadFwHeader() { return LoadHeaderFile(GetFwHeaderFilePath(), IDS_DEFAULT_FW_HEADER); }
CString CQuendalApp::LoadReadNotify() { return LoadHeaderFile(GetReadNotifyFilePath(), IDS_DEFAULT_READ_NOTIFY); }
CString CQuendalApp::LoadReadNotifyMdn()
{
    return LoadHeaderFile(GetReadNotifyMdnFilePath(), IDS_DEFAULT_READ_NOTIFY_MDN);
}

BOOL CQuendalApp::SaveRetHeader(const char* pszText) { return WriteTextFile(GetRetHeaderFilePath(), pszText); }
BOOL CQuendalApp::SaveFwHeader(const char* pszText) { return WriteTextFile(GetFwHeaderFilePath(), pszText); }
BOOL CQuendalApp::SaveReadNotify(const char* pszText) { return WriteTextFile(GetReadNotifyFilePath(), pszText); }
BOOL CQuendalApp::SaveReadNotifyMdn(const char* pszText)
{
    return WriteTextFile(GetReadNotifyMdnFilePath(), pszText);
}

CString CQuendalApp::ReplaceTemplateMacros(const char* pszTemplate, const CMailIndexRecord* pRecord,
                                           const char* pszBody, const char* pszRefBody, int nMailKind,
                                           const CMailMessage* pMessage)
{
    MacroExpander expander(*this, pRecord, pszBody ? pszBody : "", pszRefBody ? pszRefBody : "", nMailKind,
                           pMessage);
    return CString(expander.Expand(pszTemplate ? pszTemplate : "", true));
}

void CQuendalApp::ReplaceFormattedDateMacro(CString& text, const char* pszPrefix, const int64_t* pTime)
{
    if (!pszPrefix || !*pszPrefix)
        return;
    const std::string& s = text.Str();
    const size_t prefixLength = strlen(pszPrefix);
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t start = s.find(pszPrefix, pos);
        size_t close = start == std::string::npos ? start : s.find("$%", start + prefixLength);
        if (close == std::string::npos)
            break;
        out.append(s, pos, start - pos);
        std::string format = s.substr(start + prefixLength, close - start - prefixLength);
        if (pTime && !format.empty())
            out += CDateTimeFormats::FormatTimeValue(format.c_str(), *pTime).Str();
        pos = close + 2;
    }
    if (pos == 0)
        return;
    out.append(s, pos, std::string::npos);
    text = CString(out);
}

void CQuendalApp::ReplaceHeaderMarkers(CString& text, const CMailMessage* pMessage)
{
    const std::string& s = text.Str();
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t start = s.find("%$", pos);
        size_t close = start == std::string::npos ? start : s.find("$%", start + 1);
        if (close == std::string::npos)
            break;
        out.append(s, pos, start - pos);
        size_t nameStart = start + 2;
        out += HeaderMarkerValue(pMessage, close > nameStart ? s.substr(nameStart, close - nameStart) : "").Str();
        pos = close + 2;
    }
    if (pos == 0)
        return;
    out.append(s, pos, std::string::npos);
    text = CString(out);
}

CString CQuendalApp::FormatAddressList(const char* pszList)
{
    if (!pszList || m_bAddressDispOrgNoChange)
        return CString(pszList);
    CStringArray entries;
    ParseAddressList(pszList, &entries);
    CString out;
    for (int i = 0; i < entries.GetSize(); ++i) {
        if (i > 0)
            out += ",";
        CString name = ExtractDisplayName(entries[i]);
        CString address = ExtractMailAddress(entries[i]);
        // The display form: "name <address>" (mode 0), "address (name)"
        // (mode 1, the name unquoted), else, or without a name, the address.
        if (name.IsEmpty() || (m_nAddressDispType != 0 && m_nAddressDispType != 1))
            out += address;
        else if (m_nAddressDispType == 1)
            out += address + " (" + name + ")";
        else
            out += FormatMailAddress(name, address, 0);
    }
    return out;
}

CString CQuendalApp::GetReceiveAddress(const char* pszAccountText)
{
    CString text = pszAccountText;
    text.Trim();
    if (!text.IsEmpty() && m_pAccountDataSet) {
        const CAccountData* account = m_pAccountDataSet->FindAccountByName(text);
        if (account && !account->GetMailAddress().IsEmpty())
            return account->GetMailAddress();
    }
    return CString(pszAccountText);
}
