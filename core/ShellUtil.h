// Shell helpers: the folder browser, shortcuts, shell item lists and the
// anchor point of keyboard-opened context menus.
#pragma once

#include "classlib/ClassLib.h"

#include <shlobj.h>

// The folder browser (file-system folders only) opened at the start folder,
// or at the program's folder when the start folder cannot be parsed. Returns
// the chosen folder, or the start folder unchanged when the user cancels.
CString BrowseForFolder(HWND hOwner, const char* pszTitle, const char* pszStartFolder);
// Writes a shell link at pszLinkPath to pszTargetPath with the description.
BOOL CreateShortcut(const char* pszLinkPath, const char* pszDescription, const char* pszTargetPath);
// The screen position of the client point (8, 8) of the window.
POINT GetMenuAnchorPoint(HWND hWnd);

// ---- Shell item lists ----
// The item list of a path (free it with CoTaskMemFree); null when the shell
// cannot parse it.
LPITEMIDLIST ParsePathToItemList(const char* pszPath);
// The item after the first one of a list, or null at the end.
LPITEMIDLIST GetNextItemID(LPCITEMIDLIST pidl);
// Bytes of a whole list: every item's size plus the 2-byte terminator.
UINT GetItemListSize(LPCITEMIDLIST pidl);
// The shell folder of a list (relative to the desktop); release it.
IShellFolder* BindToShellFolder(LPCITEMIDLIST pidl);
