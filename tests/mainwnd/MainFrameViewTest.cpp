// The main window's view commands that need no other window: the time zone
// followed after a time change, and the panes that come back from a
// maximised state when the mail view is switched off.
#include "core/DateTimeUtil.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/QListView.h"
#include "resources/resource.h"
#include "resources/rules/RulesResource.h"
#include "mainwnd/MailViewSeam.h"
#include "resources/viewer/ViewerResource.h"
#include "store/StoreTestUtil.h"
#include "viewer/MailView.h"
#include "viewer/MailViewPane.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class MainFrameViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::InstallMessageBoxRecorder();
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        ASSERT_TRUE(m_app->CreateDefaultMailBox());
        m_frame = new CMainFrame;
        m_app->m_pMainFrame = m_frame;
        ASSERT_TRUE(m_frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
        m_hFrame = m_frame->m_hWnd;
        m_frame->ShowWindow(SW_SHOWNA);
    }
    void TearDown() override
    {
        if (::IsWindow(m_hFrame))
            ::DestroyWindow(m_hFrame);
        m_app.reset();
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
    CMainFrame* m_frame = nullptr;
    HWND m_hFrame = nullptr;
};

} // namespace

TEST_F(MainFrameViewTest, ATimeChangeTakesTheZoneAnew)
{
    m_app->m_lTimeZoneBias = 12345;
    ::SendMessageA(m_hFrame, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(m_app->m_lTimeZoneBias, ComputeTimeZoneBias());
}

TEST_F(MainFrameViewTest, SwitchingTheMailViewOffEndsAMaximisedPane)
{
    ASSERT_NE(m_frame->GetMailView(), nullptr);
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_VIEW_MAXIMIZE_LIST, 0);
    EXPECT_TRUE(m_frame->IsListMaximised());
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_VIEW_MAXIMIZE_MAIL_VIEW, 0);
    EXPECT_TRUE(m_frame->IsMailViewMaximised());
    EXPECT_FALSE(m_frame->IsListMaximised());
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_VIEW_MAIL_VIEW, 0);
    EXPECT_EQ(m_frame->GetMailView(), nullptr);
    EXPECT_FALSE(m_frame->IsMailViewMaximised());
    // Without a mail view there is nothing to maximise.
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_VIEW_MAXIMIZE_MAIL_VIEW, 0);
    EXPECT_FALSE(m_frame->IsMailViewMaximised());
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_VIEW_MAIL_VIEW, 0);
    EXPECT_NE(m_frame->GetMailView(), nullptr);
}

TEST_F(MainFrameViewTest, TheMailViewPaneReadsItsSettingsAgainAfterASystemSettingChange)
{
    MailViewSeam& seam = GetMailViewSeam();
    const MailViewSeam saved = seam;
    InstallMailViewPane();
    m_frame->DispMailview(FALSE);
    auto* pane = dynamic_cast<CMailView*>(m_frame->GetMailView());
    ASSERT_NE(pane, nullptr);
    auto subjectTop = [pane] {
        RECT rc = {};
        ::GetWindowRect(pane->GetDlgItemHwnd(IDC_VIEW_SUBJECT_LABEL), &rc);
        ::MapWindowPoints(nullptr, pane->GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
        return rc.top;
    };
    EXPECT_EQ(subjectTop(), 3);
    m_app->WriteProfileInt("Setting", "MailMiniHeader", 1);
    ::SendMessageA(m_hFrame, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(subjectTop(), 20);
    seam = saved;
}
