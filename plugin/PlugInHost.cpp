#include "plugin/PlugInHost.h"

#include "mainwnd/FolderImages.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct EventEntry
{
    int nIndex;
    const char* pszName;
};
const EventEntry kEvents[] = {
    { 10, "OnQuendalInitPlugIn" }, { 11, "OnQuendalInitComplete" }, { 13, "OnMailFolderLoad" },
    { 15, "OnMailDataReceive" },   { 17, "OnMailBoxChange" },       { 20, "OnEndMailDownload" },
    { 21, "OnNotifyReceive" },     { 22, "OnDownloadMailToFolder" }, { 24, "OnCloseMainWnd" },
};

typedef void (*NoArgFunc)(void);
typedef void (*WindowCountFunc)(HWND, int);
typedef void (*ShownMailFunc)(const char*, const char*, const char*, const char*);
typedef const char* (*NameFunc)(void);
typedef int (*VersionFunc)(int, int, int, int);

template <typename T> T Export(HMODULE h, const char* pszName)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(h, pszName)));
}

// The item of the menu whose text contains the part; -1 when none.
int FindItemByText(HMENU hMenu, const char* pszPart)
{
    int count = hMenu ? GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        GetMenuStringA(hMenu, static_cast<UINT>(i), text, sizeof(text) - 1, MF_BYPOSITION);
        if (std::strstr(text, pszPart))
            return i;
    }
    return -1;
}

} // namespace

CPlugInHost& PlugInHost()
{
    static CPlugInHost host;
    return host;
}

CPlugInHost::~CPlugInHost()
{
    UnloadAll();
}

int CPlugInHost::LoadFolder(const char* pszFolder)
{
    CString folder(pszFolder ? pszFolder : "");
    if (!folder.IsEmpty() && folder.Right(1) != "\\")
        folder += "\\";
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(folder + "*.dll", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    std::vector<CString> names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    // A steady load order, whatever order the file system lists them in.
    std::sort(names.begin(), names.end(), [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
    int loaded = 0;
    for (const CString& name : names)
        loaded += LoadModule(folder + name) ? 1 : 0;
    return loaded;
}

bool CPlugInHost::LoadModule(const char* pszPath)
{
    HMODULE h = LoadLibraryA(pszPath);
    if (!h)
        return false;
    if (!IsPlugInCompatible(h, m_wVersion)) {
        FreeLibrary(h);
        return false;
    }
    m_plugIns.push_back({ h, pszPath });
    RegisterPlugInEvents(h);
    return true;
}

bool CPlugInHost::IsPlugInCompatible(HMODULE hModule, const WORD version[4])
{
    NameFunc name = Export<NameFunc>(hModule, "GetPlugInName");
    VersionFunc check = Export<VersionFunc>(hModule, "CheckQuendalVersion");
    return name && check && check(version[0], version[1], version[2], version[3]) != 0;
}

void CPlugInHost::RegisterPlugInEvents(HMODULE hModule)
{
    if (m_events.empty())
        m_events.resize(eventListCount);
    for (const EventEntry& e : kEvents) {
        if (FARPROC p = GetProcAddress(hModule, e.pszName))
            m_events[static_cast<size_t>(e.nIndex)].push_back(p);
    }
}

void CPlugInHost::FirePlugInEvent(int nEvent, HWND hWnd, int nCount)
{
    if (nEvent < 0 || static_cast<size_t>(nEvent) >= m_events.size())
        return;
    for (FARPROC p : m_events[static_cast<size_t>(nEvent)]) {
        switch (nEvent) {
        case evEndMailDownload:
        case evNotifyReceive:
            reinterpret_cast<WindowCountFunc>(reinterpret_cast<void*>(p))(hWnd, nCount);
            break;
        case evInitPlugIn:
        case evMailFolderLoad:
        case evCloseMainWnd:
            reinterpret_cast<NoArgFunc>(reinterpret_cast<void*>(p))();
            break;
        default:
            // Events the client never raises: their argument lists are not fixed.
            break;
        }
    }
}

void CPlugInHost::FireShownMailEvent(const char* pszFileName, const char* pszHeader, const char* pszBody,
                                     const char* pszCharset)
{
    if (static_cast<size_t>(evShownMail) >= m_events.size())
        return;
    for (FARPROC p : m_events[static_cast<size_t>(evShownMail)])
        reinterpret_cast<ShownMailFunc>(reinterpret_cast<void*>(p))(pszFileName, pszHeader, pszBody, pszCharset);
}

size_t CPlugInHost::GetEventListSize(int nEvent) const
{
    return nEvent >= 0 && static_cast<size_t>(nEvent) < m_events.size() ? m_events[static_cast<size_t>(nEvent)].size()
                                                                       : 0;
}

void CPlugInHost::UnloadAll()
{
    for (PlugInRecord& r : m_plugIns) {
        if (NoArgFunc unload = Export<NoArgFunc>(r.hModule, "OnUnload"))
            unload();
        FreeLibrary(r.hModule);
    }
    m_plugIns.clear();
    m_events.clear();
    std::lock_guard<std::mutex> hold(m_commandLock);
    m_commands.clear();
    m_hMainMenu = nullptr;
    m_hPlugInMenu = nullptr;
}

CString CPlugInHost::GetPlugInTitle(HMODULE hPlugIn) const
{
    for (const PlugInRecord& r : m_plugIns) {
        if (r.hModule != hPlugIn)
            continue;
        CString name = r.strPath;
        int slash = name.ReverseFind('\\');
        if (slash >= 0)
            name = name.Mid(slash + 1);
        int dot = name.ReverseFind('.');
        return dot >= 0 ? name.Left(dot) : name;
    }
    return CString();
}

bool CPlugInHost::AddCommand(HMODULE hPlugIn, LPARAM lValue, const char* pszText, const char* pszPrompt,
                             QdCommandFunc pfn, LPARAM lValue2, LPARAM lValue3, LPARAM lValue4, bool bMenu,
                             UINT nMenuFlags)
{
    std::lock_guard<std::mutex> hold(m_commandLock);
    UINT id = firstCommandId + static_cast<UINT>(m_commands.size());
    if (id > lastCommandId)
        return false;
    Command c = { hPlugIn, GetPlugInTitle(hPlugIn), lValue, pszText ? pszText : "", pszPrompt ? pszPrompt : "",
                  pfn, lValue2, lValue3, lValue4, id };
    m_commands.push_back(c);
    if (!bMenu)
        return true;
    HMENU hMenu = PreparePlugInMenu(false);
    if (!hMenu)
        return false;
    int items = GetMenuItemCount(hMenu);
    CString text = c.strText;
    if (items >= 0 && items < 26)
        text.AppendFormat("(&%c)", 'A' + items);
    nMenuFlags &= ~static_cast<UINT>(MF_POPUP | MF_BITMAP | MF_OWNERDRAW | MF_DISABLED | MF_GRAYED);
    return AppendMenuA(hMenu, nMenuFlags | MF_STRING | MF_ENABLED, id, text) != FALSE;
}

int CPlugInHost::GetCommandCount() const
{
    std::lock_guard<std::mutex> hold(m_commandLock);
    return static_cast<int>(m_commands.size());
}

bool CPlugInHost::GetCommand(UINT nId, Command& command) const
{
    std::lock_guard<std::mutex> hold(m_commandLock);
    if (nId < firstCommandId || nId - firstCommandId >= m_commands.size())
        return false;
    command = m_commands[nId - firstCommandId];
    return true;
}

DWORD WINAPI CPlugInHost::CommandThread(void* p)
{
    reinterpret_cast<QdCommandFunc>(p)();
    return 0;
}

HANDLE CPlugInHost::RunCommand(UINT nId)
{
    Command c;
    if (!GetCommand(nId, c) || !c.pfn)
        return nullptr;
    return CreateThread(nullptr, 0, CommandThread, reinterpret_cast<void*>(c.pfn), 0, nullptr);
}

void CPlugInHost::SetMainMenu(HMENU hMenu)
{
    m_hMainMenu = hMenu;
    m_hPlugInMenu = nullptr;
}

HMENU CPlugInHost::PreparePlugInMenu(bool bRemove)
{
    int tools = FindItemByText(m_hMainMenu, "ツール");
    HMENU hTools = tools >= 0 ? GetSubMenu(m_hMainMenu, tools) : nullptr;
    if (bRemove) {
        int pos = FindItemByText(hTools, "プラグインの設定");
        if (pos >= 0) {
            DeleteMenu(hTools, static_cast<UINT>(pos), MF_BYPOSITION);  // destroys the submenu
            if (static_cast<int>(GetMenuItemID(hTools, pos)) == 0 && GetMenuState(hTools, pos, MF_BYPOSITION) & MF_SEPARATOR)
                DeleteMenu(hTools, static_cast<UINT>(pos), MF_BYPOSITION);
        }
        int help = FindItemByText(m_hMainMenu, "ヘルプ");
        HMENU hHelp = help >= 0 ? GetSubMenu(m_hMainMenu, help) : nullptr;
        int count = hHelp ? GetMenuItemCount(hHelp) : 0;
        for (int i = 0; i < count; ++i) {
            if (GetMenuItemID(hHelp, i) != kInfoId)
                continue;
            DeleteMenu(hHelp, static_cast<UINT>(i), MF_BYPOSITION);
            if (i < GetMenuItemCount(hHelp) && (GetMenuState(hHelp, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR))
                DeleteMenu(hHelp, static_cast<UINT>(i), MF_BYPOSITION);
            break;
        }
        m_hPlugInMenu = nullptr;
        return nullptr;
    }
    if (m_hPlugInMenu && IsMenu(m_hPlugInMenu))
        return m_hPlugInMenu;
    int pos = FindItemByText(hTools, "プラグインの設定");
    HMENU hSub = pos >= 0 ? GetSubMenu(hTools, pos) : nullptr;
    if (!hSub)
        return nullptr;
    if (GetMenuItemCount(hSub) > 0 && GetMenuItemID(hSub, 0) == kPlaceholderId)
        DeleteMenu(hSub, 0, MF_BYPOSITION);
    m_hPlugInMenu = hSub;
    return hSub;
}

HIMAGELIST CPlugInHost::GetFolderImages()
{
    if (!m_folderImages.m_hImageList)
        CreateFolderImageList(m_folderImages);
    return m_folderImages.m_hImageList;
}
