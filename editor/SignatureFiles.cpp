#include "editor/SignatureFiles.h"

#include "core/FileUtil.h"
#include "core/TextFile.h"
#include "editor/MailEditData.h"
#include "resources/editor/EditorResource.h"
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

void CSignatureFiles::ListNames(const char* pszFolder, CStringArray& names)
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
        names.Add(RemoveFileExtension(fd.cFileName));
    } while (FindNextFileA(find.Get(), &fd));
}

int CSignatureFiles::FindNameInList(const CStringArray& names, const char* pszName)
{
    size_t n = pszName ? strlen(pszName) : 0;
    for (int i = 0; i < names.GetSize(); ++i) {
        if (_strnicmp(names[i], pszName ? pszName : "", n) == 0)
            return i;
    }
    return -1;
}

UINT CSignatureFiles::CheckName(const char* pszName)
{
    CString name = pszName;
    if (name == "." || name == "..")
        return IDS_DOT_NAMES;
    if (MakeValidFileName(name) != name)
        return IDS_SIGNATURE_NAME_CHARS;
    return 0;
}

CString CSignatureFiles::LoadText(const char* pszName)
{
    CString text;
    ReadTextFile(GetSignatureFilePath(pszName), text);
    return text;
}

CString CSignatureFiles::LoadInsertText(const char* pszName)
{
    if (!pszName || strncmp(pszName, CMailEditData::kSignAuto, strlen(CMailEditData::kSignAuto)) == 0)
        return CString();
    CString text;
    if (!ReadTextFile(GetSignatureFilePath(pszName), text))
        return CString();
    return "\r\n" + text;
}

CSignatureFiles::SaveResult CSignatureFiles::Save(const char* pszOpenedName, const char* pszName, const char* pszText,
                                                  bool bOverwriteConfirmed, UINT* pnMessage)
{
    UINT message = CheckName(pszName);
    if (pnMessage)
        *pnMessage = message;
    if (message)
        return badName;
    CString opened = pszOpenedName ? pszOpenedName : "";
    CString path = GetSignatureFilePath(pszName);
    CString openedPath = opened.IsEmpty() ? CString() : GetSignatureFilePath(opened);
    // A name that differs only in letter case names the same file.
    const bool sameFile = !opened.IsEmpty() && (opened == pszName || IsSamePath(openedPath, path));
    if (!sameFile && FileExists(path) && !bOverwriteConfirmed) {
        if (pnMessage)
            *pnMessage = IDS_SIGNATURE_OVERWRITE;
        return needsOverwrite;
    }
    if (sameFile && opened != pszName) {
        // Through a third name: a rename to another letter case alone is
        // not taken by every file system.
        CString temp = openedPath + ".$$$";
        if (MoveFileA(openedPath, temp) && !MoveFileA(temp, path))
            MoveFileA(temp, openedPath);
    }
    if (!WriteTextFile(path, pszText))
        return createFailed;
    if (!opened.IsEmpty() && !sameFile)
        DeleteFileA(openedPath);
    return saved;
}

CSignatureFiles::SaveResult CSignatureFiles::Copy(const char* pszName, const char* pszNewName,
                                                  bool bOverwriteConfirmed)
{
    if (CheckName(pszNewName))
        return badName;
    CString source = GetSignatureFilePath(pszName);
    CString target = GetSignatureFilePath(pszNewName);
    if (FileExists(target) && !bOverwriteConfirmed)
        return needsOverwrite;
    return CopyFileA(source, target, FALSE) ? saved : createFailed;
}

bool CSignatureFiles::Delete(const char* pszName)
{
    CString path = GetSignatureFilePath(pszName);
    return !path.IsEmpty() && DeleteFileA(path);
}
