// The steps that swap finished files into place (the folder optimisation,
// the recovery of an interrupted swap, the folder list and the HTML parts of
// a mail). Each returns the result of its Win32 call, with the system's error
// code left for GetLastError, and each can be made to fail by a test, so
// that every failure path is seen to leave the files as they were.
#pragma once

#include <windows.h>

namespace FileSteps {

// MoveFileEx, replacing the target, written through.
BOOL MoveReplacing(const char* pszFrom, const char* pszTo);
// MoveFileEx, replacing the target (a rename inside one drive).
BOOL Move(const char* pszFrom, const char* pszTo);
// CopyFile over an existing target.
BOOL CopyOver(const char* pszFrom, const char* pszTo);
// WriteFile of all the bytes, then FlushFileBuffers.
BOOL WriteAndFlush(HANDLE hFile, const void* pData, DWORD nCount);

// Tests only: the hook is asked before each call with its name ("MoveFileEx",
// "CopyFile", "WriteFile", "FlushFileBuffers"); true makes that call fail
// with ERROR_WRITE_FAULT. Returns the previous hook.
typedef bool (*FailHook)(const char* pszCall);
FailHook SetFailHook(FailHook hook);

} // namespace FileSteps
