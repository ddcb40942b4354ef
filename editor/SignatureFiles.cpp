#include "editor/SignatureFiles.h"

#include "core/FileUtil.h"
#include "core/TextFile.h"
#include "editor/MailEditData.h"
#include "resources/editor/EditorResource.h"

#include <cstring>

UINT CSignatureFiles::CheckName(const char* pszName)
{
    return CBoxFiles::CheckName(pszName, IDS_SIGNATURE_NAME_CHARS);
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
    // A name from a mail's header could point out of the signature folder.
    if (CheckName(pszName) != 0)
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
        return CBoxFiles::badName;
    CString opened = pszOpenedName ? pszOpenedName : "";
    CString path = GetSignatureFilePath(pszName);
    CString openedPath = opened.IsEmpty() ? CString() : GetSignatureFilePath(opened);
    if (CBoxFiles::WouldReplaceOther(openedPath, path) && !bOverwriteConfirmed) {
        if (pnMessage)
            *pnMessage = IDS_SIGNATURE_OVERWRITE;
        return CBoxFiles::needsOverwrite;
    }
    // A name that differs only in letter case names the same file.
    const bool sameFile = !opened.IsEmpty() && (opened == pszName || IsSamePath(openedPath, path));
    if (sameFile && opened != pszName) {
        // Through a third name: a rename to another letter case alone is
        // not taken by every file system.
        CString temp = openedPath + ".$$$";
        if (MoveFileA(openedPath, temp) && !MoveFileA(temp, path))
            MoveFileA(temp, openedPath);
    }
    if (!WriteTextFile(path, pszText))
        return CBoxFiles::createFailed;
    if (!opened.IsEmpty() && !sameFile)
        DeleteFileA(openedPath);
    return CBoxFiles::saved;
}

CSignatureFiles::SaveResult CSignatureFiles::Copy(const char* pszName, const char* pszNewName,
                                                  bool bOverwriteConfirmed)
{
    if (CheckName(pszNewName))
        return CBoxFiles::badName;
    return CBoxFiles::CopyBoxFile(GetSignatureFilePath(pszName), GetSignatureFilePath(pszNewName), bOverwriteConfirmed);
}

bool CSignatureFiles::Delete(const char* pszName)
{
    CString path = GetSignatureFilePath(pszName);
    return !path.IsEmpty() && DeleteFileA(path);
}
