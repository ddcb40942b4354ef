// File and path utilities and the small text helpers of the same library.
// Paths are Shift_JIS; every scan steps over the second byte of a double-byte
// character, so a trail byte 0x5C is never taken for a backslash.
#pragma once

#include "classlib/ClassLib.h"

// ---- Splitting and joining ----
// Appends the name, with a backslash between unless the path ends in one.
void AppendPathName(CString& path, const char* pszName);
CString CombinePath(const char* pszFolder, const char* pszName);
// Appends the extension to the whole path, with a dot before it when it has none.
void AppendExtension(CString& path, const char* pszExtension);
CString RemoveFileExtension(const char* pszPath);   // drive, folder and name
CString GetFileExtension(const char* pszPath);      // ".ext", or empty
CString GetFileNameFromPath(const char* pszPath);   // name and extension
CString GetDirectoryFromPath(const char* pszPath);  // drive and folder, trailing backslash
void ReplaceFileName(CString& path, const char* pszName);
void ReplaceFileExtension(CString& path, const char* pszExtension);
void CollapseBackslashes(CString& path);
// The rest of pszPath after pszFolder and one separator when the folder is a
// case-insensitive prefix of the path and the path is at least two
// characters longer; else empty.
CString GetRelativePath(const char* pszFolder, const char* pszPath);
// Name and extension of the path, the name shortened so that the whole fits
// nLimit characters.
CString FitFileName(int nLimit, const char* pszPath);
// / : * ? \ < > " | made "_", lead+trail byte pairs kept; "_" before a device name.
CString MakeValidFileName(const char* pszText);

// ---- Folders of the mailbox layout ----
CString GetAttachFolderPath(const char* pszFolder, const char* pszSubFolder);
CString GetMailAttachFolder(const char* pszMailFilePath);
CString GetTemplateFilePath(const char* pszName);
CString GetSignatureFilePath(const char* pszName);

// ---- Existence and status ----
bool PathExists(const char* pszPath);
bool FileExists(const char* pszPath);
bool DirectoryExists(const char* pszPath);
bool FileExistsInFolder(const char* pszFolder, const char* pszNameOrPattern);
// Short forms compared when both paths have one, else the full normalised
// paths (a missing path has no short form).
bool IsSamePath(const char* pszPath1, const char* pszPath2);
// The path the file system resolved an open file's or folder's name to,
// links and junctions followed ("C:\..." or "\\server\share\..."); empty
// when it cannot tell.
CString GetHandleFinalPath(HANDLE hFile);
// The same for an existing file or folder named by its path; empty when
// nothing of that name can be opened.
CString GetResolvedPath(const char* pszPath);
bool HasAttachmentFiles(const char* pszFolder);
DWORD GetFolderFilesSize(const char* pszFolder);
void ListFilesRecursive(const char* pszFolder, CStringArray& files);
double GetDiskFreeBytes(const char* pszPath);

// ---- Creating, copying and deleting ----
bool IsReservedDeviceName(const char* pszName);
// Creates the folder and every missing parent. Returns the result of creating
// the last folder, so an existing folder gives 0; a reserved device name as
// the last name shows a message and creates nothing.
BOOL CreateDirectoryPath(const char* pszPath);
// Creates one folder whose name the caller knows is taken by nothing in its
// parent, in any case; the parent must exist. Under Wine the name is not
// looked for among the parent's entries first, which in a folder of many
// thousand entries costs more than the creation itself. False when the
// folder could not be made.
bool CreateNewDirectory(const char* pszPath);
// The system's temporary folder with its trailing backslash, or ".\\" when
// the system names none that fits a path.
CString GetSystemTempFolder();
// Creates an empty file at pszPath only when nothing has that name yet, so
// two writers choosing names at the same moment never share one file.
bool ReserveNewFile(const char* pszPath);
BOOL CopyFileOverwrite(const char* pszTarget, const char* pszSource);
bool CopyFolderTree(const char* pszSource, const char* pszTarget);
bool ForceDeleteFile(const char* pszPath);
int MoveToRecycleBin(const char* pszPath);
// Deletes the folder with its sub-folders (and their files with
// bDeleteFiles). A link or junction inside is removed itself, never what it
// leads to; a folder that is itself one is left as it is.
bool DeleteDirectoryTree(const char* pszFolder, bool bDeleteFiles);
bool DeleteUnlistedMailFolders(const char* pszFolder, CStringArray& names);

// ---- Text and array helpers ----
bool IsBlankChar(unsigned char c, unsigned char next);
const char* SkipBlanks(const char* pszText);
CString ExpandTabs(const char* pszText);
CString StripMailtoPrefix(const char* pszText);
bool IsTokenChar(unsigned char c);
// Appends each "<...>" item (at most 127 characters) and returns the offset
// of a "<" left open, or -1.
int ExtractAngleBracketItems(CStringArray& items, const char* pszText);
bool CheckHtmlScript(const char* pszPath);
void SortDWordArray(CDWordArray& values, bool bDescending, int nFirst, int nLast);
void SortStringArray(CStringArray& values, bool bDescending, int nFirst, int nLast);
int GetOSVersionTypeOfApp();
