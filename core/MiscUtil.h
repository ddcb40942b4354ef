// Small shared helpers: error texts, version information, registry clean-up,
// program paths, string copies and the look of controls. Every function returns a new value (empty
// or false on failure) and never throws to its caller.
#pragma once

#include "classlib/ClassLib.h"

// ---- Error texts ----
// The system's message text for an error code in the default language; empty
// when the system has none.
CString GetSystemErrorText(DWORD dwCode);
// The text of a list box's selected line; empty when nothing is selected.
CString GetListBoxSelectedText(HWND hList);
// The text of a file exception's cause (0 to 14); empty for any other number.
CString GetFileErrorText(int nCause);

// ---- Version information ----
// The legal-rights text of the program's version resource (the last language
// of its translation list that has one); empty without a version resource.
CString GetVersionLegalText();
// The four numbers of a file's fixed version block; false when it has none.
bool GetFileVersionNumbers(const char* pszFile, WORD& wMajor, WORD& wMinor, WORD& wBuild, WORD& wRevision);

// ---- Registry ----
// Deletes the subkeys of the key at pszPath (parts separated by "\" or "/")
// under hRoot. With bFilter off every subkey goes; with it on only those
// whose value pszValueName reads back as pszText (letter case aside), so that
// other programs' entries and entries that cannot be read stay.
BOOL DeleteRegistrySubKeys(HKEY hRoot, const char* pszPath, BOOL bFilter, const char* pszValueName,
                           const char* pszText);

// ---- Paths and strings ----
// The full path of the program file.
CString ProgramFilePath();
// The program file's drive and folder joined with the name.
CString GetProgramFilePath(const char* pszName);
// Makes the mailbox folder the current directory.
BOOL SetCurrentDirToMailBox();
// The text between "%GL$" and "$%" when the text is wrapped in both; else empty.
CString UnwrapMarkerText(const char* pszText);
// Mail folders on disk are named "QM..." (any letter case).
bool IsMailFolderDirName(const char* pszName);
CString GetLowerString(const char* pszText);
CString GetUpperString(const char* pszText);

// ---- Controls ----
// Gives a control the thin sunken edge or takes it away, frame redrawn.
void SetStaticEdge(HWND hWnd, bool bOn);
// Opens or closes the input method of the window's input context.
void SetInputMethodOpen(HWND hWnd, bool bOpen);
