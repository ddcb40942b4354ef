// MailFileImport: the mail-file side of the main window's import command:
// one mail file (".eml") filed into a folder, the ".eml" files of a folder,
// and the names an open-file dialog with multiple selection returns.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

class CMailFolderStore;

namespace MailFileImport {

// Files the mail of one file into the folder, unread. The text is stored
// as the folder keeps it (CR LF lines, lines that begin with "." doubled,
// ended by a lone "." line), so no line of the mail ends it early. With
// bUseSendTime the received time is the mail's Date. False when the file
// cannot be read, is empty, or the folder does not take it. pIndex, when
// given, receives the new mail's index.
BOOL AddMailFile(CMailFolderStore& folder, const char* pszPath, BOOL bUseSendTime, int* pIndex = nullptr);

// The files of a folder whose extension is ".eml" (any letter case), in
// name order.
std::vector<CString> EmlFilesInFolder(const char* pszFolder);

// The chosen files of an open-file dialog's buffer: a full path alone, or
// a folder followed by file names, each ended by a zero, the list by two.
std::vector<CString> SplitFileDialogNames(const char* pszBuffer, size_t nSize);

} // namespace MailFileImport
