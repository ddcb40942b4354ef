// The history of shown mails behind the back and forward keys.
#include "core/MailHistory.h"

#include <gtest/gtest.h>

namespace {

struct Step
{
    char op;  // 'a' add, 'b' back, 'f' forward, 'r' remove a folder
    int folder;
    int index;
    bool moved;  // b and f: whether the cursor moved
    int curFolder, curIndex;  // the entry shown afterwards
};

} // namespace

TEST(MailHistory, BackForwardAndNewMailsAfterGoingBack)
{
    const Step steps[] = {
        {'b', 0, 0, false, -1, -1},  // empty: nowhere to go
        {'a', 1, 10, true, 1, 10},
        {'a', 1, 10, true, 1, 10},   // the same mail again is one entry
        {'a', 1, 11, true, 1, 11},
        {'a', 2, 5, true, 2, 5},
        {'f', 0, 0, false, 2, 5},    // at the newest
        {'b', 0, 0, true, 1, 11},
        {'b', 0, 0, true, 1, 10},
        {'b', 0, 0, false, 1, 10},   // at the oldest
        {'f', 0, 0, true, 1, 11},
        {'a', 3, 1, true, 3, 1},     // shown from the middle: the later entries go
        {'f', 0, 0, false, 3, 1},
        {'b', 0, 0, true, 1, 11},
        {'r', 1, 0, true, 3, 1},     // the folder deleted: its entries go
        {'b', 0, 0, false, 3, 1},
    };
    CMailHistory history(30);
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n++);
        CMailHistory::Entry e = {};
        if (s.op == 'a')
            history.Add(s.folder, s.index);
        else if (s.op == 'r')
            history.RemoveFolder(s.folder);
        else
            EXPECT_EQ(s.op == 'b' ? history.Back(e) : history.Forward(e), s.moved);
        CMailHistory::Entry now = {-1, -1};
        history.Current(now);
        EXPECT_EQ(now.nFolderId, s.curFolder);
        EXPECT_EQ(now.nIndex, s.curIndex);
    }
}

TEST(MailHistory, KeepsOnlyTheNewestEntries)
{
    CMailHistory history(3);
    for (int i = 0; i < 5; i++)
        history.Add(1, i);
    EXPECT_EQ(history.GetCount(), 3);
    CMailHistory::Entry e = {};
    ASSERT_TRUE(history.Back(e));
    ASSERT_TRUE(history.Back(e));
    EXPECT_EQ(e.nIndex, 2);
    EXPECT_FALSE(history.Back(e));
    history.SetMaxEntries(1);
    EXPECT_EQ(history.GetCount(), 1);
    ASSERT_TRUE(history.Current(e));
}
