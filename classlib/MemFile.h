// CMemFile: a file held in a growing memory block.
#pragma once

#include "classlib/File.h"

#include <vector>

class CMemFile : public CFile
{
public:
    CMemFile() = default;
    // Reads from (and writes into) a copy of the given bytes.
    CMemFile(const BYTE* lpBuffer, UINT nBufferSize);

    void Attach(const BYTE* lpBuffer, UINT nBufferSize);
    // Hands the contents out; the file is empty afterwards.
    std::vector<BYTE> Detach();
    const BYTE* GetData() const { return m_data.data(); }

    BOOL Open(const char*, UINT, CFileException* = nullptr) override { return FALSE; }
    void Close() override { m_data.clear(); m_pos = 0; }
    void Abort() override { Close(); }
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override { return m_pos; }
    ULONGLONG GetLength() const override { return m_data.size(); }
    void SetLength(ULONGLONG newLen) override;
    void Flush() override {}

private:
    std::vector<BYTE> m_data;
    size_t m_pos = 0;
};
