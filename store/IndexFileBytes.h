// CIndexFileBytes: the bytes of an index file as one load read them, shared
// by the records that keep their texts there. A large index is seen through
// a read-only mapped view of the file rather than copied: a copy of a
// folder's index is tens of megabytes of memory new to the process, and
// having such memory handed out costs more than reading the file does.
// While the view is held the file cannot be cut or replaced, so whoever
// needs the file to itself calls KeepInMemory first; from then on the bytes
// live in a copy of their own, as they were when mapped.
#pragma once

#include "classlib/ClassLib.h"

#include <string>
#include <string_view>

class CIndexFileBytes
{
public:
    CIndexFileBytes() = default;
    explicit CIndexFileBytes(std::string bytes);
    CIndexFileBytes(const CIndexFileBytes&) = delete;
    CIndexFileBytes& operator=(const CIndexFileBytes&) = delete;
    ~CIndexFileBytes();

    // Maps the whole file, or reads it when it is too small to be worth a
    // view or cannot be mapped. False when the file cannot be read.
    bool Load(const char* pszPath);
    // Valid until KeepInMemory (or the end of the object).
    std::string_view View() const { return std::string_view(m_pData, m_nSize); }
    bool IsMapped() const { return m_pView != nullptr; }
    // Copies the bytes of a view into memory of their own and lets the file
    // go. The caller makes sure that no one reads View() meanwhile.
    void KeepInMemory();

private:
    void Unmap();

    std::string m_copy;
    const void* m_pView = nullptr;
    const char* m_pData = "";
    size_t m_nSize = 0;
};
