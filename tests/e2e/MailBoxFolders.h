// The folders of a test mailbox as "Folder.dat" lists them, read from disk
// while the program is not running.
#pragma once

#include "store/FolderRecord.h"

#include <vector>

namespace E2e {

// Every folder, its path made full.
std::vector<CFolderRecord> ReadMailBoxFolders(const char* pszMailBox);
// The first folder of the kind; an empty record (no path) when there is none.
CFolderRecord MailBoxFolderOfKind(const char* pszMailBox, int nKind);

} // namespace E2e
