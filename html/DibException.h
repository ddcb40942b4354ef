// CDibException: raised by the DIB loader for a picture it cannot take.
#pragma once

#include "classlib/ClassLib.h"

class CDibException
{
public:
    enum { badBitCount = 1, badSize = 2, unsupported = 3 };
    CDibException(int nCode, const char* pszMessage) : m_nCode(nCode), m_strMessage(pszMessage) {}
    int GetCode() const { return m_nCode; }
    const CString& GetMessage() const { return m_strMessage; }

private:
    int m_nCode;
    CString m_strMessage;
};
