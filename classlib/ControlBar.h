// CControlBar: a bar along an edge of a frame (toolbar, status bar). The
// frame lays its bars out around the client pane and asks them, when the
// thread is idle, to update their elements through the command routing.
#pragma once

#include "classlib/Wnd.h"

class CFrameWnd;

// Edge a bar is aligned to (kept in the bar, not in the window style).
#define CBRS_ALIGN_TOP 0x1000L
#define CBRS_ALIGN_BOTTOM 0x4000L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM CBRS_ALIGN_BOTTOM

class CControlBar : public CWnd
{
public:
    CControlBar() = default;
    ~CControlBar() override;

    DWORD m_dwStyle = 0;  // CBRS_ bits

    // The height (horizontal bars) the bar needs.
    virtual SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    // Enables, checks or names the bar's elements through pTarget's routing.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler);
    BOOL IsVisible() const { return IsWindowVisible(); }
    CFrameWnd* GetParentFrame() const;

protected:
    // Registers the bar with the frame that holds it; called once its window exists.
    void AttachToFrame();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    CFrameWnd* m_pFrame = nullptr;
};
