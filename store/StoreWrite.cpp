#include "store/StoreWrite.h"

namespace StoreWrite {

namespace {
WriteHook g_hook = nullptr;
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

} // namespace StoreWrite
