// Helpers of the control and dialog tests: an application object on a
// settings file, a host window that records what its children send it, pixel
// probes and screenshots, and a driver thread for modal dialogs.
#pragma once

#include "core/QuendalApp.h"
#include "support/TestSupport.h"

#include <functional>
#include <vector>

namespace UiTest {

struct App : CQuendalApp
{
    explicit App(const CString& ini) { SetProfileFileMode(ini); }
    ~App() override { m_bFileMode = 0; }
    void ForceOSVersionType(int n) { m_nOSVersionType = n; }
};

struct Received
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A top-level window that hosts controls and records the messages it gets.
class CHostWnd : public CWnd
{
public:
    CHostWnd();
    ~CHostWnd() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // Commands are recorded after the controls had their share of them.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    std::vector<Received> Take(UINT message);
    // Creates a child control of a system class.
    HWND CreateChild(const char* className, DWORD style, int x, int y, int cx, int cy, int id, const char* text = "");

    std::vector<Received> m_received;
};

// Dispatches this thread's messages for the time given.
void Pump(DWORD ms);
COLORREF Pixel(HWND hWnd, int x, int y);
// Saves the window's picture as NAME.bmp in the working folder.
void SaveScreenshot(HWND hWnd, const char* name);

// Runs the dialog modally while drive() works on it from another thread;
// drive gets the dialog's window (null when it never showed up).
INT_PTR RunModal(CDialog& dlg, const char* caption, const std::function<void(HWND)>& drive);
HWND WaitForDialog(DWORD threadId, const char* caption, DWORD timeoutMs);
// One click of a dialog button, handled before it returns.
void Click(HWND hDlg, int id);

} // namespace UiTest
