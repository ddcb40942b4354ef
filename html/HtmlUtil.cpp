#include "html/HtmlUtil.h"

#include "core/FileUtil.h"

#include <cstring>

namespace {

bool StartsNoCase(const char* p, const char* pszPrefix)
{
    return _strnicmp(p, pszPrefix, strlen(pszPrefix)) == 0;
}

bool IsSpace(char c) { return c == ' '; }

const char* SkipSpaces(const char* p)
{
    while (IsSpace(*p))
        ++p;
    return p;
}

// "<NAME" followed by what may end an element name.
bool IsElementStart(const char* p, const char* pszOpen)
{
    if (!StartsNoCase(p, pszOpen))
        return false;
    char next = p[strlen(pszOpen)];
    return next == '>' || next == ' ' || next == '/' || next == '\t' || next == '\r' || next == '\n';
}

// Elements whose content is never text of the mail.
const char* const kHiddenElements[] = {"script", "style", "head"};

// The end of a hidden element's content: the start of its closing tag, or
// the end of the text.
const char* SkipHiddenContent(const char* p, const char* pszName)
{
    CString close("</");
    close += pszName;
    for (; *p; ++p) {
        if (*p == '<' && IsElementStart(p, close))
            return p;
    }
    return p;
}

// Past the next ">" (or at the end of the text).
const char* SkipTag(const char* p)
{
    while (*p && *p != '>')
        ++p;
    return *p ? p + 1 : p;
}

// Byte-wise, so that UTF-8 text is not read as double-byte characters. The
// entities start with "&", which is never the second byte of a Shift_JIS
// character, so Shift_JIS text is safe too.
void ReplaceAll(CString& text, const char* pszOld, const char* pszNew)
{
    const std::string& in = text.Str();
    const size_t oldLength = strlen(pszOld);
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = in.find(pszOld, pos)) != std::string::npos; pos = hit + oldLength) {
        out.append(in, pos, hit - pos);
        out += pszNew;
    }
    out.append(in, pos, std::string::npos);
    text = CString(out);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

} // namespace

CString HtmlToPlainText(const char* pszHtml)
{
    const char* p = pszHtml ? pszHtml : "";
    // A page without a BODY tag (a fragment, as many mailers send) is all body.
    bool inBody = true;
    for (const char* q = p; *q; ++q) {
        if (*q == '<' && StartsNoCase(q, "<body")) {
            inBody = false;
            break;
        }
    }
    bool inComment = false;
    int breaks = 0;
    CString out;
    while (*p) {
        char c = *p;
        if (c == '\t') {
            ++p;
            continue;
        }
        if (c == '\r' || c == '\n') {
            p = SkipSpaces(p + 1);
            continue;
        }
        if (StartsNoCase(p, "<!--")) {
            inComment = true;
            p += 4;
            continue;
        }
        if (inComment) {
            if (StartsNoCase(p, "-->")) {
                inComment = false;
                p = SkipSpaces(p + 3);
            } else {
                ++p;
            }
            continue;
        }
        if (c == '<') {
            if (StartsNoCase(p, "<body"))
                inBody = true;
            bool lineBreak = IsElementStart(p, "<br") || IsElementStart(p, "<tr") || IsElementStart(p, "<p");
            const bool cell = IsElementStart(p, "<td");
            const char* hidden = nullptr;
            for (const char* name : kHiddenElements) {
                CString open("<");
                open += name;
                if (IsElementStart(p, open))
                    hidden = name;
            }
            p = SkipTag(p);
            if (hidden && p[-2] != '/') {  // not an empty "<script .../>"
                p = SkipHiddenContent(p, hidden);
                continue;
            }
            if (inBody && lineBreak) {
                if (breaks < 2)
                    out += "\r\n";
                ++breaks;
            } else if (inBody && !cell && IsSpace(*p) && !out.IsEmpty() && !IsSpace(out[out.GetLength() - 1]) &&
                       out[out.GetLength() - 1] != '\n') {
                // Words on either side of a tag ("a <b>bold</b> word") stay apart.
                out += ' ';
            }
            p = SkipSpaces(p);
            continue;
        }
        if (inBody) {
            out += c;
            if (IsSpace(c)) {
                p = SkipSpaces(p + 1);
                continue;
            }
            breaks = 0;
        }
        ++p;
    }
    out.TrimLeft(" \t\r\n");
    ReplaceAll(out, "&nbsp;", " ");
    ReplaceAll(out, "&lt;", "<");
    ReplaceAll(out, "&gt;", ">");
    ReplaceAll(out, "&quot; ", "\"");
    ReplaceAll(out, "&amp; ", "&");
    return out;
}

unsigned char HexPairToByte(char chHigh, char chLow)
{
    return static_cast<unsigned char>(HexValue(chHigh) * 16 + HexValue(chLow));
}

CString UrlDecode(const char* pszText)
{
    CString out;
    const char* p = pszText ? pszText : "";
    while (*p) {
        if (*p == '%' && p[1] && p[2]) {
            out += static_cast<char>(HexPairToByte(p[1], p[2]));
            p += 3;
        } else if (*p == '+') {
            out += ' ';
            ++p;
        } else {
            // Also a "%" without two characters after it: kept as it is.
            out += *p++;
        }
    }
    return out;
}

bool IsRiskyFileExtension(const char* pszFileName)
{
    static const char* const kRisky[] = {".html", ".htm", ".exe", ".com", ".bat", ".cmd", ".js", ".vbs"};
    CString ext = GetFileExtension(pszFileName ? pszFileName : "");
    for (const char* risky : kRisky) {
        if (ext.CompareNoCase(risky) == 0)
            return true;
    }
    return false;
}

bool IsIso2022JpCharset(const char* pszCharset)
{
    CString name(pszCharset);
    return name.CompareNoCase("ISO-2022-JP") == 0 || name.CompareNoCase("csISO2022JP") == 0;
}

bool IsWordType(const char* pszContentType)
{
    CString type(pszContentType);
    type.MakeLower();
    return type.Find("ms") >= 0 && type.Find("word") >= 0;
}

bool IsExcelType(const char* pszContentType)
{
    CString type(pszContentType);
    type.MakeLower();
    return type.Find("ms") >= 0 && type.Find("excel") >= 0;
}

bool IsSingleByteText(const char* pszText)
{
    for (const char* p = pszText ? pszText : ""; *p; ++p) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)))
            return false;
    }
    return true;
}

CString ToJapaneseFontName(const char* pszFaceName)
{
    CString name(pszFaceName);
    if (name.CompareNoCase("MS Gothic") == 0)
        return CString("ＭＳ ゴシック");
    if (name.CompareNoCase("MS PGothic") == 0)
        return CString("ＭＳ Ｐゴシック");
    return name;
}

void NormalizeLineEnds(CString& strDest, const char* pszSource)
{
    strDest.Empty();
    const char* p = pszSource ? pszSource : "";
    while (*p) {
        if ((p[0] == '\r' && p[1] == '\n') || (p[0] == '\n' && p[1] == '\r')) {
            strDest += "\r\n";
            p += 2;
        } else if (*p == '\r' || *p == '\n') {
            strDest += "\r\n";
            ++p;
        } else {
            strDest += *p++;
        }
    }
}

CString EncodeLineBreaks(const char* pszText)
{
    CString text(pszText);
    text.Replace("\r\n", "\x1e");
    return text;
}

CString DecodeLineBreaks(const char* pszText)
{
    CString text(pszText);
    text.Replace("\x1e", "\r\n");
    return text;
}

int MultiByteToWideForCharset(std::wstring& strWide, const char* pszText, int nLength, int nCharset)
{
    struct CharsetCodePage
    {
        int charset;
        UINT codePage;
    };
    // The code pages of the locales the viewer used for these charsets.
    static const CharsetCodePage kTable[] = {
        {129, 949},  {134, 936},  {136, 950},  {161, 1253}, {162, 1254},
        {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},
    };
    UINT codePage = CP_ACP;
    for (const CharsetCodePage& entry : kTable) {
        if (entry.charset == nCharset)
            codePage = entry.codePage;
    }
    strWide.clear();
    if (!pszText)
        return 0;
    int length = nLength < 0 ? static_cast<int>(strlen(pszText)) : nLength;
    if (length == 0)
        return 0;
    int count = MultiByteToWideChar(codePage, 0, pszText, length, nullptr, 0);
    if (count <= 0)
        return 0;
    strWide.resize(static_cast<size_t>(count));
    count = MultiByteToWideChar(codePage, 0, pszText, length, &strWide[0], count);
    strWide.resize(static_cast<size_t>(count > 0 ? count : 0));
    return static_cast<int>(strWide.size());
}
