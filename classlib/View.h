// CView: a child window that shows something inside a frame (directly or in
// a splitter pane). Views are made with new and delete themselves when their
// window is gone. The frame sends commands to its active view first; a view
// becomes active when it is clicked or gets the focus.
#pragma once

#include "classlib/Wnd.h"

class CFrameWnd;

class CView : public CWnd
{
public:
    CView() = default;

    // Creates the view as child nID of pParent (splitters call this one).
    virtual BOOL Create(CWnd* pParent, UINT nID, const RECT& rect)
    {
        return Create(pParent, nID, rect, WS_CHILD | WS_VISIBLE | WS_BORDER);
    }
    BOOL Create(CWnd* pParent, UINT nID, const RECT& rect, DWORD dwStyle);
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    // The frame the view sits in (through any splitters).
    CFrameWnd* GetParentFrame() const;

    // Called once after the view and its frame are laid out (WM_INITIALUPDATE).
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    // Set up the device context before drawing (scrolling, mapping).
    virtual void OnPrepareDC(HDC hDC);
    virtual void OnDraw(HDC hDC);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);

protected:
    void PostNcDestroy() override { delete this; }
    void OnPaint();
    int OnMouseActivate(HWND hDesktopWnd, UINT nHitTest, UINT message);
    void OnSetFocus(HWND hOldWnd);
    void OnDestroy();
    LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};
