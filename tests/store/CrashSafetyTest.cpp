#include "core/FileSteps.h"
#include "core/FileUtil.h"
#include "store/StoreWrite.h"
#include "StoreTestUtil.h"
#include "support/ChildTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using StoreTest::FiledText;
using StoreTest::FileMail;
using StoreTest::OpenStore;
using StoreTest::SimpleMail;
using StoreTest::TestApp;
using TestSupport::EnvVar;
using TestSupport::ReadFileBytes;
using TestSupport::TempDir;
using TestSupport::WriteFileBytes;

namespace {

int g_crashAt = 0;
int g_writes = 0;

// Stands in for a power loss: half of the write reaches the disk, then the
// process is gone.
void CrashingWrite(CFile& file, const void* data, UINT count)
{
    if (++g_writes == g_crashAt) {
        file.Write(data, count / 2);
        TerminateProcess(GetCurrentProcess(), 77);
    }
    file.Write(data, count);
}

// Runs this test program's child test with the crash point and folder.
DWORD RunChild(const CString& work, int crashAt, bool bInRun)
{
    return TestSupport::RunChildTest("StoreCrash.ChildFilesMails", {{"CVM_STORE_CRASH_DIR", work},
                                                                    {"CVM_STORE_CRASH_AT", FormatString("%d", crashAt)},
                                                                    {"CVM_STORE_CRASH_RUN", bInRun ? "1" : "0"}},
                                     60000);
}

std::string MailText(CMailFolderStore& store, int index)
{
    CString t;
    CMailListData* list = store.GetMailList();
    if (!list || !list->GetMailRecord(index))
        return std::string();
    store.ReadMailText(list->GetMailRecord(index), t);
    return t.Str();
}

} // namespace

// The child side: files two more mails with the crash hook armed, alone or
// in a filing run that keeps the files open between them.
TEST(StoreCrash, ChildFilesMails)
{
    CString work = EnvVar("CVM_STORE_CRASH_DIR");
    if (work.IsEmpty())
        GTEST_SKIP() << "runs as the child of StoreCrash.FilingInterruptedAtEveryWrite";
    g_crashAt = atoi(EnvVar("CVM_STORE_CRASH_AT"));
    TestApp app(work);
    CMailFolderStore store;
    OpenStore(store, work + "\\In.Box");
    store.LoadIndex();
    if (EnvVar("CVM_STORE_CRASH_RUN") == "1")
        store.BeginFilingRun();
    StoreWrite::SetHook(CrashingWrite);
    FileMail(store, work, "QM3000000003.eml", SimpleMail("three", "<3@x>"));
    FileMail(store, work, "QM3000000004.eml", SimpleMail("four", "<4@x>"));
    StoreWrite::SetHook(nullptr);
}

TEST(StoreCrash, FilingInterruptedAtEveryWrite)
{
    TempDir base;
    std::string first, second;
    {
        TestApp app(base.Path());
        CMailFolderStore store;
        OpenStore(store, base.File("In.Box"));
        ASSERT_TRUE(store.LoadIndex());
        ASSERT_EQ(FileMail(store, base.Path(), "QM3000000001.eml", SimpleMail("one", "<1@x>")), 1);
        ASSERT_EQ(FileMail(store, base.Path(), "QM3000000002.eml", SimpleMail("two", "<2@x>")), 1);
        first = MailText(store, 0);
        second = MailText(store, 1);
    }
    std::string index = ReadFileBytes(base.File("In.Box\\Index.lst"));
    std::string data = ReadFileBytes(base.File("In.Box\\MailData.Qmd"));

  for (bool bInRun : {false, true}) {
    SCOPED_TRACE(bInRun ? "in a filing run" : "alone");
    bool finished = false;
    for (int crashAt = 1; crashAt <= 20 && !finished; crashAt++) {
        SCOPED_TRACE(crashAt);
        TempDir work;
        CreateDirectoryA(work.File("In.Box"), nullptr);
        WriteFileBytes(work.File("In.Box\\Index.lst"), index);
        WriteFileBytes(work.File("In.Box\\MailData.Qmd"), data);
        DWORD code = RunChild(work.Path(), crashAt, bInRun);
        finished = code != 77;

        TestApp app(work.Path());
        CMailFolderStore store;
        OpenStore(store, work.File("In.Box"));
        CMailListData* list = store.GetMailList();
        ASSERT_NE(list, nullptr);
        int count = list->GetMailCount();
        // Everything filed before is intact; at most the mail being filed is missing.
        ASSERT_GE(count, 2 + (crashAt - 1) / 2);
        EXPECT_EQ(MailText(store, 0), first);
        EXPECT_EQ(MailText(store, 1), second);
        for (int i = 2; i < count; i++)
            EXPECT_NE(MailText(store, i).find("body of"), std::string::npos);
        // The folder takes new mail on a clean boundary, and the index can
        // still be rebuilt from the data file alone.
        ASSERT_EQ(FileMail(store, work.Path(), "QM3000000009.eml", SimpleMail("nine", "<9@x>")), 1);
        EXPECT_EQ(MailText(store, list->GetAllRecordCount() - 1).find("QM3000000009.eml\r\nFrom:"), 0u);
        ASSERT_TRUE(store.RebuildIndex());
        CMailListData rebuilt;
        rebuilt.SetFilePath(store.GetIndexPath());
        ASSERT_TRUE(rebuilt.ReadFromFile());
        // A mail whose data entry was complete when its index record was
        // cut off was never reported as filed: the rebuild does not bring
        // it back beside the copy the next receive files.
        EXPECT_EQ(rebuilt.GetMailCount(), count + 1);
    }
    EXPECT_TRUE(finished) << "the child never ran to the end";
  }
}

TEST(StoreCrash, InterruptedOptimisationSwapIsFinishedOrUndone)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString box = dir.File("In.Box");
    {
        CMailFolderStore store;
        OpenStore(store, box);
        ASSERT_TRUE(store.LoadIndex());
        for (int i = 0; i < 4; i++)
            FileMail(store, dir.Path(), FormatString("QM400000000%d.eml", i),
                     SimpleMail(FormatString("m%d", i).Str(), FormatString("<m%d@x>", i).Str()));
        store.DeleteMail(1);
        ASSERT_TRUE(store.Optimize());
    }
    std::string newIndex = ReadFileBytes(box + "\\Index.lst");
    std::string newData = ReadFileBytes(box + "\\MailData.Qmd");

    // Set up the states a crash inside the swap can leave (files as they
    // would be between the steps) and open the folder on each.
    struct Case
    {
        const char* name;
        bool marker, tempIndex, tempData, index, data;
    };
    const Case cases[] = {
        {"marker written", true, true, true, true, true},
        {"index moved", true, false, true, true, true},
        {"both moved", true, false, false, true, true},
        {"no marker: temporary files were incomplete", false, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // "Old" files: the new ones with a changed body stand in for them;
        // what matters is which set the folder ends with.
        std::string oldIndex = newIndex, oldData = newData;
        oldData.replace(oldData.find("body of"), 7, "BODY OF");
        WriteFileBytes(box + "\\Index.lst", c.marker && !c.tempIndex ? newIndex : oldIndex);
        WriteFileBytes(box + "\\MailData.Qmd", c.marker && !c.tempData ? newData : oldData);
        if (c.tempIndex)
            WriteFileBytes(box + "\\Index.$$$", c.marker ? newIndex : std::string("torn"));
        if (c.tempData)
            WriteFileBytes(box + "\\$$MailData", c.marker ? newData : std::string("torn"));
        if (c.marker)
            WriteFileBytes(box + "\\$$Swap.flg", "1");
        CMailFolderStore store;
        OpenStore(store, box);
        ASSERT_NE(store.GetMailList(), nullptr);
        EXPECT_EQ(ReadFileBytes(box + "\\MailData.Qmd"), c.marker ? newData : oldData);
        EXPECT_FALSE(TestSupport::FileExists(box + "\\$$MailData"));
        EXPECT_FALSE(TestSupport::FileExists(box + "\\Index.$$$"));
        EXPECT_FALSE(TestSupport::FileExists(box + "\\$$Swap.flg"));
        EXPECT_EQ(store.GetMailList()->GetMailCount(), 3);
    }
}

TEST(StoreCrash, DataFileDoesNotGrowPastTwoGigabytes)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, dir.File("In.Box"));
    ASSERT_TRUE(store.LoadIndex());
    ASSERT_EQ(FileMail(store, dir.Path(), "QM5000000001.eml", SimpleMail("one", "<1@x>")), 1);
    // Grow the data file (sparse) to just under the limit, ending on an
    // entry boundary, and let the first record own all of it.
    {
        CFile f(store.GetDataPath(), CFile::modeReadWrite);
        f.SetLength(0x7FFFFFF0ULL - 5);
        f.SeekToEnd();
        f.Write("\r\n.\r\n", 5);
    }
    std::string index = ReadFileBytes(store.GetIndexPath());
    index.replace(10, 4, std::string("\xF0\xFF\xFF\x7F", 4));
    WriteFileBytes(store.GetIndexPath(), index);
    TestSupport::ClearMessages();
    EXPECT_EQ(FileMail(store, dir.Path(), "QM5000000002.eml", SimpleMail("two", "<2@x>")), 0);
    ASSERT_FALSE(TestSupport::RecordedMessages().empty());
    EXPECT_NE(TestSupport::RecordedMessages().back().find("2GB"), std::string::npos);
    CFileStatus st;
    ASSERT_TRUE(CFile::GetStatus(store.GetDataPath(), st));
    EXPECT_EQ(st.m_size, 0x7FFFFFF0ULL);
    EXPECT_EQ(store.GetMailList()->GetMailCount(), 1);
    DeleteFileA(store.GetDataPath());
}

namespace {

// Fails one kind of file step from its nth call on.
const char* g_failCall = nullptr;
int g_failAt = 0;
int g_calls = 0;
bool FailNthCall(const char* pszCall)
{
    return g_failCall && strcmp(pszCall, g_failCall) == 0 && ++g_calls >= g_failAt;
}

struct FailStep
{
    FailStep(const char* call, int nth)
    {
        g_failCall = call;
        g_failAt = nth;
        g_calls = 0;
        previous = FileSteps::SetFailHook(FailNthCall);
    }
    ~FailStep() { FileSteps::SetFailHook(previous); }
    FileSteps::FailHook previous;
};

std::vector<std::string> LiveTexts(CMailFolderStore& store)
{
    std::vector<std::string> texts;
    CMailListData* list = store.GetMailList();
    if (!list)
        return texts;
    for (int i = 0; i < list->GetAllRecordCount(); i++) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        CString t;
        if (r && !r->m_bDeleted && store.ReadMailText(r, t))
            texts.push_back(FiledText(t.Str()));
    }
    return texts;
}

} // namespace

TEST(StoreCrash, EveryFailedSwapStepLeavesAFolderThatOpensWhole)
{
    struct Case
    {
        const char* name;
        const char* call;
        int nth;
        bool swapped;  // the new files are in place after the next open
    };
    const Case cases[] = {
        {"writing the mark", "WriteFile", 1, false},
        {"flushing the mark", "FlushFileBuffers", 1, false},
        {"moving the index", "MoveFileEx", 1, false},
        {"moving the data file", "MoveFileEx", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestApp app(dir.Path());
        CString box = dir.File("In.Box");
        std::vector<std::string> live;
        std::string oldData;
        {
            CMailFolderStore store;
            OpenStore(store, box);
            ASSERT_TRUE(store.LoadIndex());
            for (int i = 0; i < 4; i++) {
                std::string mail = SimpleMail(FormatString("s%d", i).Str(), FormatString("<s%d@x>", i).Str());
                FileMail(store, dir.Path(), FormatString("QM600000000%d.eml", i), mail);
                if (i != 1)
                    live.push_back(mail);
            }
            store.DeleteMail(1);
            oldData = ReadFileBytes(box + "\\MailData.Qmd");
            TestSupport::ClearMessages();
            {
                FailStep fail(c.call, c.nth);
                EXPECT_FALSE(store.Optimize());
            }
            EXPECT_EQ(TestSupport::RecordedMessages().size(), 1u);
            // Nothing is read from or filed into files that do not belong
            // together.
            if (c.swapped) {
                EXPECT_EQ(ReadFileBytes(box + "\\MailData.Qmd"), oldData);
                EXPECT_TRUE(TestSupport::FileExists(box + "\\$$Swap.flg"));
            }
        }
        CMailFolderStore store;
        OpenStore(store, box);
        EXPECT_EQ(LiveTexts(store), live);
        EXPECT_EQ(ReadFileBytes(box + "\\MailData.Qmd") == oldData, !c.swapped);
        EXPECT_FALSE(TestSupport::FileExists(box + "\\$$Swap.flg"));
        EXPECT_FALSE(TestSupport::FileExists(box + "\\$$MailData"));
        EXPECT_FALSE(TestSupport::FileExists(box + "\\Index.$$$"));
    }
}

TEST(StoreCrash, FailedRecoveryKeepsTheFolderShutUntilItSucceeds)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString box = dir.File("In.Box");
    std::vector<std::string> live;
    std::string oldIndex, oldData;
    {
        CMailFolderStore store;
        OpenStore(store, box);
        ASSERT_TRUE(store.LoadIndex());
        for (int i = 0; i < 3; i++) {
            std::string mail = SimpleMail(FormatString("r%d", i).Str(), FormatString("<r%d@x>", i).Str());
            FileMail(store, dir.Path(), FormatString("QM700000000%d.eml", i), mail);
            if (i != 0)
                live.push_back(mail);
        }
        store.DeleteMail(0);
        oldIndex = ReadFileBytes(box + "\\Index.lst");
        oldData = ReadFileBytes(box + "\\MailData.Qmd");
        ASSERT_TRUE(store.Optimize());
    }
    std::string newIndex = ReadFileBytes(box + "\\Index.lst");
    std::string newData = ReadFileBytes(box + "\\MailData.Qmd");
    for (int nth : {1, 2}) {
        SCOPED_TRACE(nth == 1 ? "the index cannot be moved" : "the data file cannot be moved");
        // A swap that was marked and then cut off before either move.
        WriteFileBytes(box + "\\Index.lst", oldIndex);
        WriteFileBytes(box + "\\MailData.Qmd", oldData);
        WriteFileBytes(box + "\\Index.$$$", newIndex);
        WriteFileBytes(box + "\\$$MailData", newData);
        WriteFileBytes(box + "\\$$Swap.flg", "1");
        CMailFolderStore store;
        OpenStore(store, box);
        TestSupport::ClearMessages();
        {
            FailStep fail("MoveFileEx", nth);
            EXPECT_EQ(store.GetMailList(), nullptr);
            EXPECT_EQ(FileMail(store, dir.Path(), "QM7000000009.eml", SimpleMail("late", "<late@x>")), 0);
        }
        // Said once for each attempt, never with the offer to rebuild.
        ASSERT_EQ(TestSupport::RecordedMessages().size(), 2u);
        EXPECT_NE(TestSupport::RecordedMessages()[0].find("E0013"), std::string::npos);
        EXPECT_TRUE(TestSupport::FileExists(box + "\\$$Swap.flg"));
        EXPECT_EQ(ReadFileBytes(box + "\\MailData.Qmd"), oldData);
        // Once the moves work, the folder opens with the new files.
        EXPECT_EQ(LiveTexts(store), live);
        EXPECT_EQ(ReadFileBytes(box + "\\MailData.Qmd"), newData);
    }
}

TEST(StoreCrash, FailedRebuildStepsLeaveTheIndexAsItWas)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString box = dir.File("In.Box");
    CMailFolderStore store;
    OpenStore(store, box);
    ASSERT_TRUE(store.LoadIndex());
    FileMail(store, dir.Path(), "QM8000000001.eml", SimpleMail("one", "<1@x>"));
    store.DeleteMail(0);  // a mark that only the index knows
    std::string index = ReadFileBytes(box + "\\Index.lst");
    WriteFileBytes(box + "\\Index.bak", "older backup");
    const struct
    {
        const char* call;
        int nth;
        const char* named;  // what the message says failed
    } steps[] = {
        {"CopyFile", 1, "バックアップ"},    // the backup copy (a full disk)
        {"MoveFileEx", 1, "バックアップ"},  // putting the backup in place
        {"MoveFileEx", 2, "削除"},          // replacing the index
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.call) + " " + std::to_string(step.nth));
        TestSupport::ClearMessages();
        {
            FailStep fail(step.call, step.nth);
            EXPECT_FALSE(store.RebuildIndex());
        }
        ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
        EXPECT_NE(TestSupport::RecordedMessages()[0].find(step.named), std::string::npos);
        EXPECT_EQ(ReadFileBytes(box + "\\Index.lst"), index);
        // A backup copy cut short never takes the place of the older one.
        if (step.nth == 1) {
            EXPECT_EQ(ReadFileBytes(box + "\\Index.bak"), "older backup");
        }
        EXPECT_FALSE(TestSupport::FileExists(box + "\\Index.bk$"));
    }
}

TEST(StoreCrash, RecordPointingPastTheDataFileIsDamaged)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString box = dir.File("In.Box");
    {
        CMailFolderStore store;
        OpenStore(store, box);
        ASSERT_TRUE(store.LoadIndex());
        FileMail(store, dir.Path(), "QM9000000001.eml", SimpleMail("one", "<1@x>"));
        // The record claims nearly 2 GB of a data file of a few hundred bytes.
        CMailIndexRecord* r = store.GetMailList()->GetMailRecord(0);
        r->m_nDataLength = 0x7FFFFFF0;
        CString text;
        EXPECT_FALSE(store.ReadMailText(r, text));
        EXPECT_TRUE(text.IsEmpty());
    }
    // The same in the file: the length field of the first record.
    std::string index = ReadFileBytes(box + "\\Index.lst");
    ASSERT_GT(index.size(), 14u);
    index.replace(10, 4, std::string("\xF0\xFF\xFF\x7F", 4));
    WriteFileBytes(box + "\\Index.lst", index);
    // Loading finds the damage and offers the rebuild, which mends it.
    TestSupport::ClearMessages();
    TestSupport::QueueMessageBoxAnswer(IDYES);
    CMailFolderStore store;
    OpenStore(store, box);
    ASSERT_NE(store.GetMailList(), nullptr);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("インデックスファイルが開けませんでした"), std::string::npos);
    EXPECT_EQ(LiveTexts(store), std::vector<std::string>{SimpleMail("one", "<1@x>")});
}

namespace {

std::string MailWithAttachment(const std::string& subject, const std::string& id, const std::string& fileName)
{
    return "From: Sender <sender@example.com>\r\nSubject: " + subject + "\r\nMessage-ID: " + id +
           "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
           "--b\r\nContent-Type: text/plain\r\n\r\nbody of " + subject + "\r\n"
           "--b\r\nContent-Type: application/octet-stream; name=\"" + fileName + "\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\nAAECAw==\r\n--b--\r\n";
}

std::vector<std::string> RebuiltSubjects(CMailFolderStore& store)
{
    std::vector<std::string> subjects;
    CMailListData* list = store.GetMailList();
    for (int i = 0; list && i < list->GetMailCount(); i++)
        subjects.push_back(list->GetMailRecord(i)->GetText(CMailIndexRecord::colSubject).Str());
    return subjects;
}

} // namespace

// A kill between the append to the data file and the append to the index
// leaves a whole entry that no record points to. The receiver never
// confirmed that mail, so the next pass files it again under a new name;
// neither the open folder nor a rebuild of its list may show it twice.
TEST(StoreCrash, EntryWithoutItsRecordIsDroppedWithItsAttachments)
{
    const struct
    {
        const char* name;
        bool bOpenBeforeRefiling;  // the folder is opened before the mail comes again
    } cases[] = {{"opened, then filed again", true}, {"filed again into a folder not opened", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestApp app(dir.Path());
        CString box = dir.File("In.Box");
        std::string indexBefore;
        {
            CMailFolderStore store;
            OpenStore(store, box);
            ASSERT_TRUE(store.LoadIndex());
            ASSERT_EQ(FileMail(store, dir.Path(), "QM9100000001.eml", SimpleMail("one", "<1@x>")), 1);
            ASSERT_EQ(FileMail(store, dir.Path(), "QM9100000002.eml", MailWithAttachment("two", "<2@x>", "a.bin")), 1);
            indexBefore = ReadFileBytes(box + "\\Index.lst");
            ASSERT_EQ(FileMail(store, dir.Path(), "QM9100000003.eml", MailWithAttachment("three", "<3@x>", "b.bin")), 1);
        }
        // The kill: the third record never reached the index.
        WriteFileBytes(box + "\\Index.lst", indexBefore);
        ASSERT_TRUE(TestSupport::FileExists(box + "\\Attach\\QM9100000003.eml\\b.bin"));

        CMailFolderStore store;
        OpenStore(store, box);
        if (c.bOpenBeforeRefiling) {
            ASSERT_NE(store.GetMailList(), nullptr);
            EXPECT_EQ(store.GetMailList()->GetMailCount(), 2);
        }
        ASSERT_EQ(FileMail(store, dir.Path(), "QM9100000004.eml", MailWithAttachment("three", "<3@x>", "b.bin")), 1);
        EXPECT_FALSE(TestSupport::FileExists(box + "\\Attach\\QM9100000003.eml"));
        ASSERT_TRUE(store.RebuildIndex());
        EXPECT_EQ(RebuiltSubjects(store), (std::vector<std::string>{"one", "two", "three"}));
        CMailListData* list = store.GetMailList();
        ASSERT_NE(list, nullptr);
        CStringArray files;
        ASSERT_TRUE(store.GetAttachFileList(2, files));
        ASSERT_EQ(files.GetSize(), 1);
        EXPECT_EQ(ReadFileBytes(files[0]), std::string("\x00\x01\x02\x03", 4));
        // The mails before it are untouched.
        EXPECT_EQ(LiveTexts(store)[0], SimpleMail("one", "<1@x>"));
    }
}

// Data without any index is what the rebuild is for: nothing of it is cut.
// Declined, the rebuild waits; the mails wait in the set-aside file, out of
// the way of new mail.
TEST(StoreCrash, DataFileWithoutAnIndexIsLeftForTheRebuild)
{
    TempDir dir;
    TestApp app(dir.Path());
    CString box = dir.File("In.Box");
    {
        CMailFolderStore store;
        OpenStore(store, box);
        ASSERT_TRUE(store.LoadIndex());
        ASSERT_EQ(FileMail(store, dir.Path(), "QM9200000001.eml", SimpleMail("one", "<1@x>")), 1);
        ASSERT_EQ(FileMail(store, dir.Path(), "QM9200000002.eml", SimpleMail("two", "<2@x>")), 1);
    }
    std::string data = ReadFileBytes(box + "\\MailData.Qmd");
    DeleteFileA(box + "\\Index.lst");
    TestSupport::ClearMessages();
    TestSupport::QueueMessageBoxAnswer(IDNO);
    CMailFolderStore store;
    OpenStore(store, box);
    ASSERT_NE(store.GetMailList(), nullptr);
    EXPECT_EQ(TestSupport::RecordedMessages().size(), 1u);
    ASSERT_EQ(FileMail(store, dir.Path(), "QM9200000003.eml", SimpleMail("three", "<3@x>")), 1);
    EXPECT_EQ(ReadFileBytes(box + "\\MailData.Rcv"), data);
    ASSERT_TRUE(store.RebuildIndex());
    EXPECT_EQ(RebuiltSubjects(store), (std::vector<std::string>{"three", "one", "two"}));
}

// A filing killed after the reader wrote the attachment folder but before
// the data entry leaves a folder that no mail names: the open removes it,
// and keeps the folders of the mails and anything not named by the program.
TEST(StoreCrash, AttachmentFoldersOfNoMailAreRemovedOnOpen)
{
    TempDir dir;
    CString box = dir.File("In.Box");
    {
        TestApp app(dir.Path());
        CMailFolderStore store;
        OpenStore(store, box);
        ASSERT_TRUE(store.LoadIndex());
        ASSERT_EQ(FileMail(store, dir.Path(), "QM9300000001.eml", MailWithAttachment("one", "<1@x>", "a.bin")), 1);
    }
    // The filing took the stamp of the folder's clean close away before it
    // wrote anything.
    DeleteFileA(box + "\\Index.stp");
    CreateDirectoryA(box + "\\Attach\\QM9300000002.eml", nullptr);
    WriteFileBytes(box + "\\Attach\\QM9300000002.eml\\b.bin", "orphan");
    CreateDirectoryA(box + "\\Attach\\Saved", nullptr);
    WriteFileBytes(box + "\\Attach\\Saved\\keep.txt", "mine");
    TestApp app(dir.Path());
    CMailFolderStore store;
    OpenStore(store, box);
    ASSERT_NE(store.GetMailList(), nullptr);
    EXPECT_FALSE(TestSupport::FileExists(box + "\\Attach\\QM9300000002.eml"));
    EXPECT_TRUE(TestSupport::FileExists(box + "\\Attach\\QM9300000001.eml\\a.bin"));
    EXPECT_TRUE(TestSupport::FileExists(box + "\\Attach\\Saved\\keep.txt"));
}

namespace {

// The data file's disk is full: its writes fail; other files are written.
void DataFileFull(CFile& file, const void* data, UINT count)
{
    if (file.GetFilePath().Find("MailData.Qmd") >= 0)
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, file.GetFilePath());
    file.Write(data, count);
}

} // namespace

// A folder left by a clean close opens without checking its data file and
// its attachment folders. One whose files changed since, or that no clean
// close left (an older program, a filing that stopped half-way), is checked
// in full, and the next clean close lets it open at once again.
TEST(StoreCrash, OnlyAFolderClosedCleanlyOpensWithoutItsChecks)
{
    const struct
    {
        const char* name;
        // What happens while the folder is open, and after its close.
        std::function<void(CMailFolderStore& store, const CString& work)> whileOpen;
        std::function<void(const CString& box)> afterClose;
        bool bChecked;
    } cases[] = {
        {"nothing changed", nullptr, nullptr, false},
        {"no stamp (a folder of an older program)", nullptr,
         [](const CString& box) { DeleteFileA(box + "\\Index.stp"); }, true},
        {"a mark of the index changed outside", nullptr,
         [](const CString& box) {
             std::string index = ReadFileBytes(box + "\\Index.lst");
             index[1] ^= 0x01;
             WriteFileBytes(box + "\\Index.lst", index);
         },
         true},
        {"a whole entry added to the data file outside", nullptr,
         [](const CString& box) {
             std::string data = ReadFileBytes(box + "\\MailData.Qmd");
             WriteFileBytes(box + "\\MailData.Qmd", data + "QM9400000009.eml\r\nSubject: x\r\n\r\nbody\r\n.\r\n");
         },
         true},
        // Its attachments are written, its entry is not: the folder they
        // leave behind goes at the next open.
        {"a filing stopped by a full disk",
         [](CMailFolderStore& store, const CString& work) {
             StoreWrite::SetHook(DataFileFull);
             EXPECT_EQ(FileMail(store, work, "QM9400000003.eml", MailWithAttachment("three", "<3@x>", "c.bin")), 0);
             StoreWrite::SetHook(nullptr);
             EXPECT_TRUE(TestSupport::FileExists(store.GetFolderPath() + "\\Attach\\QM9400000003.eml\\c.bin"));
         },
         nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestApp app(dir.Path());
        CString box = dir.File("In.Box");
        {
            CMailFolderStore store;
            OpenStore(store, box);
            ASSERT_TRUE(store.LoadIndex());
            ASSERT_EQ(FileMail(store, dir.Path(), "QM9400000001.eml", MailWithAttachment("one", "<1@x>", "a.bin")), 1);
            ASSERT_EQ(FileMail(store, dir.Path(), "QM9400000002.eml", SimpleMail("two", "<2@x>")), 1);
        }
        {
            CMailFolderStore store;
            OpenStore(store, box);
            ASSERT_NE(store.GetMailList(), nullptr);
            EXPECT_TRUE(store.LoadSkippedChecks());
            if (c.whileOpen)
                c.whileOpen(store, dir.Path());
        }
        if (c.afterClose)
            c.afterClose(box);
        TestSupport::ClearMessages();
        for (bool bAgain : {false, true}) {
            CMailFolderStore store;
            OpenStore(store, box);
            ASSERT_NE(store.GetMailList(), nullptr);
            EXPECT_EQ(store.LoadSkippedChecks(), !c.bChecked || bAgain) << (bAgain ? "opened again" : "");
            EXPECT_EQ(store.GetMailList()->GetMailCount(), 2);
            EXPECT_EQ(LiveTexts(store)[0], MailWithAttachment("one", "<1@x>", "a.bin"));
            EXPECT_TRUE(TestSupport::FileExists(box + "\\Attach\\QM9400000001.eml\\a.bin"));
            EXPECT_FALSE(TestSupport::FileExists(box + "\\Attach\\QM9400000003.eml"));
        }
    }
}
