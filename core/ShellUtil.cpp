#include "core/ShellUtil.h"

#include "core/FileUtil.h"
#include "core/MiscUtil.h"

#include <shobjidl.h>

namespace {

// COM for the length of one call on this thread.
class ComScope
{
public:
    ComScope() : m_hr(CoInitialize(nullptr)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

class ItemList
{
public:
    explicit ItemList(LPITEMIDLIST pidl = nullptr) : m_pidl(pidl) {}
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    ~ItemList()
    {
        if (m_pidl)
            CoTaskMemFree(m_pidl);
    }
    LPITEMIDLIST Get() const { return m_pidl; }

private:
    LPITEMIDLIST m_pidl;
};

int CALLBACK BrowseCallback(HWND hWnd, UINT uMsg, LPARAM, LPARAM lpData)
{
    if (uMsg == BFFM_INITIALIZED && lpData)
        SendMessageA(hWnd, BFFM_SETSELECTIONA, FALSE, lpData);
    return 0;
}

} // namespace

LPITEMIDLIST ParsePathToItemList(const char* pszPath)
{
    if (!pszPath || !*pszPath)
        return nullptr;
    CComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Receive())) || !desktop.Get())
        return nullptr;
    std::wstring wide = CString(pszPath).ToWide();
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], &eaten, &pidl, nullptr)))
        return nullptr;
    return pidl;
}

LPITEMIDLIST GetNextItemID(LPCITEMIDLIST pidl)
{
    if (!pidl || pidl->mkid.cb == 0)
        return nullptr;
    auto next = reinterpret_cast<LPITEMIDLIST>(reinterpret_cast<BYTE*>(const_cast<LPITEMIDLIST>(pidl)) + pidl->mkid.cb);
    return next->mkid.cb == 0 ? nullptr : next;
}

UINT GetItemListSize(LPCITEMIDLIST pidl)
{
    if (!pidl)
        return 0;
    UINT size = 2;
    for (LPCITEMIDLIST p = pidl; p && p->mkid.cb; p = GetNextItemID(p))
        size += p->mkid.cb;
    return size;
}

IShellFolder* BindToShellFolder(LPCITEMIDLIST pidl)
{
    CComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Receive())) || !desktop.Get())
        return nullptr;
    IShellFolder* folder = nullptr;
    if (!pidl || pidl->mkid.cb == 0) {
        desktop->AddRef();
        return desktop.Get();
    }
    if (FAILED(desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        return nullptr;
    return folder;
}

CString BrowseForFolder(HWND hOwner, const char* pszTitle, const char* pszStartFolder)
{
    CString start(pszStartFolder ? pszStartFolder : "");
    CString folder = start.GetLength() > MAX_PATH ? start.Left(MAX_PATH) : start;
    CollapseBackslashes(folder);
    ComScope com;
    ItemList startItem(ParsePathToItemList(folder));
    ItemList programItem(startItem.Get() ? nullptr : ParsePathToItemList(GetProgramFilePath("")));
    LPITEMIDLIST initial = startItem.Get() ? startItem.Get() : programItem.Get();

    char display[MAX_PATH] = "";
    BROWSEINFOA bi = {};
    bi.hwndOwner = hOwner;
    bi.pszDisplayName = display;
    bi.lpszTitle = pszTitle;
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    bi.lpfn = &BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(initial);
    ItemList chosen(SHBrowseForFolderA(&bi));
    if (!chosen.Get())
        return start;
    char path[MAX_PATH] = "";
    if (!SHGetPathFromIDListA(chosen.Get(), path))
        return start;
    return CString(path);
}

BOOL CreateShortcut(const char* pszLinkPath, const char* pszDescription, const char* pszTargetPath)
{
    ComScope com;
    CComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.ReceiveVoid())))
        return FALSE;
    link->SetPath(pszTargetPath ? pszTargetPath : "");
    link->SetDescription(pszDescription ? pszDescription : "");
    CComPtr<IPersistFile> file;
    if (FAILED(link.QueryInterface(IID_IPersistFile, file)))
        return FALSE;
    std::wstring wide = CString(pszLinkPath ? pszLinkPath : "").ToWide();
    return SUCCEEDED(file->Save(wide.c_str(), TRUE));
}

POINT GetMenuAnchorPoint(HWND hWnd)
{
    POINT pt = { 8, 8 };
    ClientToScreen(hWnd, &pt);
    return pt;
}
