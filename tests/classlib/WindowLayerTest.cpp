// Message maps, UI threads and dialogs of the class layer's window part.
#include "resources/resource.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const UINT WM_TEST_VALUE = WM_APP + 1;

class CRoutedWnd : public CWnd
{
public:
    int m_nCommand = 0;
    UINT m_nRangeId = 0;

protected:
    LRESULT OnTestValue(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    void OnCommand100() { m_nCommand++; }
    void OnRange(UINT nID) { m_nRangeId = nID; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRoutedWnd, CWnd)
    ON_MESSAGE(WM_TEST_VALUE, OnTestValue)
    ON_COMMAND(100, OnCommand100)
    ON_COMMAND_RANGE(200, 210, OnRange)
END_MESSAGE_MAP()

} // namespace

TEST(WindowLayer, MessageMapRoutesMessagesAndCommandsAndLeavesTheRestToTheWindow)
{
    CRoutedWnd wnd;
    const char* cls = AfxRegisterWndClass("CVMTestRoutedWnd", 0);
    ASSERT_TRUE(wnd.CreateEx(0, cls, "表示テスト", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.SendMessage(WM_TEST_VALUE, 40, 2), 42);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(205, 1), 0);  // an accelerator
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(211, 0), 0);  // outside the range: nobody
    EXPECT_EQ(wnd.m_nCommand, 1);
    EXPECT_EQ(wnd.m_nRangeId, 205u);
    EXPECT_EQ(wnd.GetWindowText(), CString("表示テスト"));
    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

namespace {

const UINT WM_TICK = WM_APP + 10;
const UINT WM_RUN_DIALOG = WM_APP + 11;
const UINT WM_END_DIALOG = WM_APP + 12;
const UINT WM_RUN_MESSAGEBOX = WM_APP + 13;
const UINT WM_END_MESSAGEBOX = WM_APP + 14;
const UINT WM_STOP = WM_APP + 15;

// A UI thread whose thread messages arrive while it sits in a modal dialog
// of our own and in the system's message box loop.
class CModalThread : public CWinThread
{
public:
    CModalThread() { m_bAutoDelete = FALSE; }
    BOOL InitInstance() override { return TRUE; }

    std::atomic<int> m_nTicks{ 0 };
    std::atomic<int> m_nTicksInDialog{ 0 };
    std::atomic<int> m_nTicksInMessageBox{ 0 };
    std::atomic<bool> m_bDialogUp{ false };
    std::atomic<bool> m_bMessageBoxUp{ false };
    INT_PTR m_nDialogResult = 0;

protected:
    void OnTick(WPARAM, LPARAM)
    {
        m_nTicks++;
        if (m_pDialog)
            m_nTicksInDialog++;
        if (m_bMessageBoxUp)
            m_nTicksInMessageBox++;
    }
    void OnRunDialog(WPARAM, LPARAM)
    {
        CDialog dlg(IDD_INPUT_PASSWORD);
        m_pDialog = &dlg;
        m_bDialogUp = true;
        m_nDialogResult = dlg.DoModal();
        m_bDialogUp = false;
        m_pDialog = nullptr;
    }
    void OnEndDialog(WPARAM, LPARAM)
    {
        if (m_pDialog)
            m_pDialog->EndDialog(IDCANCEL);
    }
    void OnRunMessageBox(WPARAM, LPARAM)
    {
        m_bMessageBoxUp = true;
        MessageBoxA(nullptr, "テスト", "CVMTestBox", MB_OK);
        m_bMessageBoxUp = false;
    }
    void OnEndMessageBox(WPARAM, LPARAM)
    {
        if (HWND box = FindWindowA("#32770", "CVMTestBox"))
            EndDialog(box, IDOK);
    }
    void OnStop(WPARAM, LPARAM) { PostQuitMessage(0); }

    DECLARE_MESSAGE_MAP()

private:
    CDialog* m_pDialog = nullptr;
};

BEGIN_MESSAGE_MAP(CModalThread, CWinThread)
    ON_THREAD_MESSAGE(WM_TICK, OnTick)
    ON_THREAD_MESSAGE(WM_RUN_DIALOG, OnRunDialog)
    ON_THREAD_MESSAGE(WM_END_DIALOG, OnEndDialog)
    ON_THREAD_MESSAGE(WM_RUN_MESSAGEBOX, OnRunMessageBox)
    ON_THREAD_MESSAGE(WM_END_MESSAGEBOX, OnEndMessageBox)
    ON_THREAD_MESSAGE(WM_STOP, OnStop)
END_MESSAGE_MAP()

template <class Pred>
bool WaitFor(Pred pred, DWORD ms = 10000)
{
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(10);
    }
    return true;
}

} // namespace

TEST(WindowLayer, ThreadMessagesReachTheThreadWhileAModalDialogOrMessageBoxRuns)
{
    CModalThread thread;
    ASSERT_TRUE(thread.CreateThread());

    thread.PostThreadMessage(WM_TICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return thread.m_nTicks == 1; }));

    // Our own modal loop.
    thread.PostThreadMessage(WM_RUN_DIALOG, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return thread.m_bDialogUp.load(); }));
    for (int i = 0; i < 5; i++)
        thread.PostThreadMessage(WM_TICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return thread.m_nTicksInDialog == 5; }));
    thread.PostThreadMessage(WM_END_DIALOG, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !thread.m_bDialogUp; }));
    EXPECT_EQ(thread.m_nDialogResult, IDCANCEL);

    // The system's loop of a message box.
    thread.PostThreadMessage(WM_RUN_MESSAGEBOX, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return FindWindowA("#32770", "CVMTestBox") != nullptr; }));
    for (int i = 0; i < 3; i++)
        thread.PostThreadMessage(WM_TICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return thread.m_nTicksInMessageBox == 3; }));
    thread.PostThreadMessage(WM_END_MESSAGEBOX, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !thread.m_bMessageBoxUp; }));

    thread.PostThreadMessage(WM_STOP, 0, 0);
    EXPECT_EQ(WaitForSingleObject(thread.m_hThread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(thread.m_nTicks, 9);
}

namespace {

const UINT WM_FILL_AND_OK = WM_APP + 20;

class CExchangeDialog : public CDialog
{
public:
    CExchangeDialog() : CDialog(IDD_INPUT_PASSWORD) {}

    CString m_strText = "初期値";
    int m_bCheck = 0;
    CString m_strSeenAtInit;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_PASSWORD, m_strText);
        DDV_MaxChars(pDX, m_strText, 14);
        DDX_Check(pDX, IDC_SAVE_PASSWORD, m_bCheck);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_strSeenAtInit = GetDlgItemText(IDC_PASSWORD);
        PostMessage(WM_FILL_AND_OK);
        return TRUE;
    }
    LRESULT OnFillAndOk(WPARAM, LPARAM)
    {
        SetDlgItemText(IDC_PASSWORD, "ソ表示の値");
        CheckDlgButton(IDC_SAVE_PASSWORD, BST_CHECKED);
        SendMessage(WM_COMMAND, IDOK);
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CExchangeDialog, CDialog)
    ON_MESSAGE(WM_FILL_AND_OK, OnFillAndOk)
END_MESSAGE_MAP()

} // namespace

TEST(WindowLayer, DialogFillsControlsFromMembersAndReadsThemBackOnOk)
{
    CExchangeDialog dlg;
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strSeenAtInit, CString("初期値"));
    EXPECT_EQ(dlg.m_bCheck, 1);
    EXPECT_EQ(dlg.m_strText, CString("ソ表示の値"));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(WindowLayer, CommandLineRecordTakesTheFirstFileAndPrintRequests)
{
    struct Case
    {
        std::vector<std::pair<const char*, BOOL>> params;
        int command;
        const char* file;
    } cases[] = {
        { {}, CCommandLineInfo::FileNew, "" },
        { { { "a.eml", FALSE } }, CCommandLineInfo::FileOpen, "a.eml" },
        { { { "p", TRUE }, { "a.eml", FALSE } }, CCommandLineInfo::FilePrint, "a.eml" },
        { { { "x", TRUE }, { "a.eml", FALSE }, { "b.eml", FALSE } }, CCommandLineInfo::FileOpen, "a.eml" },
    };
    for (const Case& c : cases) {
        CCommandLineInfo info;
        for (size_t i = 0; i < c.params.size(); i++)
            info.ParseParam(c.params[i].first, c.params[i].second, i + 1 == c.params.size());
        EXPECT_EQ(info.m_nShellCommand, c.command);
        EXPECT_EQ(info.m_strFileName, CString(c.file));
    }
}
