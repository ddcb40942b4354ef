// FolderTreeRepair: what the folder tree repair adds: the directories of the
// mailbox's folder directory that no folder of the tree uses.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

namespace FolderTreeRepair {

// The directories directly in pszFoldersDir (full paths, in name order)
// that none of the used paths names (letter case and a trailing separator
// ignored).
std::vector<CString> UnusedDirectories(const char* pszFoldersDir, const std::vector<CString>& usedPaths);

} // namespace FolderTreeRepair
