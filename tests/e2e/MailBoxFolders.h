// The folders of a test mailbox as "Folder.dat" lists them, and the mails
// they hold, read from disk.
#pragma once

#include "store/FolderRecord.h"

#include <string>
#include <vector>

namespace E2e {

// Every folder, its path made full.
std::vector<CFolderRecord> ReadMailBoxFolders(const char* pszMailBox);
// The first folder of the kind; an empty record (no path) when there is none.
CFolderRecord MailBoxFolderOfKind(const char* pszMailBox, int nKind);
// The texts of the live mails of every folder of the kind. Safe while the
// program runs and files into them: they are read from copies.
std::vector<std::string> StoredMailTexts(const char* pszMailBox, int nKind);

} // namespace E2e
