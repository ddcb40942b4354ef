// CShellExecuteRequest: one file or link to open with the shell, handed to a
// worker thread that opens it and frees the request.
#pragma once

#include "classlib/ClassLib.h"

class CShellExecuteRequest
{
public:
    CShellExecuteRequest(const char* pszVerb, const char* pszFile, const char* pszParameters);

    // Opens the file with the desktop as parent; parameters in double quotes.
    void Execute() const;
    // Runs Execute on a thread of its own, which frees the request; runs it
    // here when no thread can be started.
    static void ExecuteOnWorker(CShellExecuteRequest* pRequest);

    CString m_strVerb, m_strFile, m_strParameters;
};
