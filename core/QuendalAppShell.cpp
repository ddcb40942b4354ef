#include "core/QuendalApp.h"
#include "core/ShellExecuteRequest.h"

BOOL CQuendalApp::ShellOpenFile(const char* pszVerb, const char* pszFile, const char* pszParameters)
{
    ::ShellOpenFile(pszVerb, pszFile, pszParameters);
    return TRUE;
}
