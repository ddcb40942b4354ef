// CWabReader: reads the entries of a Windows Address Book file through the
// WAB library that the registry names (HKLM "Software\Microsoft\WAB\DLLPath").
#pragma once

#include "classlib/ClassLib.h"

struct IAddrBook;
struct IWABObject;

class CWabReader
{
public:
    // Opens the library and the file (empty: the user's default address
    // book). Failing that, the reader holds no address book and reads nothing.
    explicit CWabReader(const char* pszPath);
    CWabReader(const CWabReader&) = delete;
    CWabReader& operator=(const CWabReader&) = delete;
    ~CWabReader();

    BOOL IsOpen() const { return m_pAddrBook != nullptr; }
    // Appends one CWabAddress (owned by the list) per entry whose address
    // type is exactly "SMTP". False when nothing could be read.
    BOOL ReadAddresses(CPtrArray& list);

    HMODULE m_hWab = nullptr;
    FARPROC m_pfnWabOpen = nullptr;
    IWABObject* m_pWabObject = nullptr;
    IAddrBook* m_pAddrBook = nullptr;
    CString m_strError;
};
