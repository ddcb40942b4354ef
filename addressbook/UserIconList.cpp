#include "addressbook/UserIconList.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "resources/addressbook/AddressbookResource.h"

#include <cstring>

namespace {

HICON LoadResourceIcon(UINT nId, int size)
{
    return static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nId), IMAGE_ICON, size, size,
                                         LR_DEFAULTCOLOR));
}

HICON LoadFileIcon(const CString& path, int size)
{
    return static_cast<HICON>(LoadImageA(nullptr, path, IMAGE_ICON, size, size, LR_LOADFROMFILE));
}

} // namespace

bool CUserIconList::AddPair(const char* pszName, HICON hLarge, HICON hSmall)
{
    bool added = false;
    if (hLarge && hSmall) {
        int large = m_large.Add(hLarge);
        int small = m_small.Add(hSmall);
        if (large >= 0 && small >= 0) {
            m_names.Add(pszName);
            added = true;
        } else {
            // Whichever image went in comes out again, so the three lists stay aligned.
            if (large >= 0)
                ImageList_Remove(m_large, large);
            if (small >= 0)
                ImageList_Remove(m_small, small);
        }
    }
    if (hLarge)
        DestroyIcon(hLarge);
    if (hSmall)
        DestroyIcon(hSmall);
    return added;
}

void CUserIconList::Build(const char* pszAddressBoxPath)
{
    if (m_bBuilt)
        return;
    m_bBuilt = true;
    m_large.Create(32, 32, ILC_COLOR32 | ILC_MASK, 8, 8);
    m_small.Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    const struct
    {
        const char* name;
        UINT id;
    } builtIn[] = { { "icon1", IDI_USER_ICON1 }, { "icon2", IDI_USER_ICON2 }, { "icon3", IDI_USER_ICON3 } };
    for (const auto& icon : builtIn)
        AddPair(icon.name, LoadResourceIcon(icon.id, 32), LoadResourceIcon(icon.id, 16));

    CString large = CombinePath(pszAddressBoxPath, "Icons\\Large");
    CString small = CombinePath(pszAddressBoxPath, "Icons\\Small");
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(CombinePath(large, "*"), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        if (std::strcmp(fd.cFileName, ".") == 0 || std::strcmp(fd.cFileName, "..") == 0)
            continue;
        AddPair(fd.cFileName, LoadFileIcon(CombinePath(large, fd.cFileName), 32),
                LoadFileIcon(CombinePath(small, fd.cFileName), 16));
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
}

int CUserIconList::FindIconIndex(const char* pszName) const
{
    for (int i = 0; i < m_names.GetSize(); ++i)
        if (m_names[i].CompareNoCase(pszName ? pszName : "") == 0)
            return i;
    return 0;
}

CString CUserIconList::GetIconName(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_names.GetSize())
        return CString();
    return m_names[nIndex];
}

CUserIconList& GetUserIconList()
{
    static CUserIconList list;
    if (!list.IsBuilt()) {
        CQuendalApp* app = QuendalApp();
        list.Build(app ? app->GetAddressBoxPath().GetString() : "");
    }
    return list;
}
