// The unread count a folder shows in the tree while its index is not loaded
// (it comes from "Folder.dat" and is kept in memory): mails filed or copied
// into such a folder count at once, and loading the index agrees.
#include "mainwnd/MailTransfer.h"
#include "store/MailFolderStore.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

using StoreTest::Folder;
using StoreTest::FileMail;
using StoreTest::TestApp;
using TestSupport::TempDir;

namespace {

std::string Mail(int n)
{
    return "From: Sender <sender@example.com>\r\nTo: rcpt@example.jp\r\nSubject: mail " + std::to_string(n) +
           "\r\nDate: Wed, 01 May 2024 09:00:00 +0900\r\nMessage-ID: <m" + std::to_string(n) + "@x>\r\n\r\nbody\r\n";
}

} // namespace

TEST(FolderCounts, MailFiledIntoAFolderWithoutItsIndexCountsAsUnread)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore* inbox = app.AddFolder(0, 0, nullptr, Folder(1, 1, dir.File("In.Box")));
    CMailFolderStore* other = app.AddFolder(0, 0, nullptr, Folder(2, 0, dir.File("Other.Box")));
    ASSERT_TRUE(inbox->LoadIndex());
    ASSERT_TRUE(other->LoadIndex());
    ASSERT_EQ(FileMail(*inbox, dir.Path(), "a.eml", Mail(1)), 1);
    ASSERT_EQ(FileMail(*inbox, dir.Path(), "b.eml", Mail(2), TRUE), 1);
    ASSERT_EQ(FileMail(*other, dir.Path(), "c.eml", Mail(3)), 1);
    ASSERT_EQ(other->GetUnreadCount(), 1);
    other->UnloadIndex();

    // Filed (a receive, a rule, an import), unread and read.
    ASSERT_EQ(FileMail(*other, dir.Path(), "d.eml", Mail(4)), 1);
    ASSERT_EQ(FileMail(*other, dir.Path(), "e.eml", Mail(5), TRUE), 1);
    EXPECT_FALSE(other->IsIndexLoaded());
    EXPECT_EQ(other->GetUnreadCount(), 2);
    // Copied from another folder (a paste, a drop, a move).
    CMailTransfer::Result copied = CMailTransfer::CopyMails(app, { { 1, 0 }, { 1, 1 } }, other, false);
    EXPECT_EQ(copied.nDone, 2);
    EXPECT_FALSE(other->IsIndexLoaded());
    EXPECT_EQ(other->GetUnreadCount(), 3);

    // Loading the index counts the same.
    ASSERT_TRUE(other->LoadIndex());
    EXPECT_EQ(other->GetUnreadCount(), 3);
}
