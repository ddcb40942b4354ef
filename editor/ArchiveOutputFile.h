// CArchiveOutputFile: a new archive written beside the one it replaces and
// put in its place only when every step went well, so that a failed write
// never leaves a broken or shortened archive behind.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CArchiveOutputFile
{
public:
    explicit CArchiveOutputFile(const std::string& target);
    CArchiveOutputFile(const CArchiveOutputFile&) = delete;
    CArchiveOutputFile& operator=(const CArchiveOutputFile&) = delete;
    ~CArchiveOutputFile();
    bool IsOpen() const { return m_h != INVALID_HANDLE_VALUE; }
    bool Write(const void* data, size_t size);
    uint64_t Position() const { return m_position; }
    bool Commit();

private:
    std::string m_target, m_temp;
    HANDLE m_h = INVALID_HANDLE_VALUE;
    uint64_t m_position = 0;
    bool m_bFailed = false;
};
