// CWinApp: the one application object. This layer keeps its names, the
// resource module and the per-user registry profile functions; the program's
// own application class derives from it.
#pragma once

#include "classlib/Object.h"
#include "classlib/RegKey.h"
#include "classlib/String.h"
#include "classlib/WinThread.h"

#include <windows.h>

class CCommandLineInfo;

class CWinApp : public CWinThread
{
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    ~CWinApp() override;

    BOOL InitInstance() override { return TRUE; }
    int ExitInstance() override { return static_cast<int>(m_msgCur.wParam); }

    // The main thread's message loop; the program ends when it returns.
    int Run() override;
    // Hands every argument of the process's command line to the record's ParseParam.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // Acts on the parsed command; false ends the program.
    virtual BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    // Asked before the main window closes; false keeps it open.
    virtual BOOL SaveAllModified() { return TRUE; }

    // Profile values under HKEY_CURRENT_USER\Software\<registry key>\<profile name>\<section>.
    void SetRegistryKey(const char* pszRegistryKey);
    UINT GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault);
    CString GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault = nullptr);
    BOOL GetProfileBinary(const char* pszSection, const char* pszEntry, BYTE** ppData, UINT* pBytes);
    BOOL WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue);
    // A null entry deletes the section; a null value deletes the entry.
    BOOL WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue);
    BOOL WriteProfileBinary(const char* pszSection, const char* pszEntry, const BYTE* pData, UINT nBytes);
    // The application's own registry key (created when asked); null when it cannot be opened.
    CRegKey GetAppRegistryKey(bool create = true);
    CRegKey GetSectionKey(const char* pszSection, bool create = true);

    HINSTANCE m_hInstance = nullptr;
    CString m_strAppName;      // message-box caption
    CString m_strRegistryKey;  // the maker's key under Software
    CString m_strProfileName;  // the program's key under the maker's
    CString m_strCmdLine;
    int m_nCmdShow = SW_SHOWNORMAL;
};

// The body of WinMain: runs the application object's InitInstance, then its
// message loop (or ExitInstance when start-up fails).
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
