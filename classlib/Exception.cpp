#include "classlib/Exception.h"

#include "classlib/AppCore.h"

#include <cstring>

namespace {

bool CopyOut(const CString& text, char* out, UINT max)
{
    if (!out || max == 0)
        return false;
    lstrcpynA(out, text, static_cast<int>(max));
    return !text.IsEmpty();
}

} // namespace

bool CException::GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (pszError && nMaxError)
        *pszError = '\0';
    return false;
}

int CException::ReportError(UINT nType, UINT nMessageID) const
{
    char buf[512];
    CString text;
    if (GetErrorMessage(buf, sizeof(buf)))
        text = buf;
    else if (nMessageID)
        text.LoadString(nMessageID);
    return AfxMessageBox(text, nType);
}

bool CMemoryException::GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    return CopyOut("メモリが不足しています。", pszError, nMaxError);
}

bool CArchiveException::GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    CString text;
    text.Format("[%s] のデータ形式が正しくありません。(%d)", m_strFileName.GetString(), m_cause);
    return CopyOut(text, pszError, nMaxError);
}

bool CFileException::GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    CString text;
    text.Format("[%s] %s", m_strFileName.GetString(),
                AfxSystemErrorText(m_lOsError < 0 ? ERROR_GEN_FAILURE : static_cast<DWORD>(m_lOsError)).GetString());
    return CopyOut(text, pszError, nMaxError);
}

int CFileException::OsErrorToException(LONG lOsError)
{
    switch (lOsError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT: return hardIO;
    default: return genericException;
    }
}

void CFileException::ThrowOsError(LONG lOsError, const char* pszFileName)
{
    AfxThrowFileException(OsErrorToException(lOsError), lOsError, pszFileName);
}

void AfxThrowMemoryException()
{
    throw CMemoryException();
}

void AfxThrowFileException(int cause, LONG lOsError, const char* pszFileName)
{
    throw CFileException(cause, lOsError, pszFileName);
}

void AfxThrowArchiveException(int cause, const char* pszFileName)
{
    throw CArchiveException(cause, pszFileName);
}

void AfxThrowNotSupportedException()
{
    throw CNotSupportedException();
}

void AfxThrowResourceException()
{
    throw CResourceException();
}

CString AfxSystemErrorText(DWORD dwError)
{
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, dwError, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    CString s;
    if (n && text)
        s = text;
    if (text)
        LocalFree(text);
    s.TrimRight("\r\n");
    if (s.IsEmpty())
        s.Format("Error %lu", static_cast<unsigned long>(dwError));
    return s;
}
