// A mail folder's store as it is on disk at one moment, read from a copy of
// its files. Opening a store checks its files and mends a torn end, which
// must never happen to the files of a running program that is filing.
#pragma once

#include "classlib/AppCore.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "support/TestSupport.h"

class CStoredFolderCopy
{
public:
    explicit CStoredFolderCopy(const CFolderRecord& record);
    ~CStoredFolderCopy();
    CStoredFolderCopy(const CStoredFolderCopy&) = delete;
    CStoredFolderCopy& operator=(const CStoredFolderCopy&) = delete;

    // The copy's index.
    CMailListData* GetMailList();
    CMailFolderStore& Store() { return m_store; }

private:
    TestSupport::TempDir m_dir;
    CMailFolderStore m_store;
    AfxMessageBoxHook m_previousHook = nullptr;
};
