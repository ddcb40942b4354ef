// Which folders a profile shows and where each one hangs in the tree.
#include "mainwnd/ProfileTreePlan.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The plan as one line: "id>parent" per item ('+' when the parent opens),
// then the fallback.
std::string Describe(const ProfileTreePlan& plan)
{
    std::string text;
    for (const ProfileTreePlace& p : plan.places)
        text += std::to_string(p.nId) + ">" + std::to_string(p.nParentId) + (p.bExpandParent ? "+ " : " ");
    return text + "fallback " + std::to_string(plan.nFallbackId);
}

// The default folders with a user tree under the inbox:
// 1 送信 (2 作成中, 3 未送信, 4 送信済), 5 ごみ箱, 6 郵便受け (7 仕事 (8 A社 (9 見積)), 10 私用).
// 7 is collapsed, every other parent expanded.
const std::vector<ProfileTreeFolder> kFolders = {
    { 1, 0, CFolderRecord::kindGroup, true },   { 2, 1, CFolderRecord::kindWriting, false },
    { 3, 1, CFolderRecord::kindSend, false },   { 4, 1, CFolderRecord::kindSent, false },
    { 5, 0, CFolderRecord::kindTrash, false },  { 6, 0, CFolderRecord::kindInbox, true },
    { 7, 6, CFolderRecord::kindNormal, false }, { 8, 7, CFolderRecord::kindNormal, true },
    { 9, 8, CFolderRecord::kindNormal, false }, { 10, 6, CFolderRecord::kindNormal, false },
};

} // namespace

TEST(ProfileTreePlan, FoldersHangUnderTheirNearestShownAncestor)
{
    struct Case
    {
        const char* what;
        std::vector<int> listed;
        const char* plan;
    } cases[] = {
        { "a whole branch keeps its shape", { 6, 7, 8, 9 }, "6>0 7>6+ 8>7 9>8+ fallback 6" },
        { "a missing parent lifts the child to the grandparent", { 6, 8, 9 }, "6>0 8>6+ 9>8+ fallback 6" },
        { "no shown ancestor puts folders at the top", { 9, 3, 4 }, "3>0 4>0 9>0 fallback 9" },
        { "the group folder keeps its children", { 1, 2, 5 }, "1>0 2>1+ 5>0 fallback 0" },
        { "ids of folders that no longer exist are ignored", { 42, 10 }, "10>0 fallback 10" },
        { "a profile listing nothing shows nothing", {}, "fallback 0" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Describe(PlanProfileTree(kFolders, &c.listed)), c.plan) << c.what;
}

TEST(ProfileTreePlan, WithoutAProfileEveryFolderShowsInItsOwnPlace)
{
    EXPECT_EQ(Describe(PlanProfileTree(kFolders, nullptr)),
              "1>0 2>1+ 3>1+ 4>1+ 5>0 6>0 7>6+ 8>7 9>8+ 10>6+ fallback 6");
}

// A damaged folder list whose parents form a loop still gives every listed
// folder one place, and the walk ends.
TEST(ProfileTreePlan, ALoopOfParentsEndsAtTheTopLevel)
{
    const std::vector<ProfileTreeFolder> loop = {
        { 1, 3, CFolderRecord::kindNormal, true },
        { 2, 1, CFolderRecord::kindNormal, true },
        { 3, 2, CFolderRecord::kindNormal, true },
        { 4, 4, CFolderRecord::kindNormal, true },
    };
    const std::vector<int> listed = { 2, 4 };
    EXPECT_EQ(Describe(PlanProfileTree(loop, &listed)), "2>0 4>0 fallback 2");
}
