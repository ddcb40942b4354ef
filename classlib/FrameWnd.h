// CFrameWnd: a top-level window with a title, menu, icon and accelerators
// loaded from resources that share one id. Frames are made with new and
// delete themselves when their window is gone.
//
// The frame lays out its control bars (toolbars, status bars) along its
// edges and gives the rest to the child with the id AFX_IDW_PANE_FIRST (a
// view or a splitter). Commands go to the active view first, then to the
// frame, then to the application; menus and control bars are enabled and
// checked by the update handlers found on the same route. Every frame
// answers the registered message "CVMCommandState" (CommandState.h) with
// what that routing says of a command, so that a test driver in another
// process can check that each bound command reaches a handler.
#pragma once

#include "classlib/Wnd.h"

#include <vector>

class CControlBar;
class CView;

// Id of the child that fills the frame's client area.
#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
// Sent to the main window when the thread goes idle: update control bars.
#define WM_IDLEUPDATECMDUI 0x0363
// Sent to a view once it and its frame are laid out.
#define WM_INITIALUPDATE 0x0364

// Frame style bit (not a window style): the document title would be added to the caption.
#define FWS_ADDTOTITLE 0x00008000L

class CFrameWnd : public CWnd
{
public:
    CFrameWnd() = default;

    // Title (the text up to the first line break of string nIDResource), menu,
    // icon and accelerator table nIDResource.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr);
    BOOL LoadAccelTable(UINT nIDResource);
    virtual void ActivateFrame(int nCmdShow = -1);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The active view's map, the frame's own, then the application's.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra = nullptr, LRESULT* pResult = nullptr) override;

    // Builds the client area (views, splitters); called while WM_CREATE is handled.
    virtual BOOL OnCreateClient(LPCREATESTRUCTA lpcs);
    // Places the control bars and the client pane.
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay = FALSE);
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    // Updates every visible control bar's elements through the command routing.
    void OnIdleUpdateCmdUI();

    // Menu items without a handler are disabled when their popup opens.
    BOOL m_bAutoMenuEnable = TRUE;

    HACCEL m_hAccelTable = nullptr;
    UINT m_nIDResource = 0;
    DWORD m_dwFrameStyle = 0;
    CString m_strTitle;

protected:
    void PostNcDestroy() override { delete this; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnClose();
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(HWND hOldWnd);
    void OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu);
    LRESULT OnIdleUpdateCmdUIMessage(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    CView* m_pViewActive = nullptr;
    std::vector<CControlBar*> m_controlBars;
};
