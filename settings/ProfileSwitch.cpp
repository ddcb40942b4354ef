#include "settings/ProfileSwitch.h"

#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MainFrame.h"
#include "settings/ProfileDataSet.h"
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

// Reads the account table, marking the accounts the profile uses (all
// without a profile) and keeping the current account by its name.
void ReadAccountTable(CQuendalApp& app, const Profile& profile)
{
    CAccountDataSet* accounts = app.m_pAccountDataSet;
    if (!accounts)
        return;
    CString current;
    if (accounts->m_nCurrentAccount >= 0 && accounts->m_nCurrentAccount < accounts->GetRecordCount(TRUE))
        if (CAccountData* a = accounts->GetAccount(accounts->m_nCurrentAccount))
            current = a->GetAccountName();
    accounts->RemoveAll();
    accounts->SetFilePath(app.GetAccountFilePath());
    accounts->ReadFromFile(TRUE);
    accounts->m_nCurrentAccount = 0;
    const bool bAll = app.GetProfileName().IsEmpty();
    for (int i = 0; i < accounts->GetRecordCount(TRUE); ++i) {
        CAccountData* a = accounts->GetAccount(i);
        a->m_bInProfile = bAll || std::find(profile.accounts.begin(), profile.accounts.end(), a->GetAccountName()) !=
                                      profile.accounts.end();
        if (!current.IsEmpty() && a->GetAccountName() == current)
            accounts->m_nCurrentAccount = i;
    }
}

bool TransferRuns(CQuendalApp& app)
{
    CMainFrame* frame = app.m_pMainFrame;
    return frame && frame->m_hWnd && (frame->IsReceiving() || frame->IsSending());
}

UINT_PTR g_reloadTimer = 0;

void CALLBACK RetryReload(HWND, UINT, UINT_PTR, DWORD)
{
    CQuendalApp* app = QuendalApp();
    if (app && TransferRuns(*app))
        return;
    KillTimer(nullptr, g_reloadTimer);
    g_reloadTimer = 0;
    if (app)
        ReloadAccounts(*app);
}

} // namespace

void ReloadAccounts(CQuendalApp& app)
{
    if (TransferRuns(app)) {
        if (!g_reloadTimer)
            g_reloadTimer = SetTimer(nullptr, 0, 500, RetryReload);
        return;
    }
    Profile profile;
    if (!app.GetProfileName().IsEmpty())
        profile = ReadProfile(app.GetProfileBoxPath() + "\\" + app.GetProfileName());
    ReadAccountTable(app, profile);
    // The main window's account box offers the accounts as they are now.
    if (app.m_pMainFrame && app.m_pMainFrame->m_hWnd)
        if (CFolderTree* tree = app.m_pMainFrame->GetFolderTree())
            tree->FillAccountCombo();
}

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
    app.m_strCurrentProfile = name;
    CString address = profile.strAddressFolder.IsEmpty() ? base.strAddressFolder : profile.strAddressFolder;
    bool addressChanged = address != app.m_strAddressBoxOverride;
    app.SetProfilePaths(profile.strAccountFile.IsEmpty() ? base.strAccountFile : profile.strAccountFile,
                        profile.strRouteFile.IsEmpty() ? base.strRouteFile : profile.strRouteFile, address);
    app.m_profileFolderIds.RemoveAll();
    for (int id : profile.folderIds)
        app.m_profileFolderIds.Add(static_cast<DWORD>(id));

    ReadAccountTable(app, profile);
    CRouteSetData* route = app.GetRouteSet();
    route->SetFilePath(app.GetRouteFilePath());
    route->ReadFromFile(TRUE);
    if (addressChanged && app.m_pAddressThread)
        app.m_pAddressThread->PostThreadMessage(WM_QD_ADDRESS_CHANGED, 0, 0);
    // The tree shows the profile's folders and refills the box above it.
    if (app.m_pMainFrame && app.m_pMainFrame->m_hWnd)
        if (CFolderTree* tree = app.m_pMainFrame->GetFolderTree())
            tree->RebuildForProfile();
}

void ReapplyProfile(CQuendalApp& app)
{
    CString current = app.GetProfileName();
    if (!current.IsEmpty())
        app.SetProfileName(FileExists(app.GetProfileBoxPath() + "\\" + current) ? current.GetString() : "");
}
