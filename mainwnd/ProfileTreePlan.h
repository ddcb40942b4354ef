// Which folders the folder tree shows for a profile, and under which shown
// folder each one hangs. A profile may list a folder without its parent:
// the folder then moves up to its nearest listed ancestor, or to the top.
#pragma once

#include <vector>

struct ProfileTreeFolder
{
    int nId = 0;
    int nParentId = 0;  // 0: a top-level folder
    int nKind = 0;
    bool bExpanded = false;
};

struct ProfileTreePlace
{
    int nId = 0;
    int nParentId = 0;  // the shown folder it hangs under; 0: the top level
    bool bExpandParent = false;
};

struct ProfileTreePlan
{
    // In the order the items are to be added (every parent before its children).
    std::vector<ProfileTreePlace> places;
    // The folder to select when the one selected before is not shown: the
    // first shown ordinary folder or inbox; 0 when none is shown.
    int nFallbackId = 0;
};

// folders: every open folder in list order (parents first). pShownIds: the
// folder ids the profile lists, or null when no profile is in use (every
// folder shown).
ProfileTreePlan PlanProfileTree(const std::vector<ProfileTreeFolder>& folders, const std::vector<int>* pShownIds);
