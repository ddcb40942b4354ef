#include "message/MimeReencoder.h"

#include "classlib/ClassLib.h"
#include "message/Base64.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "message/MimeCodec.h"
#include "message/QuotedPrintable.h"
#include "net/SmtpSession.h"

#include <cstring>
#include <vector>

namespace {

const size_t kMaxLine = 998;
// Deeper nesting than this is left as it is.
const int kMaxDepth = 32;

bool StartsWithNoCase(const std::string& text, size_t pos, const char* pszPrefix)
{
    size_t n = strlen(pszPrefix);
    return text.size() - pos >= n && _strnicmp(text.c_str() + pos, pszPrefix, n) == 0;
}

struct Entity
{
    std::string header;  // with the line end of its last line
    std::string blank;   // the empty line after it (CR LF or LF), empty when none
    std::string body;
};

Entity SplitEntity(const std::string& text)
{
    for (size_t pos = 0; pos < text.size();) {
        if (text.compare(pos, 2, "\r\n") == 0)
            return {text.substr(0, pos), "\r\n", text.substr(pos + 2)};
        if (text[pos] == '\n')
            return {text.substr(0, pos), "\n", text.substr(pos + 1)};
        size_t lf = text.find('\n', pos);
        if (lf == std::string::npos)
            break;
        pos = lf + 1;
    }
    return {text, "", ""};
}

// The header's fields, each with its folds and its line end.
std::vector<std::string> SplitFields(const std::string& header)
{
    std::vector<std::string> fields;
    for (size_t pos = 0; pos < header.size();) {
        size_t lf = header.find('\n', pos);
        size_t end = lf == std::string::npos ? header.size() : lf + 1;
        bool fold = header[pos] == ' ' || header[pos] == '\t';
        if (fold && !fields.empty())
            fields.back() += header.substr(pos, end - pos);
        else
            fields.push_back(header.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

std::string LineEndOf(const std::string& header) { return header.find("\r\n") != std::string::npos || header.empty() ? "\r\n" : "\n"; }

std::string Unfolded(const std::string& value)
{
    std::string out;
    for (char c : value) {
        if (c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

// The quoted and bare parameter values of a Content-Type or
// Content-Disposition that hold 8-bit text, as quoted encoded words.
std::string EncodeParameterValues(const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < value.size();) {
        if (value[i] != '=') {
            out += value[i++];
            continue;
        }
        out += value[i++];
        size_t start = i;
        bool quoted = i < value.size() && value[i] == '"';
        size_t end;
        if (quoted) {
            end = value.find('"', i + 1);
            end = end == std::string::npos ? value.size() : end + 1;
        } else {
            end = value.find_first_of("; \t", i);
            end = end == std::string::npos ? value.size() : end;
        }
        std::string raw = value.substr(start, end - start);
        std::string inner = quoted ? raw.substr(1, raw.size() >= 2 && raw.back() == '"' ? raw.size() - 2 : raw.size() - 1) : raw;
        if (CMimeReencoder::HasEightBit(inner)) {
            CString text = RawHeaderTextToSjis(inner.data(), static_cast<int>(inner.size()));
            std::vector<CString> words = CMimeCodec::EncodeWords(text, static_cast<size_t>(text.GetLength()), 60, 75);
            out += "\"";
            for (size_t k = 0; k < words.size(); ++k)
                out += (k ? "\r\n " : "") + words[k].Str();
            out += "\"";
        } else {
            out += raw;
        }
        i = end;
    }
    return out;
}

// A field with raw 8-bit text written with encoded words, read as the
// program reads such text.
std::string SevenBitField(const std::string& field, const std::string& eol)
{
    size_t colon = field.find(':');
    if (colon == std::string::npos)
        return field;
    std::string name = field.substr(0, colon);
    std::string value = Unfolded(field.substr(colon + 1));
    while (!value.empty() && (value[0] == ' ' || value[0] == '\t'))
        value.erase(0, 1);
    std::string encoded;
    if (_stricmp(name.c_str(), "Content-Type") == 0 || _stricmp(name.c_str(), "Content-Disposition") == 0) {
        encoded = EncodeParameterValues(value);
    } else {
        CString text = RawHeaderTextToSjis(value.data(), static_cast<int>(value.size()));
        encoded = CSmtpSession::EncodeFoldedText(text, static_cast<int>(name.size()) + 2).Str();
    }
    std::string out = name + ": " + encoded + eol;
    if (eol != "\r\n") {
        // The encoder folds with CR LF.
        for (size_t at = 0; (at = out.find("\r\n", at)) != std::string::npos;)
            out.replace(at, 2, eol);
    }
    return out;
}

std::string EncodeLeafBody(const std::string& body, bool bText)
{
    if (bText)
        return CQuotedPrintable::EncodeBody(body.data(), body.size());
    return CBase64::EncodeBody(body.data(), body.size());
}

struct Delimiter
{
    size_t cut;    // where the line end before the delimiter line begins
    size_t start;  // the delimiter line
    size_t end;    // after its line end
    bool close;
};

std::vector<Delimiter> FindDelimiters(const std::string& body, const std::string& boundary)
{
    const std::string dash = "--" + boundary;
    std::vector<Delimiter> found;
    for (size_t pos = 0; pos < body.size();) {
        size_t lf = body.find('\n', pos);
        size_t end = lf == std::string::npos ? body.size() : lf + 1;
        if (body.compare(pos, dash.size(), dash) == 0) {
            size_t after = pos + dash.size();
            bool close = body.compare(after, 2, "--") == 0;
            size_t rest = close ? after + 2 : after;
            while (rest < end && (body[rest] == ' ' || body[rest] == '\t' || body[rest] == '\r' || body[rest] == '\n'))
                ++rest;
            if (rest == end) {
                size_t cut = pos;
                if (cut > 0 && body[cut - 1] == '\n')
                    --cut;
                if (cut > 0 && pos - cut == 1 && body[cut - 1] == '\r')
                    --cut;
                found.push_back({cut, pos, end, close});
                if (close)
                    break;
            }
        }
        pos = end;
    }
    return found;
}

} // namespace

bool CMimeReencoder::HasEightBit(const char* pText, size_t nLength)
{
    for (size_t i = 0; i < nLength; ++i)
        if (static_cast<unsigned char>(pText[i]) >= 0x80)
            return true;
    return false;
}

bool CMimeReencoder::HasLongLine(const std::string& text)
{
    size_t start = 0;
    for (;;) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string::npos ? text.size() : lf;
        size_t length = end - start - (end > start && text[end - 1] == '\r' ? 1 : 0);
        if (length > kMaxLine)
            return true;
        if (lf == std::string::npos)
            return false;
        start = lf + 1;
    }
}

std::string CMimeReencoder::FitLines(const std::string& entity) { return Rewrite(entity, modeFitLines, false, 0); }

std::string CMimeReencoder::ToSevenBit(const std::string& entity) { return Rewrite(entity, modeSevenBit, false, 0); }

std::string CMimeReencoder::SevenBitRawParts(const std::string& message)
{
    return Rewrite(message, modeRawParts, false, 0);
}

std::string CMimeReencoder::Rewrite(const std::string& text, Mode mode, bool bDefaultMessage, int nDepth)
{
    if (nDepth > kMaxDepth)
        return text;
    Entity e = SplitEntity(text);
    CMailMessage head;
    head.ParseHeaderText(e.header.c_str());
    std::vector<std::string> fields = SplitFields(e.header);
    bool bHasType = false;
    for (const std::string& f : fields)
        bHasType = bHasType || StartsWithNoCase(f, 0, "Content-Type:");
    const bool bMessage = bHasType ? head.m_nMainType == kContentMessage && head.m_nSubType == kContentRfc822
                                   : bDefaultMessage;
    const bool bMultipart = head.m_nMainType == kContentMultipart && !head.m_strBoundary.IsEmpty();
    const std::string eol = LineEndOf(e.header);
    const bool bEightBitDeclared =
        head.m_nTransferEncoding == kEncoding8Bit || head.m_nTransferEncoding == kEncodingBinary;
    if (mode == modeRawParts && !bMultipart) {
        if (!bEightBitDeclared)
            return text;
        mode = modeSevenBit;
    }
    const bool bSevenBit = mode != modeFitLines;

    std::string body = e.body;
    bool bEncodedNow = false;
    if (bMultipart) {
        std::vector<Delimiter> delimiters = FindDelimiters(body, head.m_strBoundary.Str());
        if (!delimiters.empty()) {
            const bool bDigest = _stricmp(head.m_strSubTypeText, "digest") == 0;
            std::string out = body.substr(0, delimiters[0].cut);
            for (size_t i = 0; i < delimiters.size(); ++i) {
                const Delimiter& d = delimiters[i];
                out.append(body, d.cut, d.end - d.cut);
                if (d.close) {
                    out.append(body, d.end, std::string::npos);
                    break;
                }
                size_t partEnd = i + 1 < delimiters.size() ? delimiters[i + 1].cut : body.size();
                std::string part = body.substr(d.end, partEnd - d.end);
                if (mode == modeRawParts) {
                    // The program's own parts stay as they are.
                    CMailMessage partHead;
                    partHead.ParseHeaderText(SplitEntity(part).header.c_str());
                    bool bRaw = partHead.m_nTransferEncoding == kEncoding8Bit ||
                                partHead.m_nTransferEncoding == kEncodingBinary;
                    out += bRaw ? Rewrite(part, modeSevenBit, bDigest, nDepth + 1) : part;
                } else {
                    out += Rewrite(part, mode, bDigest, nDepth + 1);
                }
            }
            body.swap(out);
        }
    } else if (bMessage) {
        body = Rewrite(body, mode, false, nDepth + 1);
    } else if (head.m_nTransferEncoding != kEncodingQuotedPrintable && head.m_nTransferEncoding != kEncodingBase64 &&
               head.m_nTransferEncoding != kEncodingUuencode && head.m_nTransferEncoding != kEncodingBinHex &&
               !e.blank.empty() && (HasLongLine(body) || (bSevenBit && HasEightBit(body)))) {
        body = EncodeLeafBody(body, head.m_nMainType == kContentText);
        bEncodedNow = true;
    }

    // The header: the new transfer encoding, and in 7-bit form no raw 8-bit
    // text and no container that still claims 8-bit data.
    const bool bContainer = bMultipart || bMessage;
    const bool bRelabel = bEncodedNow || (bSevenBit && bContainer && bEightBitDeclared);
    const bool bHeaderToo = mode == modeSevenBit && HasEightBit(e.header);
    if (!bRelabel && !bHeaderToo)
        return e.header + e.blank + body;
    std::string header;
    for (const std::string& f : fields) {
        if (bRelabel && StartsWithNoCase(f, 0, "Content-Transfer-Encoding:"))
            continue;
        header += bHeaderToo && HasEightBit(f) ? SevenBitField(f, eol) : f;
    }
    if (!header.empty() && header.back() != '\n')
        header += eol;
    if (bEncodedNow)
        header += std::string("Content-Transfer-Encoding: ") +
                  (head.m_nMainType == kContentText ? "quoted-printable" : "base64") + eol;
    else if (bRelabel)
        header += "Content-Transfer-Encoding: 7bit" + eol;
    return header + e.blank + body;
}
