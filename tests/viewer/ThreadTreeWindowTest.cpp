// Mails dropped on a thread tree window join the thread under the item they
// land on: under a mail they answer it, on the top item they answer what
// the thread's first mail answers (a new thread id when it answers
// nothing). The tree shows them at once and the folder's index keeps them.
#include "viewer/ReferenceMailTreeFrame.h"
#include "viewer/ReferenceMailTreeThread.h"

#include "core/ThreadEntry.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct TreeRow
{
    int depth;
    int mail;
    HTREEITEM item;
};

void ReadRows(HWND tree, HTREEITEM first, int depth, std::vector<TreeRow>& rows)
{
    for (HTREEITEM h = first; h; h = TreeView_GetNextSibling(tree, h)) {
        TVITEMA item = {};
        item.mask = TVIF_PARAM;
        item.hItem = h;
        TreeView_GetItem(tree, &item);
        rows.push_back({depth, static_cast<int>(item.lParam), h});
        ReadRows(tree, TreeView_GetChild(tree, h), depth + 1, rows);
    }
}

BOOL CALLBACK FindTree(HWND hWnd, LPARAM lParam)
{
    char cls[64] = {};
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (lstrcmpA(cls, WC_TREEVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

class ThreadTreeWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CFolderRecord r;
        r.m_nId = 1;
        r.m_nKind = 1;
        r.m_strName = "In";
        r.m_strPath = m_dir.File("In.Box");
        CreateDirectoryA(r.m_strPath, nullptr);
        m_inbox = m_app.AddFolder(0, 0, nullptr, r);
        m_inbox->LoadIndex();
        // 0 A, 1 B answering A, 2 X and 3 Y answering nothing.
        const char* mails[][3] = {{"A", "<a@x>", ""}, {"B", "<b@x>", "<a@x>"}, {"X", "<x@x>", ""}, {"Y", "<y@x>", ""}};
        for (auto& m : mails)
            ASSERT_EQ(StoreTest::FileMail(*m_inbox, m_dir.Path(), "m.eml", StoreTest::SimpleMail(m[0], m[1], m[2])), 1);
        ASSERT_TRUE(CReferenceMailTreeThread::Start(m_inbox, 1));
        ASSERT_EQ(m_app.m_viewThreads.GetSize(), 1);
        auto* entry = static_cast<CThreadEntry*>(m_app.m_viewThreads[0]);
        m_frameWnd = entry->hMainWnd;
        m_frame = static_cast<CReferenceMailTreeFrame*>(entry->pThread->m_pMainWnd);
        DuplicateHandle(GetCurrentProcess(), entry->hThread, GetCurrentProcess(), &m_hThread, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        EnumChildWindows(m_frameWnd, FindTree, reinterpret_cast<LPARAM>(&m_tree));
        ASSERT_NE(m_tree, nullptr);
    }
    void TearDown() override
    {
        if (m_frameWnd && IsWindow(m_frameWnd))
            PostMessageA(m_frameWnd, WM_CLOSE, 0, 0);
        if (m_hThread) {
            for (int i = 0; i < 500 && WaitForSingleObject(m_hThread, 0) != WAIT_OBJECT_0; i++) {
                MSG msg;
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&msg);
                Sleep(10);
            }
            CloseHandle(m_hThread);
        }
    }
    std::vector<TreeRow> Rows()
    {
        std::vector<TreeRow> rows;
        ReadRows(m_tree, TreeView_GetRoot(m_tree), 0, rows);
        return rows;
    }
    // "mail@depth" of every item; the top item is -1.
    std::string Shape()
    {
        std::string s;
        for (const TreeRow& r : Rows())
            s += (s.empty() ? "" : " ") + std::to_string(r.mail) + "@" + std::to_string(r.depth);
        return s;
    }
    POINT PointOf(int mail)
    {
        for (const TreeRow& r : Rows()) {
            if (r.mail != mail)
                continue;
            RECT rc;
            TreeView_GetItemRect(m_tree, r.item, &rc, TRUE);
            POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
            ClientToScreen(m_tree, &pt);
            return pt;
        }
        return POINT{-1, -1};
    }
    std::vector<std::string> StoredRefs()
    {
        CMailFolderStore again;
        StoreTest::OpenStore(again, m_dir.File("In.Box"));
        std::vector<std::string> refs;
        CMailListData* list = again.GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++)
            refs.push_back(list->GetMailRecord(i)->GetText(CMailIndexRecord::colReference).GetString());
        return refs;
    }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp m_app{m_dir.Path()};
    CMailFolderStore* m_inbox = nullptr;
    HWND m_frameWnd = nullptr;
    HWND m_tree = nullptr;
    CReferenceMailTreeFrame* m_frame = nullptr;
    HANDLE m_hThread = nullptr;
};

} // namespace

TEST_F(ThreadTreeWindowTest, DroppedMailsJoinTheThreadAndStayInTheIndex)
{
    EXPECT_EQ(Shape(), "-1@0 0@1 1@2");
    // A mail dragged onto itself is refused; others may land.
    EXPECT_EQ(m_frame->DragOverAt(PointOf(1), {1}, 1), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(m_frame->DragOverAt(PointOf(1), {2}, 1), static_cast<DWORD>(DROPEFFECT_MOVE));
    m_frame->EndDrag();

    // X dropped on B answers B.
    m_frame->DropAt(PointOf(1), {2}, 1);
    EXPECT_EQ(Shape(), "-1@0 0@1 1@2 2@3");
    EXPECT_EQ(StoredRefs()[2], "<b@x>");

    // Y dropped on the top item: A answered nothing, so A and Y both take a
    // new thread id and stand side by side under the top item.
    m_frame->DropAt(PointOf(-1), {3}, 1);
    EXPECT_EQ(Shape(), "-1@0 0@1 1@2 2@3 3@1");
    std::vector<std::string> refs = StoredRefs();
    EXPECT_EQ(refs[0], refs[3]);
    EXPECT_EQ(refs[0].size() > 12 ? refs[0].substr(refs[0].size() - 12) : refs[0], ".MAILTHREAD>");
    EXPECT_EQ(refs[1], "<a@x>");
}
