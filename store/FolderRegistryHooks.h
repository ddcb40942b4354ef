// What the folder registry and the mailbox preparation need of neighbouring
// windows and tables: the mailbox settings dialog, the account set-up wizard,
// the route and filter-rule tables, the profile lists and the folder tree.
// Each is a function the owning subsystem installs; an empty slot means the
// neighbour is not there (no dialog can be shown, no table to update).
#pragma once

#include "classlib/ClassLib.h"

class CAccountData;

struct FolderRegistryHooks
{
    // Shows the mailbox settings dialog; on IDOK the chosen path and name are
    // stored under "Paths" as MailBoxPath and MailBoxName.
    int (*pfnMailBoxDialog)() = nullptr;
    // Runs the account set-up wizard ("アカウントの作成"); true on Finish
    // with the account filled in and whether it joins the route.
    bool (*pfnAccountWizard)(CAccountData& account, bool& bJoinRoute) = nullptr;
    void (*pfnAddAccountToRoute)(const CAccountData& account) = nullptr;
    // Points the filter rules that target the folder at the inbox and drops
    // the folder from the profile lists.
    void (*pfnFolderRemoved)(int nFolderId, int nInboxId) = nullptr;
    // Whether the main window (and its folder tree) exists.
    bool (*pfnMainWindowExists)() = nullptr;
    // Rebuilds and redraws the folder tree; refreshes the current item.
    void (*pfnRebuildFolderTree)() = nullptr;
    void (*pfnRefreshCurrentTreeItem)() = nullptr;
};

FolderRegistryHooks& GetFolderRegistryHooks();
