// The notification window's thread ends when its window closes; a notice
// that arrives while it is ending must still be shown.
#include "mainwnd/NotifyMailData.h"
#include "mainwnd/ReceiveNotifyThread.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

BOOL CALLBACK FindVisible(HWND hWnd, LPARAM lParam)
{
    if (!IsWindowVisible(hWnd))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

HWND VisibleWindowOf(DWORD thread, DWORD timeoutMs)
{
    HWND found = nullptr;
    for (DWORD start = GetTickCount(); !found && GetTickCount() - start < timeoutMs; Sleep(50))
        EnumThreadWindows(thread, FindVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

class ReceiveNotifyThread : public ::testing::Test
{
protected:
    // Starts the thread, which deletes itself when it ends.
    void Start()
    {
        auto* thread = new CReceiveNotifyThread(&m_data);
        ASSERT_TRUE(thread->CreateThread());
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &m_hThread,
                                    SYNCHRONIZE, FALSE, 0));
        m_id = thread->m_nThreadID;
    }

    // The thread ends when it is told to.
    void TearDown() override
    {
        if (!m_hThread)
            return;
        PostThreadMessageA(m_id, WM_QUIT, 0, 0);
        EXPECT_EQ(WaitForSingleObject(m_hThread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
        CloseHandle(m_hThread);
    }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp m_app{ m_dir.Path() };
    CNotifyMailData m_data;
    HANDLE m_hThread = nullptr;
    DWORD m_id = 0;
};

TEST_F(ReceiveNotifyThread, ANoticeQueuedBehindTheEndOfItsLoopOpensANewWindow)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const DWORD id = m_id;

    // The end of the loop (what a closing window posts) with a notice right behind it.
    ASSERT_TRUE(PostThreadMessageA(id, WM_QUIT, 0, 0));
    ASSERT_TRUE(PostThreadMessageA(id, CReceiveNotifyThread::msgShowAgain, 0, 0));
    EXPECT_NE(VisibleWindowOf(id, 10000), nullptr);
    EXPECT_EQ(WaitForSingleObject(m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(ReceiveNotifyThread, ANoticeWhileTheWindowClosesOpensANewWindowAfterIt)
{
    m_app.WriteProfileInt("Window", "NotifyUserWindowOpenTime", 1);
    ASSERT_NO_FATAL_FAILURE(Start());
    const DWORD id = m_id;
    ASSERT_TRUE(PostThreadMessageA(id, CReceiveNotifyThread::msgShow, 0, 0));
    HWND first = VisibleWindowOf(id, 10000);
    ASSERT_NE(first, nullptr);

    // The window reaches its full height, then begins to shrink once its
    // second is up: the notice comes then.
    auto height = [first] {
        RECT rc = {};
        return GetWindowRect(first, &rc) ? static_cast<int>(rc.bottom - rc.top) : 0;
    };
    int full = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000 && (full == 0 || height() >= full); Sleep(1))
        full = std::max(full, height());
    ASSERT_GT(full, 0);
    ASSERT_LT(height(), full);
    ASSERT_TRUE(PostThreadMessageA(id, CReceiveNotifyThread::msgShowAgain, 0, 0));

    // The closing window goes; a new one shows the notice.
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000 && IsWindow(first); Sleep(20)) {
    }
    EXPECT_NE(VisibleWindowOf(id, 5000), nullptr);
    EXPECT_EQ(WaitForSingleObject(m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}
