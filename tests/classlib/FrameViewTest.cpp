// Frames, views, splitters and the update of menus through command routing.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

const UINT ID_TEST_VIEWCMD = 33001;   // handled by the view
const UINT ID_TEST_FRAMECMD = 33002;  // handled by the frame, checked by it
const UINT ID_TEST_NOBODY = 33003;    // handled by nobody
const UINT ID_TEST_GREYABLE = 33004;  // handled by the frame, greyed while it says so

class CCountingView : public CView
{
public:
    int m_nCommands = 0;
    int m_nInitial = 0;
    void OnInitialUpdate() override { m_nInitial++; }

protected:
    void OnViewCmd() { m_nCommands++; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingView, CView)
    ON_COMMAND(ID_TEST_VIEWCMD, OnViewCmd)
END_MESSAGE_MAP()

class CPaperView : public CScrollView
{
public:
    POINT m_originSeen = { -1, -1 };
    void OnDraw(HDC hDC) override { ::GetViewportOrgEx(hDC, &m_originSeen); }
};

class CTestFrame : public CFrameWnd
{
public:
    CSplitterWnd m_split;
    CCountingView* m_pLeft = nullptr;
    CPaperView* m_pRight = nullptr;
    int m_nFrameCommands = 0;
    int m_nGreyableCommands = 0;
    bool m_bGreyed = false;
    int m_nTreeWidth = 120;

    BOOL OnCreateClient(LPCREATESTRUCTA) override
    {
        if (!m_split.CreateStatic(this, 1, 2))
            return FALSE;
        m_pLeft = new CCountingView;
        m_pRight = new CPaperView;
        if (!m_split.CreateView(0, 0, m_pLeft, SIZE{ 100, 100 }) || !m_split.CreateView(0, 1, m_pRight, SIZE{ 100, 100 }))
            return FALSE;
        m_split.SetColumnInfo(0, m_nTreeWidth, 50);
        m_split.RecalcLayout();
        SetActiveView(m_pLeft);
        return TRUE;
    }

protected:
    void OnFrameCmd() { m_nFrameCommands++; }
    void OnUpdateFrameCmd(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); pCmdUI->Enable(TRUE); }
    void OnGreyableCmd() { m_nGreyableCommands++; }
    void OnUpdateGreyableCmd(CCmdUI* pCmdUI) { pCmdUI->Enable(!m_bGreyed); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_COMMAND(ID_TEST_FRAMECMD, OnFrameCmd)
    ON_UPDATE_COMMAND_UI(ID_TEST_FRAMECMD, OnUpdateFrameCmd)
    ON_COMMAND(ID_TEST_GREYABLE, OnGreyableCmd)
    ON_UPDATE_COMMAND_UI(ID_TEST_GREYABLE, OnUpdateGreyableCmd)
END_MESSAGE_MAP()

// A frame made with new deletes itself; the test keeps the window handle.
HWND MakeFrame(CTestFrame* pFrame)
{
    const char* cls = AfxRegisterWndClass("CVMTestFrame", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    if (!pFrame->CreateEx(0, cls, "frame", WS_OVERLAPPEDWINDOW, 10, 10, 600, 400, nullptr, nullptr))
        return nullptr;
    return pFrame->m_hWnd;
}

RECT ChildRect(HWND hParent, HWND hChild)
{
    RECT rc = {};
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

} // namespace

TEST(FrameView, SplitterFillsTheFrameAndGivesColumnsTheirIdealOrMinimumSize)
{
    // Ideal width, then the width the left pane gets: below the minimum it is folded away.
    struct Case { int ideal; int expected; } cases[] = { { 120, 120 }, { -5, 0 }, { 40, 0 }, { 50, 50 } };
    for (const Case& c : cases) {
        auto* pFrame = new CTestFrame;
        pFrame->m_nTreeWidth = c.ideal;
        HWND hFrame = MakeFrame(pFrame);
        ASSERT_NE(hFrame, nullptr);
        pFrame->RecalcLayout();
        RECT client = {};
        ::GetClientRect(hFrame, &client);
        RECT split = ChildRect(hFrame, pFrame->m_split.m_hWnd);
        EXPECT_EQ(split.right - split.left, client.right);
        EXPECT_EQ(split.bottom - split.top, client.bottom);
        int cur = -1, min = -1;
        pFrame->m_split.GetColumnInfo(0, cur, min);
        EXPECT_EQ(cur, c.expected) << "ideal " << c.ideal;
        RECT right = ChildRect(pFrame->m_split.m_hWnd, pFrame->m_pRight->m_hWnd);
        EXPECT_EQ(right.left, c.expected + CSplitterWnd::kSplitterGap);
        EXPECT_EQ(right.right, client.right);
        EXPECT_EQ(pFrame->m_split.GetPane(0, 1), pFrame->m_pRight);
        ::DestroyWindow(hFrame);
    }
}

TEST(FrameView, CommandsGoToTheActiveViewThenTheFrameAndMenusFollowTheUpdateHandlers)
{
    auto* pFrame = new CTestFrame;
    HWND hFrame = MakeFrame(pFrame);
    ASSERT_NE(hFrame, nullptr);
    ::SendMessageA(hFrame, WM_COMMAND, ID_TEST_VIEWCMD, 0);
    ::SendMessageA(hFrame, WM_COMMAND, ID_TEST_FRAMECMD, 0);
    EXPECT_EQ(pFrame->m_pLeft->m_nCommands, 1);
    EXPECT_EQ(pFrame->m_nFrameCommands, 1);
    // Another active view no longer sees the view's command.
    pFrame->SetActiveView(pFrame->m_pRight, FALSE);
    ::SendMessageA(hFrame, WM_COMMAND, ID_TEST_VIEWCMD, 0);
    EXPECT_EQ(pFrame->m_pLeft->m_nCommands, 1);
    pFrame->SetActiveView(pFrame->m_pLeft, FALSE);

    HMENU hPopup = ::CreatePopupMenu();
    ::AppendMenuA(hPopup, MF_STRING | MF_GRAYED, ID_TEST_VIEWCMD, "view");
    ::AppendMenuA(hPopup, MF_STRING | MF_GRAYED, ID_TEST_FRAMECMD, "frame");
    ::AppendMenuA(hPopup, MF_STRING, ID_TEST_NOBODY, "nobody");
    ::SendMessageA(hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
    UINT view = ::GetMenuState(hPopup, 0, MF_BYPOSITION);
    UINT frame = ::GetMenuState(hPopup, 1, MF_BYPOSITION);
    UINT nobody = ::GetMenuState(hPopup, 2, MF_BYPOSITION);
    EXPECT_FALSE(view & MF_GRAYED);  // a command handler alone enables it
    EXPECT_FALSE(frame & MF_GRAYED);
    EXPECT_TRUE(frame & MF_CHECKED);
    EXPECT_TRUE(nobody & MF_GRAYED);
    EXPECT_EQ(pFrame->m_pLeft->m_nCommands, 1);  // asking ran no command
    ::DestroyMenu(hPopup);

    pFrame->m_pLeft->SendMessage(WM_INITIALUPDATE);
    EXPECT_EQ(pFrame->m_pLeft->m_nInitial, 1);
    ::DestroyWindow(hFrame);
}

TEST(FrameView, ScrollViewDrawsAtTheScrollPosition)
{
    auto* pFrame = new CTestFrame;
    HWND hFrame = MakeFrame(pFrame);
    ASSERT_NE(hFrame, nullptr);
    ::ShowWindow(hFrame, SW_SHOWNA);
    CPaperView* pView = pFrame->m_pRight;
    pView->SetScrollSizes(MM_TEXT, SIZE{ 2000, 3000 }, SIZE{ 100, 100 }, SIZE{ 10, 10 });
    pView->SendMessage(WM_VSCROLL, SB_LINEDOWN);
    pView->SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    pView->SendMessage(WM_HSCROLL, SB_LINEDOWN);
    EXPECT_EQ(pView->GetScrollPosition().y, 110);
    EXPECT_EQ(pView->GetScrollPosition().x, 10);
    // Past the end stops where the last page shows the end of the drawing.
    pView->ScrollToPosition(POINT{ 0, 100000 });
    RECT rc = {};
    pView->GetClientRect(&rc);
    EXPECT_EQ(pView->GetScrollPosition().y, 3000 - rc.bottom);
    pView->Invalidate();
    pView->UpdateWindow();
    EXPECT_EQ(pView->m_originSeen.y, -(3000 - rc.bottom));
    ::DestroyWindow(hFrame);
}

namespace {

// A frame whose client area cannot be made; it deletes itself with its window.
class CFailingFrame : public CFrameWnd
{
public:
    explicit CFailingFrame(bool* pDeleted) : m_pDeleted(pDeleted) {}
    ~CFailingFrame() override { *m_pDeleted = true; }
    BOOL OnCreateClient(LPCREATESTRUCTA) override { return FALSE; }

private:
    bool* m_pDeleted;
};

} // namespace

TEST(FrameView, AFrameThatFailsInCreationIsGoneWithoutBeingTouchedAgain)
{
    bool deleted = false;
    auto* pFrame = new CFailingFrame(&deleted);
    const char* cls = AfxRegisterWndClass("CVMTestFrame", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    EXPECT_FALSE(pFrame->CreateEx(0, cls, "frame", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    EXPECT_TRUE(deleted);
}

namespace {

const UINT WM_TEST_THREAD_NOTE = WM_APP + 60;
const UINT WM_TEST_THREAD_STOP = WM_APP + 61;

// A main window that counts the thread's window-less messages it is offered.
class CNotedWnd : public CWnd
{
public:
    std::atomic<int>* m_pSeen = nullptr;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (!pMsg->hwnd && pMsg->message == WM_TEST_THREAD_NOTE) {
            (*m_pSeen)++;
            return TRUE;
        }
        return FALSE;
    }
};

class CMainWindowThread : public CWinThread
{
public:
    CMainWindowThread() { m_bAutoDelete = FALSE; }
    std::atomic<int> m_nSeen{ 0 };
    std::atomic<bool> m_bReady{ false };
    BOOL InitInstance() override
    {
        m_wnd.m_pSeen = &m_nSeen;
        const char* cls = AfxRegisterWndClass("CVMTestNotedWnd", 0);
        if (!m_wnd.CreateEx(0, cls, "noted", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
            return FALSE;
        m_pMainWnd = &m_wnd;
        m_bReady = true;
        return TRUE;
    }
    int ExitInstance() override
    {
        m_pMainWnd = nullptr;
        m_wnd.DestroyWindow();
        return CWinThread::ExitInstance();
    }

protected:
    void OnStop(WPARAM, LPARAM) { PostQuitMessage(0); }
    DECLARE_MESSAGE_MAP()

private:
    CNotedWnd m_wnd;
};

BEGIN_MESSAGE_MAP(CMainWindowThread, CWinThread)
    ON_THREAD_MESSAGE(WM_TEST_THREAD_STOP, OnStop)
END_MESSAGE_MAP()

} // namespace

TEST(FrameView, TheMainWindowSeesTheThreadsOwnMessagesNoMapTook)
{
    CMainWindowThread thread;
    ASSERT_TRUE(thread.CreateThread());
    DWORD start = GetTickCount();
    while (!thread.m_bReady && GetTickCount() - start < 10000)
        Sleep(10);
    ASSERT_TRUE(thread.m_bReady);
    thread.PostThreadMessage(WM_TEST_THREAD_NOTE, 0, 0);
    thread.PostThreadMessage(WM_TEST_THREAD_NOTE, 0, 0);
    thread.PostThreadMessage(WM_TEST_THREAD_STOP, 0, 0);
    EXPECT_EQ(WaitForSingleObject(thread.m_hThread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(thread.m_nSeen, 2);
}

// A key or a menu (no control in lParam) runs a command only while its
// update handler leaves it enabled, as the system drops the key of a greyed
// menu item; commands nobody greys run as before.
TEST(FrameView, GreyedCommandDoesNotRunFromAKeyOrMenu)
{
    auto* pFrame = new CTestFrame;
    HWND hFrame = MakeFrame(pFrame);
    ASSERT_NE(hFrame, nullptr);
    struct Case
    {
        bool greyed;
        WPARAM wParam;  // code 1 for a key, 0 for a menu
        int runs;
    } cases[] = { { false, MAKEWPARAM(ID_TEST_GREYABLE, 1), 1 }, { true, MAKEWPARAM(ID_TEST_GREYABLE, 1), 0 },
                  { true, MAKEWPARAM(ID_TEST_GREYABLE, 0), 0 }, { false, MAKEWPARAM(ID_TEST_GREYABLE, 0), 1 } };
    for (const Case& c : cases) {
        pFrame->m_bGreyed = c.greyed;
        int before = pFrame->m_nGreyableCommands;
        ::SendMessageA(hFrame, WM_COMMAND, c.wParam, 0);
        EXPECT_EQ(pFrame->m_nGreyableCommands - before, c.runs) << c.greyed << " " << HIWORD(c.wParam);
    }
    // Without an update handler, and through the view: not greyed.
    int viewBefore = pFrame->m_pLeft->m_nCommands;
    ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_TEST_VIEWCMD, 1), 0);
    EXPECT_EQ(pFrame->m_pLeft->m_nCommands, viewBefore + 1);
    ::DestroyWindow(hFrame);
}
