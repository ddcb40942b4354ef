#include "core/FileUtil.h"
#include "store/StoreWrite.h"
#include "StoreTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>

using StoreTest::FileMail;
using StoreTest::OpenStore;
using StoreTest::SimpleMail;
using StoreTest::TestApp;
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

CString EnvVar(const char* name)
{
    char buf[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof(buf));
    return n && n < sizeof(buf) ? CString(buf) : CString();
}

// Runs this test program's child test with the crash point and folder.
DWORD RunChild(const CString& work, int crashAt)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof(exe));
    SetEnvironmentVariableA("CVM_STORE_CRASH_DIR", work);
    SetEnvironmentVariableA("CVM_STORE_CRASH_AT", FormatString("%d", crashAt));
    CString cmd = FormatString("\"%s\" --gtest_filter=StoreCrash.ChildFilesMails", exe);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string line = cmd.Str();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    SetEnvironmentVariableA("CVM_STORE_CRASH_DIR", nullptr);
    SetEnvironmentVariableA("CVM_STORE_CRASH_AT", nullptr);
    return code;
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

// The child side: files two more mails with the crash hook armed.
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

    bool finished = false;
    for (int crashAt = 1; crashAt <= 20 && !finished; crashAt++) {
        SCOPED_TRACE(crashAt);
        TempDir work;
        CreateDirectoryA(work.File("In.Box"), nullptr);
        WriteFileBytes(work.File("In.Box\\Index.lst"), index);
        WriteFileBytes(work.File("In.Box\\MailData.Qmd"), data);
        DWORD code = RunChild(work.Path(), crashAt);
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
        // cut off comes back through the rebuild.
        EXPECT_GE(rebuilt.GetMailCount(), count + 1);
        EXPECT_LE(rebuilt.GetMailCount(), count + 2);
    }
    EXPECT_TRUE(finished) << "the child never ran to the end";
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
        // "Old" files: the new ones with garbage appended stand in for them;
        // what matters is which set the folder ends with.
        std::string oldIndex = newIndex, oldData = newData + "junk\r\n.\r\n";
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
    // entry boundary.
    {
        CFile f(store.GetDataPath(), CFile::modeReadWrite);
        f.SetLength(0x7FFFFFF0ULL - 5);
        f.SeekToEnd();
        f.Write("\r\n.\r\n", 5);
    }
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
