#include "classlib/MemFile.h"

#include <cstring>

CMemFile::CMemFile(const BYTE* lpBuffer, UINT nBufferSize)
{
    Attach(lpBuffer, nBufferSize);
}

void CMemFile::Attach(const BYTE* lpBuffer, UINT nBufferSize)
{
    m_data.assign(lpBuffer, lpBuffer + nBufferSize);
    m_pos = 0;
}

std::vector<BYTE> CMemFile::Detach()
{
    std::vector<BYTE> out;
    out.swap(m_data);
    m_pos = 0;
    return out;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount)
{
    if (m_pos >= m_data.size())
        return 0;
    size_t n = m_data.size() - m_pos;
    if (n > nCount)
        n = nCount;
    std::memcpy(lpBuf, m_data.data() + m_pos, n);
    m_pos += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    if (m_pos + nCount > m_data.size())
        m_data.resize(m_pos + nCount);
    std::memcpy(m_data.data() + m_pos, lpBuf, nCount);
    m_pos += nCount;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LONGLONG base = nFrom == begin ? 0 : nFrom == current ? static_cast<LONGLONG>(m_pos)
                                                          : static_cast<LONGLONG>(m_data.size());
    LONGLONG target = base + lOff;
    if (target < 0)
        AfxThrowFileException(CFileException::badSeek, ERROR_NEGATIVE_SEEK, nullptr);
    m_pos = static_cast<size_t>(target);
    return m_pos;
}

void CMemFile::SetLength(ULONGLONG newLen)
{
    m_data.resize(static_cast<size_t>(newLen));
    if (m_pos > m_data.size())
        m_pos = m_data.size();
}
