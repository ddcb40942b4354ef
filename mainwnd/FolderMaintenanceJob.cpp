#include "mainwnd/FolderMaintenanceJob.h"

#include "core/QuendalApp.h"
#include "store/MailFolderStore.h"

#include <utility>

CFolderMaintenanceJob::CFolderMaintenanceJob(Kind kind, std::vector<CMailFolderStore*> folders)
    : m_kind(kind), m_folders(std::move(folders))
{
}

std::vector<CMailFolderStore*> CFolderMaintenanceJob::FoldersForAll(CQuendalApp& app, Kind kind)
{
    std::vector<CMailFolderStore*> folders;
    for (int i = 0; i < app.GetFolderCount(); ++i) {
        CMailFolderStore* folder = app.GetFolderAt(i);
        if (!folder)
            continue;
        if (kind == kOptimise && folder->GetInheritedFlag1())
            continue;
        if (kind == kDuplicates && folder->GetInheritedFlag2())
            continue;
        folders.push_back(folder);
    }
    return folders;
}

int CFolderMaintenanceJob::Run(const std::function<bool()>& pfnCancelled,
                               const std::function<void(const CString&)>& pfnShowFolder)
{
    int done = 0;
    m_bAllSucceeded = TRUE;
    m_nDuplicatesDeleted = 0;
    for (CMailFolderStore* folder : m_folders) {
        if (pfnShowFolder)
            pfnShowFolder(folder->GetFolderName());
        if (!WorkOn(*folder))
            m_bAllSucceeded = FALSE;
        ++done;
        // The folder in hand is always finished: a half-optimised data file
        // is no state to leave behind.
        if (pfnCancelled && pfnCancelled())
            break;
    }
    return done;
}

BOOL CFolderMaintenanceJob::WorkOn(CMailFolderStore& folder)
{
    switch (m_kind) {
    case kRebuild:
        return folder.RebuildIndex();
    case kOptimise:
        return folder.Close();
    case kDuplicates: {
        int deleted = folder.DeleteDuplicateMails();
        if (deleted < 0)
            return FALSE;
        m_nDuplicatesDeleted += deleted;
        return TRUE;
    }
    }
    return FALSE;
}
