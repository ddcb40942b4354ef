#include "core/FileSteps.h"

#include <atomic>

namespace FileSteps {

namespace {

std::atomic<FailHook> g_hook(nullptr);

bool Fails(const char* pszCall)
{
    FailHook hook = g_hook.load();
    if (!hook || !hook(pszCall))
        return false;
    SetLastError(ERROR_WRITE_FAULT);
    return true;
}

} // namespace

BOOL MoveReplacing(const char* pszFrom, const char* pszTo)
{
    if (Fails("MoveFileEx"))
        return FALSE;
    return MoveFileExA(pszFrom, pszTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

BOOL Move(const char* pszFrom, const char* pszTo)
{
    if (Fails("MoveFileEx"))
        return FALSE;
    return MoveFileExA(pszFrom, pszTo, MOVEFILE_REPLACE_EXISTING);
}

BOOL CopyOver(const char* pszFrom, const char* pszTo)
{
    if (Fails("CopyFile"))
        return FALSE;
    return CopyFileA(pszFrom, pszTo, FALSE);
}

BOOL WriteAndFlush(HANDLE hFile, const void* pData, DWORD nCount)
{
    if (Fails("WriteFile"))
        return FALSE;
    DWORD written = 0;
    if (!WriteFile(hFile, pData, nCount, &written, nullptr))
        return FALSE;
    if (written != nCount) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    if (Fails("FlushFileBuffers"))
        return FALSE;
    return FlushFileBuffers(hFile);
}

FailHook SetFailHook(FailHook hook)
{
    return g_hook.exchange(hook);
}

} // namespace FileSteps
