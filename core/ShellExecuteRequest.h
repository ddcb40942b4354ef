// CShellExecuteRequest: one file or link handed to the shell (verb, file,
// parameters). ShellOpenFile gives it to a worker thread, so that a slow
// program or a question of the shell never holds the window that asked.
#pragma once

#include "classlib/ClassLib.h"

class CShellExecuteRequest
{
public:
    CString m_strVerb;
    CString m_strFile;
    CString m_strParameters;

    // Runs the request (the worker's body): the desktop as parent, the
    // parameters in double quotes, the normal show state.
    void Execute() const;
};

// Opens the file with the verb on a worker thread; files of Word at once.
void ShellOpenFile(const char* pszVerb, const char* pszFile, const char* pszParameters);

// Tests take the requests instead of the shell; returns the handler before.
typedef void (*ShellOpenHandler)(const CShellExecuteRequest& request);
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);
