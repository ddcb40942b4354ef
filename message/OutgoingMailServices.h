// What building an outgoing message needs of the mail editor: the display
// form of the sender and password archives of attachments. The editor owns
// the archiver; until it installs its archiving function, archives are made
// only through the ZIP library loaded at start-up.
#pragma once

#include "classlib/ClassLib.h"

// "name <address>" (mode 0), "address (name)" (mode 1) or the address alone;
// the name is put in double quotes when it holds , ( ) < >.
CString FormatMailAddress(const char* pszName, const char* pszAddress, int nMode);

// Archives one file into a password-protected ZIP archive (nLha 0) at the
// archive path. The result tells little: callers check that the archive exists.
typedef BOOL (*ArchiveFileFunction)(const char* pszPassword, const char* pszArchivePath, int nLha,
                                    const char* pszFilePath, HWND hOwner);
BOOL ArchiveFileWithPassword(const char* pszPassword, const char* pszArchivePath, int nLha, const char* pszFilePath,
                             HWND hOwner);
// True when an archiver is available (the ZIP library is loaded, or a
// function is installed).
bool IsZipArchiverLoaded();
// Installs the archiving function; returns the one installed before.
ArchiveFileFunction SetArchiveFileFunction(ArchiveFileFunction function);
