// The run of a rule set over the mails of one folder (the main window's
// run-filter command): labels the mails the rules give a colour and moves
// them into the rules' folders.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

class CQuendalApp;
class CMailFolderStore;
class CDivideupDataSet;

struct DivideupRunOptions
{
    // Which mails: 0 unread only, 1 read only, 2 all, 3 the given selection.
    int nTarget = 0;
    BOOL bNoColorLabel = FALSE;       // give no labels
    BOOL bKeepExistingLabel = FALSE;  // label only mails without a label
};

struct DivideupRunResult
{
    int nVisited = 0;
    int nLabelled = 0;
    int nMoved = 0;
};

// Runs the rules over the folder. pSelection (target 3) holds mail indices
// in list order. A rule whose folder is not open leaves the mail where it
// is; a rule that names the folder being run leaves it too.
DivideupRunResult RunDivideupOverFolder(CQuendalApp& app, CMailFolderStore& folder, const CDivideupDataSet& rules,
                                        const DivideupRunOptions& options, const std::vector<int>* pSelection = nullptr);
