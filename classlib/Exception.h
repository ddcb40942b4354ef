// The class layer's exceptions. They are thrown by value and caught by
// reference where the operation the user started can report them.
#pragma once

#include "classlib/String.h"

#include <windows.h>

class CException
{
public:
    virtual ~CException() = default;
    // Writes a description into the caller's buffer; false when there is none.
    virtual bool GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;
    // Shows the description in a message box.
    int ReportError(UINT nType = MB_OK, UINT nMessageID = 0) const;
};

class CMemoryException : public CException
{
public:
    bool GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
};

class CNotSupportedException : public CException {};
// A resource (window class, bitmap, menu) could not be made.
class CResourceException : public CException {};

class CArchiveException : public CException
{
public:
    enum { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
    explicit CArchiveException(int cause = none, const char* pszFileName = nullptr)
        : m_cause(cause), m_strFileName(pszFileName) {}
    bool GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    int m_cause;
    CString m_strFileName;
};

class CFileException : public CException
{
public:
    enum {
        none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied,
        invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation,
        lockViolation, diskFull, endOfFile
    };
    explicit CFileException(int cause = none, LONG lOsError = -1, const char* pszFileName = nullptr)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(pszFileName) {}
    bool GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    // The cause number for a Win32 error code.
    static int OsErrorToException(LONG lOsError);
    [[noreturn]] static void ThrowOsError(LONG lOsError, const char* pszFileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, const char* pszFileName = nullptr);
[[noreturn]] void AfxThrowArchiveException(int cause, const char* pszFileName = nullptr);
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowResourceException();

// The system's description of a Win32 error code, without the trailing line break.
CString AfxSystemErrorText(DWORD dwError);
