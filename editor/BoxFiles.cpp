#include "editor/BoxFiles.h"

#include "core/FileUtil.h"
#include "resources/utils/UtilsResource.h"

#include <cstring>

namespace {

// A find handle, closed on every path.
class FindHandle
{
public:
    explicit FindHandle(HANDLE h) : m_h(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            FindClose(m_h);
    }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

} // namespace

void CBoxFiles::ListNames(const char* pszFolder, CStringArray& names, bool bDropExtension)
{
    names.RemoveAll();
    WIN32_FIND_DATAA fd;
    FindHandle find(FindFirstFileA(CombinePath(pszFolder, "*.*"), &fd));
    if (find.Get() == INVALID_HANDLE_VALUE)
        return;
    do {
        if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0 ||
            (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        names.Add(bDropExtension ? RemoveFileExtension(fd.cFileName) : CString(fd.cFileName));
    } while (FindNextFileA(find.Get(), &fd));
}

int CBoxFiles::FindNameInList(const CStringArray& names, const char* pszName)
{
    const char* name = pszName ? pszName : "";
    size_t n = strlen(name);
    for (int i = 0; i < names.GetSize(); ++i) {
        if (_strnicmp(names[i], name, n) == 0)
            return i;
    }
    return -1;
}

UINT CBoxFiles::CheckName(const char* pszName, UINT nCharsMessage)
{
    CString name = pszName;
    if (name == "." || name == "..")
        return IDS_DOT_NAMES;
    if (MakeValidFileName(name) != name)
        return nCharsMessage;
    return 0;
}

bool CBoxFiles::WouldReplaceOther(const char* pszOpenedPath, const char* pszPath)
{
    if (!FileExists(pszPath))
        return false;
    // A name that differs only in letter case names the same file.
    return !pszOpenedPath || !*pszOpenedPath || !IsSamePath(pszOpenedPath, pszPath);
}

CBoxFiles::SaveResult CBoxFiles::CopyBoxFile(const char* pszSourcePath, const char* pszTargetPath,
                                          bool bOverwriteConfirmed)
{
    if (WouldReplaceOther(pszSourcePath, pszTargetPath) && !bOverwriteConfirmed)
        return needsOverwrite;
    return ::CopyFileA(pszSourcePath, pszTargetPath, FALSE) ? saved : createFailed;
}
