#include "classlib/Archive.h"

UINT CArchive::Read(void* lpBuf, UINT nMax)
{
    if (!IsLoading())
        AfxThrowArchiveException(CArchiveException::writeOnly);
    return m_pFile->Read(lpBuf, nMax);
}

void CArchive::Write(const void* lpBuf, UINT nMax)
{
    if (IsLoading())
        AfxThrowArchiveException(CArchiveException::readOnly);
    m_pFile->Write(lpBuf, nMax);
}

void CArchive::ReadExact(void* p, UINT n)
{
    if (Read(p, n) != n)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}

CArchive& CArchive::operator<<(const CString& s)
{
    DWORD len = static_cast<DWORD>(s.GetLength());
    if (len < 0xFF) {
        *this << static_cast<BYTE>(len);
    } else if (len < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(len);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << len;
    }
    Write(s.GetString(), len);
    return *this;
}

CArchive& CArchive::operator>>(CString& s)
{
    BYTE b = 0;
    *this >> b;
    DWORD len = b;
    if (b == 0xFF) {
        WORD w = 0;
        *this >> w;
        len = w;
        if (w == 0xFFFF)
            *this >> len;
    }
    // The length comes from outside: never trust it beyond what the file holds.
    ULONGLONG left = m_pFile->GetLength() - m_pFile->GetPosition();
    if (len > left)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
    char* p = s.GetBufferSetLength(static_cast<int>(len));
    ReadExact(p, len);
    s.ReleaseBuffer(static_cast<int>(len));
    return *this;
}
