// Rewriting the local file links of an HTML mail into "cid:" references.
#include "html/HtmlUtil.h"

#include "core/FileUtil.h"
#include "message/AddressList.h"
#include "message/JapaneseCode.h"
#include "message/RelatedPartList.h"

#include <string>

namespace {

std::string ReadTextFile(const char* pszPath)
{
    std::string text;
    if (!ReadWholeFile(pszPath, text, CFile::shareDenyWrite))
        text.clear();
    return text;
}

// Drive, folders and name without "." or ".." parts, with the letter case
// the names have on disk, so that one file always gets one name.
CString FullFileName(const char* pszPath)
{
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(pszPath, sizeof(full), full, nullptr);
    if (n == 0 || n >= sizeof(full))
        return CString(pszPath);
    char longName[MAX_PATH * 2];
    DWORD m = GetLongPathNameA(full, longName, sizeof(longName));
    if (m == 0 || m >= sizeof(longName))
        return CString(full);
    return CString(longName);
}

bool IsAbsolutePath(const CString& path)
{
    if (path.GetLength() >= 3 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        (path[2] == '\\' || path[2] == '/'))
        return true;
    return path.GetLength() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
}

// True when the full path lies inside the folder (which ends in a backslash).
bool IsInsideFolder(const CString& fullPath, const CString& folder)
{
    std::wstring p = fullPath.ToWide();
    std::wstring f = folder.ToWide();
    if (f.empty() || p.size() <= f.size())
        return false;
    return CompareStringOrdinal(p.c_str(), static_cast<int>(f.size()), f.c_str(), static_cast<int>(f.size()), TRUE) ==
           CSTR_EQUAL;
}

CString FolderOf(const char* pszFullPath)
{
    CString folder = GetDirectoryFromPath(pszFullPath);
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != '\\')
        folder += '\\';
    return folder;
}

// A blank before or after "=": TAB, space, or the double-byte space (kept whole).
int BlankLength(const char* p)
{
    if (*p == ' ' || *p == '\t')
        return 1;
    if (static_cast<unsigned char>(p[0]) == 0x81 && static_cast<unsigned char>(p[1]) == 0x40)
        return 2;
    return 0;
}

bool IsHtmlFileName(const char* pszPath)
{
    CString ext = GetFileExtension(pszPath);
    return ext.CompareNoCase(".html") == 0 || ext.CompareNoCase(".htm") == 0;
}

// Editors that wrote a file name with blanks left this in the link.
void DecodeWithBlanks(CString& value)
{
    static const char kToken[] = "%20with%20";
    const int tokenLength = static_cast<int>(sizeof(kToken) - 1);
    CString out;
    int i = 0;
    while (i < value.GetLength()) {
        if (i + tokenLength <= value.GetLength() && value.Mid(i, tokenLength).CompareNoCase(kToken) == 0) {
            out += ' ';
            i += tokenLength;
        } else {
            out += value[i];
            ++i;
        }
    }
    value = out;
}

CString ConvertLinks(const char* pszText, const CString& fullPath, const CString& rootFolder, CRelatedPartList& list,
                     bool bUsersPage = false);

// The local path of a "file:" link as the HTML engine writes a picture the
// user inserted ("file:///C:/My%20Pictures/a.jpg"); other values unchanged.
CString FileUrlToPath(const CString& value)
{
    if (value.GetLength() < 5 || value.Left(5).CompareNoCase("file:") != 0)
        return value;
    CString rest = value.Mid(5);
    int slashes = 0;
    while (slashes < rest.GetLength() && (rest[slashes] == '/' || rest[slashes] == '\\'))
        ++slashes;
    bool drive = slashes < rest.GetLength() - 1 && isalpha(static_cast<unsigned char>(rest[slashes])) &&
                 (rest[slashes + 1] == ':' || rest[slashes + 1] == '|');
    CString path = drive ? rest.Mid(slashes) : (slashes >= 2 ? "\\\\" + rest.Mid(slashes) : rest);
    if (drive && path[1] == '|')
        path.SetAt(1, ':');
    path = DecodePercentBytes(path);
    // The engine escapes the UTF-8 form of a name; the file system here
    // speaks the Japanese code page.
    if (IsMultiByteUtf8(path))
        path = Utf8ToAnsi(path);
    path.Replace('/', '\\');
    return path;
}

// The file a link value names, when it is one the mail may carry: an
// absolute path or "file:" link, or a path relative to the page's folder,
// that resolves to an existing file. A file outside the mail's own folder
// goes only when the page as stored does not name it already: a received
// mail sent on again must not carry other files of the disk, whatever its
// HTML names, while a picture the user put in while writing goes along.
// Empty when the value names nothing to carry.
CString ResolveLocalFile(const CString& rawValue, const CString& pagePath, const CString& rootFolder,
                         const std::string& storedPage)
{
    CString value = FileUrlToPath(rawValue);
    if (value.IsEmpty())
        return CString();
    CString candidate;
    if (IsAbsolutePath(value))
        candidate = value;
    else if (!pagePath.IsEmpty())
        candidate = CombinePath(FolderOf(pagePath), value);
    if (candidate.IsEmpty() || !FileExists(candidate))
        return CString();
    CString full = FullFileName(candidate);
    if (IsInsideFolder(full, rootFolder))
        return full;
    if (!storedPage.empty() && storedPage.find(rawValue.Str()) != std::string::npos)
        return CString();
    return full;
}

// The content identifier of a local file, entering it into the list when it
// has none yet. A page is converted (and its own files entered) before its
// identifier is made, so that identifiers stay apart by the part count.
CString ContentIdForFile(const CString& file, const CString& rootFolder, CRelatedPartList& list)
{
    CString id = list.GetPartText(file);
    if (!id.IsEmpty())
        return id;
    if (!IsHtmlFileName(file)) {
        id = list.MakeContentId();
        list.AddRelatedPart(file, id);
    } else if (list.AddReference(file)) {
        // A page already on the way (pages linking each other): no second part.
        id = list.MakeContentId();
    } else {
        CString converted = ConvertLinks(nullptr, file, rootFolder, list);
        id = list.MakeContentId();
        list.AddRelatedPart(file, id, converted);
    }
    return id;
}

CString RewriteValue(const char* pszText, const CString& pagePath, const CString& rootFolder, CRelatedPartList& list,
                     const std::string& storedPage)
{
    const char* p = pszText ? pszText : "";
    CString out;
    int blank = BlankLength(p);
    out.Append(p, blank);
    p += blank;
    if (*p != '=')
        return CString(pszText ? pszText : "");
    out += '=';
    ++p;
    blank = BlankLength(p);
    out.Append(p, blank);
    p += blank;

    const char* valueStart = p;
    if (*p == '"') {
        out += '"';
        ++valueStart;
        p = valueStart;
        while (*p && *p != '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t' && *p != '>' && !(BlankLength(p) == 2))
            ++p;
    }
    CString value(valueStart, static_cast<int>(p - valueStart));
    DecodeWithBlanks(value);

    CString file = ResolveLocalFile(value, pagePath, rootFolder, storedPage);
    if (file.IsEmpty())
        return CString(pszText ? pszText : "");
    out += "cid:";
    out += ContentIdForFile(file, rootFolder, list);
    out += p;
    return out;
}

// Offset just past the name of the first attribute, in the order of
// kLinkAttributes, that the tag really has; -1 when it has none. Values are
// skipped, so a name inside another attribute's value does not count.
int FindLinkAttribute(const char* pszTag)
{
    static const char* const kLinkAttributes[] = {"src", "background", "href", "value"};
    const int kCount = sizeof(kLinkAttributes) / sizeof(kLinkAttributes[0]);
    int found[kCount] = {-1, -1, -1, -1};

    const char* p = pszTag;
    if (*p == '<')
        ++p;
    while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != '>')
        ++p;  // the element name
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '/' || BlankLength(p) == 2)
            p += BlankLength(p) == 2 ? 2 : 1;
        if (!*p || *p == '>')
            break;
        const char* name = p;
        while (*p && *p != '=' && *p != '>' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != '/' &&
               BlankLength(p) != 2)
            ++p;
        if (p == name) {
            ++p;  // a stray character
            continue;
        }
        int nameLength = static_cast<int>(p - name);
        for (int k = 0; k < kCount; ++k) {
            if (found[k] < 0 && static_cast<int>(strlen(kLinkAttributes[k])) == nameLength &&
                _strnicmp(name, kLinkAttributes[k], nameLength) == 0)
                found[k] = static_cast<int>(p - pszTag);
        }
        const char* q = p;
        q += BlankLength(q);
        if (*q != '=')
            continue;
        ++q;
        q += BlankLength(q);
        if (*q == '"' || *q == '\'') {
            char quote = *q++;
            while (*q && *q != quote)
                ++q;
            if (*q)
                ++q;
        } else {
            while (*q && *q != ' ' && *q != '\t' && *q != '\r' && *q != '\n' && *q != '>')
                ++q;
        }
        p = q;
    }
    for (int k = 0; k < kCount; ++k) {
        if (found[k] >= 0)
            return found[k];
    }
    return -1;
}

CString RewriteTag(const char* pszTag, const CString& pagePath, const CString& rootFolder, CRelatedPartList& list,
                   const std::string& storedPage)
{
    int end = FindLinkAttribute(pszTag);
    if (end < 0)
        return CString(pszTag);
    CString out(pszTag, end);
    out += RewriteValue(pszTag + end, pagePath, rootFolder, list, storedPage);
    return out;
}

CString ConvertLinks(const char* pszText, const CString& fullPath, const CString& rootFolder, CRelatedPartList& list,
                     bool bUsersPage)
{
    list.AddReference(fullPath);
    // The page as stored, when there is one: what its links already named.
    std::string storedPage = fullPath.IsEmpty() ? std::string() : ReadTextFile(fullPath);
    const std::string pageText = pszText ? std::string(pszText) : storedPage;
    if (bUsersPage)
        storedPage.clear();
    CString result;
    std::string tag;
    bool inTag = false;
    bool inValue = false;
    for (const char* p = pageText.c_str(); *p; ++p) {
        char c = *p;
        if (!inValue && c == '<') {
            result.Append(tag.data(), static_cast<int>(tag.size()));
            tag.assign(1, '<');
            inTag = true;
        } else if (!inValue && c == '>') {
            if (inTag) {
                tag += '>';
                result += RewriteTag(tag.c_str(), fullPath, rootFolder, list, storedPage);
                tag.clear();
                inTag = false;
            } else {
                result += '>';
            }
        } else if (!inTag) {
            result += c;
        } else {
            if (!inValue && c == '=' && p[1] == '"') {
                tag += "=\"";
                ++p;
                inValue = true;
                continue;
            }
            // A quote closes the value only before what may follow a value, so
            // that ">" inside a quoted value does not end the tag.
            if (inValue && c == '"' &&
                (p[1] == ' ' || p[1] == '\t' || p[1] == '>' || p[1] == '/' || p[1] == '\r' || p[1] == '\n' ||
                 p[1] == '\0' || BlankLength(p + 1) == 2))
                inValue = false;
            tag += c;
        }
    }
    // A "<" that never closed is text, not a tag: keep it.
    result.Append(tag.data(), static_cast<int>(tag.size()));
    return result;
}

} // namespace

namespace {

// The page's full name, empty for a mail without a page file of its own (a
// new mail written in the editor); its folder, empty likewise.
CString PagePath(const char* pszPath) { return pszPath && *pszPath ? FullFileName(pszPath) : CString(); }
CString RootOf(const CString& page) { return page.IsEmpty() ? CString() : FolderOf(page); }

} // namespace

CString ConvertHtmlLinksToCid(const char* pszText, const char* pszPath, CRelatedPartList& list, bool bUsersPage)
{
    CString full = PagePath(pszPath);
    return ConvertLinks(pszText, full, RootOf(full), list, bUsersPage);
}

CString RewriteTagLinks(const char* pszTag, const char* pszPath, CRelatedPartList& list)
{
    CString full = PagePath(pszPath);
    return RewriteTag(pszTag ? pszTag : "", full, RootOf(full), list, full.IsEmpty() ? std::string() : ReadTextFile(full));
}

CString RewriteLinkAttributeValue(const char* pszText, const char* pszPath, CRelatedPartList& list)
{
    CString full = PagePath(pszPath);
    return RewriteValue(pszText, full, RootOf(full), list, full.IsEmpty() ? std::string() : ReadTextFile(full));
}
