// The hang-up countdown dialog as a user sees it: a real window (under Xvfb),
// watched and clicked from a second thread while DoModal runs here.
#include "support/TestSupport.h"

#include "net/DlgHangUpCountdown.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kCaption[] = "ダイアルアップの切断";

class Observer
{
public:
    // nClickAfter: after seeing that many numbers, press the button nButton (0: never press).
    Observer(int nButton, size_t nClickAfter) : m_nButton(nButton), m_nClickAfter(nClickAfter)
    {
        m_thread = std::thread([this] { Run(); });
    }
    ~Observer()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::vector<std::string> Numbers()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_numbers;
    }
    std::vector<std::string> m_texts;
    // When the dialog was first seen and when it went away. Measured here
    // rather than around DoModal: without a window manager Wine takes a while
    // to withdraw a hidden window from the X server.
    DWORD m_shownAt = 0;
    DWORD m_closedAt = 0;
    DWORD ShownFor()
    {
        Numbers();
        return m_closedAt - m_shownAt;
    }

private:
    void Run()
    {
        HWND hDlg = nullptr;
        // Looks until DoModal has returned: the first window of a process can
        // be slow to come. The window is there before its controls; it is
        // shown once it is complete.
        while (!m_stop && !hDlg) {
            hDlg = FindWindowA(MAKEINTATOM(32770), kCaption);
            if (hDlg && !IsWindowVisible(hDlg))
                hDlg = nullptr;
            if (!hDlg)
                Sleep(10);
        }
        if (!hDlg)
            return;
        m_shownAt = GetTickCount();
        EnumChildWindows(hDlg, CollectText, reinterpret_cast<LPARAM>(&m_texts));
        while (!m_stop && IsWindow(hDlg) && IsWindowVisible(hDlg)) {
            char text[32] = "";
            GetDlgItemTextA(hDlg, CDlgHangUpCountdown::kIdcSeconds, text, sizeof(text));
            if (text[0] && (m_numbers.empty() || m_numbers.back() != text))
                m_numbers.push_back(text);
            if (m_nButton && m_numbers.size() >= m_nClickAfter) {
                PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(m_nButton, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(hDlg, m_nButton)));
                m_nButton = 0;
            }
            Sleep(20);
        }
        m_closedAt = GetTickCount();
    }
    static BOOL CALLBACK CollectText(HWND hWnd, LPARAM lParam)
    {
        char text[128] = "";
        GetWindowTextA(hWnd, text, sizeof(text));
        reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(text);
        return TRUE;
    }

    int m_nButton;
    size_t m_nClickAfter;
    std::atomic<bool> m_stop{false};
    std::vector<std::string> m_numbers;
    std::thread m_thread;
};

TEST(HangUpCountdown, CountsDownOncePerSecondAndClosesAsOkAfterZero)
{
    Observer observer(0, 0);
    CDlgHangUpCountdown dialog(2, nullptr);
    EXPECT_EQ(IDOK, dialog.DoModal());
    DWORD elapsed = observer.ShownFor();
    EXPECT_EQ((std::vector<std::string>{"2", "1", "0"}), observer.Numbers());
    // Two ticks count down, the third finds 0 and closes.
    EXPECT_GE(elapsed, 2700u);
    EXPECT_LT(elapsed, 4500u);
    std::vector<std::string> expected = {"ダイアルアップ接続を切断しますか？", "切断するまであと", "2", "秒", "OK",
                                         "ｷｬﾝｾﾙ"};
    EXPECT_EQ(expected, observer.m_texts);
}

TEST(HangUpCountdown, StartedAtZeroClosesAsOkAtTheFirstTick)
{
    Observer observer(0, 0);
    CDlgHangUpCountdown dialog(0, nullptr);
    EXPECT_EQ(IDOK, dialog.DoModal());
    DWORD elapsed = observer.ShownFor();
    EXPECT_EQ((std::vector<std::string>{"0"}), observer.Numbers());
    EXPECT_GE(elapsed, 700u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(HangUpCountdown, ButtonsCloseAtOnce)
{
    struct Case
    {
        int button;
        INT_PTR result;
    } cases[] = {{IDCANCEL, IDCANCEL}, {IDOK, IDOK}};
    for (const Case& c : cases) {
        Observer observer(c.button, 1);
        CDlgHangUpCountdown dialog(30, nullptr);
        EXPECT_EQ(c.result, dialog.DoModal()) << c.button;
        EXPECT_LT(observer.ShownFor(), 900u) << c.button;
        EXPECT_EQ((std::vector<std::string>{"30"}), observer.Numbers()) << c.button;
    }
}

} // namespace
