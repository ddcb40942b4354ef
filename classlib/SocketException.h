// CSocketException: a connection that failed in the middle of a read, where
// the reader cannot return a result of its own.
#pragma once

#include "classlib/Exception.h"

class CSocketException : public CException
{
public:
    explicit CSocketException(int nWsaError) : m_nWsaError(nWsaError) {}
    // The system's text for the Windows Sockets error.
    bool GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    int m_nWsaError;
};
