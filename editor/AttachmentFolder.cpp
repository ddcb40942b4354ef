#include "editor/AttachmentFolder.h"

#include "core/FileUtil.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Calls back with each entry of the folder (dot entries skipped).
template <typename F> void ForEachEntry(const char* pszFolder, F f)
{
    WIN32_FIND_DATAA fd = {};
    HANDLE h = FindFirstFileA(CombinePath(pszFolder, "*.*"), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0)
            continue;
        f(CString(fd.cFileName), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

void ListDeeper(const CString& folder, AttachmentFolderListing& listing)
{
    ForEachEntry(folder, [&](const CString& name, bool isFolder) {
        CString path = CombinePath(folder, name);
        if (!isFolder)
            listing.files.Add(path);
        else if (name.CompareNoCase("Headers") != 0)
            ListDeeper(path, listing);
    });
}

} // namespace

void ListAttachmentFolder(const char* pszFolder, bool bHtmlMode, AttachmentFolderListing& listing)
{
    ForEachEntry(pszFolder, [&](const CString& name, bool isFolder) {
        CString path = CombinePath(pszFolder, name);
        if (!isFolder) {
            listing.files.Add(path);
            return;
        }
        if (name.CompareNoCase("NonAttach") == 0 || name.CompareNoCase("Headers") == 0)
            return;
        bool html = bHtmlMode && name.CompareNoCase("html") == 0;
        bool inlinePart = name.CompareNoCase("inline") == 0;
        ForEachEntry(path, [&](const CString& inner, bool innerFolder) {
            CString innerPath = CombinePath(path, inner);
            if (innerFolder) {
                if (!html && !inlinePart)
                    ListDeeper(innerPath, listing);
            } else if (html) {
                if (listing.htmlFile.IsEmpty())
                    listing.htmlFile = innerPath;
            } else if (inlinePart) {
                listing.inlineFiles.Add(innerPath);
            } else {
                listing.files.Add(innerPath);
            }
        });
    });
}

void SortAttachmentPaths(CStringArray& paths)
{
    std::vector<CString> v;
    for (int i = 0; i < paths.GetSize(); ++i)
        v.push_back(paths[i]);
    std::stable_sort(v.begin(), v.end(),
                     [](const CString& a, const CString& b) { return strcmp(a.GetString(), b.GetString()) > 0; });
    paths.RemoveAll();
    for (const CString& s : v)
        paths.Add(s);
}

CString FindHtmlPartFile(const char* pszFolder)
{
    if (!pszFolder || !*pszFolder)
        return CString();
    CString html = CombinePath(pszFolder, "html");
    CString found;
    ForEachEntry(html, [&](const CString& name, bool isFolder) {
        if (found.IsEmpty() && !isFolder && name.GetLength() >= 2 && _strnicmp(name, "QM", 2) == 0)
            found = CombinePath(html, name);
    });
    return found;
}
