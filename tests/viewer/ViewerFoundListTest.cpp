// A viewer opened from a list of found mails (the search window's): it
// walks that list's rows, and deleting a mail goes through the trash as the
// mail list's delete does, removes the row and shows the mail that takes
// its place; a copy to the trash that fails keeps the mail.
#include "viewer/MailViewerOpen.h"
#include "viewer/MailViewerThread.h"

#include "core/PostedObjectTable.h"
#include "core/ThreadEntry.h"
#include "mainwnd/MailObjectBlock.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

using StoreTest::Folder;

namespace {

// Answers the viewer's question for a row: the row's item data is the mail
// index of folder 1.
LRESULT CALLBACK FoundListProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_QD_FOUND_MAIL_AT) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = static_cast<int>(wParam);
        if (!ListView_GetItem(hWnd, &item))
            return 0;
        std::shared_ptr<MailObjectBlock::MailRef> ref =
            CPostedObjectTable::Instance().Take<MailObjectBlock::MailRef>(message, lParam);
        if (!ref)
            return 0;
        ref->nFolderId = 1;
        ref->nIndex = static_cast<int>(item.lParam);
        return 1;
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

class ViewerFoundListTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        bool brokenTrash = GetParam();
        CreateDirectoryA(m_dir.File("In.Box"), nullptr);
        m_inbox = m_app.AddFolder(0, 0, nullptr, Folder(1, 1, m_dir.File("In.Box")));
        if (brokenTrash)
            TestSupport::WriteFileBytes(m_dir.File("Trash.Box"), "not a folder");
        else
            CreateDirectoryA(m_dir.File("Trash.Box"), nullptr);
        m_trash = m_app.AddFolder(0, 0, nullptr, Folder(3, 4, m_dir.File("Trash.Box")));
        m_inbox->LoadIndex();
        const char* subjects[] = {"a", "b", "c"};
        for (int i = 0; i < 3; i++)
            ASSERT_EQ(StoreTest::FileMail(*m_inbox, m_dir.Path(), "m.eml",
                                          StoreTest::SimpleMail(subjects[i], FormatString("<%d@x>", i).Str())),
                      1);
        // The found rows: c, a, b.
        m_list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 200, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_list, nullptr);
        SetWindowSubclass(m_list, FoundListProc, 1, 0);
        LVCOLUMNA col = {};
        col.mask = LVCF_WIDTH;
        col.cx = 100;
        ListView_InsertColumn(m_list, 0, &col);
        int order[] = {2, 0, 1};
        for (int row = 0; row < 3; row++) {
            LVITEMA item = {};
            item.mask = LVIF_PARAM | LVIF_TEXT;
            item.iItem = row;
            item.pszText = const_cast<char*>(subjects[order[row]]);
            item.lParam = order[row];
            ListView_InsertItem(m_list, &item);
        }
        ListView_SetItemState(m_list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    void TearDown() override
    {
        if (m_viewer && IsWindow(m_viewer))
            PostMessageA(m_viewer, WM_CLOSE, 0, 0);
        if (m_hThread) {
            Pump([&] { return WaitForSingleObject(m_hThread, 0) == WAIT_OBJECT_0; });
            CloseHandle(m_hThread);
        }
        if (m_list)
            DestroyWindow(m_list);
    }
    // Serves the messages the viewer sends to this thread until done.
    static bool Pump(const std::function<bool()>& done, DWORD ms = 10000)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
            if (done())
                return true;
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(10);
        }
        return done();
    }
    void OpenViewer(int nIndex)
    {
        ASSERT_TRUE(CMailViewerThread::StartViewer(m_inbox, nIndex, m_list));
        ASSERT_EQ(m_app.m_viewThreads.GetSize(), 1);
        auto* entry = static_cast<CThreadEntry*>(m_app.m_viewThreads[0]);
        m_viewer = entry->hMainWnd;
        DuplicateHandle(GetCurrentProcess(), entry->hThread, GetCurrentProcess(), &m_hThread, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }
    CString Caption() const
    {
        char text[64] = {};
        // Sent to another thread: this one keeps serving the viewer meanwhile.
        DWORD_PTR n = 0;
        SendMessageTimeoutA(m_viewer, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000, &n);
        return text;
    }
    void Command(UINT id) { PostMessageA(m_viewer, WM_COMMAND, id, 0); }
    bool Live(int nIndex) { return !m_inbox->GetRecord(nIndex)->m_bDeleted; }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp m_app{m_dir.Path()};
    CMailFolderStore* m_inbox = nullptr;
    CMailFolderStore* m_trash = nullptr;
    HWND m_list = nullptr;
    HWND m_viewer = nullptr;
    HANDLE m_hThread = nullptr;
};

} // namespace

TEST_P(ViewerFoundListTest, WalksTheRowsAndDeletesThroughTheTrash)
{
    bool brokenTrash = GetParam();
    ASSERT_NO_FATAL_FAILURE(OpenViewer(0));
    ASSERT_NE(m_viewer, nullptr);
    EXPECT_TRUE(Pump([&] { return Caption() == "a"; }));

    // Next and previous follow the found rows, and stop at either end.
    Command(ID_VIEWER_NEXT_MAIL);
    EXPECT_TRUE(Pump([&] { return Caption() == "b"; }));
    EXPECT_EQ(ListView_GetNextItem(m_list, -1, LVNI_SELECTED), 2);
    Command(ID_VIEWER_NEXT_MAIL);
    Pump([] { return false; }, 300);
    EXPECT_EQ(Caption(), CString("b"));
    Command(ID_VIEWER_PREV_MAIL);
    EXPECT_TRUE(Pump([&] { return Caption() == "a"; }));

    Command(ID_VIEWER_DELETE);
    if (brokenTrash) {
        // The copy could not be made: the mail stays, with its row.
        Pump([] { return false; }, 500);
        EXPECT_TRUE(Live(0));
        EXPECT_EQ(ListView_GetItemCount(m_list), 3);
        EXPECT_EQ(Caption(), CString("a"));
        return;
    }
    // The row goes, the row now in its place is shown, and the mail is in
    // the trash as well as marked deleted in its folder.
    EXPECT_TRUE(Pump([&] { return ListView_GetItemCount(m_list) == 2 && Caption() == "b"; }));
    EXPECT_FALSE(Live(0));
    EXPECT_EQ(ListView_GetNextItem(m_list, -1, LVNI_SELECTED), 1);
    CMailListData* trash = m_trash->GetMailList();
    ASSERT_NE(trash, nullptr);
    ASSERT_EQ(trash->GetMailCount(), 1);
    EXPECT_EQ(trash->GetMailRecord(0)->GetText(CMailIndexRecord::colSubject), CString("a"));

    // Deleting the last rows closes the viewer.
    Command(ID_VIEWER_DELETE);
    EXPECT_TRUE(Pump([&] { return ListView_GetItemCount(m_list) == 1; }));
    Command(ID_VIEWER_DELETE);
    EXPECT_TRUE(Pump([&] { return !IsWindow(m_viewer); }));
    EXPECT_EQ(ListView_GetItemCount(m_list), 0);
    EXPECT_EQ(m_trash->GetMailList()->GetMailCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(Trash, ViewerFoundListTest, ::testing::Values(false, true));
