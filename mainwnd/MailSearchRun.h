// CMailSearchRun: the search itself, without a window: folder after folder,
// every live mail of the folder's index is put to the matcher, and each hit
// is reported in index order. The mail data file is read in large blocks
// rather than mail by mail, so that a folder of 100,000 mails is searched in
// seconds. (Sharing the decisions among threads was tried: the decoders'
// many small allocations meet in one heap, and it ran slower.) The abort
// flag is looked at between blocks and between folders.
#pragma once

#include "mainwnd/MailSearchMatcher.h"

#include <functional>
#include <vector>

class CMailFolderStore;

class CMailSearchRun
{
public:
    struct Callbacks
    {
        // A folder's search begins.
        std::function<void(CMailFolderStore* pStore)> folderStarted;
        // A mail matched.
        std::function<void(CMailFolderStore* pStore, int nIndex)> found;
    };

    CMailSearchRun(const CMailSearchCondition& condition, volatile LONG* pAbort);

    // Searches the folders in order; returns the number of hits.
    int SearchFolders(const std::vector<CMailFolderStore*>& stores, const Callbacks& callbacks);
    // One folder (its index loaded first when it is not); a folder whose
    // index cannot be loaded contributes nothing.
    int SearchFolder(CMailFolderStore* pStore, const Callbacks& callbacks);

private:
    bool Aborted() const { return m_pAbort && *m_pAbort != 0; }

    CMailSearchMatcher m_matcher;
    volatile LONG* m_pAbort;
};
