#include "message/MailMessage.h"

#include "classlib/ByteSearch.h"
#include "classlib/Mbcs.h"
#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "message/AddressList.h"
#include "message/JapaneseCode.h"
#include "message/MailLineEnds.h"
#include "message/MimeParameters.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::atomic<FilterPatternHook> g_patternHook(nullptr);

const size_t kMaxTypeWord = 64;

inline bool IsIdeographicSpace(const char* p, size_t i, size_t end)
{
    return i + 1 < end && static_cast<unsigned char>(p[i]) == 0x81 && static_cast<unsigned char>(p[i + 1]) == 0x40;
}

// Skips blanks, tabs and ideographic spaces.
size_t SkipBlanksAt(const char* p, size_t i, size_t end)
{
    for (;;) {
        if (i < end && (p[i] == ' ' || p[i] == '\t'))
            ++i;
        else if (IsIdeographicSpace(p, i, end))
            i += 2;
        else
            return i;
    }
}

int AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<unsigned char>(c); }

// A header has dozens of names to be told from: most differ in the first
// letter, which is looked at before the whole name is compared.
bool NameIs(const CString& name, const char* what)
{
    return AsciiLower(name.GetString()[0]) == AsciiLower(what[0]) && name.CompareNoCase(what) == 0;
}

bool StartsWithNoCase(const char* text, const char* prefix) { return _strnicmp(text, prefix, strlen(prefix)) == 0; }

int MainTypeCode(const CString& t)
{
    if (t.IsEmpty() || NameIs(t, "text"))
        return kContentText;
    if (NameIs(t, "multipart"))
        return kContentMultipart;
    if (NameIs(t, "message"))
        return kContentMessage;
    if (NameIs(t, "application"))
        return kContentApplication;
    if (NameIs(t, "attachment"))
        return kContentAttachment;
    if (NameIs(t, "image"))
        return kContentImage;
    if (NameIs(t, "inline"))
        return kContentInline;
    return kContentOther;
}

int SubTypeCode(const CString& t)
{
    static const struct { const char* name; int code; } kSubTypes[] = {
        {"plain", kContentPlain},       {"richtext", kContentRichText},   {"html", kContentHtml},
        {"x-vcard", kContentVCard},     {"mixed", kContentMixed},         {"alternative", kContentAlternative},
        {"related", kContentRelated},   {"rfc822", kContentRfc822},       {"partial", kContentPartial},
        {"octet-stream", kContentOctetStream}, {"avi", kContentOctetStream}, {"mac-binhex40", kContentBinHex}};
    for (const auto& e : kSubTypes) {
        if (NameIs(t, e.name))
            return e.code;
    }
    return kContentUnknown;
}

int TransferEncodingCode(const CString& t)
{
    static const struct { const char* name; int code; } kCodes[] = {
        {"7bit", kEncoding7Bit}, {"8bit", kEncoding8Bit}, {"binary", kEncodingBinary},
        {"quoted-printable", kEncodingQuotedPrintable}, {"base64", kEncodingBase64}, {"X-uuencode", kEncodingUuencode}};
    CString s(t);
    s.Trim();
    for (const auto& e : kCodes) {
        if (NameIs(s, e.name))
            return e.code;
    }
    return kEncoding7Bit;
}

// Whether a fold is to be unfolded without a blank: between two adjacent
// encoded words (their blank is not part of the text), and inside an encoded
// word that a sender broke over two lines. Elsewhere the fold's blank
// separates words and stays. Only the line before the fold (from lineStart)
// is looked at, so that a long folded header stays linear.
bool FoldJoinsEncodedWord(const std::string& before, size_t lineStart, const char* after, size_t nAfter)
{
    bool endsWithWord = false;
    for (size_t i = before.find("=?", lineStart); i != std::string::npos; i = before.find("=?", i)) {
        // "=?charset?X?text?="
        size_t q1 = before.find('?', i + 2);
        size_t q2 = q1 == std::string::npos ? q1 : before.find('?', q1 + 1);
        size_t close = q2 == std::string::npos ? q2 : before.find("?=", q2 + 1);
        if (close == std::string::npos)
            return true;  // a word left open at the fold
        i = close + 2;
        endsWithWord = i == before.size();
    }
    return endsWithWord && nAfter >= 2 && after[0] == '=' && after[1] == '?';
}

// The last "<...>" of a value: the last ">" and the nearest "<" before it,
// at most 127 characters. One pass from the start, so that a "<" that is the
// second byte of a double-byte character is never taken.
CString LastAngleItem(const CString& v)
{
    int gt = v.ReverseFind('>');
    if (gt < 0)
        return CString();
    const char* p = v.GetString();
    size_t end = static_cast<size_t>(gt);
    int lt = -1;
    for (size_t i = 0; i < end; i += Mbcs::CharLength(p + i, end - i)) {
        if (p[i] == '<')
            lt = static_cast<int>(i);
    }
    if (lt < 0)
        return CString();
    return v.Mid(lt, gt - lt + 1 > 127 ? 127 : gt - lt + 1);
}

int PriorityFromValue(const CString& name, const CString& value)
{
    CString v(value);
    v.Trim();
    if (v.IsEmpty())
        return 3;
    if (NameIs(name, "X-Priority"))
        return (v[0] >= '0' && v[0] <= '9') ? v[0] - '0' : 0;
    if (NameIs(v, "low"))
        return 5;
    if (NameIs(v, "high"))
        return 1;
    return 3;
}

// Text in a charset of RFC 2231 or a header word, converted to Shift_JIS.
CString ConvertFromCharset(const std::string& bytes, const CString& charset)
{
    int n = static_cast<int>(bytes.size());
    if (charset.CompareNoCase("UTF-8") == 0)
        return Utf8ToAnsi(bytes.data(), n);
    if (charset.CompareNoCase("UTF-7") == 0)
        return Utf7ToAnsi(bytes.data(), n);
    if (charset.CompareNoCase("EUC-JP") == 0)
        return EucToSjis(bytes.data(), n);
    if (charset.CompareNoCase("Shift_JIS") == 0)
        return CString(bytes);
    if (UINT cp = GetCodePageOfCharset(charset))
        return ConvertCodePageToAnsi(bytes.data(), n, cp);
    // No charset (or one the machine cannot read): the bytes are raw text.
    return RawHeaderTextToSjis(bytes.data(), n);
}

const char* const kPrivateHeaders[] = {
    "X-ReceiveAcount", "X-SendAcount", "X-ForwordType", "X-SignName", "X-SetHeaders",
    "X-KeepFromAddress", "X-AttachFile", "X-Refer-Mail-Folder", "X-Refer-Mail-Handle",
    "X-Attach_To_Only", "X-Create_Folder_ID", "X-Cvm_Arc_Password", "X-Cvm_Arc_ID"};

} // namespace

FilterPatternHook SetFilterPatternHook(FilterPatternHook hook) { return g_patternHook.exchange(hook); }

bool IsPrivateHeader(const char* pszName, bool bIgnoreCase)
{
    if (!pszName)
        return false;
    for (const char* name : kPrivateHeaders) {
        if ((bIgnoreCase ? _stricmp(pszName, name) : strcmp(pszName, name)) == 0)
            return true;
    }
    return false;
}

std::string WithoutPrivateHeaders(const std::string& mail)
{
    std::string out;
    out.reserve(mail.size());
    bool bDropping = false;
    size_t pos = 0;
    while (pos < mail.size()) {
        size_t lf = mail.find('\n', pos);
        size_t end = lf == std::string::npos ? mail.size() : lf + 1;
        const char c = mail[pos];
        if (c == '\r' || c == '\n')
            break;  // the empty line: the body follows as it is
        if (c != ' ' && c != '\t') {
            size_t colon = mail.find(':', pos);
            bDropping = colon != std::string::npos && colon < end &&
                        IsPrivateHeader(mail.substr(pos, colon - pos).c_str(), true);
        }
        if (!bDropping)
            out.append(mail, pos, end - pos);
        pos = end;
    }
    out.append(mail, pos, std::string::npos);
    return out;
}

int CharsetNameToCode(const char* pszCharset)
{
    static const struct { const char* name; int code; } kCodes[] = {
        {"ISO-2022-JP", 0}, {"csISO2022JP", 0}, {"US-ASCII", 2}, {"UTF-7", 3}, {"UTF-8", 4}, {"EUC-JP", 5},
        {"ISO-8859-1", 10}, {"ISO-8859-2", 11}, {"ISO-8859-15", 12}, {"ISO-2022-KR", 13}, {"EUC-KR", 14},
        {"BIG5", 15}, {"GB2312", 16}, {"WINDOWS-1251", 17}, {"WINDOWS-1252", 18}, {"WINDOWS-1256", 19}};
    if (!pszCharset)
        return -1;
    for (const auto& e : kCodes) {
        if (_stricmp(pszCharset, e.name) == 0)
            return e.code;
    }
    return -1;
}

int CharsetNameToCode(const CMailMessage& message) { return CharsetNameToCode(message.m_strCharset); }

CMailMessage::CMailMessage()
    : m_pCodec(new CMimeCodec),
      m_nMainType(kContentText),
      m_nSubType(kContentPlain),
      m_nTransferEncoding(kEncoding7Bit),
      m_nPriority(-1),
      m_bHasAttachFile(false),
      m_strMediaType("text"),
      m_nPartialTotal(-1),
      m_nPartialNumber(-1),
      m_creationTime(0),
      m_bHasCreationTime(false),
      m_modificationTime(0),
      m_bHasModificationTime(false),
      m_bResent(false),
      m_nForwardType(-1),
      m_bKeepFromAddress(false),
      m_nCreateFolderId(0),
      m_bSetHeaders(false),
      m_bReadReceipt(false),
      m_bKeepRaw(false)
{
}

CMailMessage::~CMailMessage()
{
    DeleteHeaders();
    delete m_pCodec;
}

void CMailMessage::DeleteHeaders()
{
    for (int i = 0; i < m_headers.GetSize(); ++i)
        delete static_cast<CMailHeader*>(m_headers[i]);
    m_headers.RemoveAll();
}

void CMailMessage::ResetFields()
{
    // The attachment folder, the name parameter, the description, the
    // creating folder id, the file times and the read-receipt address keep
    // what an earlier parse left.
    m_nMainType = kContentText;
    m_nSubType = kContentPlain;
    m_nTransferEncoding = kEncoding7Bit;
    m_nPriority = -1;
    m_strReceiveAccount.Empty();
    m_strSendAccount.Empty();
    m_bHasAttachFile = false;
    m_strSubject.Empty();
    m_strRawSubject.Empty();
    m_strFrom.Empty();
    m_strReplyTo.Empty();
    m_strTo.Empty();
    m_strCc.Empty();
    m_strBcc.Empty();
    m_strDate.Empty();
    m_strRawDate.Empty();
    m_strMediaType.Empty();
    m_strSubTypeText.Empty();
    m_strContentId.Empty();
    m_strCharset.Empty();
    m_strBoundary.Empty();
    m_strMessageId.Empty();
    m_strReferenceId.Empty();
    m_strReferences.Empty();
    m_strMimeVersion.Empty();
    m_strTransferEncoding.Empty();
    m_strDisposition.Empty();
    m_strDispositionWord.Empty();
    m_strFileName.Empty();
    m_nPartialTotal = -1;
    m_nPartialNumber = -1;
    m_strPartialTotal.Empty();
    m_strPartialNumber.Empty();
    m_strPartialId.Empty();
    m_bResent = false;
    m_nForwardType = -1;
    m_bKeepFromAddress = false;
    m_strMailer.Empty();
    m_strSignName.Empty();
    m_bSetHeaders = false;
    m_bReadReceipt = false;
    m_attachPaths.RemoveAll();
}

bool CMailMessage::ParseHeaderText(const char* pszText)
{
    if (!pszText)
        return Parse("", 0);
    const char* cut = strstr(pszText, "\r\n\r\n");
    return Parse(pszText, cut ? static_cast<int>(cut - pszText) : -1);
}

bool CMailMessage::ParseFile(const char* pszPath)
{
    std::string text;
    if (!pszPath || !ReadWholeFile(pszPath, text))
        return false;
    // A file from another program may end its lines with LF or CR alone.
    if (text.find("\r\n") == std::string::npos)
        text = CMailLineEnds::ToCrLf(text);
    size_t cut = text.find("\r\n\r\n");
    if (cut == std::string::npos)
        cut = text.find("\r\n.\r\n");
    if (cut == std::string::npos)
        return false;
    return Parse(text.data(), static_cast<int>(cut));
}

size_t CMailMessage::ReadHeader(const char* t, size_t pos, size_t end, CMailHeader& header)
{
    const void* hit = ByteSearch::Find(t + pos, end - pos, ':');
    size_t colon = hit ? static_cast<size_t>(static_cast<const char*>(hit) - t) : end;
    // Lines without a colon in front of the name are dropped with it.
    size_t nameStart = pos;
    for (size_t i = colon; i > pos + 1; --i) {
        if (t[i - 2] == '\r' && t[i - 1] == '\n') {
            nameStart = i;
            break;
        }
    }
    header.m_strName = CString(t + nameStart, static_cast<int>(colon - nameStart));
    if (!hit) {
        header.m_strValue.Empty();
        if (m_bKeepRaw)
            header.m_strRaw = CString(t + nameStart, static_cast<int>(end - nameStart));
        return end;
    }
    size_t i = SkipBlanksAt(t, colon + 1, end);
    // Most headers are one line: their value converts straight from the
    // text, without gathering it first.
    size_t lineEnd = i;
    while (lineEnd < end && t[lineEnd] != '\r' && t[lineEnd] != '\n')
        ++lineEnd;
    if (lineEnd == end ||
        (t[lineEnd] == '\r' && lineEnd + 1 < end && t[lineEnd + 1] == '\n' &&
         !(lineEnd + 2 < end &&
           (t[lineEnd + 2] == ' ' || t[lineEnd + 2] == '\t' || IsIdeographicSpace(t, lineEnd + 2, end))))) {
        if (lineEnd > i)
            header.m_strValue = RawHeaderTextToSjis(t + i, static_cast<int>(lineEnd - i));
        else
            header.m_strValue.Empty();
        if (m_bKeepRaw)
            header.m_strRaw = CString(t + nameStart, static_cast<int>(lineEnd - nameStart));
        return lineEnd == end ? end : lineEnd + 2;
    }
    std::string value;
    size_t lineStart = 0;  // where the last line begins in value
    size_t segStart = i;
    size_t rawEnd = end;
    size_t next = end;
    while (i < end) {
        char c = t[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        value.append(t + segStart, i - segStart);
        if (c == '\r' && i + 1 < end && t[i + 1] == '\n') {
            size_t j = i + 2;
            if (j < end && (t[j] == ' ' || t[j] == '\t' || IsIdeographicSpace(t, j, end))) {
                i = SkipBlanksAt(t, j, end);
                segStart = i;
                if (!FoldJoinsEncodedWord(value, lineStart, t + i, end - i))
                    value += ' ';
                lineStart = value.size();
                continue;
            }
            rawEnd = i;
            next = j;
            segStart = i = end;
            break;
        }
        // A lone CR or LF joins the next line, whatever it begins with.
        i = SkipBlanksAt(t, i + 1, end);
        segStart = i;
    }
    if (segStart < end)
        value.append(t + segStart, end - segStart);
    if (!value.empty())
        header.m_strValue = RawHeaderTextToSjis(value.data(), static_cast<int>(value.size()));
    else
        header.m_strValue.Empty();
    if (m_bKeepRaw)
        header.m_strRaw = CString(t + nameStart, static_cast<int>(rawEnd - nameStart));
    return next;
}

bool CMailMessage::Parse(const char* pszText, int nLength)
{
    ResetFields();
    DeleteHeaders();
    const char* t = pszText ? pszText : "";
    size_t end = nLength < 0 ? strlen(t) : static_cast<size_t>(nLength);
    m_headers.Vector().reserve(16);  // room for a usual header without regrowing
    size_t pos = 0;
    for (;;) {
        if (pos < end && (t[pos] == ' ' || t[pos] == '\t' || t[pos] == '\r' || t[pos] == '\n'))
            ++pos;
        else if (IsIdeographicSpace(t, pos, end))
            pos += 2;
        else
            break;
    }
    while (pos < end) {
        CMailHeader* header = new CMailHeader;
        m_headers.Add(header);
        pos = ReadHeader(t, pos, end, *header);
        ApplyField(*header);
        // A value without an encoded word is already what decoding would
        // give (the raw text went through the same conversion above).
        if (!NameIs(header->m_strName, "Content-Type") && !NameIs(header->m_strName, "X-Content-Type") &&
            ByteSearch::FindInString(header->m_strValue, "=?"))
            header->m_strValue = m_pCodec->DecodeHeaderText(header->m_strValue);
    }
    FinishFields();
    return true;
}

void CMailMessage::ApplyField(CMailHeader& header)
{
    const CString& n = header.m_strName;
    const CString& v = header.m_strValue;
    if (NameIs(n, "X-ReceiveAcount"))
        m_strReceiveAccount = ExpandTabs(v);
    else if (NameIs(n, "X-SendAcount"))
        m_strSendAccount = ExpandTabs(v);
    else if (NameIs(n, "To"))
        m_strTo = ExpandTabs(v);
    else if (NameIs(n, "Cc"))
        m_strCc = ExpandTabs(v);
    else if (NameIs(n, "Bcc"))
        m_strBcc = ExpandTabs(v);
    else if (NameIs(n, "From"))
        m_strFrom = ExpandTabs(v);
    else if (NameIs(n, "Subject"))
        m_strSubject = v;
    else if (NameIs(n, "Date"))
        m_strDate = ExpandTabs(v);
    else if (NameIs(n, "Message-ID"))
        m_strMessageId = ExpandTabs(v);
    else if (NameIs(n, "In-Reply-To"))
        m_strReferenceId = ExpandTabs(LastAngleItem(v));
    else if (NameIs(n, "References")) {
        if (m_strReferenceId.IsEmpty())
            m_strReferenceId = ExpandTabs(LastAngleItem(v));
        m_strReferences = v;
    } else if (NameIs(n, "Reply-To"))
        m_strReplyTo = ExpandTabs(v);
    else if (NameIs(n, "MIME-Version"))
        m_strMimeVersion = ExpandTabs(v);
    else if (NameIs(n, "Content-Type") || NameIs(n, "X-Content-Type"))
        ParseContentType(ExpandTabs(v));
    else if (NameIs(n, "Content-Transfer-Encoding"))
        m_strTransferEncoding = ExpandTabs(v);
    else if (NameIs(n, "Content-Disposition"))
        m_strDisposition = ExpandTabs(v);
    else if (NameIs(n, "Content-Description"))
        m_strDescription = ExpandTabs(v);
    else if (NameIs(n, "Resent-From") || NameIs(n, "Resent-To"))
        m_bResent = true;
    else if (NameIs(n, "X-ForwordType"))
        m_nForwardType = atoi(ExpandTabs(v));
    else if (NameIs(n, "X-SignName"))
        m_strSignName = ExpandTabs(v);
    else if (NameIs(n, "X-Create_Folder_ID"))
        m_nCreateFolderId = atoi(ExpandTabs(v));
    else if (NameIs(n, "X-KeepFromAddress"))
        m_bKeepFromAddress = atoi(ExpandTabs(v)) != 0;
    else if (m_nPriority == -1 && (NameIs(n, "X-Priority") || NameIs(n, "X-MSMail-Priority") || NameIs(n, "Priority")))
        m_nPriority = PriorityFromValue(n, v);
    else if (NameIs(n, "Content-ID")) {
        int gt = v.Find('>');
        CString id = gt >= 0 ? v.Left(gt) : v;
        id.Remove('<');
        m_strContentId = ExpandTabs(m_strContentId + id);
    } else if (NameIs(n, "X-Mailer"))
        m_strMailer = ExpandTabs(v);
    else if (NameIs(n, "X-AttachFile"))
        m_bHasAttachFile = true;
    else if (NameIs(n, "X-AttachFileFolder"))
        m_strAttachFolder = m_pCodec->DecodeHeaderText(v);
    else if (NameIs(n, "X-SetHeaders"))
        m_bSetHeaders = true;
    else if (NameIs(n, "Disposition-Notification-To") || NameIs(n, "X-Confirm-Reading-To")) {
        m_bReadReceipt = true;
        m_strReadReceiptAddress = m_pCodec->DecodeHeaderText(v);
    } else if (NameIs(n, "X-Attach_File_Path"))
        m_attachPaths.Add(v);
}

void CMailMessage::ParseContentType(const char* pszValue)
{
    const char* p = pszValue;
    size_t n = strlen(p);
    size_t i = 0;
    while (i < n && !strchr("/; \t\r\n", p[i]))
        ++i;
    CString mainType(p, static_cast<int>(i < kMaxTypeWord ? i : kMaxTypeWord));
    CString subType;
    if (i < n && (p[i] == '/' || p[i] == ';')) {
        size_t start = ++i;
        while (i < n && !strchr("; \r\n\t", p[i]) && !IsIdeographicSpace(p, i, n))
            ++i;
        subType = CString(p + start, static_cast<int>(i - start < kMaxTypeWord ? i - start : kMaxTypeWord));
    }
    // "text" alone is read as text/plain, as other mail readers do.
    if (subType.IsEmpty() && NameIs(mainType, "text"))
        subType = "plain";
    m_strMediaType = mainType;
    m_strSubTypeText = subType;
    m_nMainType = MainTypeCode(mainType);
    m_nSubType = SubTypeCode(subType);

    CMimeParameters params;
    params.Parse(p + i, n - i);
    CMimeParameters::Value value;
    if (params.Find("boundary", value))
        m_strBoundary = CString(value.bytes);  // exactly as written
    struct Target
    {
        const char* name;
        CString* field;
    } const targets[] = {
        {"charset", &m_strCharset}, {"name", &m_strName},          {"filename", &m_strFileName},
        {"number", &m_strPartialNumber}, {"total", &m_strPartialTotal}, {"id", &m_strPartialId},
    };
    for (const Target& target : targets) {
        if (params.Find(target.name, value))
            *target.field = ParameterText(value);
    }
    // A charset name is one word; what follows it unquoted is a comment
    // ("charset=us-ascii (Plain text)").
    int cut = m_strCharset.FindOneOf(" \t(");
    if (cut >= 0)
        m_strCharset = m_strCharset.Left(cut);

    if (m_nSubType == kContentPartial) {
        if (!m_strPartialNumber.IsEmpty())
            m_nPartialNumber = atoi(m_strPartialNumber);
        if (!m_strPartialTotal.IsEmpty())
            m_nPartialTotal = atoi(m_strPartialTotal);
        if (!m_strPartialId.IsEmpty() && m_strPartialId[0] != '<')
            m_strPartialId = "<" + m_strPartialId + ">";
    }
}

void CMailMessage::ParseDisposition()
{
    const CString& d = m_strDisposition;
    int cut = d.FindOneOf(";\r\n");
    CString word = cut >= 0 ? d.Left(cut) : d;
    if (word.GetLength() > 128)
        word = word.Left(128);
    word.Trim();
    m_strDispositionWord = word;
    if (cut < 0 || d[cut] != ';')
        return;

    CString rest = d.Mid(cut + 1);
    CMimeParameters params;
    params.Parse(rest, static_cast<size_t>(rest.GetLength()));
    CMimeParameters::Value value;
    if (params.Find("filename", value)) {
        CString fileName = ParameterText(value);
        if (!fileName.IsEmpty())
            m_strFileName = fileName;
    }
    struct DateTarget
    {
        const char* name;
        int64_t* time;
        bool* given;
    } const dates[] = {
        {"creation-date", &m_creationTime, &m_bHasCreationTime},
        {"modification-date", &m_modificationTime, &m_bHasModificationTime},
    };
    for (const DateTarget& date : dates) {
        if (!params.Find(date.name, value))
            continue;
        CString text(value.bytes);
        text.Trim();
        CString normalized = NormalizeDateHeader(text);
        if (normalized.IsEmpty() || normalized[0] == ' ')
            continue;  // no date that exists
        // The file time is the real moment, as file systems keep it.
        *date.time = ParseDateToLocalTime(normalized);
        *date.given = true;
    }
}

CString CMailMessage::ParameterText(const CMimeParameters::Value& value) const
{
    if (value.bExtended)
        return ConvertFromCharset(value.bytes, value.charset);
    return m_pCodec->DecodeHeaderText(CString(value.bytes));
}

void CMailMessage::FinishFields()
{
    if (!m_strSubject.IsEmpty()) {
        m_strRawSubject = m_strSubject;
        m_strSubject = ExpandTabs(m_pCodec->DecodeHeaderText(m_strSubject));
    }
    if (!m_strDescription.IsEmpty())
        m_strDescription = m_pCodec->DecodeHeaderText(m_strDescription);
    for (CString* list : {&m_strTo, &m_strCc, &m_strBcc}) {
        if (list->IsEmpty())
            continue;
        CStringArray entries;
        ParseAddressList(m_pCodec->DecodeHeaderText(*list), &entries, false);
        CString joined;
        for (int k = 0; k < entries.GetSize(); ++k) {
            if (k)
                joined += ", ";
            joined += entries[k];
        }
        *list = ExpandTabs(joined);
    }
    for (CString* field : {&m_strFrom, &m_strReplyTo}) {
        if (!field->IsEmpty())
            *field = ExpandTabs(m_pCodec->DecodeHeaderText(*field));
    }
    if (!m_strDate.IsEmpty()) {
        m_strRawDate = m_strDate;
        m_strDate = NormalizeDateHeader(m_strDate);
    }
    if (m_strMediaType.IsEmpty())
        m_strMediaType = "text";
    m_strCharset.MakeUpper();
    if (!m_strDisposition.IsEmpty())
        ParseDisposition();
    m_nTransferEncoding = TransferEncodingCode(m_strTransferEncoding);
    if (m_strCharset.IsEmpty() && !m_strRawSubject.IsEmpty()) {
        m_strCharset = m_pCodec->DecodeHeaderText(m_strRawSubject, true);
        m_strCharset.MakeUpper();
    }
}

int CMailMessage::GetDispositionCode() const
{
    if (NameIs(m_strDispositionWord, "attachment"))
        return kContentAttachment;
    if (NameIs(m_strDispositionWord, "inline"))
        return kContentInline;
    return kContentUnknown;
}

bool CMailMessage::IsDigest() const
{
    return m_nMainType == kContentMultipart && NameIs(m_strSubTypeText, "digest");
}

void CMailMessage::DefaultToEnclosedMail()
{
    for (int i = 0; i < m_headers.GetSize(); ++i) {
        const CString& name = GetHeaderAt(i)->m_strName;
        if (NameIs(name, "Content-Type") || NameIs(name, "X-Content-Type"))
            return;
    }
    m_strMediaType = "message";
    m_strSubTypeText = "rfc822";
    m_nMainType = kContentMessage;
    m_nSubType = kContentRfc822;
}

CString CMailMessage::GetHeader(const char* pszName) const
{
    for (int i = 0; i < m_headers.GetSize(); ++i) {
        CMailHeader* h = GetHeaderAt(i);
        if (NameIs(h->m_strName, pszName))
            return h->m_strValue;
    }
    return CString();
}

void CMailMessage::AddHeader(const char* pszName, const char* pszValue)
{
    CMailHeader* h = new CMailHeader;
    h->m_strName = pszName;
    h->m_strValue = pszValue;
    m_headers.Add(h);
}

namespace {

// Replaces the value of the charset parameter in a Content-Type text, or
// appends the parameter when there is none.
CString ReplaceCharsetParameter(const CString& text, const char* pszCharset)
{
    CString upper(text);
    upper.MakeUpper();
    int at = upper.Find("CHARSET");
    int eq = at >= 0 ? text.Find('=', at) : -1;
    if (at < 0 || eq < 0)
        return text + "; charset=" + pszCharset;
    int i = eq + 1;
    while (i < text.GetLength() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    int end;
    bool quoted = i < text.GetLength() && text[i] == '"';
    if (quoted) {
        end = text.Find('"', i + 1);
        end = end < 0 ? text.GetLength() : end + 1;
    } else {
        end = i;
        while (end < text.GetLength() && !strchr(" \t\r\n;", text[end]))
            ++end;
    }
    return text.Left(i) + (quoted ? CString("\"") + pszCharset + "\"" : CString(pszCharset)) + text.Mid(end);
}

} // namespace

void CMailMessage::SetCharset(const char* pszCharset)
{
    if (!pszCharset)
        return;
    for (int i = 0; i < m_headers.GetSize(); ++i) {
        CMailHeader* h = GetHeaderAt(i);
        if (NameIs(h->m_strName, "Content-Type") || NameIs(h->m_strName, "X-Content-Type")) {
            h->m_strValue = ReplaceCharsetParameter(h->m_strValue, pszCharset);
            if (!h->m_strRaw.IsEmpty())
                h->m_strRaw = ReplaceCharsetParameter(h->m_strRaw, pszCharset);
            m_strCharset = pszCharset;
            m_strCharset.MakeUpper();
            return;
        }
    }
}

CString CMailMessage::GetHeaderText() const
{
    CString text;
    for (int i = 0; i < m_headers.GetSize(); ++i) {
        CMailHeader* h = GetHeaderAt(i);
        if (m_bKeepRaw && !h->m_strRaw.IsEmpty())
            text += h->m_strRaw;
        else
            text += h->m_strName + ": " + h->m_strValue;
        text += "\r\n";
    }
    return text;
}

CString CMailMessage::GetArcID() const { return GetHeader("X-Cvm_Arc_ID"); }

CString CMailMessage::GetArcPassword(const CPtrArray& headers)
{
    for (int i = 0; i < headers.GetSize(); ++i) {
        CMailHeader* h = static_cast<CMailHeader*>(headers[i]);
        if (NameIs(h->m_strName, "X-Cvm_Arc_Password"))
            return h->m_strValue;
    }
    return CString();
}

CString CMailMessage::ExtractAddress(const char* pszText)
{
    CString t(pszText);
    int lt = t.ReverseFind('<');
    if (lt < 0)
        return CString();
    int gt = t.Find('>', lt + 1);
    CString inner = gt >= 0 ? t.Mid(lt + 1, gt - lt - 1) : t.Mid(lt + 1);
    return inner.GetLength() > 127 ? inner.Left(127) : inner;
}

bool CMailMessage::MatchCondition(const char* pszText, const char* pszHeaderName, bool bEmptyNameResult,
                                  bool bNegate) const
{
    if (!pszHeaderName || !*pszHeaderName)
        return bNegate ? !bEmptyNameResult : bEmptyNameResult;
    CString text(pszText);
    CString upperText(text);
    upperText.MakeUpper();
    bool toCc = _stricmp(pszHeaderName, "To-CC") == 0;
    FilterPatternHook hook = g_patternHook.load();
    bool hit = false;
    for (int i = 0; i < m_headers.GetSize() && !hit; ++i) {
        CMailHeader* h = GetHeaderAt(i);
        bool selected = toCc ? (NameIs(h->m_strName, "To") || NameIs(h->m_strName, "Cc"))
                             : NameIs(h->m_strName, pszHeaderName);
        if (!selected)
            continue;
        bool match = false;
        if (hook && hook(text, h->m_strValue, &match)) {
            hit = match;
            continue;
        }
        CString upperValue(h->m_strValue);
        upperValue.MakeUpper();
        hit = upperValue.Find(upperText) >= 0;
    }
    return bNegate ? !hit : hit;
}

CString CMailMessage::GetHeaderCharset(const char* pszHeaderText)
{
    m_strCharset.Empty();
    const char* t = pszHeaderText ? pszHeaderText : "";
    size_t n = strlen(t);
    size_t pos = 0;
    while (pos < n) {
        if (StartsWithNoCase(t + pos, "Content-Type") || StartsWithNoCase(t + pos, "X-Content-Type")) {
            CMailHeader header;
            pos = ReadHeader(t, pos, n, header);
            ParseContentType(ExpandTabs(header.m_strValue));
            if (m_nMainType == kContentText && m_nSubType == kContentPlain)
                break;
            continue;
        }
        const char* lf = static_cast<const char*>(memchr(t + pos, '\n', n - pos));
        pos = lf ? static_cast<size_t>(lf - t) + 1 : n;
    }
    m_strCharset.MakeUpper();
    return m_strCharset;
}
