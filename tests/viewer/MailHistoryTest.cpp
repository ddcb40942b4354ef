// The history of shown mails that the viewer's history commands walk.
#include "core/MailHistory.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

using Entry = CMailHistory::Entry;

// Moves and gives the folder/index reached, or {0, -1} when the move failed.
std::pair<int, int> Step(CMailHistory& h, int step, const std::set<std::pair<int, int>>& gone = {})
{
    Entry e;
    auto exists = [&gone](const Entry& x) { return gone.count({x.nFolderId, x.nIndex}) == 0; };
    if (!h.Move(step, exists, e))
        return {0, -1};
    return {e.nFolderId, e.nIndex};
}

} // namespace

TEST(MailHistoryTest, WalksBackAndForwardSkippingMailsThatAreGone)
{
    CMailHistory h(30);
    h.Add(1, 0);
    h.Add(1, 1);
    h.Add(1, 1);  // shown again: no second entry
    h.Add(2, 5);
    EXPECT_EQ(h.GetCount(), 3);
    EXPECT_EQ(Step(h, +1), std::make_pair(0, -1));  // already at the newest
    EXPECT_EQ(Step(h, -1, {{1, 1}}), std::make_pair(1, 0));
    EXPECT_EQ(Step(h, -1), std::make_pair(0, -1));  // nothing older
    EXPECT_EQ(Step(h, +1), std::make_pair(1, 1));
    // Showing the entry moved to adds nothing; another mail drops the newer ones.
    h.Add(1, 1);
    EXPECT_EQ(h.GetCount(), 3);
    h.Add(3, 7);
    EXPECT_EQ(h.GetCount(), 3);
    EXPECT_EQ(Step(h, -1), std::make_pair(1, 1));
    EXPECT_EQ(Step(h, +1), std::make_pair(3, 7));
}

TEST(MailHistoryTest, KeepsTheNewestUpToItsLimitAndForgetsFolders)
{
    CMailHistory h(3);
    for (int i = 0; i < 5; ++i)
        h.Add(1, i);
    EXPECT_EQ(h.GetCount(), 3);
    EXPECT_EQ(Step(h, -1), std::make_pair(1, 3));
    EXPECT_EQ(Step(h, -1), std::make_pair(1, 2));
    EXPECT_EQ(Step(h, -1), std::make_pair(0, -1));

    CMailHistory mixed(10);
    mixed.Add(1, 0);
    mixed.Add(2, 0);
    mixed.Add(1, 1);
    mixed.Add(2, 1);
    mixed.RemoveFolder(2);
    EXPECT_EQ(mixed.GetCount(), 2);
    EXPECT_EQ(Step(mixed, -1), std::make_pair(1, 0));
    EXPECT_EQ(Step(mixed, +1), std::make_pair(1, 1));

    CMailHistory none(0);
    none.Add(1, 0);
    EXPECT_EQ(none.GetCount(), 0);
}
