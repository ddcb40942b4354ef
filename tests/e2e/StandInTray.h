// A stand-in for the notification area: a window of the shell's tray class
// in the test process, on a thread of its own, takes the icon requests the
// program sends to the shell (which arrive as WM_COPYDATA), so that a test
// sees which icon the program shows there. The display has no notification
// area a test could read otherwise.
#pragma once

#include <windows.h>

#include <mutex>
#include <thread>
#include <vector>

namespace E2e {

class CStandInTray
{
public:
    CStandInTray();
    CStandInTray(const CStandInTray&) = delete;
    CStandInTray& operator=(const CStandInTray&) = delete;
    ~CStandInTray();
    bool IsReady() const { return m_hWnd != nullptr; }

    // Asks the program's main window to put its icon here, as after a
    // restart of the shell.
    void TakeOver(HWND hMain) const;
    // The icon the window's last request showed is hIcon (compared by its
    // pixels, as the request carries them).
    bool Shows(HWND hOwner, HICON hIcon) const;
    // Whether any request since the last Clear showed hIcon.
    bool HasShown(HWND hOwner, HICON hIcon) const;
    void Clear();

private:
    struct Request
    {
        LONG owner;  // the first field of every request: the owner window
        std::vector<BYTE> data;
    };
    void Run();
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool Carries(const Request& request, HICON hIcon);
    std::vector<Request> RequestsOf(HWND hOwner) const;

    std::thread m_thread;
    HWND m_hWnd = nullptr;
    HANDLE m_hReady = nullptr;
    mutable std::mutex m_lock;
    std::vector<Request> m_requests;
};

} // namespace E2e
