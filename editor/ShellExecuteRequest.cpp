#include "editor/ShellExecuteRequest.h"

#include <shellapi.h>

namespace {

ShellOpenHandler g_handler = nullptr;

DWORD WINAPI ShellOpenThreadProc(LPVOID pParam)
{
    CShellExecuteRequest* request = static_cast<CShellExecuteRequest*>(pParam);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    request->Execute();
    CoUninitialize();
    delete request;
    return 0;
}

} // namespace

void CShellExecuteRequest::Execute() const
{
    CString parameters;
    if (!m_strParameters.IsEmpty())
        parameters = "\"" + m_strParameters + "\"";
    ShellExecuteA(GetDesktopWindow(), m_strVerb.IsEmpty() ? nullptr : m_strVerb.GetString(),
                  m_strFile.IsEmpty() ? nullptr : m_strFile.GetString(),
                  parameters.IsEmpty() ? nullptr : parameters.GetString(), nullptr, SW_SHOWNORMAL);
}

void ShellOpenFile(const char* pszVerb, const char* pszFile, const char* pszParameters)
{
    CShellExecuteRequest* request = new CShellExecuteRequest;
    request->m_strVerb = pszVerb ? pszVerb : "";
    request->m_strFile = pszFile ? pszFile : "";
    request->m_strParameters = pszParameters ? pszParameters : "";
    if (g_handler) {
        g_handler(*request);
        delete request;
        return;
    }
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, ShellOpenThreadProc, request, 0, &id);
    if (thread)
        CloseHandle(thread);
    else
        delete request;
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler)
{
    ShellOpenHandler old = g_handler;
    g_handler = handler;
    return old;
}
