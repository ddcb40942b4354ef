#include "plugin/SharedMemory.h"

#include "classlib/CriticalSection.h"
#include "classlib/SingleLock.h"

namespace {

const char kBlockName[] = "QD_MEMORY_MAP_DATA";

// The writer's handle: the block disappears when its last handle closes, so
// the writer keeps it until the process ends (or the next write).
class MappingHolder
{
public:
    ~MappingHolder() { Reset(nullptr); }
    void Reset(HANDLE h)
    {
        if (m_h)
            CloseHandle(m_h);
        m_h = h;
    }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h = nullptr;
};

MappingHolder g_writerMapping;
CCriticalSection g_writerLock;

// Bytes that a view of the mapping may hold (whole pages of the section).
SIZE_T ViewCapacity(const void* view)
{
    MEMORY_BASIC_INFORMATION mbi = {};
    return VirtualQuery(view, &mbi, sizeof(mbi)) ? mbi.RegionSize : 0;
}

class View
{
public:
    View(HANDLE hMapping, DWORD access) : m_p(MapViewOfFile(hMapping, access, 0, 0, 0)) {}
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    ~View()
    {
        if (m_p)
            UnmapViewOfFile(m_p);
    }
    BYTE* Get() const { return static_cast<BYTE*>(m_p); }

private:
    void* m_p;
};

} // namespace

bool WriteSharedMemory(DWORD dwLength, const BYTE* pData)
{
    if (dwLength > 0x7FFFFFF0)
        return false;
    CSingleLock hold(&g_writerLock, TRUE);
    HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, dwLength + 4, kBlockName);
    if (!h)
        return false;
    View view(h, FILE_MAP_WRITE);
    // An existing block keeps its first size; never write past it.
    if (!view.Get() || ViewCapacity(view.Get()) < static_cast<SIZE_T>(dwLength) + 4) {
        CloseHandle(h);
        return false;
    }
    CopyMemory(view.Get() + 4, pData, dwLength);
    MemoryBarrier();
    *reinterpret_cast<volatile DWORD*>(view.Get()) = dwLength;
    g_writerMapping.Reset(h);
    return true;
}

bool ReadSharedMemory(std::vector<BYTE>& data)
{
    data.clear();
    HANDLE h = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kBlockName);
    if (!h)
        return false;
    bool ok = false;
    {
        View view(h, FILE_MAP_ALL_ACCESS);
        if (view.Get()) {
            SIZE_T capacity = ViewCapacity(view.Get());
            DWORD len = *reinterpret_cast<volatile DWORD*>(view.Get());
            // A stated length beyond the block is not trusted.
            if (len > 0 && capacity >= 4 && len <= capacity - 4) {
                data.assign(view.Get() + 4, view.Get() + 4 + len);
                ok = true;
            }
            *reinterpret_cast<volatile DWORD*>(view.Get()) = 0;
        }
    }
    CloseHandle(h);
    return ok;
}

bool WaitSharedMemoryTaken(DWORD dwTimeout)
{
    HANDLE h;
    {
        CSingleLock hold(&g_writerLock, TRUE);
        h = g_writerMapping.Get();
        if (!h)
            return true;
    }
    View view(h, FILE_MAP_READ);
    if (!view.Get())
        return false;
    DWORD start = GetTickCount();
    while (*reinterpret_cast<volatile DWORD*>(view.Get()) != 0) {
        if (GetTickCount() - start >= dwTimeout)
            return false;
        Sleep(20);
    }
    return true;
}
