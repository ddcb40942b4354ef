#include "core/FileUtil.h"

#include "classlib/Mbcs.h"
#include "core/QuendalApp.h"

#include <shellapi.h>

#include <cstring>
#include <string>

namespace {

struct PathParts
{
    CString drive, dir, name, ext;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The drive, folder, name and extension as the C runtime's path splitting
// defines them, without taking a trail byte 0x5C for a backslash.
PathParts SplitPath(const char* pszPath)
{
    PathParts parts;
    if (!pszPath)
        return parts;
    size_t n = strlen(pszPath);
    size_t pos = 0;
    if (n >= 2 && pszPath[1] == ':' && !Mbcs::IsLeadByte(pszPath[0])) {
        parts.drive = CString(pszPath, 2);
        pos = 2;
    }
    size_t lastSep = std::string::npos;
    for (size_t i = pos; i < n; i += Mbcs::CharLength(pszPath + i, n - i)) {
        if (IsSeparator(pszPath[i]))
            lastSep = i;
    }
    size_t nameStart = pos;
    if (lastSep != std::string::npos) {
        parts.dir = CString(pszPath + pos, static_cast<int>(lastSep + 1 - pos));
        nameStart = lastSep + 1;
    }
    size_t lastDot = std::string::npos;
    for (size_t i = nameStart; i < n; i += Mbcs::CharLength(pszPath + i, n - i)) {
        if (pszPath[i] == '.')
            lastDot = i;
    }
    if (lastDot == std::string::npos) {
        parts.name = CString(pszPath + nameStart);
    } else {
        parts.name = CString(pszPath + nameStart, static_cast<int>(lastDot - nameStart));
        parts.ext = CString(pszPath + lastDot);
    }
    return parts;
}

bool EndsWithSeparator(const CString& s)
{
    int n = s.GetLength();
    return n > 0 && IsSeparator(s[n - 1]) && !Mbcs::IsTrailByteAt(s, static_cast<size_t>(n), static_cast<size_t>(n - 1));
}

// Length of the longest prefix of at most nMax bytes that does not cut a
// double-byte character in half.
int CharSafeLength(const char* p, int nMax)
{
    int n = 0;
    int len = static_cast<int>(strlen(p));
    while (n < len) {
        int c = static_cast<int>(Mbcs::CharLength(p + n, static_cast<size_t>(len - n)));
        if (n + c > nMax)
            break;
        n += c;
    }
    return n;
}

bool IsDotEntry(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

// Runs fn(findData) over the entries of folder\pattern.
template <class Fn>
void ForEachEntry(const char* pszFolder, const char* pszPattern, Fn fn)
{
    CString spec = CombinePath(pszFolder, pszPattern);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(spec, &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!fn(fd))
            break;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

CString NormalisedFullPath(const char* pszPath)
{
    char buf[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(pszPath, sizeof(buf), buf, nullptr);
    CString full = (n > 0 && n < sizeof(buf)) ? CString(buf) : CString(pszPath);
    CollapseBackslashes(full);
    while (full.GetLength() > 3 && EndsWithSeparator(full))
        full = full.Left(full.GetLength() - 1);
    return full;
}

template <class T, class Less>
void QuickSort(T* a, int lo, int hi, Less less)
{
    // The left part by recursion, the right part by the loop.
    while (lo < hi) {
        T pivot = a[(lo + hi) / 2];
        int i = lo, j = hi;
        while (i <= j) {
            while (less(a[i], pivot))
                ++i;
            while (less(pivot, a[j]))
                --j;
            if (i <= j) {
                T t = a[i];
                a[i] = a[j];
                a[j] = t;
                ++i;
                --j;
            }
        }
        if (lo < j)
            QuickSort(a, lo, j, less);
        lo = i;
    }
}

const char kReservedNameMessage[] =
    "CON, AUX, COM1, COM2, COM3, COM4, LPT1, LPT2, LPT3, PRN, NUL というファイル名は使用できません。";
const char kScriptWarning[] =
    "HTML内に（このメールには）スクリプトが存在します。\r\n"
    "スクリプトの内容によってはマシン（パソコン）に被害がある可能性があります。それでもHTMLを開きますか？\r\n"
    "（信頼できない方からのメールであれば開かないようにしてください）";

} // namespace

// ---- Splitting and joining ----

void AppendPathName(CString& path, const char* pszName)
{
    if (!path.IsEmpty() && !EndsWithSeparator(path))
        path += '\\';
    path += pszName;
}

CString CombinePath(const char* pszFolder, const char* pszName)
{
    CString path(pszFolder);
    AppendPathName(path, pszName);
    return path;
}

void AppendExtension(CString& path, const char* pszExtension)
{
    if (!pszExtension || !*pszExtension)
        return;
    if (pszExtension[0] != '.')
        path += '.';
    path += pszExtension;
}

CString RemoveFileExtension(const char* pszPath)
{
    PathParts p = SplitPath(pszPath);
    return p.drive + p.dir + p.name;
}

CString GetFileExtension(const char* pszPath) { return SplitPath(pszPath).ext; }

CString GetFileNameFromPath(const char* pszPath)
{
    PathParts p = SplitPath(pszPath);
    return p.name + p.ext;
}

CString GetDirectoryFromPath(const char* pszPath)
{
    PathParts p = SplitPath(pszPath);
    return p.drive + p.dir;
}

void ReplaceFileName(CString& path, const char* pszName)
{
    PathParts p = SplitPath(path);
    path = p.drive + p.dir + pszName;
}

void ReplaceFileExtension(CString& path, const char* pszExtension)
{
    PathParts p = SplitPath(path);
    path = p.drive + p.dir + p.name;
    AppendExtension(path, pszExtension);
}

void CollapseBackslashes(CString& path)
{
    const std::string& s = path.Str();
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t len = Mbcs::CharLength(s.data() + i, s.size() - i);
        if (len == 1 && s[i] == '\\' && !out.empty() && out.back() == '\\' &&
            !Mbcs::IsTrailByteAt(out.data(), out.size(), out.size() - 1)) {
            ++i;
            continue;
        }
        out.append(s, i, len);
        i += len;
    }
    path = CString(out);
}

CString GetRelativePath(const char* pszFolder, const char* pszPath)
{
    if (!pszFolder || !pszPath)
        return CString();
    size_t nf = strlen(pszFolder), np = strlen(pszPath);
    if (np < nf + 2 || _strnicmp(pszFolder, pszPath, nf) != 0)
        return CString();
    return CString(pszPath + nf + 1);
}

CString FitFileName(int nLimit, const char* pszPath)
{
    PathParts p = SplitPath(pszPath);
    int extLen = p.ext.GetLength();
    if (p.name.GetLength() > nLimit - extLen - 1) {
        int keep = nLimit - extLen - 2;
        p.name = keep > 0 ? p.name.Left(CharSafeLength(p.name, keep)) : CString();
    }
    return p.name + p.ext;
}

namespace {

// Whether the byte can follow a lead byte as the second byte of a character.
bool IsTrailByte(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 0x40 && u <= 0x7E) || (u >= 0x80 && u <= 0xFC);
}

// Whether Windows takes the name for a device: it looks at the name before
// the first dot, blanks at its end ignored, so "con.txt" and "NUL .log" are
// devices too.
bool IsDeviceFileName(const std::string& name)
{
    static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2",   "COM3",    "COM4",
                                           "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1",   "LPT2",    "LPT3",
                                           "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9",   "CLOCK$",  "CONIN$",
                                           "CONOUT$"};
    size_t stem = name.find('.');
    if (stem == std::string::npos)
        stem = name.size();
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    for (const char* device : kDevices) {
        if (strlen(device) == stem && _strnicmp(name.c_str(), device, stem) == 0)
            return true;
    }
    return false;
}

} // namespace

CString MakeValidFileName(const char* pszText)
{
    if (!pszText)
        return CString();
    std::string out;
    size_t n = strlen(pszText);
    for (size_t i = 0; i < n;) {
        // A lead byte makes one character only with a trail byte after it;
        // before anything else it stands alone and the next byte is checked
        // on its own, so "\xFB/" cannot carry its slash into a path.
        if (i + 1 < n && Mbcs::IsLeadByte(pszText[i]) && IsTrailByte(pszText[i + 1])) {
            out.append(pszText + i, 2);
            i += 2;
            continue;
        }
        out += strchr("/:*?\\<>\"|", pszText[i]) ? '_' : pszText[i];
        ++i;
    }
    // A device name would send the file's bytes to the device.
    if (IsDeviceFileName(out))
        out.insert(0, "_");
    return CString(out);
}

// ---- Folders of the mailbox layout ----

CString GetAttachFolderPath(const char* pszFolder, const char* pszSubFolder)
{
    CString path = CombinePath(pszFolder, "Attach");
    if (pszSubFolder && *pszSubFolder)
        AppendPathName(path, pszSubFolder);
    return path;
}

CString GetMailAttachFolder(const char* pszMailFilePath)
{
    PathParts p = SplitPath(pszMailFilePath);
    CString path = CombinePath(p.drive + p.dir, "Attach");
    AppendPathName(path, p.name);
    return path;
}

CString GetTemplateFilePath(const char* pszName)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return CString(pszName);
    return CombinePath(app->GetTemplateBoxPath(), pszName);
}

CString GetSignatureFilePath(const char* pszName)
{
    if (!pszName || !*pszName)
        return CString();
    CQuendalApp* app = QuendalApp();
    CString folder = app ? CombinePath(app->GetMailBoxFolder(), "Signature.Box") : CString("Signature.Box");
    if (!DirectoryExists(folder))
        CreateDirectoryPath(folder);
    CString path = CombinePath(folder, pszName);
    path += ".sig";
    return path;
}

// ---- Existence and status ----

bool PathExists(const char* pszPath)
{
    return pszPath && *pszPath && GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const char* pszPath)
{
    if (!pszPath || !*pszPath)
        return false;
    DWORD a = GetFileAttributesA(pszPath);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const char* pszPath)
{
    if (!pszPath || !*pszPath)
        return false;
    DWORD a = GetFileAttributesA(pszPath);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExistsInFolder(const char* pszFolder, const char* pszNameOrPattern)
{
    bool found = false;
    ForEachEntry(pszFolder, pszNameOrPattern, [&](const WIN32_FIND_DATAA&) {
        found = true;
        return false;
    });
    return found;
}

bool IsSamePath(const char* pszPath1, const char* pszPath2)
{
    if (!pszPath1 || !pszPath2)
        return false;
    char s1[MAX_PATH], s2[MAX_PATH];
    DWORD n1 = GetShortPathNameA(pszPath1, s1, sizeof(s1));
    DWORD n2 = GetShortPathNameA(pszPath2, s2, sizeof(s2));
    if (n1 > 0 && n1 < sizeof(s1) && n2 > 0 && n2 < sizeof(s2))
        return _stricmp(s1, s2) == 0;
    // A path that does not exist has no short form; two such paths are only
    // the same when they name the same place.
    return NormalisedFullPath(pszPath1).CompareNoCase(NormalisedFullPath(pszPath2)) == 0;
}

CString GetHandleFinalPath(HANDLE hFile)
{
    DWORD n = GetFinalPathNameByHandleA(hFile, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0)
        return CString();
    std::string buffer(n + 1, '\0');
    DWORD got = GetFinalPathNameByHandleA(hFile, &buffer[0], n + 1, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (got == 0 || got > n)
        return CString();
    buffer.resize(got);
    // "\\?\C:\..." and "\\?\UNC\server\..." in the form other paths have.
    if (buffer.compare(0, 8, "\\\\?\\UNC\\") == 0)
        return CString(("\\\\" + buffer.substr(8)).c_str());
    if (buffer.compare(0, 4, "\\\\?\\") == 0)
        return CString(buffer.substr(4).c_str());
    return CString(buffer.c_str());
}

CString GetResolvedPath(const char* pszPath)
{
    HANDLE h = CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return CString();
    CString path = GetHandleFinalPath(h);
    CloseHandle(h);
    return path;
}

bool HasAttachmentFiles(const char* pszFolder)
{
    bool has = false;
    ForEachEntry(pszFolder, "*.*", [&](const WIN32_FIND_DATAA& fd) {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            has = true;
            return false;
        }
        if (IsDotEntry(fd.cFileName) || _stricmp(fd.cFileName, "Headers") == 0)
            return true;
        CString sub = CombinePath(pszFolder, fd.cFileName);
        ForEachEntry(sub, "*.*", [&](const WIN32_FIND_DATAA& inner) {
            if (IsDotEntry(inner.cFileName))
                return true;
            has = true;
            return false;
        });
        return !has;
    });
    return has;
}

DWORD GetFolderFilesSize(const char* pszFolder)
{
    DWORD total = 0;
    ForEachEntry(pszFolder, "*.*", [&](const WIN32_FIND_DATAA& fd) {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!IsDotEntry(fd.cFileName))
                total += GetFolderFilesSize(CombinePath(pszFolder, fd.cFileName));
        } else {
            total += fd.nFileSizeLow;
        }
        return true;
    });
    return total;
}

void ListFilesRecursive(const char* pszFolder, CStringArray& files)
{
    ForEachEntry(pszFolder, "*.*", [&](const WIN32_FIND_DATAA& fd) {
        CString path = CombinePath(pszFolder, fd.cFileName);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!IsDotEntry(fd.cFileName))
                ListFilesRecursive(path, files);
        } else {
            files.Add(path);
        }
        return true;
    });
}

double GetDiskFreeBytes(const char* pszPath)
{
    PathParts p = SplitPath(pszPath);
    CString root = p.drive + "\\";
    // The folder that holds the path (or the path itself, a folder), not the
    // root of its drive: a drive may join several file systems (under Wine
    // the root is the host's "/"), and the space that counts is the one the
    // file is written to. A folder not made yet counts as its nearest parent.
    CString folder = DirectoryExists(pszPath) ? CombinePath(pszPath, "") : GetDirectoryFromPath(pszPath);
    while (!folder.IsEmpty() && !DirectoryExists(folder)) {
        // Without its own last separator, the folder's parent.
        CString parent = GetDirectoryFromPath(folder.Left(folder.GetLength() - 1));
        if (parent.GetLength() >= folder.GetLength())
            break;
        folder = parent;
    }
    if (folder.IsEmpty() || !DirectoryExists(folder))
        folder = root;
    typedef BOOL(WINAPI * GetDiskFreeSpaceExProc)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto proc = kernel ? reinterpret_cast<GetDiskFreeSpaceExProc>(
                             reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")))
                       : nullptr;
    if (proc) {
        ULARGE_INTEGER avail, total, free;
        if (!proc(folder, &avail, &total, &free))
            return 0;
        return static_cast<double>(free.QuadPart);
    }
    DWORD spc = 0, bps = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root, &spc, &bps, &freeClusters, &clusters))
        return 0;
    return static_cast<double>(freeClusters) * spc * bps;
}

// ---- Creating, copying and deleting ----

bool IsReservedDeviceName(const char* pszName)
{
    static const char* const kNames[] = {"CON", "AUX", "COM1", "COM2", "COM3", "COM4",
                                         "LPT1", "LPT2", "LPT3", "PRN", "NUL"};
    if (!pszName)
        return false;
    for (const char* name : kNames) {
        if (_stricmp(pszName, name) == 0) {
            AfxMessageBox(kReservedNameMessage, MB_OK);
            return true;
        }
    }
    return false;
}

BOOL CreateDirectoryPath(const char* pszPath)
{
    if (!pszPath || !*pszPath)
        return FALSE;
    if (IsReservedDeviceName(GetFileNameFromPath(pszPath)))
        return FALSE;
    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;
    size_t n = strlen(pszPath);
    // A UNC path's server and share cannot be created; start below them.
    size_t skipUntil = 0;
    if (n > 2 && IsSeparator(pszPath[0]) && IsSeparator(pszPath[1])) {
        int seps = 0;
        for (size_t i = 2; i < n; i += Mbcs::CharLength(pszPath + i, n - i)) {
            if (IsSeparator(pszPath[i]) && ++seps == 2) {
                skipUntil = i;
                break;
            }
        }
        if (!skipUntil)
            skipUntil = n;
    }
    bool first = skipUntil == 0;
    for (size_t i = 0; i < n; i += Mbcs::CharLength(pszPath + i, n - i)) {
        if (pszPath[i] != '\\')
            continue;
        if (i <= skipUntil && skipUntil)
            continue;
        if (first) {
            // The drive, or the first name of a relative path.
            first = false;
            continue;
        }
        CString prefix(pszPath, static_cast<int>(i));
        if (GetFileAttributesA(prefix) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!CreateDirectoryA(prefix, &sa))
            return FALSE;
    }
    return CreateDirectoryA(pszPath, &sa);
}

namespace {

typedef char*(CDECL* UnixFileNameFn)(LPCWSTR);

// Wine's own export that gives the host path of a Windows path; absent on
// Windows.
UnixFileNameFn WineUnixFileName()
{
    static UnixFileNameFn fn = reinterpret_cast<UnixFileNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    return fn;
}

// A host path (UTF-8) in UTF-16.
std::wstring HostPathToWide(const char* psz)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, psz, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, psz, -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

// Whether the Windows side would make a folder of exactly this name: it
// drops trailing dots and spaces, refuses some characters and the device
// names (also with an extension), and makes no folder whose path reaches
// MAX_PATH less room for a file name. The host side takes any name as
// written, and '/' as its separator: every other name goes the Windows way.
bool NameIsTakenAsWritten(const std::wstring& name, size_t nPathLength)
{
    if (name.empty() || nPathLength >= MAX_PATH - 12 || name == L"." || name == L"..")
        return false;
    if (name.back() == L'.' || name.back() == L' ')
        return false;
    for (wchar_t c : name)
        if (c < 0x20 || wcschr(L"\\/:*?\"<>|", c))
            return false;
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    for (const wchar_t* device : kDevices)
        if (_wcsicmp(stem.c_str(), device) == 0)
            return false;
    if (stem.size() == 4 && (_wcsnicmp(stem.c_str(), L"COM", 3) == 0 || _wcsnicmp(stem.c_str(), L"LPT", 3) == 0) &&
        stem[3] >= L'0' && stem[3] <= L'9')
        return false;
    return true;
}

// Wine matches every new name case-insensitively against all entries of its
// folder on a case-sensitive host file system, one directory read per name;
// a path given through its Unix namespace ("\\?\unix\...") is taken as
// it is written. The parent, which exists, resolves without such a read.
bool CreateDirectoryByHostPath(const char* pszPath)
{
    UnixFileNameFn unixName = WineUnixFileName();
    if (!unixName)
        return false;
    CString parent = GetDirectoryFromPath(pszPath);
    CString name = GetFileNameFromPath(pszPath);
    // The parent folder itself, not its contents: no trailing backslash.
    if (parent.GetLength() > 3 && parent[parent.GetLength() - 1] == '\\')
        parent = parent.Left(parent.GetLength() - 1);
    std::wstring wideName = name.ToWide();
    if (parent.IsEmpty() || !NameIsTakenAsWritten(wideName, strlen(pszPath)))
        return false;
    char* host = unixName(parent.ToWide().c_str());
    if (!host)
        return false;
    std::wstring path = L"\\\\?\\unix" + HostPathToWide(host);
    HeapFree(GetProcessHeap(), 0, host);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    if (path.back() != L'\\')
        path += L'\\';
    path += wideName;
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

} // namespace

bool CreateNewDirectory(const char* pszPath)
{
    if (!pszPath || !*pszPath)
        return false;
    return CreateDirectoryByHostPath(pszPath) || CreateDirectoryA(pszPath, nullptr);
}

CString GetSystemTempFolder()
{
    char temp[MAX_PATH + 1] = "";
    DWORD n = GetTempPathA(sizeof(temp), temp);
    if (n == 0 || n >= sizeof(temp))
        return CString(".\\");
    return CString(temp);
}

bool ReserveNewFile(const char* pszPath)
{
    HANDLE h = CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

BOOL CopyFileOverwrite(const char* pszTarget, const char* pszSource)
{
    if (GetFileAttributesA(pszTarget) != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(pszTarget, FILE_ATTRIBUTE_NORMAL);
    return CopyFileA(pszSource, pszTarget, FALSE);
}

bool CopyFolderTree(const char* pszSource, const char* pszTarget)
{
    if (!PathExists(pszSource))
        return true;
    CreateDirectoryPath(pszTarget);
    ForEachEntry(pszSource, "*.*", [&](const WIN32_FIND_DATAA& fd) {
        if (IsDotEntry(fd.cFileName))
            return true;
        CString from = CombinePath(pszSource, fd.cFileName);
        CString to = CombinePath(pszTarget, fd.cFileName);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyFolderTree(from, to);
        } else if (!CopyFileOverwrite(to, from)) {
            DWORD err = GetLastError();
            char* text = nullptr;
            FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, err, 0, reinterpret_cast<char*>(&text), 0, nullptr);
            CString msg;
            msg.Format("OverWriteFile Erro[%s][%s]", from.GetString(), text ? text : "");
            if (text)
                LocalFree(text);
            AfxMessageBox(msg, MB_OK);
        }
        return true;
    });
    return true;
}

bool ForceDeleteFile(const char* pszPath)
{
    if (GetFileAttributesA(pszPath) == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(pszPath) != FALSE;
}

int MoveToRecycleBin(const char* pszPath)
{
    std::string from(pszPath ? pszPath : "");
    from.append(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = 0x454;  // allow undo, no confirmation, no error UI, silent
    return SHFileOperationA(&op);
}

bool DeleteDirectoryTree(const char* pszFolder, bool bDeleteFiles)
{
    DWORD attributes = GetFileAttributesA(pszFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    // Walking into a link would delete the files of whatever it leads to.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return false;
    bool ok = true, linkLeft = false;
    ForEachEntry(pszFolder, "*.*", [&](const WIN32_FIND_DATAA& fd) {
        if (IsDotEntry(fd.cFileName))
            return true;
        CString path = CombinePath(pszFolder, fd.cFileName);
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // A link that cannot be removed keeps its folder; the rest goes.
            if (!RemoveDirectoryA(path) && !DeleteFileA(path))
                linkLeft = true;
            return true;
        }
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = DeleteDirectoryTree(path, bDeleteFiles);
        else if (bDeleteFiles)
            ok = ForceDeleteFile(path);
        return ok;
    });
    if (!ok || linkLeft)
        return false;
    return RemoveDirectoryA(pszFolder) != FALSE;
}

bool DeleteUnlistedMailFolders(const char* pszFolder, CStringArray& names)
{
    if (!PathExists(pszFolder))
        return true;
    CStringArray doomed;
    ForEachEntry(pszFolder, "*.*", [&](const WIN32_FIND_DATAA& fd) {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || _strnicmp(fd.cFileName, "QM", 2) != 0)
            return true;
        for (int i = 0; i < names.GetSize(); ++i) {
            if (names[i].CompareNoCase(fd.cFileName) == 0) {
                names.RemoveAt(i);
                return true;
            }
        }
        doomed.Add(CombinePath(pszFolder, fd.cFileName));
        return true;
    });
    for (int i = 0; i < doomed.GetSize(); ++i)
        DeleteDirectoryTree(doomed[i], true);
    return true;
}

// ---- Text and array helpers ----

bool IsBlankChar(unsigned char c, unsigned char next)
{
    return c == ' ' || c == '\t' || (c == 0x81 && next == 0x40);
}

const char* SkipBlanks(const char* pszText)
{
    if (!pszText)
        return pszText;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText);
    for (;;) {
        if (*p == ' ' || *p == '\t')
            ++p;
        else if (p[0] == 0x81 && p[1] == 0x40)
            p += 2;
        else
            break;
    }
    return reinterpret_cast<const char*>(p);
}

CString ExpandTabs(const char* pszText)
{
    if (!pszText)
        return CString();
    if (!strchr(pszText, '\t'))
        return CString(pszText);
    std::string out;
    for (const char* p = pszText; *p; ++p) {
        if (*p == '\t')
            out += "  ";
        else
            out += *p;
    }
    return CString(out);
}

CString StripMailtoPrefix(const char* pszText)
{
    if (!pszText)
        return CString();
    if (_strnicmp(pszText, "mailto:", 7) == 0)
        return CString(pszText + 7);
    return CString(pszText);
}

bool IsTokenChar(unsigned char c)
{
    if (c == '\t' || c == ' ' || c >= 0x80)
        return false;
    return !strchr("\"#'(),/:;<>[\\]", c) || c == '\0';
}

int ExtractAngleBracketItems(CStringArray& items, const char* pszText)
{
    if (!pszText)
        return -1;
    size_t n = strlen(pszText);
    size_t lastOpen = std::string::npos;
    for (size_t i = 0; i < n; i += Mbcs::CharLength(pszText + i, n - i)) {
        if (pszText[i] == '<') {
            lastOpen = i;
        } else if (pszText[i] == '>' && lastOpen != std::string::npos) {
            size_t len = i + 1 - lastOpen;
            if (len > 127)
                len = static_cast<size_t>(CharSafeLength(pszText + lastOpen, 127));
            items.Add(CString(pszText + lastOpen, static_cast<int>(len)));
            lastOpen = std::string::npos;
        }
    }
    return lastOpen == std::string::npos ? -1 : static_cast<int>(lastOpen);
}

bool CheckHtmlScript(const char* pszPath)
{
    std::string text;
    if (!ReadWholeFile(pszPath, text, CFile::shareDenyWrite) && GetLastError() == ERROR_SHARING_VIOLATION)
        return true;
    if (text.empty())
        return false;
    CQuendalApp* app = QuendalApp();
    int check = app ? static_cast<int>(app->GetProfileInt("ViewOption", "CheckHTMLScript", 1)) : 1;
    for (size_t i = 0; i + 7 <= text.size(); ++i) {
        if (text[i] != '<')
            continue;
        if (_strnicmp(text.c_str() + i, "<SCRIPT", 7) == 0 || _strnicmp(text.c_str() + i, "<OBJECT", 7) == 0) {
            if (!check)
                return false;
            return AfxMessageBox(kScriptWarning, MB_OKCANCEL | MB_DEFBUTTON2) == IDOK;
        }
    }
    return true;
}

void SortDWordArray(CDWordArray& values, bool bDescending, int nFirst, int nLast)
{
    if (nFirst < 0 || nLast >= values.GetSize() || nFirst >= nLast)
        return;
    QuickSort(values.GetData(), nFirst, nLast,
              [bDescending](DWORD a, DWORD b) { return bDescending ? a > b : a < b; });
}

void SortStringArray(CStringArray& values, bool bDescending, int nFirst, int nLast)
{
    if (nFirst < 0 || nLast >= values.GetSize() || nFirst >= nLast)
        return;
    QuickSort(values.GetData(), nFirst, nLast, [bDescending](const CString& a, const CString& b) {
        int c = a.CompareNoCase(b);
        return bDescending ? c > 0 : c < 0;
    });
}

int GetOSVersionTypeOfApp()
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetOSVersionType() : -1;
}
