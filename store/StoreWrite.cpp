#include "store/StoreWrite.h"

#include <atomic>

namespace StoreWrite {

namespace {
WriteHook g_hook = nullptr;
std::atomic<FlushHook> g_flushHook(nullptr);
}

void Write(CFile& file, const void* pData, UINT nCount)
{
    if (g_hook)
        g_hook(file, pData, nCount);
    else
        file.Write(pData, nCount);
}

WriteHook SetHook(WriteHook hook)
{
    WriteHook old = g_hook;
    g_hook = hook;
    return old;
}

BOOL Flush(const char* pszPath)
{
    if (FlushHook hook = g_flushHook.load())
        hook(pszPath);
    HANDLE h = CreateFileA(pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL flushed = FlushFileBuffers(h);
    CloseHandle(h);
    return flushed;
}

BOOL Flush(const char* pszPath, HANDLE hFile)
{
    if (FlushHook hook = g_flushHook.load())
        hook(pszPath);
    return FlushFileBuffers(hFile);
}

FlushHook SetFlushHook(FlushHook hook)
{
    return g_flushHook.exchange(hook);
}

} // namespace StoreWrite
