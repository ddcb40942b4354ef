// CNotifyUserWnd: the small window that slides in at the edge of the screen
// when new mail has arrived. It lists the folders that received mail with
// their counts; a click on a folder shows it in the main window, the
// context menu of a folder lists its new mails, and two links bring the
// main window to the front or close the window. It lives on the
// notification thread; a worker of its own opens it, keeps it for the
// display time and closes it again.
#pragma once

#include "classlib/ClassLib.h"
#include "mainwnd/NotifyMailData.h"
#include "mainwnd/OwnerDrawMenu.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class CNotifyUserWnd : public CWnd
{
public:
    explicit CNotifyUserWnd(CNotifyMailData* pData);
    ~CNotifyUserWnd() override;

    // Creates and shows the window; nothing while it exists.
    BOOL CreateNotifyWindow();
    // More mail arrived while it is shown: the display time starts again.
    // False when the window has already begun to close; the caller then
    // opens a new one once it has gone.
    bool Restart();

    // The window's caption; the tests find it by this text.
    static const char kCaption[];

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override {}

private:
    enum Hover { hoverNone, hoverFront, hoverClose };
    struct Row
    {
        RECT rc;
        BOOL bHover;
    };

    void Layout();
    void Paint(HDC hdc);
    void OnMouseMove(POINT pt);
    void OnLButtonDown(POINT pt);
    void OnContextMenu(POINT ptScreen);
    int RowAt(POINT pt) const;  // the entry under a client point, or -1
    void BringMainWindowToFront();
    void Animate();
    void StopAnimation();

    CNotifyMailData* m_pData;
    std::vector<NotifyFolderEntry> m_entries;
    CString m_strTitle, m_strFront, m_strClose;
    HFONT m_hBoldFont = nullptr, m_hLinkFont = nullptr;
    HBITMAP m_hPicture = nullptr;
    COLORREF m_color1 = 0, m_color2 = 0xFF0000;
    CString m_strFontName;
    int m_nFirstShown = 0;
    int m_nRows = 6;
    int m_nHover = hoverNone;
    BOOL m_bUpPressed = FALSE, m_bDownPressed = FALSE;
    std::vector<Row> m_rows;
    RECT m_rcFront = {}, m_rcClose = {}, m_rcUp = {}, m_rcDown = {};
    POINT m_ptOrigin = {};
    int m_nBottom = 0;  // the bottom edge a window rising from below keeps
    int m_nOpenStyle = 0;
    int m_nOpenTime = 10;

    COwnerDrawMenu m_menu;  // the new mails of a folder, on a right click
    std::thread m_animation;
    std::atomic<int> m_nElapsed{ 0 };
    std::mutex m_timeLock;   // the end of the display time against a restart
    bool m_bClosing = false;
    std::atomic<bool> m_bMenuOpen{ false };
    std::atomic<bool> m_bStop{ false };       // the owner thread asks the worker to end
    std::atomic<bool> m_bWorkerDone{ true };
};
