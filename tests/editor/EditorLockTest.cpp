#include "editor/EditorLock.h"

#include <gtest/gtest.h>

TEST(EditorLock, LocksOnlyAMinimisedWindowWhenAskedFor)
{
    struct Case
    {
        bool enabled, minimisedOnDeactivate;
        bool locked;
    };
    const Case cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
    for (const Case& c : cases) {
        CEditorLock lock;
        lock.SetEnabled(c.enabled);
        lock.OnDeactivated(c.minimisedOnDeactivate);
        EXPECT_EQ(lock.IsLocked(), c.locked) << c.enabled << c.minimisedOnDeactivate;
    }
}

TEST(EditorLock, RestoringALockedWindowNeedsThePassword)
{
    // Every way of restoring, the system menu and the application's
    // "bring to the front" message, goes through the same question.
    CEditorLock lock;
    lock.SetEnabled(true);
    lock.OnDeactivated(true);
    EXPECT_EQ(lock.OnRestore(true, false), CEditorLock::askPassword);
    lock.OnPassword(false);
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_TRUE(lock.IsUnlockPending());
    EXPECT_EQ(lock.OnRestore(true, false), CEditorLock::askPassword);
    lock.OnPassword(true);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_FALSE(lock.IsUnlockPending());
    EXPECT_EQ(lock.OnRestore(true, false), CEditorLock::carryOut);

    // A locked window that is neither minimised nor maximised ignores the
    // command; a maximised one is unlocked.
    lock.OnDeactivated(true);
    EXPECT_EQ(lock.OnRestore(false, false), CEditorLock::ignore);
    EXPECT_EQ(lock.OnRestore(false, true), CEditorLock::carryOut);
    EXPECT_FALSE(lock.IsLocked());
}
