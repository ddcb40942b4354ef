// Every write of the store's files goes through here, so that a test can stop
// the program at any write point (as a crash or power loss would) and check
// that nothing already filed was lost.
#pragma once

#include "classlib/ClassLib.h"

namespace StoreWrite {

typedef void (*WriteHook)(CFile& file, const void* pData, UINT nCount);

// Writes the bytes (through the hook when one is installed).
void Write(CFile& file, const void* pData, UINT nCount);
// Installs a hook; returns the previous one. Tests only.
WriteHook SetHook(WriteHook hook);

// Forces a file the store wrote onto the disk (FlushFileBuffers through a
// handle of its own; the system flushes the file whoever wrote it). False
// when the file cannot be opened or flushed.
BOOL Flush(const char* pszPath);
// The same through a handle the store holds open on the file.
BOOL Flush(const char* pszPath, HANDLE hFile);
// Tests only: called with the path before each flush. Returns the previous one.
typedef void (*FlushHook)(const char* pszPath);
FlushHook SetFlushHook(FlushHook hook);

} // namespace StoreWrite
