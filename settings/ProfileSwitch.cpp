#include "settings/ProfileSwitch.h"

#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "settings/ProfileDataSet.h"
#include "store/FolderRegistryHooks.h"
#include "transfer/RouteSetData.h"

#include <algorithm>

namespace {

// The paths in use before the first profile was taken (the command line's).
struct BasePaths
{
    bool bKept = false;
    CString strAccountFile, strRouteFile, strAddressFolder;
};

BasePaths& Base()
{
    static BasePaths base;
    return base;
}

} // namespace

void SwitchProfile(CQuendalApp& app, const char* pszName)
{
    BasePaths& base = Base();
    if (!base.bKept) {
        base.strAccountFile = app.m_strAccountFileOverride;
        base.strRouteFile = app.m_strRouteFileOverride;
        base.strAddressFolder = app.m_strAddressBoxOverride;
        base.bKept = true;
    }
    CString name(pszName ? pszName : "");
    Profile profile;
    if (!name.IsEmpty())
        profile = ReadProfile(app.GetProfileBoxPath() + "\\" + name);
    app.m_strProfileName = name;
    CString address = profile.strAddressFolder.IsEmpty() ? base.strAddressFolder : profile.strAddressFolder;
    bool addressChanged = address != app.m_strAddressBoxOverride;
    app.SetProfilePaths(profile.strAccountFile.IsEmpty() ? base.strAccountFile : profile.strAccountFile,
                        profile.strRouteFile.IsEmpty() ? base.strRouteFile : profile.strRouteFile, address);
    app.m_profileFolderIds.RemoveAll();
    for (int id : profile.folderIds)
        app.m_profileFolderIds.Add(static_cast<DWORD>(id));

    if (CAccountDataSet* accounts = app.m_pAccountDataSet) {
        accounts->RemoveAll();
        accounts->SetFilePath(app.GetAccountFilePath());
        accounts->ReadFromFile(TRUE);
        for (int i = 0; i < accounts->GetRecordCount(TRUE); ++i) {
            CAccountData* a = accounts->GetAccount(i);
            a->m_bInProfile = name.IsEmpty() || std::find(profile.accounts.begin(), profile.accounts.end(),
                                                          a->GetAccountName()) != profile.accounts.end();
        }
    }
    CRouteSetData* route = app.GetRouteSet();
    route->SetFilePath(app.GetRouteFilePath());
    route->ReadFromFile(TRUE);
    if (addressChanged && app.m_pAddressThread)
        app.m_pAddressThread->PostThreadMessage(WM_QD_ADDRESS_CHANGED, 0, 0);
    FolderRegistryHooks& hooks = GetFolderRegistryHooks();
    if (hooks.pfnMainWindowExists && hooks.pfnMainWindowExists() && hooks.pfnRebuildFolderTree)
        hooks.pfnRebuildFolderTree();
}
