#include "classlib/WinApp.h"

#include "classlib/AppCore.h"
#include "classlib/CommandLineInfo.h"
#include "classlib/Wnd.h"

#include <cstdlib>

namespace {

CWinApp* g_app = nullptr;
HINSTANCE g_resource = nullptr;
AfxMessageBoxHook g_messageBoxHook = nullptr;

} // namespace

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_app && g_app->m_hInstance ? g_app->m_hInstance : GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return g_resource ? g_resource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInst)
{
    g_resource = hInst;
}

const char* AfxGetAppName()
{
    return g_app && !g_app->m_strAppName.IsEmpty() ? g_app->m_strAppName.GetString() : "Corvane Mail";
}

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook)
{
    AfxMessageBoxHook old = g_messageBoxHook;
    g_messageBoxHook = hook;
    return old;
}

int AfxMessageBox(const char* pszText, UINT nType, UINT /*nIDHelp*/)
{
    if (g_messageBoxHook)
        return g_messageBoxHook(pszText ? pszText : "", nType);
    HWND owner = GetActiveWindow();
    return MessageBoxA(owner, pszText ? pszText : "", AfxGetAppName(), nType | MB_SETFOREGROUND);
}

int AfxMessageBox(const char* pszText, const char* pszCaption, UINT nType)
{
    if (g_messageBoxHook)
        return g_messageBoxHook(pszText ? pszText : "", nType);
    return MessageBoxA(GetActiveWindow(), pszText ? pszText : "", pszCaption ? pszCaption : AfxGetAppName(),
                       nType | MB_SETFOREGROUND);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp);
}

CWinApp::CWinApp(const char* pszAppName) : m_strAppName(pszAppName)
{
    g_app = this;
    m_hInstance = GetModuleHandleA(nullptr);
    // The application object is made on the main thread and is its thread object.
    m_bAutoDelete = FALSE;
    AttachToCurrentThread();
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::SetRegistryKey(const char* pszRegistryKey)
{
    m_strRegistryKey = pszRegistryKey;
    if (m_strProfileName.IsEmpty())
        m_strProfileName = m_strAppName;
}

CRegKey CWinApp::GetAppRegistryKey(bool create)
{
    CRegKey key;
    if (m_strRegistryKey.IsEmpty())
        return key;
    CString path = "Software\\" + m_strRegistryKey + "\\" + m_strProfileName;
    if (create)
        key.Create(HKEY_CURRENT_USER, path, KEY_READ | KEY_WRITE);
    else
        key.Open(HKEY_CURRENT_USER, path);
    return key;
}

CRegKey CWinApp::GetSectionKey(const char* pszSection, bool create)
{
    CRegKey key;
    CRegKey app = GetAppRegistryKey(create);
    if (!app)
        return key;
    if (create)
        key.Create(app, pszSection, KEY_READ | KEY_WRITE);
    else
        key.Open(app, pszSection);
    return key;
}

UINT CWinApp::GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault)
{
    CRegKey key = GetSectionKey(pszSection, false);
    if (!key)
        return static_cast<UINT>(nDefault);
    DWORD type = 0, value = 0, size = sizeof(value);
    LONG rc = RegQueryValueExA(key, pszEntry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
        return static_cast<UINT>(nDefault);
    return value;
}

CString CWinApp::GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault)
{
    CString value;
    CRegKey key = GetSectionKey(pszSection, false);
    if (!key || !key.QueryStringValue(pszEntry, value))
        return CString(pszDefault);
    return value;
}

BOOL CWinApp::GetProfileBinary(const char* pszSection, const char* pszEntry, BYTE** ppData, UINT* pBytes)
{
    *ppData = nullptr;
    *pBytes = 0;
    CRegKey key = GetSectionKey(pszSection, false);
    if (!key)
        return FALSE;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key, pszEntry, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS && type == REG_BINARY && size > 0) {
        BYTE* data = new BYTE[size];
        rc = RegQueryValueExA(key, pszEntry, nullptr, &type, data, &size);
        if (rc == ERROR_SUCCESS) {
            *ppData = data;
            *pBytes = size;
        } else {
            delete[] data;
        }
    } else {
        rc = ERROR_FILE_NOT_FOUND;
    }
    return rc == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue)
{
    CRegKey key = GetSectionKey(pszSection, true);
    return key && key.SetDWORDValue(pszEntry, static_cast<DWORD>(nValue)) == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue)
{
    if (!pszEntry) {
        CRegKey app = GetAppRegistryKey(true);
        if (!app)
            return FALSE;
        LONG rc = RegDeleteTreeA(app, pszSection);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    CRegKey key = GetSectionKey(pszSection, true);
    if (!key)
        return FALSE;
    LONG rc;
    if (!pszValue) {
        rc = RegDeleteValueA(key, pszEntry);
        if (rc == ERROR_FILE_NOT_FOUND)
            rc = ERROR_SUCCESS;
    } else {
        rc = key.SetStringValue(pszEntry, pszValue);
    }
    return rc == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileBinary(const char* pszSection, const char* pszEntry, const BYTE* pData, UINT nBytes)
{
    CRegKey key = GetSectionKey(pszSection, true);
    return key && RegSetValueExA(key, pszEntry, 0, REG_BINARY, pData, nBytes) == ERROR_SUCCESS;
}

int CWinApp::Run()
{
    return CWinThread::Run();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    for (int i = 1; i < __argc; i++) {
        const char* pszParam = __argv[i];
        BOOL bFlag = FALSE;
        BOOL bLast = i + 1 == __argc;
        if (pszParam[0] == '-' || pszParam[0] == '/') {
            bFlag = TRUE;
            ++pszParam;
        }
        rCmdInfo.ParseParam(pszParam, bFlag, bLast);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
    case CCommandLineInfo::FileOpen:
    case CCommandLineInfo::FileNothing:
        return TRUE;
    default:
        return FALSE;
    }
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_strCmdLine = lpCmdLine;
    pApp->m_nCmdShow = nCmdShow;
    int code;
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd && IsWindow(pApp->m_pMainWnd->m_hWnd))
            pApp->m_pMainWnd->DestroyWindow();
        code = pApp->ExitInstance();
    } else {
        code = pApp->Run();
    }
    return code;
}
