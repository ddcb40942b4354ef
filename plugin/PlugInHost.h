// CPlugInHost: the loaded plug-in modules, their event lists and the
// commands they registered. Modules and event lists change only at start-up
// and shut-down on the application thread; commands are registered from
// plug-in code (any thread) and are guarded.
#pragma once

#include "classlib/ClassLib.h"
#include "plugin/PlugInInterface.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <vector>

class CPlugInHost
{
public:
    // Event indexes fired by the client.
    enum {
        evInitPlugIn = 10,
        evMailFolderLoad = 13,
        evEndMailDownload = 20,
        evNotifyReceive = 21,
        evCloseMainWnd = 24,
        evShownMail = 35,
        eventListCount = 40
    };
    enum { firstCommandId = 40000, lastCommandId = 41000 };

    struct PlugInRecord
    {
        HMODULE hModule;
        CString strPath;
    };
    struct Command
    {
        HMODULE hPlugIn;
        CString strTitle;
        LPARAM lValue;
        CString strText;
        CString strPrompt;
        QdCommandFunc pfn;
        LPARAM lValue2, lValue3, lValue4;
        UINT nId;
    };

    CPlugInHost() = default;
    CPlugInHost(const CPlugInHost&) = delete;
    CPlugInHost& operator=(const CPlugInHost&) = delete;
    ~CPlugInHost();

    // The client's version numbers that plug-ins are checked against.
    void SetClientVersion(const WORD version[4]) { std::copy(version, version + 4, m_wVersion); }
    // Loads every "*.dll" of the folder; keeps those that pass the
    // acceptance test and registers their events. The number kept.
    int LoadFolder(const char* pszFolder);
    // Loads one module; false when it cannot be loaded or is not accepted
    // (then it is freed again).
    bool LoadModule(const char* pszPath);
    // The acceptance test against the client's four version numbers.
    static bool IsPlugInCompatible(HMODULE hModule, const WORD version[4]);
    void RegisterPlugInEvents(HMODULE hModule);
    // Calls every function of the event's list in registration order.
    void FirePlugInEvent(int nEvent, HWND hWnd = nullptr, int nCount = 0);
    // The shown-mail event: the mail's file name, header, body and charset
    // name to every registered callback (from any thread that shows a mail).
    void FireShownMailEvent(const char* pszFileName, const char* pszHeader, const char* pszBody,
                            const char* pszCharset);
    // "OnUnload" of every module, frees them, drops the event lists.
    void UnloadAll();

    const std::vector<PlugInRecord>& GetPlugIns() const { return m_plugIns; }
    CString GetPlugInTitle(HMODULE hPlugIn) const;
    size_t GetEventListSize(int nEvent) const;

    // Registers a command (with a menu item when bMenu); false when the
    // menu item cannot be added or the id range is used up.
    bool AddCommand(HMODULE hPlugIn, LPARAM lValue, const char* pszText, const char* pszPrompt, QdCommandFunc pfn,
                    LPARAM lValue2, LPARAM lValue3, LPARAM lValue4, bool bMenu, UINT nMenuFlags);
    int GetCommandCount() const;
    bool GetCommand(UINT nId, Command& command) const;
    // Runs the command's function on a worker thread of its own; the
    // thread's handle, or null.
    HANDLE RunCommand(UINT nId);

    // The main menu the plug-in submenu lives in, set when the main
    // window is made.
    void SetMainMenu(HMENU hMenu);
    // The plug-in submenu (its placeholder removed on first use), or with
    // bRemove the plug-in submenu and information item taken out of the
    // main menu. Null when missing.
    HMENU PreparePlugInMenu(bool bRemove);

    HIMAGELIST GetFolderImages();

    static constexpr UINT kPlaceholderId = 33220;
    static constexpr UINT kInfoId = 33219;

private:
    static DWORD WINAPI CommandThread(void* p);

    WORD m_wVersion[4] = { 0, 0, 0, 0 };
    std::vector<PlugInRecord> m_plugIns;
    std::vector<std::vector<FARPROC>> m_events;
    mutable std::mutex m_commandLock;
    std::vector<Command> m_commands;
    HMENU m_hMainMenu = nullptr;
    HMENU m_hPlugInMenu = nullptr;
    CImageList m_folderImages;
};

// The process's one host.
CPlugInHost& PlugInHost();
