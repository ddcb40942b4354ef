// CFolderMaintenanceJob: the work of one folder maintenance command, without
// a window: rebuilding indexes, optimising data files or deleting duplicate
// mails over one folder or over every open folder the folders' settings do
// not exclude. It runs on the maintenance worker; a cancel request stops it
// after the folder in hand.
#pragma once

#include "classlib/ClassLib.h"

#include <functional>
#include <vector>

class CMailFolderStore;
class CQuendalApp;

class CFolderMaintenanceJob
{
public:
    enum Kind { kRebuild, kOptimise, kDuplicates };

    CFolderMaintenanceJob(Kind kind, std::vector<CMailFolderStore*> folders);

    // Every open folder in the application's order, less those whose own or
    // inherited setting keeps them out of this kind of run (optimisation and
    // duplicate deletion have one setting each; rebuilding has none).
    static std::vector<CMailFolderStore*> FoldersForAll(CQuendalApp& app, Kind kind);

    // Works the folders in order. Before each folder pfnShowFolder gets its
    // name (when given); after each, pfnCancelled is asked. Returns the
    // number of folders worked.
    int Run(const std::function<bool()>& pfnCancelled, const std::function<void(const CString&)>& pfnShowFolder);

    // After Run: whether every folder's work succeeded, and the mails the
    // duplicate deletion marked.
    BOOL m_bAllSucceeded = TRUE;
    int m_nDuplicatesDeleted = 0;

private:
    BOOL WorkOn(CMailFolderStore& folder);

    Kind m_kind;
    std::vector<CMailFolderStore*> m_folders;
};
