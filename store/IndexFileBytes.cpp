#include "store/IndexFileBytes.h"

#include <cstdint>

namespace {

// Below this a view saves nothing worth its handles.
const ULONGLONG kMinMappedSize = 256 * 1024;

// The whole view is read soon after it is made (the checks and the parse go
// through every record): asked for at once, a file not in the cache is read
// in large runs rather than page by page as it is touched. The call exists
// from Windows 8 on; before that the pages come as touched.
void PrefetchView(const void* pView, size_t nSize)
{
    struct RangeEntry
    {
        void* address;
        SIZE_T bytes;
    };
    using PrefetchFn = BOOL(WINAPI*)(HANDLE, ULONG_PTR, RangeEntry*, ULONG);
    static const PrefetchFn prefetch = [] {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        return kernel ? reinterpret_cast<PrefetchFn>(
                            reinterpret_cast<void*>(GetProcAddress(kernel, "PrefetchVirtualMemory")))
                      : nullptr;
    }();
    RangeEntry range = {const_cast<void*>(pView), nSize};
    if (prefetch)
        prefetch(GetCurrentProcess(), 1, &range, 0);
}

} // namespace

CIndexFileBytes::CIndexFileBytes(std::string bytes) : m_copy(std::move(bytes))
{
    m_pData = m_copy.data();
    m_nSize = m_copy.size();
}

CIndexFileBytes::~CIndexFileBytes()
{
    Unmap();
}

void CIndexFileBytes::Unmap()
{
    if (m_pView)
        UnmapViewOfFile(m_pView);
    m_pView = nullptr;
}

bool CIndexFileBytes::Load(const char* pszPath)
{
    Unmap();
    m_copy.clear();
    m_pData = "";
    m_nSize = 0;
    // Every sharing is allowed, as for a read of the file: the file handle
    // goes at once, and the view only until KeepInMemory.
    HANDLE file = CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    const bool sized = GetFileSizeEx(file, &size) != FALSE;
    if (sized && static_cast<ULONGLONG>(size.QuadPart) >= kMinMappedSize &&
        static_cast<ULONGLONG>(size.QuadPart) <= static_cast<ULONGLONG>(SIZE_MAX)) {
        // The size as measured: a file cut meanwhile cannot be mapped so,
        // and is read instead.
        HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, static_cast<DWORD>(size.HighPart),
                                            size.LowPart, nullptr);
        if (mapping) {
            m_pView = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
    if (m_pView) {
        m_pData = static_cast<const char*>(m_pView);
        m_nSize = static_cast<size_t>(size.QuadPart);
        PrefetchView(m_pView, m_nSize);
        return true;
    }
    if (!ReadWholeFile(pszPath, m_copy))
        return false;
    m_pData = m_copy.data();
    m_nSize = m_copy.size();
    return true;
}

void CIndexFileBytes::KeepInMemory()
{
    if (!m_pView)
        return;
    m_copy.assign(m_pData, m_nSize);
    m_pData = m_copy.data();
    Unmap();
}
