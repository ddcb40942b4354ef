#include "net/ReceiveSession.h"

#include <gtest/gtest.h>

// A mail of the set size or larger gets no copy; a limit of 0 or less keeps all.
TEST(ReceiveBackup, MailsFromTheSetSizeOnAreNotCopied)
{
    const size_t kMb = 1024 * 1024;
    struct Case
    {
        size_t bytes;
        int limitMb;
        bool kept;
    };
    const Case cases[] = {
        { 100, 0, true },       { 50 * kMb, 0, true },  { 50 * kMb, -1, true },
        { kMb - 1, 1, true },   { kMb, 1, false },      { 3 * kMb, 2, false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CReceiveSession::IsBackupSize(c.bytes, c.limitMb), c.kept) << c.bytes << " " << c.limitMb;
}
