// CStdioFile: a CFile with buffered line reading and writing. In text mode
// CR LF reads as LF and LF writes as CR LF, as the C runtime does.
#pragma once

#include "classlib/File.h"

#include <vector>

class CStdioFile : public CFile
{
public:
    CStdioFile() = default;
    CStdioFile(const char* pszFileName, UINT nOpenFlags);  // throws on failure

    BOOL Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    void Close() override;
    void Abort() override;

    // Reads one line without its line break; false at the end of the file.
    BOOL ReadString(CString& rString);
    void WriteString(const char* psz);

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    void Flush() override;

private:
    bool FillBuffer();
    void DropBuffer();

    bool m_text = true;
    std::vector<char> m_buf;
    size_t m_pos = 0;
    size_t m_len = 0;
};
