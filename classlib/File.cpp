#include "classlib/File.h"

#include "classlib/Mbcs.h"

CFile::CFile(const char* pszFileName, UINT nOpenFlags)
{
    CFileException e;
    if (!Open(pszFileName, nOpenFlags, &e))
        throw e;
}

CFile::~CFile()
{
    Abort();
}

BOOL CFile::Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError)
{
    Abort();
    m_strFileName = pszFileName;

    DWORD access = 0;
    switch (nOpenFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareExclusive: share = 0; break;
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
    default: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        disposition = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    if (nOpenFlags & osWriteThrough)
        flags |= FILE_FLAG_WRITE_THROUGH;
    if (nOpenFlags & osSequentialScan)
        flags |= FILE_FLAG_SEQUENTIAL_SCAN;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, (nOpenFlags & modeNoInherit) ? FALSE : TRUE};

    HANDLE h = CreateFileA(pszFileName, access, share, &sa, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        if (pError) {
            pError->m_lOsError = static_cast<LONG>(err);
            pError->m_cause = CFileException::OsErrorToException(static_cast<LONG>(err));
            pError->m_strFileName = pszFileName;
        }
        SetLastError(err);
        return FALSE;
    }
    m_hFile = h;
    return TRUE;
}

void CFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        BOOL ok = CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        if (!ok)
            ThrowLastError();
    }
}

void CFile::Abort()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    DWORD done = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &done, nullptr))
        ThrowLastError();
    return done;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    DWORD done = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &done, nullptr))
        ThrowLastError();
    if (done != nCount)
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LARGE_INTEGER dist, pos;
    dist.QuadPart = lOff;
    DWORD method = nFrom == begin ? FILE_BEGIN : nFrom == current ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(m_hFile, dist, &pos, method))
        ThrowLastError();
    return static_cast<ULONGLONG>(pos.QuadPart);
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER zero, pos;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(m_hFile, zero, &pos, FILE_CURRENT))
        ThrowLastError();
    return static_cast<ULONGLONG>(pos.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size))
        ThrowLastError();
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG newLen)
{
    Seek(static_cast<LONGLONG>(newLen), begin);
    if (!SetEndOfFile(m_hFile))
        ThrowLastError();
}

void CFile::Flush()
{
    if (m_hFile != INVALID_HANDLE_VALUE && !FlushFileBuffers(m_hFile))
        ThrowLastError();
}

CString CFile::GetFileName() const
{
    // The last path component; a backslash inside a double-byte character is not a separator.
    int cut = -1;
    int i = 0;
    const char* p = m_strFileName;
    int len = m_strFileName.GetLength();
    while (i < len) {
        size_t n = Mbcs::CharLength(p + i, static_cast<size_t>(len - i));
        if (n == 1 && (p[i] == '\\' || p[i] == '/' || p[i] == ':'))
            cut = i;
        i += static_cast<int>(n);
    }
    return m_strFileName.Mid(cut + 1);
}

BOOL CFile::GetStatus(CFileStatus& rStatus) const
{
    return GetStatus(m_strFileName, rStatus);
}

BOOL CFile::GetStatus(const char* pszFileName, CFileStatus& rStatus)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(pszFileName, GetFileExInfoStandard, &data))
        return FALSE;
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(pszFileName, sizeof(full), full, nullptr);
    rStatus.m_szFullName = (n > 0 && n < sizeof(full)) ? full : pszFileName;
    rStatus.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    rStatus.m_attribute = data.dwFileAttributes;
    rStatus.m_mtime = data.ftLastWriteTime;
    rStatus.m_ctime = data.ftCreationTime;
    return TRUE;
}

void CFile::Rename(const char* pszOldName, const char* pszNewName)
{
    if (!MoveFileA(pszOldName, pszNewName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), pszOldName);
}

void CFile::Remove(const char* pszFileName)
{
    if (!DeleteFileA(pszFileName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), pszFileName);
}

void CFile::ThrowLastError() const
{
    CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

void ReadFileSpan(CFile& file, ULONGLONG nFrom, size_t nLength, std::string& out)
{
    out.resize(nLength);
    size_t done = 0;
    try {
        file.Seek(static_cast<LONGLONG>(nFrom), CFile::begin);
        while (done < nLength) {
            UINT got = file.Read(&out[done], static_cast<UINT>(nLength - done));
            if (got == 0)
                break;
            done += got;
        }
    } catch (const CFileException&) {
        out.resize(done);
        throw;
    }
    out.resize(done);
}

bool ReadWholeFile(const char* pszPath, std::string& data, UINT nShareFlags)
{
    data.clear();
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | nShareFlags))
        return false;
    try {
        ULONGLONG len = file.GetLength();
        if (len > kMaxWholeFileSize) {
            SetLastError(ERROR_FILE_TOO_LARGE);
            return false;
        }
        data.resize(static_cast<size_t>(len));
        size_t done = 0;
        while (done < data.size()) {
            UINT n = file.Read(&data[done], static_cast<UINT>(data.size() - done));
            if (n == 0)
                break;  // the file became shorter while it was read
            done += n;
        }
        data.resize(done);
    } catch (const CFileException&) {
        data.clear();
        return false;
    }
    return true;
}

