#include "mainwnd/FolderTreeRepair.h"

#include "core/FileUtil.h"

#include <algorithm>

namespace {

CString Normalised(const CString& path)
{
    CString p = path;
    while (!p.IsEmpty() && (p.Right(1) == "\\" || p.Right(1) == "/"))
        p = p.Left(p.GetLength() - 1);
    p.Replace("/", "\\");
    p.MakeLower();
    return p;
}

} // namespace

namespace FolderTreeRepair {

std::vector<CString> UnusedDirectories(const char* pszFoldersDir, const std::vector<CString>& usedPaths)
{
    std::vector<CString> used;
    for (const CString& p : usedPaths)
        used.push_back(Normalised(p));
    std::vector<CString> found;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(CombinePath(pszFoldersDir, "*"), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return found;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || strcmp(fd.cFileName, ".") == 0 ||
            strcmp(fd.cFileName, "..") == 0)
            continue;
        CString path = CombinePath(pszFoldersDir, fd.cFileName);
        if (std::find(used.begin(), used.end(), Normalised(path)) == used.end())
            found.push_back(path);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(found.begin(), found.end(), [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    return found;
}

} // namespace FolderTreeRepair
