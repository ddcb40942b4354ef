#include "classlib/FileView.h"

#include "classlib/Handle.h"

bool CFileView::Open(const char* pszPath, ULONGLONG nMaxSize)
{
    Close();
    CHandle file(CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        return false;
    if (static_cast<ULONGLONG>(size.QuadPart) > nMaxSize) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    if (size.QuadPart == 0)
        return true;  // an empty file cannot be mapped
    // The view keeps the mapping, and the mapping the file: both handles go
    // at once. The size measured is the mapping's: a file cut meanwhile is
    // not mapped (a read-only mapping cannot grow it), and one that grows is
    // read as it was.
    CHandle mapping(CreateFileMappingA(file, nullptr, PAGE_READONLY, static_cast<DWORD>(size.QuadPart >> 32),
                                       static_cast<DWORD>(size.QuadPart), nullptr));
    if (!mapping)
        return false;
    m_pView = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!m_pView)
        return false;
    m_nSize = static_cast<size_t>(size.QuadPart);
    return true;
}

void CFileView::Close()
{
    if (m_pView)
        UnmapViewOfFile(m_pView);
    m_pView = nullptr;
    m_nSize = 0;
}
