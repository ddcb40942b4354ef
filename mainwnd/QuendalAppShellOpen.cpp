// The application's open-with-the-shell.
#include "core/QuendalApp.h"

#include "mainwnd/ShellOpen.h"

#include <shellapi.h>

namespace ShellOpen {

CString QuoteParameters(const char* pszParameters)
{
    CString text = pszParameters ? pszParameters : "";
    if (text.IsEmpty())
        return text;
    CString quoted;
    quoted.Format("\"%s\"", static_cast<const char*>(text));
    return quoted;
}

bool IsWordProcessor(const char* pszExecutable)
{
    CString path = pszExecutable ? pszExecutable : "";
    int slash = path.ReverseFind('\\');
    CString name = slash >= 0 ? path.Mid(slash + 1) : path;
    return name.CompareNoCase("WINWORD.EXE") == 0;
}

} // namespace ShellOpen

namespace {

struct OpenRequest
{
    CString verb, file, parameters;
};

CCriticalSection& ShellOpenLock()
{
    static CCriticalSection lock;
    return lock;
}

DWORD WINAPI OpenWorker(void* pParam)
{
    OpenRequest* request = static_cast<OpenRequest*>(pParam);
    CString parameters = ShellOpen::QuoteParameters(request->parameters);
    ::ShellExecuteA(::GetDesktopWindow(), request->verb.IsEmpty() ? nullptr : static_cast<const char*>(request->verb),
                    request->file.IsEmpty() ? nullptr : static_cast<const char*>(request->file),
                    parameters.IsEmpty() ? nullptr : static_cast<const char*>(parameters), nullptr, SW_SHOWNORMAL);
    delete request;
    return 0;
}

} // namespace

BOOL CQuendalApp::ShellOpenFile(const char* pszVerb, const char* pszFile, const char* pszParameters)
{
    CSingleLock hold(&ShellOpenLock(), TRUE);
    auto* request = new OpenRequest;
    request->verb = pszVerb ? pszVerb : "";
    request->file = pszFile ? pszFile : "";
    request->parameters = pszParameters ? pszParameters : "";
    if (!request->file.IsEmpty()) {
        char exe[MAX_PATH] = "";
        if (reinterpret_cast<INT_PTR>(::FindExecutableA(request->file, nullptr, exe)) > 32 &&
            ShellOpen::IsWordProcessor(exe)) {
            ::ShellExecuteA(::GetDesktopWindow(), request->verb.IsEmpty() ? nullptr : static_cast<const char*>(request->verb),
                            request->file, request->parameters.IsEmpty() ? nullptr : static_cast<const char*>(request->parameters),
                            nullptr, SW_SHOWNORMAL);
            delete request;
            return TRUE;
        }
    }
    HANDLE hThread = ::CreateThread(nullptr, 0, OpenWorker, request, 0, nullptr);
    if (!hThread) {
        delete request;
        return FALSE;
    }
    // The worker frees its request; its handle is not needed.
    ::CloseHandle(hThread);
    return TRUE;
}
