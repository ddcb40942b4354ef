// The main window counts each receive's new mail once: the tray's count
// after two receives is the sum of their mails, and the new mails filed by
// the receives are what the notification window lists.
#include "mainwnd/MainFrame.h"
#include "mainwnd/NotifyMailData.h"
#include "resources/resource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

TEST(NewMailCount, EachReceiveIsCountedOnceAndItsMailsListed)
{
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::TempDir dir;
    auto* app = new StoreTest::TestApp(dir.Path());
    ASSERT_TRUE(app->CreateDefaultMailBox());
    auto* frame = new CMainFrame;
    app->m_pMainFrame = frame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
    HWND hFrame = frame->m_hWnd;
    CMainFrame::GetNotifyMailData().Clear();
    const int inbox = app->GetDefaultFolderId(1);
    auto post = [&](UINT message, WPARAM wParam, LPARAM lParam) {
        MSG msg = {};
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        EXPECT_TRUE(app->DispatchThreadMessage(&msg));
    };
    // First receive: two mails filed (indexes 0 and 1), the session ends with 2.
    post(1346, 1, inbox);
    post(1346, 2, inbox);
    post(1355, 2, 0);
    post(1440, 0, 0);
    EXPECT_EQ(frame->m_tray.GetNewMailCount(), 2);
    // Second receive: one more.
    post(1346, 3, inbox);
    post(1355, 1, 0);
    post(1440, 0, 0);
    EXPECT_EQ(frame->m_tray.GetNewMailCount(), 3);
    std::vector<NotifyFolderEntry> entries = CNotifyMailData::GroupByFolder(CMainFrame::GetNotifyMailData().GetNewMails());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].nFolderId, inbox);
    EXPECT_EQ(entries[0].nNewMails, 3);
    // A refresh of the list without a mail (wParam 0) is no new mail.
    post(1346, 0, inbox);
    EXPECT_EQ(CMainFrame::GetNotifyMailData().GetNewMails().size(), 3u);
    // Seen: the count starts again.
    frame->ResetTrayIcon();
    post(1355, 1, 0);
    post(1440, 0, 0);
    EXPECT_EQ(frame->m_tray.GetNewMailCount(), 1);

    CMainFrame::GetNotifyMailData().Clear();
    ::DestroyWindow(hFrame);
    delete app;
}
