// CBoxFiles: the named files of a box folder ("Template.Box",
// "Signature.Box"): listing their names, finding a name again after a list
// is refilled, and checking a name a file is to take.
#pragma once

#include "classlib/ClassLib.h"

class CBoxFiles
{
public:
    // What saving under a name came to.
    enum SaveResult {
        saved = 0,
        badName,         // the name cannot be a file name (message in *pnMessage)
        needsOverwrite,  // another file has the name: ask, then save again confirmed
        createFailed,    // the file could not be written (no message)
    };

    // Every file of the folder (folders and dot entries left out), in the
    // order the file system gives, with or without its extension.
    static void ListNames(const char* pszFolder, CStringArray& names, bool bDropExtension);
    // The first entry that begins with the name, letter case aside; -1 when none.
    static int FindNameInList(const CStringArray& names, const char* pszName);
    // 0 when the name may be a file's; IDS_DOT_NAMES for "." and "..";
    // nCharsMessage when it holds a character a file name cannot.
    static UINT CheckName(const char* pszName, UINT nCharsMessage);
    // Whether saving a file opened under one name (empty: new) under
    // another would replace a different existing file.
    static bool WouldReplaceOther(const char* pszOpenedPath, const char* pszPath);
    // Copies a file of the box under another name; another file of that
    // name is replaced only when confirmed.
    static SaveResult CopyBoxFile(const char* pszSourcePath, const char* pszTargetPath, bool bOverwriteConfirmed);
};
