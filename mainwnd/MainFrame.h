// CMainFrame: the main window (window class "CVMWndClass"). This is the
// frame start-up and shut-down need: the window a second start finds, the
// hand-over message, the status bar and the splash window. The folder tree,
// the lists and the commands of the main window come with their own work.
#pragma once

#include "classlib/ClassLib.h"

class CMainFrame : public CFrameWnd
{
public:
    CMainFrame() = default;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    // The main window's share of the application thread's messages (counts,
    // selection, end of receiving and sending); called by the dispatcher.
    void OnAppThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Asked before the program ends: false keeps it running.
    BOOL CanCloseFrame() { return TRUE; }
    // Saves the window's own state (placement) before the program ends.
    void SaveFrameState();
    // Starts a mail from a command-line text (a mailto address or a file).
    void ComposeFromCommandLine(const char* pszText);
    void SetLogIndicator(BOOL bOn);

    HWND m_hStatusBar = nullptr;

protected:
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    LRESULT OnHandOverRequest(WPARAM, LPARAM);
    void OnAppExit();

    DECLARE_MESSAGE_MAP()
};
