// CSignatureFiles: the signatures of "Signature.Box", one file "name.sig"
// each holding the whole signature text.
#pragma once

#include "editor/BoxFiles.h"

class CSignatureFiles
{
public:
    typedef CBoxFiles::SaveResult SaveResult;

    // The signature names: every file of the folder without its extension.
    static void ListNames(const char* pszFolder, CStringArray& names)
    {
        CBoxFiles::ListNames(pszFolder, names, true);
    }
    // 0 when the name may be a signature's, else the id of the message.
    static UINT CheckName(const char* pszName);
    // The whole signature file; empty when it cannot be read.
    static CString LoadText(const char* pszName);
    // The text the editor inserts for a choice: the signature with CR LF in
    // front; empty for "自動", "追加しない", a missing file and a name that
    // is no signature name.
    static CString LoadInsertText(const char* pszName);
    // The edit dialog's OK: saves the text under the new name; a signature
    // opened under another name is renamed (its old file removed). A rename
    // that changes only the letter case renames the one file.
    static SaveResult Save(const char* pszOpenedName, const char* pszName, const char* pszText,
                           bool bOverwriteConfirmed, UINT* pnMessage = nullptr);
    // Copies a signature under a new name.
    static SaveResult Copy(const char* pszName, const char* pszNewName, bool bOverwriteConfirmed);
    static bool Delete(const char* pszName);
};
