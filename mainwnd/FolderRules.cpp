#include "mainwnd/FolderRules.h"

#include "core/FileUtil.h"

#include <cstring>

namespace FolderRules {

int FolderImageIndex(int nBaseImage, bool bHasMail, bool bOpen)
{
    int group = nBaseImage >= 0 && nBaseImage <= 87 ? nBaseImage / 4 * 4 : 0;
    return group + (bOpen ? 1 : 0) + (bHasMail ? 2 : 0);
}

bool CountsAllMails(int nKind)
{
    return nKind == 3 || nKind == 5;
}

void NewFolderKind(int nParentKind, int nParentImage, int& nKind, int& nImage)
{
    if (nParentKind == 2 || nParentKind == 3 || nParentKind == 5 || nParentKind == 6 || nParentKind == 10) {
        nKind = 10;
        nImage = nParentImage;
    } else {
        nKind = 0;
        nImage = 0;
    }
}

bool IsFolderPathTooLong(const char* pszFoldersPath, const char* pszName)
{
    return strlen(pszFoldersPath) + strlen(pszName) + 3 > 260;
}

CString NewFolderDirectory(const char* pszFoldersPath, const char* pszName)
{
    CString path = CombinePath(pszFoldersPath, CString(pszName) + ".Box");
    for (int n = 1; GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; ++n) {
        CString name;
        name.Format("%s_%d", pszName, n);
        path = CombinePath(pszFoldersPath, name + ".Box");
    }
    return path;
}

CString RenamedFolderDirectory(const char* pszOldDirectory, const char* pszNewName)
{
    CString dir(pszOldDirectory);
    dir.TrimRight("\\");
    int slash = dir.ReverseFind('\\');
    CString parent = slash >= 0 ? dir.Left(slash) : CString();
    return CombinePath(parent, CString(pszNewName) + ".Box");
}

bool IsNameAtLevel(const CStringArray& names, const char* pszName)
{
    for (int i = 0; i < names.GetSize(); ++i)
        if (names[i].CompareNoCase(pszName) == 0)
            return true;
    return false;
}

} // namespace FolderRules
