// The rules of the folder tree that need no window: which image a folder
// shows, where a new folder's directory goes, what kind a new folder gets,
// and how the properties dialog stores icons and font sizes.
#pragma once

#include "classlib/ClassLib.h"

namespace FolderRules {

// Base image rounded down to its group of four (0 for bases outside 0-87),
// +1 when open, +2 when it has mail.
int FolderImageIndex(int nBaseImage, bool bHasMail, bool bOpen);
// Folders of these kinds count as holding mail when they hold any mail at
// all; the others when they hold unread mail.
bool CountsAllMails(int nKind);
// Kind and base image of a folder created below a parent of the given kind.
void NewFolderKind(int nParentKind, int nParentImage, int& nKind, int& nImage);
// Whether "Folders"\name.Box would pass the path limit of 260 characters.
bool IsFolderPathTooLong(const char* pszFoldersPath, const char* pszName);
// The directory for a new folder: "Folders"\name.Box, or name_1.Box,
// name_2.Box ... when that exists already.
CString NewFolderDirectory(const char* pszFoldersPath, const char* pszName);
// The directory a rename moves a folder's data to: its parent directory,
// the new name and ".Box".
CString RenamedFolderDirectory(const char* pszOldDirectory, const char* pszNewName);

// Whether a name is among the names of a tree level (ignoring case).
bool IsNameAtLevel(const CStringArray& names, const char* pszName);

// The properties dialog shows icon groups and points; the folder record
// holds base images and twentieths of a point.
inline int IconToBaseImage(int nGroup) { return nGroup * 4; }
inline int BaseImageToIcon(int nBaseImage) { return nBaseImage / 4; }
inline int PointsToStoredSize(int nPoints) { return nPoints * 20; }
inline int StoredSizeToPoints(int nStored) { return nStored / 20; }

} // namespace FolderRules
