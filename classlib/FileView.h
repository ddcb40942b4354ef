// CFileView: a whole file mapped for reading, unmapped with the object. A
// large file is read through the page cache this way without a private copy
// of every byte.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

class CFileView
{
public:
    CFileView() = default;
    CFileView(const CFileView&) = delete;
    CFileView& operator=(const CFileView&) = delete;
    ~CFileView() { Close(); }

    // Maps the file (shared for reading, writing and deleting). False when it
    // cannot be opened or mapped, or is larger than nMaxSize; an empty file
    // maps as an empty view.
    bool Open(const char* pszPath, ULONGLONG nMaxSize);
    void Close();
    std::string_view Bytes() const { return std::string_view(static_cast<const char*>(m_pView), m_nSize); }

private:
    const void* m_pView = nullptr;
    size_t m_nSize = 0;
};
