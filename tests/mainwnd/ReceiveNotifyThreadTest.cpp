// The notification window's thread ends when its window closes; a notice
// that arrives while it is ending must still be shown.
#include "mainwnd/NotifyMailData.h"
#include "mainwnd/ReceiveNotifyThread.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

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

TEST(ReceiveNotifyThread, ANoticeQueuedBehindTheEndOfItsLoopOpensANewWindow)
{
    TestSupport::TempDir dir;
    StoreTest::TestApp app(dir.Path());
    CNotifyMailData data;
    auto* thread = new CReceiveNotifyThread(&data);
    ASSERT_TRUE(thread->CreateThread());
    HANDLE hThread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &hThread, SYNCHRONIZE,
                                FALSE, 0));
    const DWORD id = thread->m_nThreadID;

    // The end of the loop (what a closing window posts) with a notice right behind it.
    ASSERT_TRUE(PostThreadMessageA(id, WM_QUIT, 0, 0));
    ASSERT_TRUE(PostThreadMessageA(id, CReceiveNotifyThread::msgShowAgain, 0, 0));
    EXPECT_NE(VisibleWindowOf(id, 10000), nullptr);
    EXPECT_EQ(WaitForSingleObject(hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    PostThreadMessageA(id, WM_QUIT, 0, 0);
    EXPECT_EQ(WaitForSingleObject(hThread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(hThread);
}
