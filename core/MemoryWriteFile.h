// CMemoryWriteFile: a file object that writes into a caller's buffer, used to
// build a whole mail in memory. The writer runs once without a buffer to
// measure the length (the count), then again with a buffer of that length.
#pragma once

#include "classlib/ClassLib.h"

class CMemoryWriteFile : public CFile
{
public:
    // pBuffer may be null (measuring only); nCapacity is its size in bytes.
    CMemoryWriteFile(BYTE* pBuffer = nullptr, UINT nCapacity = 0) : m_pBuffer(pBuffer), m_nCapacity(nCapacity) {}

    void SetBuffer(BYTE* pBuffer, UINT nCapacity)
    {
        m_pBuffer = pBuffer;
        m_nCapacity = nCapacity;
    }
    void SetFilePath(const char* pszFileName) { m_strFileName = pszFileName; }
    UINT GetCount() const { return m_nCount; }

    // Starts a new pass: the count goes back to 0. Never fails.
    BOOL Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    ULONGLONG GetLength() const override { return m_nCount; }
    // Reads nothing; answers the requested count.
    UINT Read(void* lpBuf, UINT nCount) override;
    // Copies into the buffer at the count. A write that would pass the end of
    // the buffer throws CFileException (diskFull) and copies nothing.
    void Write(const void* lpBuf, UINT nCount) override;
    void Close() override {}
    void Abort() override {}

private:
    BYTE* m_pBuffer;
    UINT m_nCapacity;
    UINT m_nCount = 0;
};
