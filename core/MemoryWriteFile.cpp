#include "core/MemoryWriteFile.h"

#include <cstring>

BOOL CMemoryWriteFile::Open(const char* pszFileName, UINT, CFileException*)
{
    if (pszFileName)
        m_strFileName = pszFileName;
    m_nCount = 0;
    return TRUE;
}

UINT CMemoryWriteFile::Read(void*, UINT nCount)
{
    return nCount;
}

void CMemoryWriteFile::Write(const void* lpBuf, UINT nCount)
{
    if (m_pBuffer) {
        if (m_nCount > m_nCapacity || nCount > m_nCapacity - m_nCount)
            AfxThrowFileException(CFileException::diskFull, ERROR_INSUFFICIENT_BUFFER, m_strFileName);
        if (nCount)
            memcpy(m_pBuffer + m_nCount, lpBuf, nCount);
    }
    m_nCount += nCount;
}
