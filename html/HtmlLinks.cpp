// Rewriting the local file links of an HTML mail into "cid:" references.
#include "html/HtmlUtil.h"

#include "core/FileUtil.h"
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

CString ConvertLinks(const char* pszText, const CString& fullPath, const CString& rootFolder, CRelatedPartList& list);

// The file a link value names, when it is one the mail may carry: an
// absolute path, or a path relative to the page's folder, that resolves to
// an existing file inside the mail's own folder. Empty otherwise.
CString ResolveLocalFile(const CString& value, const CString& pageFolder, const CString& rootFolder)
{
    if (value.IsEmpty())
        return CString();
    CString candidate = IsAbsolutePath(value) ? value : CombinePath(pageFolder, value);
    if (!FileExists(candidate))
        return CString();
    CString full = FullFileName(candidate);
    if (!IsInsideFolder(full, rootFolder))
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

CString RewriteValue(const char* pszText, const CString& pagePath, const CString& rootFolder, CRelatedPartList& list)
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

    CString file = ResolveLocalFile(value, FolderOf(pagePath), rootFolder);
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

CString RewriteTag(const char* pszTag, const CString& pagePath, const CString& rootFolder, CRelatedPartList& list)
{
    int end = FindLinkAttribute(pszTag);
    if (end < 0)
        return CString(pszTag);
    CString out(pszTag, end);
    out += RewriteValue(pszTag + end, pagePath, rootFolder, list);
    return out;
}

CString ConvertLinks(const char* pszText, const CString& fullPath, const CString& rootFolder, CRelatedPartList& list)
{
    list.AddReference(fullPath);
    std::string fileText;
    if (!pszText) {
        fileText = ReadTextFile(fullPath);
        pszText = fileText.c_str();
    }
    CString result;
    std::string tag;
    bool inTag = false;
    bool inValue = false;
    for (const char* p = pszText; *p; ++p) {
        char c = *p;
        if (!inValue && c == '<') {
            result.Append(tag.data(), static_cast<int>(tag.size()));
            tag.assign(1, '<');
            inTag = true;
        } else if (!inValue && c == '>') {
            if (inTag) {
                tag += '>';
                result += RewriteTag(tag.c_str(), fullPath, rootFolder, list);
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

CString ConvertHtmlLinksToCid(const char* pszText, const char* pszPath, CRelatedPartList& list)
{
    CString full = FullFileName(pszPath ? pszPath : "");
    return ConvertLinks(pszText, full, FolderOf(full), list);
}

CString RewriteTagLinks(const char* pszTag, const char* pszPath, CRelatedPartList& list)
{
    CString full = FullFileName(pszPath ? pszPath : "");
    return RewriteTag(pszTag ? pszTag : "", full, FolderOf(full), list);
}

CString RewriteLinkAttributeValue(const char* pszText, const char* pszPath, CRelatedPartList& list)
{
    CString full = FullFileName(pszPath ? pszPath : "");
    return RewriteValue(pszText, full, FolderOf(full), list);
}
