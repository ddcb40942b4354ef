#include "core/QuendalApp.h"
#include "core/FileUtil.h"
#include "core/ShellExecuteRequest.h"

#include <shellapi.h>

BOOL CQuendalApp::ShellOpenFile(const char* pszVerb, const char* pszFile, const char* pszParameters)
{
    auto* pRequest = new CShellExecuteRequest(pszVerb, pszFile, pszParameters);
    if (!pRequest->m_strFile.IsEmpty()) {
        // Word opens its documents badly from a thread that ends at once.
        char exe[MAX_PATH] = "";
        if (reinterpret_cast<INT_PTR>(FindExecutableA(pRequest->m_strFile, nullptr, exe)) > 32 &&
            _stricmp(GetFileNameFromPath(exe), "WINWORD.EXE") == 0) {
            pRequest->Execute();
            delete pRequest;
            return TRUE;
        }
    }
    CShellExecuteRequest::ExecuteOnWorker(pRequest);
    return TRUE;
}
