#include "core/ShellExecuteRequest.h"

#include "core/FileUtil.h"

#include <objbase.h>
#include <shellapi.h>

namespace {

ShellOpenHandler g_handler = nullptr;

DWORD WINAPI ShellOpenThreadProc(LPVOID pParam)
{
    auto* request = static_cast<CShellExecuteRequest*>(pParam);
    // The shell's handlers may be COM objects that want an apartment.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    request->Execute();
    delete request;
    if (SUCCEEDED(hr))
        CoUninitialize();
    return 0;
}

// Word opens its documents badly from a thread that ends at once.
bool OpensInWord(const CString& file)
{
    char exe[MAX_PATH] = "";
    return !file.IsEmpty() && reinterpret_cast<INT_PTR>(FindExecutableA(file, nullptr, exe)) > 32 &&
           _stricmp(GetFileNameFromPath(exe), "WINWORD.EXE") == 0;
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
    auto* request = new CShellExecuteRequest;
    request->m_strVerb = pszVerb ? pszVerb : "";
    request->m_strFile = pszFile ? pszFile : "";
    request->m_strParameters = pszParameters ? pszParameters : "";
    if (g_handler) {
        g_handler(*request);
        delete request;
        return;
    }
    if (OpensInWord(request->m_strFile)) {
        request->Execute();
        delete request;
        return;
    }
    HANDLE thread = CreateThread(nullptr, 0, ShellOpenThreadProc, request, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    request->Execute();
    delete request;
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler)
{
    ShellOpenHandler old = g_handler;
    g_handler = handler;
    return old;
}
