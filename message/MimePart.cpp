#include "message/MimePart.h"

#include "classlib/ByteSearch.h"
#include "message/JapaneseCode.h"

#include <cstring>
#include <string_view>

CMimePart::~CMimePart()
{
    for (int i = 0; i < m_children.GetSize(); ++i)
        delete static_cast<CMimePart*>(m_children[i]);
}

bool CMimePart::Parse(const char* pText, size_t nLength, int nDepth)
{
    ParseHeader(pText, nLength);
    ParseChildren(nDepth);
    return true;
}

void CMimePart::ParseHeader(const char* pText, size_t nLength)
{
    std::string_view text(pText ? pText : "", pText ? nLength : 0);
    size_t headerEnd, bodyStart;
    if (text.substr(0, 2) == "\r\n") {
        // A part without a header.
        headerEnd = 0;
        bodyStart = 2;
    } else {
        size_t cut = ByteSearch::Find(text, "\r\n\r\n");
        headerEnd = cut == std::string_view::npos ? text.size() : cut;
        bodyStart = cut == std::string_view::npos ? text.size() : cut + 4;
    }
    m_header.Parse(text.data(), static_cast<int>(headerEnd));
    m_pBody = text.data() + bodyStart;
    m_nBodyLength = text.size() - bodyStart;
}

void CMimePart::ParseChildren(int nDepth)
{
    bool multipart = m_header.m_nMainType == kContentMultipart && !m_header.m_strBoundary.IsEmpty();
    bool message = m_header.m_nMainType == kContentMessage && m_header.m_nSubType == kContentRfc822 &&
                   m_header.m_nTransferEncoding <= kEncodingBinary;
    if (!multipart && !message)
        return;
    if (nDepth + 1 >= kMaxDepth) {
        m_bDepthLimited = true;
        return;
    }
    if (multipart) {
        ParseMultipart(nDepth + 1);
    } else {
        CMimePart* child = new CMimePart;
        m_children.Add(child);
        child->Parse(m_pBody, m_nBodyLength, nDepth + 1);
    }
}

void CMimePart::ParseMultipart(int nDepth)
{
    std::string_view body(m_pBody, m_nBodyLength);
    std::string delimiter = "--" + m_header.m_strBoundary.Str();
    // A delimiter stands at the start of a line and is followed by "--",
    // white space or the end of its line.
    auto isDelimiterAt = [&](size_t at) {
        if (body.compare(at, delimiter.size(), delimiter) != 0)
            return false;
        size_t after = at + delimiter.size();
        return after >= body.size() || body[after] == '\r' || body[after] == '\n' || body[after] == ' ' ||
               body[after] == '\t' || body.substr(after, 2) == "--";
    };
    auto findDelimiter = [&](size_t from) -> size_t {
        if (from == 0 && isDelimiterAt(0))
            return 0;
        // Every other place a delimiter can stand follows a line feed.
        size_t at = from == 0 ? 0 : from - 1;
        for (;;) {
            size_t lf = ByteSearch::Find(body, "\n--", at);
            if (lf == std::string_view::npos)
                return std::string_view::npos;
            if (isDelimiterAt(lf + 1))
                return lf + 1;
            at = lf + 1;
        }
    };

    size_t pos = findDelimiter(0);
    while (pos != std::string_view::npos) {
        size_t after = pos + delimiter.size();
        if (body.substr(after, 2) == "--")
            break;
        size_t lf = ByteSearch::Find(body, '\n', after);
        if (lf == std::string_view::npos)
            break;
        size_t contentStart = lf + 1;
        size_t next = findDelimiter(contentStart);
        // A delimiter line right after another leaves nothing between them:
        // no part, not even an empty one.
        if (next == contentStart) {
            pos = next;
            continue;
        }
        size_t contentEnd = next == std::string_view::npos ? body.size() : next;
        // The line break before a delimiter belongs to the delimiter.
        if (next != std::string_view::npos && contentEnd >= contentStart + 2 && body[contentEnd - 2] == '\r' &&
            body[contentEnd - 1] == '\n')
            contentEnd -= 2;
        else if (next != std::string_view::npos && contentEnd > contentStart && body[contentEnd - 1] == '\n')
            contentEnd -= 1;
        CMimePart* child = new CMimePart;
        m_children.Add(child);
        child->ParseHeader(body.data() + contentStart, contentEnd - contentStart);
        if (m_header.IsDigest())
            child->m_header.DefaultToEnclosedMail();
        child->ParseChildren(nDepth);
        pos = next;
    }
}

std::string CMimePart::DecodeContent() const
{
    std::string bytes;
    DecodeContent(bytes);
    return bytes;
}

void CMimePart::DecodeContent(std::string& bytes) const
{
    CMimeCodec::DecodeTransfer(m_pBody, m_nBodyLength, m_header.m_nTransferEncoding, bytes);
}

CString CMimePart::DecodeText() const
{
    CString text;
    std::string bytes;
    DecodeText(text, bytes);
    return text;
}

void CMimePart::DecodeText(CString& text, std::string& bytes) const
{
    switch (m_header.m_nTransferEncoding) {
    case kEncodingQuotedPrintable:
    case kEncodingBase64:
    case kEncodingUuencode:
    case kEncodingBinHex:
        break;
    default:
        // Nothing to undo: the body converts where it stands.
        ConvertCharsetToSjis(m_pBody, m_nBodyLength, m_header.m_strCharset, text);
        return;
    }
    DecodeContent(bytes);
    ConvertCharsetToSjis(bytes.data(), bytes.size(), m_header.m_strCharset, text);
}

CString ConvertCharsetToSjis(const char* pText, size_t nLength, const char* pszCharset)
{
    CString out;
    ConvertCharsetToSjis(pText, nLength, pszCharset, out);
    return out;
}

void ConvertCharsetToSjis(const char* pText, size_t nLength, const char* pszCharset, CString& out)
{
    const char* charset = pszCharset ? pszCharset : "";
    int n = static_cast<int>(nLength);
    if (!*charset || _stricmp(charset, "ISO-2022-JP") == 0 || _stricmp(charset, "csISO2022JP") == 0 ||
        _stricmp(charset, "US-ASCII") == 0)
        JisToSjis(pText, n, out);
    else if (_stricmp(charset, "UTF-8") == 0)
        Utf8ToAnsi(pText, n, out);
    else if (_stricmp(charset, "UTF-7") == 0)
        out = Utf7ToAnsi(pText, n);
    else if (_stricmp(charset, "EUC-JP") == 0)
        EucToSjis(pText, n, out);
    else if (UINT cp = GetCodePageOfCharset(charset))
        out = ConvertCodePageToAnsi(pText, n, cp);
    else
        out = CString(pText, n);
}
