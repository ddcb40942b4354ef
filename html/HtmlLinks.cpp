// Rewriting the local file links of an HTML mail into "cid:" references.
#include "html/HtmlUtil.h"

#include "classlib/Handle.h"
#include "core/FileUtil.h"
#include "html/HtmlCharacterReferences.h"
#include "message/AddressList.h"
#include "message/JapaneseCode.h"
#include "message/RelatedPartList.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

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

// "\\.\" and "\\?\" name devices and raw objects, never a picture.
bool IsDeviceNamespace(const CString& path)
{
    return path.GetLength() >= 4 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
           (path[2] == '.' || path[2] == '?') && (path[3] == '\\' || path[3] == '/');
}

// The name under which the file system knows an existing file or folder,
// upper-cased: "." and "..", short names, letter case, trailing dots and
// blanks and links between folders all resolved, so that two spellings of
// one file give one key. Empty when the path names nothing of that kind
// (a device, a pipe, nothing at all).
std::wstring ResolvedKey(const char* pszPath, bool bFolder)
{
    CHandle file(CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != bFolder)
        return std::wstring();
    std::wstring name(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(file, &name[0], static_cast<DWORD>(name.size()), VOLUME_NAME_DOS);
    if (n >= name.size()) {
        name.assign(n + 1, L'\0');
        n = GetFinalPathNameByHandleW(file, &name[0], static_cast<DWORD>(name.size()), VOLUME_NAME_DOS);
    }
    if (n == 0 || n >= name.size())
        name = CString(FullFileName(pszPath)).ToWide();
    else
        name.resize(n);
    if (name.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        name = L"\\" + name.substr(7);
    else if (name.compare(0, 4, L"\\\\?\\") == 0)
        name = name.substr(4);
    if (!name.empty())
        CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    if (bFolder && (name.empty() || name.back() != L'\\'))
        name += L'\\';
    return name;
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

CString ConvertLinks(const char* pszText, const CString& fullPath, const std::wstring& rootKey, CRelatedPartList& list,
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

// A local file a link names: its full name (the related part's name) and
// the key the file system resolves it to.
struct LinkedFile
{
    CString name;
    std::wstring key;
};

// The existing plain file a link value names: an absolute path or "file:"
// link, or a path relative to the folder (none: no relative links).
bool FindLinkedFile(const CString& rawValue, const CString& folder, LinkedFile& file)
{
    CString value = FileUrlToPath(rawValue);
    if (value.IsEmpty() || IsDeviceNamespace(value))
        return false;
    CString candidate;
    if (IsAbsolutePath(value))
        candidate = value;
    else if (!folder.IsEmpty())
        candidate = CombinePath(folder, value);
    if (candidate.IsEmpty() || !FileExists(candidate))
        return false;
    file.key = ResolvedKey(candidate, false);
    if (file.key.empty())
        return false;
    file.name = FullFileName(candidate);
    return true;
}

// The spellings in which an engine may read one attribute value of a page:
// as written, with its character references, percent escapes (of UTF-8 or
// of the page's own code) and "%20with%20" decoded.
std::vector<CString> ValueSpellings(const CString& value)
{
    std::vector<CString> out;
    auto add = [&out](const CString& v) {
        if (!v.IsEmpty() && std::find(out.begin(), out.end(), v) == out.end())
            out.push_back(v);
    };
    std::wstring wide = value.ToWide();
    std::wstring referenced = DecodeCharacterReferences(wide);
    CString withReferences = referenced == wide ? value : CString(referenced.c_str());
    for (const CString& v : { value, withReferences }) {
        add(v);
        CString blanks = v;
        DecodeWithBlanks(blanks);
        add(blanks);
        CString bytes = DecodePercentBytes(v);
        add(bytes);
        if (IsMultiByteUtf8(bytes))
            add(Utf8ToAnsi(bytes));
    }
    return out;
}

// The page's text in each code it may be read in: as stored (Shift_JIS or
// plain ASCII), and as UTF-8, JIS or EUC where its bytes allow. An engine
// reads on past a NUL byte, so the text here does too.
std::vector<CString> PageSpellings(std::string page)
{
    std::replace(page.begin(), page.end(), '\0', ' ');
    std::vector<CString> out{ CString(page.c_str()) };
    bool high = false;
    for (char c : page)
        high = high || (static_cast<unsigned char>(c) & 0x80) != 0;
    if (IsMultiByteUtf8(page.c_str()))
        out.push_back(Utf8ToAnsi(page.c_str()));
    else if (high)
        out.push_back(EucToSjis(page.c_str()));
    if (page.find('\x1b') != std::string::npos)
        out.push_back(JisToSjis(page.c_str()));
    return out;
}

// Every attribute value of a page, wherever an "=" stands (quoted with
// either quote, or up to a blank or ">"), so that no way of writing a tag
// hides a link.
template <typename F>
void ForEachValue(const CString& page, F f)
{
    const char* text = page.GetString();
    const int length = page.GetLength();
    for (int i = 0; i < length; ++i) {
        if (text[i] != '=')
            continue;
        int p = i + 1;
        while (p < length && (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' || text[p] == '\n' ||
                              BlankLength(text + p) == 2))
            p += BlankLength(text + p) == 2 ? 2 : 1;
        int start = p, end = p;
        if (p < length && (text[p] == '"' || text[p] == '\'')) {
            start = p + 1;
            const char* close = static_cast<const char*>(memchr(text + start, text[p], length - start));
            end = close ? static_cast<int>(close - text) : length;
        } else {
            while (end < length && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' && text[end] != '\n' &&
                   text[end] != '>')
                ++end;
        }
        if (end > start)
            f(CString(text + start, end - start));
    }
}

// The folder a page's first BASE element names, where an engine resolves
// its relative links; empty when it names none.
CString BaseFolderOf(const CString& page, const CString& pageFolder)
{
    CString lower = page;
    lower.MakeLower();
    int at = lower.Find("<base");
    if (at < 0)
        return CString();
    int close = lower.Find('>', at);
    CString tag = page.Mid(at, (close < 0 ? page.GetLength() : close + 1) - at);
    CString folder;
    ForEachValue(tag, [&](const CString& value) {
        for (const CString& spelling : ValueSpellings(value)) {
            CString path = FileUrlToPath(spelling);
            if (!IsAbsolutePath(path) && !pageFolder.IsEmpty())
                path = CombinePath(pageFolder, path);
            if (folder.IsEmpty() && !IsDeviceNamespace(path) && DirectoryExists(path))
                folder = path;
        }
    });
    return folder;
}

// The files a page as stored names, by the keys they resolve to, read in
// every spelling of the page and its values that an engine showing it may
// use. Built at the first link to a file outside the mail's folder: most
// pages have none.
class CNamedFiles
{
public:
    CNamedFiles(std::string page, const CString& folder) : m_page(std::move(page)), m_folder(folder) {}

    bool Names(const std::wstring& key)
    {
        if (!m_bBuilt)
            Build();
        return m_keys.count(key) != 0;
    }

private:
    void Build()
    {
        m_bBuilt = true;
        std::set<std::string> tried;
        for (const CString& page : PageSpellings(m_page)) {
            std::vector<CString> folders{ m_folder };
            CString base = BaseFolderOf(page, m_folder);
            if (!base.IsEmpty())
                folders.push_back(base);
            ForEachValue(page, [&](const CString& value) {
                for (const CString& spelling : ValueSpellings(value)) {
                    for (const CString& folder : folders) {
                        if (!tried.insert(folder.Str() + '\0' + spelling.Str()).second)
                            continue;
                        LinkedFile file;
                        if (FindLinkedFile(spelling, folder, file))
                            m_keys.insert(file.key);
                    }
                }
            });
        }
    }

    std::string m_page;
    CString m_folder;
    bool m_bBuilt = false;
    std::set<std::wstring> m_keys;
};

// The file a link value names, when it is one the mail may carry: a file
// inside the mail's own folder, or one the page as stored does not name
// (a picture the user put in while writing). A received mail sent on again
// must not carry other files of the disk, whatever its HTML names. Both are
// decided by the file the link resolves to, never by its text. Empty when
// the value names nothing to carry.
CString ResolveLocalFile(const CString& rawValue, const CString& pagePath, const std::wstring& rootKey,
                         CNamedFiles* pStoredPage)
{
    LinkedFile file;
    if (!FindLinkedFile(rawValue, pagePath.IsEmpty() ? CString() : FolderOf(pagePath), file))
        return CString();
    bool inside = !rootKey.empty() && file.key.size() > rootKey.size() && file.key.compare(0, rootKey.size(), rootKey) == 0;
    if (!inside && pStoredPage && pStoredPage->Names(file.key))
        return CString();
    return file.name;
}

// The content identifier of a local file, entering it into the list when it
// has none yet. A page is converted (and its own files entered) before its
// identifier is made, so that identifiers stay apart by the part count.
CString ContentIdForFile(const CString& file, const std::wstring& rootKey, CRelatedPartList& list)
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
        CString converted = ConvertLinks(nullptr, file, rootKey, list);
        id = list.MakeContentId();
        list.AddRelatedPart(file, id, converted);
    }
    return id;
}

CString RewriteValue(const char* pszText, const CString& pagePath, const std::wstring& rootKey, CRelatedPartList& list,
                     CNamedFiles* pStoredPage)
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

    CString file = ResolveLocalFile(value, pagePath, rootKey, pStoredPage);
    if (file.IsEmpty())
        return CString(pszText ? pszText : "");
    out += "cid:";
    out += ContentIdForFile(file, rootKey, list);
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

CString RewriteTag(const char* pszTag, const CString& pagePath, const std::wstring& rootKey, CRelatedPartList& list,
                   CNamedFiles* pStoredPage)
{
    int end = FindLinkAttribute(pszTag);
    if (end < 0)
        return CString(pszTag);
    CString out(pszTag, end);
    out += RewriteValue(pszTag + end, pagePath, rootKey, list, pStoredPage);
    return out;
}

CString ConvertLinks(const char* pszText, const CString& fullPath, const std::wstring& rootKey, CRelatedPartList& list,
                     bool bUsersPage)
{
    list.AddReference(fullPath);
    // The page as stored, when there is one: what its links already named.
    std::string storedPage = fullPath.IsEmpty() ? std::string() : ReadTextFile(fullPath);
    const std::string pageText = pszText ? std::string(pszText) : storedPage;
    // A page the user's own editor wrote may name any file.
    CNamedFiles named(bUsersPage ? std::string() : std::move(storedPage),
                      fullPath.IsEmpty() ? CString() : FolderOf(fullPath));
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
                result += RewriteTag(tag.c_str(), fullPath, rootKey, list, &named);
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
// new mail written in the editor); the key of its folder, empty likewise.
CString PagePath(const char* pszPath) { return pszPath && *pszPath ? FullFileName(pszPath) : CString(); }
std::wstring RootOf(const CString& page) { return page.IsEmpty() ? std::wstring() : ResolvedKey(FolderOf(page), true); }
CNamedFiles StoredPage(const CString& page)
{
    return CNamedFiles(page.IsEmpty() ? std::string() : ReadTextFile(page), page.IsEmpty() ? CString() : FolderOf(page));
}

} // namespace

CString ConvertHtmlLinksToCid(const char* pszText, const char* pszPath, CRelatedPartList& list, bool bUsersPage)
{
    CString full = PagePath(pszPath);
    return ConvertLinks(pszText, full, RootOf(full), list, bUsersPage);
}

CString RewriteTagLinks(const char* pszTag, const char* pszPath, CRelatedPartList& list)
{
    CString full = PagePath(pszPath);
    CNamedFiles named = StoredPage(full);
    return RewriteTag(pszTag ? pszTag : "", full, RootOf(full), list, &named);
}

CString RewriteLinkAttributeValue(const char* pszText, const char* pszPath, CRelatedPartList& list)
{
    CString full = PagePath(pszPath);
    CNamedFiles named = StoredPage(full);
    return RewriteValue(pszText, full, RootOf(full), list, &named);
}
