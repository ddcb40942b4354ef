// Moving mails between folders: the block that names them, copy and move,
// delete to the trash and for good, and marks that outlive a restart.
// Every path that removes a mail is also run with a copy that fails; deleted
// mails come back from the deleted-mail history.
#include "core/FileUtil.h"
#include "mainwnd/MailMarks.h"
#include "mainwnd/MailObjectBlock.h"
#include "mainwnd/MailTransfer.h"
#include "store/MailDataSource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

using MailObjectBlock::MailRef;
using StoreTest::Folder;
using StoreTest::FileMail;
using StoreTest::SimpleMail;
using StoreTest::TestApp;
using TestSupport::TempDir;

namespace {

// Inbox (1) with mails "a".."d", a folder (2), the trash (3), and a
// folder (4) whose directory is a file, so no copy into it can succeed.
struct Mailbox
{
    TempDir dir;
    TestApp app{dir.Path()};
    CMailFolderStore* inbox;
    CMailFolderStore* other;
    CMailFolderStore* trash;
    CMailFolderStore* broken;

    Mailbox()
    {
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        inbox = app.AddFolder(0, 0, nullptr, Folder(1, 1, dir.File("In.Box")));
        other = app.AddFolder(0, 0, nullptr, Folder(2, 0, dir.File("Other.Box")));
        trash = app.AddFolder(0, 0, nullptr, Folder(3, 4, dir.File("Trash.Box")));
        TestSupport::WriteFileBytes(dir.File("Broken.Box"), "not a folder");
        CFolderRecord b;
        b.m_nId = 4;
        b.m_strName = "Broken";
        b.m_strPath = dir.File("Broken.Box");
        broken = app.AddFolder(0, 0, nullptr, b);
        inbox->LoadIndex();
        const char* subjects[] = {"a", "b", "c", "d"};
        for (int i = 0; i < 4; i++)
            FileMail(*inbox, dir.Path(), FormatString("QM100000000%d.eml", i), SimpleMail(subjects[i], FormatString("<%d@x>", i).Str()));
    }
    std::vector<CString> Subjects(CMailFolderStore* store)
    {
        std::vector<CString> out;
        CMailListData* list = store->GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++)
            if (!list->GetMailRecord(i)->m_bDeleted)
                out.push_back(list->GetMailRecord(i)->GetText(CMailIndexRecord::colSubject));
        return out;
    }
    std::string Text(CMailFolderStore* store, int index)
    {
        std::string text;
        CMailDataSource::RebuildMail(store, index, text);
        return text;
    }
};

typedef std::vector<CString> Names;

} // namespace

TEST(MailObjectBlock, PairsAreSortedAndEveryFieldIsFourBytes)
{
    std::vector<BYTE> block = MailObjectBlock::Build(0x11223344, MailObjectBlock::opCut, 9, {7, 2, 5});
    const BYTE expected[] = {0x44, 0x33, 0x22, 0x11, 2, 0, 0, 0, 3, 0, 0, 0,
                             9, 0, 0, 0, 2, 0, 0, 0, 9, 0, 0, 0, 5, 0, 0, 0, 9, 0, 0, 0, 7, 0, 0, 0};
    EXPECT_EQ(block, std::vector<BYTE>(expected, expected + sizeof(expected)));
    EXPECT_TRUE(MailObjectBlock::Build(1, 1, 9, {}).empty());

    MailObjectBlock::MailObject object;
    ASSERT_TRUE(MailObjectBlock::Parse(block.data(), block.size(), object));
    EXPECT_EQ(object.nSourceViewId, 0x11223344u);
    EXPECT_EQ(object.nOperation, 2);
    EXPECT_EQ(object.mails, (std::vector<MailRef>{{9, 2}, {9, 5}, {9, 7}}));

    // Blocks that lie about their size are refused whole.
    struct { size_t size; uint32_t count; } bad[] = {{8, 1}, {12, 0}, {12, 1}, {36, 4}};
    for (auto& b : bad) {
        std::vector<BYTE> bytes(std::max<size_t>(b.size, 12));
        bytes[8] = static_cast<BYTE>(b.count);
        EXPECT_FALSE(MailObjectBlock::Parse(bytes.data(), b.size, object)) << b.size << " " << b.count;
    }

    MailObjectBlock::FolderObject folder;
    folder.nFolderId = 12;
    folder.nSourceTreeId = 3;
    folder.nItemFolderId = 12;
    std::vector<BYTE> fb = MailObjectBlock::BuildFolder(folder);
    ASSERT_EQ(fb.size(), 16u);
    MailObjectBlock::FolderObject back;
    ASSERT_TRUE(MailObjectBlock::ParseFolder(fb.data(), fb.size(), back));
    EXPECT_EQ(back.nFolderId, 12);
    EXPECT_EQ(back.nOperation, 2);
}

TEST(MailObjectBlock, SourceIdsResolveOnlyWhileRegistered)
{
    int view = 0;
    uint32_t id = MailObjectBlock::RegisterSource(&view);
    EXPECT_EQ(MailObjectBlock::FindSource(id), &view);
    MailObjectBlock::UnregisterSource(id);
    EXPECT_EQ(MailObjectBlock::FindSource(id), nullptr);
}

TEST(MailTransfer, CopyKeepsTheSourceAndMoveRemovesOnlyWhatWasCopied)
{
    Mailbox box;
    std::string textB = box.Text(box.inbox, 1);
    auto copied = CMailTransfer::CopyMails(box.app, {{1, 1}, {1, 3}}, box.other, false);
    EXPECT_EQ(copied.nDone, 2);
    EXPECT_EQ(box.Subjects(box.inbox), (Names{"a", "b", "c", "d"}));
    EXPECT_EQ(box.Subjects(box.other), (Names{"b", "d"}));
    EXPECT_EQ(box.Text(box.other, 0), textB);

    // A move whose copies fail removes nothing.
    auto failed = CMailTransfer::CopyMails(box.app, {{1, 0}, {1, 2}}, box.broken, true);
    EXPECT_EQ(failed.nDone, 0);
    EXPECT_EQ(failed.failed.size(), 2u);
    EXPECT_EQ(box.Subjects(box.inbox), (Names{"a", "b", "c", "d"}));

    // A move with a pair that names no folder or no mail moves the rest.
    auto moved = CMailTransfer::CopyMails(box.app, {{1, 0}, {77, 1}, {1, 99}, {1, 2}}, box.other, true);
    EXPECT_EQ(moved.done, (std::vector<MailRef>{{1, 0}, {1, 2}}));
    EXPECT_EQ(box.Subjects(box.inbox), (Names{"b", "d"}));
    EXPECT_EQ(box.Subjects(box.other), (Names{"b", "d", "a", "c"}));

    // Into its own folder a copy doubles the mail and a move changes nothing.
    EXPECT_EQ(CMailTransfer::CopyMails(box.app, {{2, 0}}, box.other, false).nDone, 1);
    EXPECT_EQ(CMailTransfer::CopyMails(box.app, {{2, 0}}, box.other, true).nDone, 0);
    EXPECT_EQ(box.Subjects(box.other), (Names{"b", "d", "a", "c", "b"}));

    // The deletion is in the index file: a fresh store of the folder agrees.
    CMailFolderStore again;
    StoreTest::OpenStore(again, box.inbox->GetFolderPath(), 1, 1);
    EXPECT_EQ(box.Subjects(&again), (Names{"b", "d"}));
}

TEST(MailTransfer, DeleteGoesThroughTheTrashUnlessPermanentAndSparesProtectedMails)
{
    struct Case
    {
        const char* name;
        bool permanent;
        bool trashBroken;
        Names inboxAfter, trashAfter;
    } cases[] = {
        {"to the trash", false, false, {"b"}, {"a", "c", "d"}},
        {"for good", true, false, {"b"}, {}},
        {"trash cannot be written", false, true, {"a", "b", "c", "d"}, {}},
    };
    for (const Case& c : cases) {
        Mailbox box;
        if (c.trashBroken) {
            RemoveDirectoryA(box.trash->GetFolderPath());
            TestSupport::WriteFileBytes(box.trash->GetFolderPath(), "x");
        }
        MailMarks::Apply(box.inbox, {1}, MailMarks::protectOn);
        auto r = CMailTransfer::DeleteMails(box.app, box.inbox, {0, 1, 2, 3}, c.permanent);
        EXPECT_EQ(box.Subjects(box.inbox), c.inboxAfter) << c.name;
        if (!c.trashBroken) {
            EXPECT_EQ(box.Subjects(box.trash), c.trashAfter) << c.name;
        }
        EXPECT_EQ(r.skipped, (std::vector<MailRef>{{1, 1}})) << c.name;
    }

    // Deleting in the trash never copies.
    Mailbox box;
    CMailTransfer::CopyMails(box.app, {{1, 0}}, box.trash, false);
    auto r = CMailTransfer::DeleteMails(box.app, box.trash, {0}, false);
    EXPECT_EQ(r.nDone, 1);
    EXPECT_EQ(box.Subjects(box.trash), Names{});
}

TEST(MailTransfer, DeletedMailsAreRestoredFromTheHistoryIntoTheirFoldersWithTheirAttachments)
{
    Mailbox box;
    box.app.m_nDeleteMailHistoryCount = 3;
    FileMail(*box.inbox, box.dir.Path(), "QM1000000004.eml",
             "From: s@example.jp\r\nSubject: e\r\nMessage-ID: <4@x>\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
             "--b\r\nContent-Type: text/plain\r\n\r\nsee the file\r\n"
             "--b\r\nContent-Type: application/octet-stream; name=\"f.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
             "AAEC\r\n--b--\r\n");
    auto remove = [&](CMailFolderStore* store, int index, bool permanent) {
        auto r = CMailTransfer::DeleteMails(box.app, store, {index}, permanent);
        CMailTransfer::AddToDeleteHistory(box.app, store, r);
    };
    auto historyNames = [&] {
        Names out;
        for (const auto& entry : box.app.GetDeleteHistory()) {
            CMailIndexRecord* r = box.app.FindDeletedMail(entry, nullptr);
            out.push_back(r ? r->GetText(CMailIndexRecord::colSubject) : CString("?"));
        }
        return out;
    };
    // The list drops the rows of deleted mails; a restored mail is a row again.
    CMailListData* rows = box.inbox->GetMailList();
    remove(box.inbox, 0, false);  // a, its copy first in the trash
    remove(box.inbox, 4, false);  // e with its attachment
    remove(box.inbox, 1, true);   // b, no copy
    // While the rows are shown by position, nothing is dropped.
    box.app.HoldDeleteHistory(TRUE);
    remove(box.inbox, 2, false);  // c
    EXPECT_EQ(historyNames(), (Names{"a", "e", "b", "c"}));
    box.app.HoldDeleteHistory(FALSE);
    EXPECT_EQ(historyNames(), (Names{"e", "b", "c"}));
    // Deleting in the trash enters nothing.
    remove(box.trash, 0, false);
    EXPECT_EQ(historyNames(), (Names{"e", "b", "c"}));
    EXPECT_FALSE(DirectoryExists(box.inbox->GetAttachFolder(box.inbox->GetRecord(4))));

    // Optimising the trash moves the copies of e and c up a place: each
    // restore still takes its own mail's copy out of the trash.
    ASSERT_TRUE(box.trash->Optimize());
    ASSERT_EQ(box.Subjects(box.trash), (Names{"e", "c"}));
    rows->RemoveDeletedRecords();
    ASSERT_EQ(rows->GetViewCount(), 1);
    EXPECT_TRUE(box.app.RestoreDeletedMail(0));
    EXPECT_GE(rows->FindViewPos(4), 0);
    EXPECT_EQ(box.Subjects(box.trash), (Names{"c"}));
    CString attach = box.inbox->GetAttachFolder(box.inbox->GetRecord(4));
    EXPECT_EQ(TestSupport::ReadFileBytes(attach + "\\f.bin"), std::string("\x00\x01\x02", 3));
    EXPECT_TRUE(box.app.RestoreDeletedMail(-1));
    EXPECT_TRUE(box.app.RestoreDeletedMail(-1));
    EXPECT_EQ(box.Subjects(box.trash), Names{});
    EXPECT_EQ(box.Subjects(box.inbox), (Names{"b", "c", "d", "e"}));
    EXPECT_FALSE(box.app.RestoreDeletedMail(-1));

    // A folder optimised since the deletion no longer holds the mail: the
    // entry restores nothing, not the deleted mail now at its place.
    remove(box.inbox, 2, true);  // c
    ASSERT_TRUE(box.inbox->Optimize());
    remove(box.inbox, 2, true);  // e, now where c was
    box.app.m_deleteHistory.RemoveAt(1);
    EXPECT_FALSE(box.app.RestoreDeletedMail(0));
    EXPECT_EQ(box.Subjects(box.inbox), (Names{"b", "d"}));
}

TEST(MailMarks, MarksAreInTheIndexAfterARestart)
{
    Mailbox box;
    MailMarks::Apply(box.inbox, {0, 2}, MailMarks::markRead);
    MailMarks::Apply(box.inbox, {1}, MailMarks::bookmarkOn);
    MailMarks::Apply(box.inbox, {2}, MailMarks::colorLabel, 5);
    MailMarks::Apply(box.inbox, {3}, MailMarks::colorLabel, 99, RGB(1, 2, 3));
    MailMarks::Apply(box.inbox, {3}, MailMarks::protectOn);
    MailMarks::Apply(box.inbox, {0}, MailMarks::markUnread);

    CMailFolderStore again;
    StoreTest::OpenStore(again, box.inbox->GetFolderPath(), 1, 1);
    CMailListData* list = again.GetMailList();
    ASSERT_NE(list, nullptr);
    struct { int index; int read; int bookmark; int label; COLORREF color; int flags; } expected[] = {
        {0, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 0}, {2, 1, 0, 5, 0, 0}, {3, 0, 0, 99, RGB(1, 2, 3), 0x40},
    };
    for (auto& e : expected) {
        CMailIndexRecord* r = list->GetMailRecord(e.index);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_bRead, e.read) << e.index;
        EXPECT_EQ(r->m_nBookmark, e.bookmark) << e.index;
        EXPECT_EQ(r->m_nLabel, e.label) << e.index;
        EXPECT_EQ(r->m_crLabel, e.color) << e.index;
        EXPECT_EQ(r->m_nFlags & 0x40, e.flags) << e.index;
    }
    EXPECT_EQ(list->GetUnreadCount(), 3);
}
