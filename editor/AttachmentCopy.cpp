#include "editor/AttachmentCopy.h"

#include "core/FileUtil.h"
#include "editor/AttachListCtrl.h"

CString GetCopyToolFolder()
{
    CString folder;
    HKEY key = HKEY_CURRENT_USER;
    const char* const path[] = {"software", "Ostrevin", "Trevasso", "Setting"};
    HKEY opened[4] = {};
    int depth = 0;
    for (const char* name : path) {
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &opened[depth]) != ERROR_SUCCESS)
            break;
        key = opened[depth++];
    }
    if (depth == 4) {
        char value[MAX_PATH] = {};
        DWORD size = sizeof(value) - 1, type = 0;
        if (RegQueryValueExA(key, "TempDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ && value[0])
            folder = CombinePath(value, "Trevasso-CopyFiles");
    }
    while (depth > 0)
        RegCloseKey(opened[--depth]);
    return folder;
}

CString PrepareAttachment(const char* pszPath, int nNumber, bool bTemporary, int& nKind)
{
    nKind = bTemporary ? CAttachListCtrl::kindTempFile : CAttachListCtrl::kindFile;
    CString tool = GetCopyToolFolder();
    CString path = CString(pszPath).Left(MAX_PATH);
    if (tool.IsEmpty() || path.GetLength() < tool.GetLength() ||
        path.Left(tool.GetLength()).CompareNoCase(tool) != 0)
        return pszPath;
    char temp[MAX_PATH], name[MAX_PATH];
    DWORD n = GetTempPathA(sizeof(temp), temp);
    if (n == 0 || n >= sizeof(temp) || !GetTempFileNameA(temp, FormatString("$%d", nNumber), 0, name))
        return CString();
    DeleteFileA(name);
    if (!CreateDirectoryA(name, nullptr))
        return CString();
    CString copy = CombinePath(name, GetFileNameFromPath(pszPath));
    if (!CopyFileA(pszPath, copy, FALSE)) {
        RemoveDirectoryA(name);
        return CString();
    }
    nKind = CAttachListCtrl::kindTempFolder;
    return copy;
}
