// Folder maintenance without the busy dialog (the work over folders, what
// an all-folders run leaves out, cancelling after the folder in hand), and
// the commands on a real main window: the busy lock keeps a second command
// and a transfer out while one runs.
#include "mainwnd/FolderMaintenanceJob.h"
#include "mainwnd/FolderTreeRepair.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/FolderTree.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/resource.h"
#include "resources/rules/RulesResource.h"
#include "resources/utils/UtilsResource.h"
#include "store/FolderRecord.h"
#include "store/StoreTestUtil.h"

#include "store/FolderData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>

namespace {

// A visible window of the thread that holds a control with the id.
HWND FindThreadDialog(DWORD threadId, int controlId)
{
    struct Search
    {
        int id;
        HWND found;
    } search = { controlId, nullptr };
    EnumThreadWindows(
        threadId,
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (IsWindowVisible(h) && GetDlgItem(h, s->id)) {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class FolderMaintenanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        ASSERT_TRUE(m_app->CreateDefaultMailBox());
        ASSERT_TRUE(m_app->OpenFolderList());
        ASSERT_NE(m_app->GetDefaultFolder(CFolderRecord::kindInbox), nullptr);
    }
    void TearDown() override
    {
        if (m_hFrame && ::IsWindow(m_hFrame))
            ::DestroyWindow(m_hFrame);
        m_app.reset();
        TestSupport::ClearMessages();
    }
    CMailFolderStore* Folder(int kind) { return m_app->GetDefaultFolder(kind); }
    void File(CMailFolderStore* store, const std::string& subject, const std::string& id)
    {
        ASSERT_EQ(StoreTest::FileMail(*store, m_dir.Path(), "m.eml", StoreTest::SimpleMail(subject, id)), 1);
    }
    static std::multiset<CString> Subjects(CMailFolderStore* store)
    {
        std::multiset<CString> out;
        CMailListData* list = store->GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++)
            if (!list->GetMailRecord(i)->m_bDeleted)
                out.insert(list->GetMailRecord(i)->GetText(CMailIndexRecord::colSubject));
        return out;
    }
    static LONGLONG DataSize(CMailFolderStore* store)
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(store->GetFolderPath() + "\\MailData.Qmd", GetFileExInfoStandard, &data))
            return -1;
        return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    void OpenFrame()
    {
        m_frame = new CMainFrame;
        m_app->m_pMainFrame = m_frame;
        ASSERT_TRUE(m_frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
        m_hFrame = m_frame->m_hWnd;
        m_frame->ShowWindow(SW_SHOWNA);
        Pump();
    }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
    CMainFrame* m_frame = nullptr;
    HWND m_hFrame = nullptr;
};

} // namespace

TEST_F(FolderMaintenanceTest, EachKindOfWorkLeavesTheFolderWholeAndReadable)
{
    CMailFolderStore* inbox = Folder(CFolderRecord::kindInbox);
    // The second copy of a mail is a duplicate; its bytes stay in the data file until it is optimised.
    File(inbox, "一通目", "<1@x>");
    File(inbox, "二通目", "<2@x>");
    File(inbox, "二通目", "<2@x>");
    File(inbox, "三通目", "<3@x>");
    LONGLONG before = DataSize(inbox);

    CFolderMaintenanceJob duplicates(CFolderMaintenanceJob::kDuplicates, { inbox });
    EXPECT_EQ(duplicates.Run(nullptr, nullptr), 1);
    EXPECT_EQ(duplicates.m_nDuplicatesDeleted, 1);
    EXPECT_EQ(Subjects(inbox), (std::multiset<CString>{ "一通目", "二通目", "三通目" }));

    CFolderMaintenanceJob optimise(CFolderMaintenanceJob::kOptimise, { inbox });
    optimise.Run(nullptr, nullptr);
    EXPECT_TRUE(optimise.m_bAllSucceeded);
    EXPECT_LT(DataSize(inbox), before);
    EXPECT_EQ(Subjects(inbox), (std::multiset<CString>{ "一通目", "二通目", "三通目" }));

    // A lost index is made again from the data file.
    inbox->UnloadIndex();
    DeleteFileA(inbox->GetFolderPath() + "\\Index.lst");
    CFolderMaintenanceJob rebuild(CFolderMaintenanceJob::kRebuild, { inbox });
    rebuild.Run(nullptr, nullptr);
    EXPECT_TRUE(rebuild.m_bAllSucceeded);
    inbox->UnloadIndex();
    EXPECT_EQ(Subjects(inbox), (std::multiset<CString>{ "一通目", "二通目", "三通目" }));
}

TEST_F(FolderMaintenanceTest, AllFolderRunsLeaveOutExcludedFoldersAndStopAfterTheFolderInHand)
{
    CMailFolderStore* inbox = Folder(CFolderRecord::kindInbox);
    CMailFolderStore* sent = Folder(CFolderRecord::kindSent);
    CMailFolderStore* trash = Folder(CFolderRecord::kindTrash);
    ASSERT_TRUE(inbox && sent && trash);
    trash->GetFolderRecord().m_bNoOptimiseAll = TRUE;
    trash->GetFolderRecord().m_bApplyBelow = TRUE;
    sent->GetFolderRecord().m_bNoDupDeleteAll = TRUE;
    sent->GetFolderRecord().m_bApplyBelow = TRUE;
    auto optimised = CFolderMaintenanceJob::FoldersForAll(*m_app, CFolderMaintenanceJob::kOptimise);
    auto deduplicated = CFolderMaintenanceJob::FoldersForAll(*m_app, CFolderMaintenanceJob::kDuplicates);
    auto rebuilt = CFolderMaintenanceJob::FoldersForAll(*m_app, CFolderMaintenanceJob::kRebuild);
    auto has = [](const std::vector<CMailFolderStore*>& v, CMailFolderStore* f) {
        return std::find(v.begin(), v.end(), f) != v.end();
    };
    EXPECT_FALSE(has(optimised, trash));
    EXPECT_TRUE(has(optimised, sent));
    EXPECT_FALSE(has(deduplicated, sent));
    EXPECT_TRUE(has(deduplicated, trash));
    EXPECT_EQ(static_cast<int>(rebuilt.size()), m_app->GetFolderCount());

    // Cancelled while the first folder is in hand: it is finished, the second is not touched.
    File(inbox, "重複", "<d@x>");
    File(inbox, "重複", "<d@x>");
    File(trash, "重複", "<d@x>");
    File(trash, "重複", "<d@x>");
    std::vector<CString> shown;
    CFolderMaintenanceJob job(CFolderMaintenanceJob::kDuplicates, { inbox, trash });
    int done = job.Run([] { return true; }, [&shown](const CString& name) { shown.push_back(name); });
    EXPECT_EQ(done, 1);
    EXPECT_EQ(shown, (std::vector<CString>{ inbox->GetFolderName() }));
    EXPECT_EQ(Subjects(inbox).size(), 1u);
    EXPECT_EQ(Subjects(trash).size(), 2u);
}

TEST_F(FolderMaintenanceTest, WhileACommandRunsASecondOneAndTransfersAreRefused)
{
    OpenFrame();
    CMailFolderStore* inbox = Folder(CFolderRecord::kindInbox);
    for (int i = 0; i < 30; ++i)
        File(inbox, "メール" + std::to_string(i), "<" + std::to_string(i % 10) + "@x>");
    std::atomic<bool> sawDialog{ false };
    std::atomic<bool> secondRefused{ false };
    DWORD uiThread = GetCurrentThreadId();
    HWND frame = m_hFrame;
    std::thread driver([&] {
        HWND busy = nullptr;
        for (int i = 0; i < 100 && !busy; ++i) {
            Sleep(50);
            busy = FindThreadDialog(uiThread, IDC_BUSY_CANCEL);
        }
        if (!busy)
            return;
        sawDialog = true;
        size_t asked = TestSupport::RecordedMessages().size();
        // Both are handled at once by the window's thread in the dialog's loop.
        ::SendMessageA(frame, WM_COMMAND, ID_FOLDER_REBUILD_CURRENT, 0);
        ::SendMessageA(frame, WM_COMMAND, ID_ROUTE_RECEIVE, 0);
        secondRefused = TestSupport::RecordedMessages().size() == asked;
    });
    // The all-folders duplicate deletion holds the lock like every other command.
    TestSupport::QueueMessageBoxAnswer(IDYES);
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_FOLDER_DUPLICATES_ALL, 0);
    driver.join();
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(secondRefused);
    EXPECT_EQ(Subjects(inbox).size(), 10u);
    EXPECT_FALSE(m_frame->IsBusyLocked());
    // Once it is over, the lock is free for the next command.
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    size_t asked = TestSupport::RecordedMessages().size();
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_FOLDER_REBUILD_CURRENT, 0);
    EXPECT_EQ(TestSupport::RecordedMessages().size(), asked + 1);
}

TEST_F(FolderMaintenanceTest, NothingRunsWhileAReceiveRuns)
{
    OpenFrame();
    File(Folder(CFolderRecord::kindInbox), "重複", "<d@x>");
    File(Folder(CFolderRecord::kindInbox), "重複", "<d@x>");
    // A receive worker that runs until it is let go.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE worker = CreateThread(
        nullptr, 0, [](void* p) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(p), INFINITE); }, release, 0,
        nullptr);
    ASSERT_NE(worker, nullptr);
    HANDLE held = nullptr;
    DuplicateHandle(GetCurrentProcess(), worker, GetCurrentProcess(), &held, 0, FALSE, DUPLICATE_SAME_ACCESS);
    m_frame->m_hReceiveWorker = held;
    size_t asked = TestSupport::RecordedMessages().size();
    for (UINT command : { ID_FOLDER_DUPLICATES_CURRENT, ID_FOLDER_DUPLICATES_ALL, ID_FOLDER_OPTIMIZE_ALL,
                          ID_FOLDER_REBUILD_CURRENT })
        ::SendMessageA(m_hFrame, WM_COMMAND, command, 0);
    EXPECT_EQ(TestSupport::RecordedMessages().size(), asked);
    EXPECT_EQ(Subjects(Folder(CFolderRecord::kindInbox)).size(), 2u);
    SetEvent(release);
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    CloseHandle(release);
    // The frame lets go of its duplicate when it ends.
}

TEST_F(FolderMaintenanceTest, TreeRepairAddsTheFolderDirectoriesNoFolderUsesAfterTwoYeses)
{
    OpenFrame();
    CString folders = m_app->GetFoldersPath();
    CString lost = folders + "\\QMlost";
    {
        CMailFolderStore orphan;
        StoreTest::OpenStore(orphan, lost, 999, 0);
        File(&orphan, "迷子のメール", "<lost@x>");
        orphan.Close();
    }
    std::vector<CString> used;
    for (int i = 0; i < m_app->GetFolderCount(); ++i)
        used.push_back(m_app->GetFolderAt(i)->GetFolderPath());
    // Paths compare without regard to letter case or a trailing separator.
    std::vector<CString> withCase = used;
    EXPECT_EQ(FolderTreeRepair::UnusedDirectories(folders, used), (std::vector<CString>{ lost }));
    withCase.push_back(folders + "\\qmLOST\\");
    EXPECT_TRUE(FolderTreeRepair::UnusedDirectories(folders, withCase).empty());

    // No at the second question changes nothing.
    int before = m_app->GetFolderCount();
    TestSupport::QueueMessageBoxAnswer(IDYES);
    TestSupport::QueueMessageBoxAnswer(IDNO);
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_FOLDER_REPAIR_TREE, 0);
    EXPECT_EQ(m_app->GetFolderCount(), before);
    TestSupport::QueueMessageBoxAnswer(IDYES);
    TestSupport::QueueMessageBoxAnswer(IDYES);
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_FOLDER_REPAIR_TREE, 0);
    ASSERT_EQ(m_app->GetFolderCount(), before + 1);
    CMailFolderStore* found = nullptr;
    for (int i = 0; i < m_app->GetFolderCount(); ++i)
        if (m_app->GetFolderAt(i)->GetFolderName() == "QMlost")
            found = m_app->GetFolderAt(i);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Subjects(found), (std::multiset<CString>{ "迷子のメール" }));
    EXPECT_NE(m_frame->GetFolderTree()->FindItem(found->GetFolderId()), nullptr);
    const int inboxId = Folder(CFolderRecord::kindInbox)->GetFolderId();
    EXPECT_EQ(found->GetFolderRecord().m_nParentId, inboxId);

    // A directory keeps its folder's name and settings in "FolderData.Dat";
    // one without it is named after the directory, less its extension.
    CreateDirectoryA(folders + "\\案件.Box", nullptr);
    CreateDirectoryA(folders + "\\古い.Box", nullptr);
    CFolderRecord saved;
    saved.m_nId = 77;
    saved.m_nKind = CFolderRecord::kindInbox;  // a second inbox would be wrong
    saved.m_nIcon = 8;
    saved.m_strName = "案件";
    saved.m_strPath = folders + "\\案件.Box";
    CFolderData table;
    ASSERT_TRUE(table.WriteSingleRecord(folders + "\\案件.Box\\FolderData.Dat", &saved));
    TestSupport::QueueMessageBoxAnswer(IDYES);
    TestSupport::QueueMessageBoxAnswer(IDYES);
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_FOLDER_REPAIR_TREE, 0);
    ASSERT_EQ(m_app->GetFolderCount(), before + 3);
    CMailFolderStore* project = nullptr;
    CMailFolderStore* old = nullptr;
    for (int i = 0; i < m_app->GetFolderCount(); ++i) {
        CMailFolderStore* f = m_app->GetFolderAt(i);
        if (f->GetFolderName() == "案件")
            project = f;
        if (f->GetFolderName() == "古い")
            old = f;
    }
    ASSERT_TRUE(project && old);
    EXPECT_EQ(project->GetFolderRecord().m_nIcon, 8);
    EXPECT_NE(project->GetKind(), CFolderRecord::kindInbox);
    EXPECT_EQ(project->GetFolderRecord().m_nParentId, inboxId);
    EXPECT_EQ(m_app->GetDefaultFolderId(CFolderRecord::kindInbox), inboxId);
    EXPECT_EQ(old->GetFolderRecord().m_nParentId, inboxId);
}
