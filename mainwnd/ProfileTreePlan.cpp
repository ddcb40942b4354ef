#include "mainwnd/ProfileTreePlan.h"

#include "store/FolderRecord.h"

#include <algorithm>
#include <map>
#include <set>

ProfileTreePlan PlanProfileTree(const std::vector<ProfileTreeFolder>& folders, const std::vector<int>* pShownIds)
{
    std::map<int, const ProfileTreeFolder*> byId;
    for (const ProfileTreeFolder& f : folders)
        byId.emplace(f.nId, &f);
    std::set<int> shown;
    for (const ProfileTreeFolder& f : folders)
        if (!pShownIds || std::find(pShownIds->begin(), pShownIds->end(), f.nId) != pShownIds->end())
            shown.insert(f.nId);

    ProfileTreePlan plan;
    for (const ProfileTreeFolder& f : folders) {
        if (!shown.count(f.nId))
            continue;
        ProfileTreePlace place;
        place.nId = f.nId;
        // A damaged folder list may hold a loop of parents: no walk is longer
        // than the list.
        int parent = f.nParentId;
        for (size_t steps = 0; parent && steps < folders.size(); ++steps) {
            auto it = byId.find(parent);
            if (it == byId.end()) {
                parent = 0;
                break;
            }
            if (shown.count(parent) && parent != f.nId) {
                place.nParentId = parent;
                place.bExpandParent = it->second->bExpanded;
                break;
            }
            parent = it->second->nParentId;
        }
        plan.places.push_back(place);
        if (!plan.nFallbackId && (f.nKind == CFolderRecord::kindNormal || f.nKind == CFolderRecord::kindInbox))
            plan.nFallbackId = f.nId;
    }
    return plan;
}
