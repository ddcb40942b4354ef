// CFile: an owned Win32 file handle. Read, write and seek errors throw
// CFileException carrying the cause, the Win32 code and the path.
#pragma once

#include "classlib/Exception.h"
#include "classlib/Object.h"
#include "classlib/String.h"

#include <windows.h>

#include <string>

struct CFileStatus
{
    CString m_szFullName;
    ULONGLONG m_size = 0;
    DWORD m_attribute = 0;
    FILETIME m_mtime{};
    FILETIME m_ctime{};
};

class CFile : public CObject
{
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osWriteThrough = 0x10000,
        osSequentialScan = 0x20000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const char* pszFileName, UINT nOpenFlags);  // throws on failure
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() override;

    virtual BOOL Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return m_hFile; }
    operator HANDLE() const { return m_hFile; }

    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG newLen);
    virtual void Flush();

    const CString& GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    BOOL GetStatus(CFileStatus& rStatus) const;

    static BOOL GetStatus(const char* pszFileName, CFileStatus& rStatus);
    static void Rename(const char* pszOldName, const char* pszNewName);  // throws
    static void Remove(const char* pszFileName);                         // throws

protected:
    [[noreturn]] void ThrowLastError() const;

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    CString m_strFileName;
};

// The largest file that is read whole: what the 32-bit lengths and offsets of
// the stored formats can address.
constexpr ULONGLONG kMaxWholeFileSize = 0x7FFFFFFF;

// Reads a whole file into data. False when it cannot be opened (the last
// error then tells why), cannot be read, or is larger than kMaxWholeFileSize.
bool ReadWholeFile(const char* pszPath, std::string& data, UINT nShareFlags = CFile::shareDenyNone);
// Reads up to nLength bytes from nFrom into out, which holds what was read
// (less at the file's end). A read error throws CFileException with out
// holding the bytes read before it.
void ReadFileSpan(CFile& file, ULONGLONG nFrom, size_t nLength, std::string& out);
