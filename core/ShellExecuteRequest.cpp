#include "core/ShellExecuteRequest.h"

#include <objbase.h>
#include <shellapi.h>

namespace {

DWORD WINAPI ShellOpenThreadProc(LPVOID pParam)
{
    auto* pRequest = static_cast<CShellExecuteRequest*>(pParam);
    // The shell's handlers may be COM objects that want an apartment.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    pRequest->Execute();
    delete pRequest;
    if (SUCCEEDED(hr))
        CoUninitialize();
    return 0;
}

} // namespace

CShellExecuteRequest::CShellExecuteRequest(const char* pszVerb, const char* pszFile, const char* pszParameters)
    : m_strVerb(pszVerb ? pszVerb : ""), m_strFile(pszFile ? pszFile : ""),
      m_strParameters(pszParameters ? pszParameters : "")
{
}

void CShellExecuteRequest::Execute() const
{
    CString parameters = m_strParameters.IsEmpty() ? CString() : "\"" + m_strParameters + "\"";
    ShellExecuteA(GetDesktopWindow(), m_strVerb.IsEmpty() ? nullptr : m_strVerb.GetString(),
                  m_strFile.IsEmpty() ? nullptr : m_strFile.GetString(),
                  parameters.IsEmpty() ? nullptr : parameters.GetString(), nullptr, SW_SHOWNORMAL);
}

void CShellExecuteRequest::ExecuteOnWorker(CShellExecuteRequest* pRequest)
{
    HANDLE hThread = CreateThread(nullptr, 0, ShellOpenThreadProc, pRequest, 0, nullptr);
    if (hThread) {
        CloseHandle(hThread);
        return;
    }
    pRequest->Execute();
    delete pRequest;
}
