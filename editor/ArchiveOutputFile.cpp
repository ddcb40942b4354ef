#include "editor/ArchiveOutputFile.h"

CArchiveOutputFile::CArchiveOutputFile(const std::string& target) : m_target(target), m_temp(target + ".$$$")
{
    m_h = CreateFileA(m_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

CArchiveOutputFile::~CArchiveOutputFile()
{
    if (m_h != INVALID_HANDLE_VALUE) {
        CloseHandle(m_h);
        DeleteFileA(m_temp.c_str());
    }
}

bool CArchiveOutputFile::Write(const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0 && !m_bFailed) {
        DWORD part = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(m_h, p, part, &written, nullptr) || written != part)
            m_bFailed = true;
        p += part;
        size -= part;
        m_position += part;
    }
    return !m_bFailed;
}

bool CArchiveOutputFile::Commit()
{
    if (m_h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = !m_bFailed && FlushFileBuffers(m_h);
    CloseHandle(m_h);
    m_h = INVALID_HANDLE_VALUE;
    if (ok)
        ok = MoveFileExA(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok)
        DeleteFileA(m_temp.c_str());
    return ok;
}
