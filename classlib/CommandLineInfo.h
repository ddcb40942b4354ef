// CCommandLineInfo: the record that the application's command-line pass fills.
#pragma once

#include "classlib/String.h"

class CCommandLineInfo
{
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };

    CCommandLineInfo() = default;
    virtual ~CCommandLineInfo() = default;

    // One argument: a switch (without its "/" or "-") when bFlag is set, else
    // a file name. The first file name makes the command FileOpen; "p" and
    // "pt" make it a print request.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    int m_nShellCommand = FileNew;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;

private:
    int m_nPrintToArg = 0;
};
