#include "store/MailEditRequest.h"

#include "classlib/Mbcs.h"
#include "message/QuotedPrintable.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

DWORD Attributes(const char* pszPath)
{
    return GetFileAttributesA(pszPath);
}

bool IsExistingPath(const char* pszPath)
{
    return *pszPath && Attributes(pszPath) != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingFile(const char* pszPath)
{
    DWORD a = *pszPath ? Attributes(pszPath) : INVALID_FILE_ATTRIBUTES;
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The full path of an existing file, spelt as the file system spells it.
CString FullPath(const char* pszPath)
{
    char full[MAX_PATH + 1];
    DWORD n = GetFullPathNameA(pszPath, sizeof(full), full, nullptr);
    if (n == 0 || n >= sizeof(full))
        return CString(pszPath);
    char spelt[MAX_PATH + 1];
    n = GetLongPathNameA(full, spelt, sizeof(spelt));
    return n > 0 && n < sizeof(spelt) ? CString(spelt) : CString(full);
}

bool StartsWithNoCase(const CString& text, const char* pszPrefix)
{
    int n = static_cast<int>(strlen(pszPrefix));
    return text.GetLength() >= n && text.Left(n).CompareNoCase(pszPrefix) == 0;
}

} // namespace

MailEditorHooks& GetMailEditorHooks()
{
    static MailEditorHooks hooks;
    return hooks;
}

CString CMailEditRequest::DecodeMailtoValue(const char* pszValue)
{
    CString out;
    for (const char* p = pszValue; *p; ++p) {
        char c = *p;
        if (c == '%') {
            int hi = CQuotedPrintable::HexDigitValue(p[1]);
            int lo = hi >= 0 ? CQuotedPrintable::HexDigitValue(p[2]) : -1;
            if (lo >= 0) {
                c = static_cast<char>(hi * 16 + lo);
                p += 2;
                if (c == '\0')
                    continue;
            }
        } else if (c == '+') {
            c = ' ';
        }
        out += c;
    }
    return out;
}

void CMailEditRequest::SplitWords(const char* pszText, CStringArray& words)
{
    CString word;
    bool quoted = false;
    auto finish = [&] {
        CString w = word;
        w.Trim();
        if (w.GetLength() >= 2 && w[0] == '"' && w[w.GetLength() - 1] == '"')
            w = w.Mid(1, w.GetLength() - 2);
        w.Trim();
        if (!w.IsEmpty())
            words.Add(w);
        word.Empty();
    };
    size_t len = strlen(pszText);
    for (size_t i = 0; i < len; ++i) {
        if (Mbcs::CharLength(pszText + i, len - i) == 2) {
            word.Append(pszText + i, 2);
            ++i;
            continue;
        }
        char c = pszText[i];
        if (c == '"')
            quoted = !quoted;
        if (!quoted && IsBlank(c))
            finish();
        else
            word += c;
    }
    finish();
}

CString CMailEditRequest::CleanHeaderValue(const char* pszValue)
{
    CString out;
    for (const char* p = pszValue; *p; ++p)
        if (*p != '\r' && *p != '\n')
            out += *p;
    return out;
}

void CMailEditRequest::AddFiles(const CString& list, CStringArray& files)
{
    int start = 0;
    while (start <= list.GetLength()) {
        int semi = list.Find(';', start);
        CString piece = semi < 0 ? list.Mid(start) : list.Mid(start, semi - start);
        piece.Trim();
        if (IsExistingFile(piece))
            files.Add(FullPath(piece));
        if (semi < 0)
            break;
        start = semi + 1;
    }
}

void CMailEditRequest::ParseAddressText(const char* pszAddress, const char* pszSecond, Origin origin)
{
    CString address = pszAddress ? pszAddress : "";
    CString second = pszSecond ? pszSecond : "";
    // A "mailto:" text is a link, wherever it came from.
    bool link = StartsWithNoCase(address, "mailto:");
    if (link)
        address = address.Mid(7);
    if (address.IsEmpty() && second.IsEmpty()) {
        m_bSetAddress = TRUE;
        return;
    }
    bool trusted = origin == originTrusted;
    bool fileWords = trusted || (origin == originCommandLine && !link);

    // A list of files (a command line naming files, a drop) attaches them.
    bool namedPath = false;
    if (fileWords) {
        CStringArray words;
        SplitWords(address, words);
        for (int i = 0; i < words.GetSize(); ++i) {
            if (!IsExistingPath(words[i]))
                continue;
            namedPath = true;
            if (IsExistingFile(words[i]))
                m_attachFiles.Add(FullPath(words[i]));
        }
    }
    if (namedPath)
        return;

    CString attach, tempAttach;
    int q = address.Find('?');
    if (q >= 0) {
        CString query = address.Mid(q + 1);
        address = address.Left(q);
        int start = 0;
        while (start <= query.GetLength()) {
            int amp = query.Find('&', start);
            CString param = amp < 0 ? query.Mid(start) : query.Mid(start, amp - start);
            if (StartsWithNoCase(param, "body="))
                m_strBody = DecodeMailtoValue(param.Mid(5));
            else if (StartsWithNoCase(param, "subject="))
                m_strSubject = CleanHeaderValue(DecodeMailtoValue(param.Mid(8)));
            else if (StartsWithNoCase(param, "attach="))
                attach = DecodeMailtoValue(param.Mid(7));
            else if (StartsWithNoCase(param, "tempattach="))
                tempAttach = DecodeMailtoValue(param.Mid(11));
            if (amp < 0)
                break;
            start = amp + 1;
        }
    }
    if (trusted) {
        AddFiles(attach, m_attachFiles);
        AddFiles(tempAttach, m_tempAttachFiles);
    } else {
        CStringArray ignored;
        AddFiles(attach, ignored);
        AddFiles(tempAttach, ignored);
        m_ignoredAttachFiles.Append(ignored);
    }
    m_bSetAddress = TRUE;
    m_strTo = CleanHeaderValue(address);
    m_strCc = CleanHeaderValue(second);
}
