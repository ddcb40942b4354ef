// CImageButton: a button whose face is filled with a pattern made from a
// bitmap resource; the address book window uses it as the bar between its
// group tree and its list. Dragging it shows a thin bar that follows the
// mouse, and the release tells the parent the new x (client coordinates of
// the parent) with the message kSplitterMoved.
#pragma once

#include "classlib/ClassLib.h"

class CImageButton : public CWnd
{
public:
    // wParam: the x where the mouse was released, in the parent's client area.
    static constexpr UINT kSplitterMoved = WM_APP + 0x41;

    CImageButton() = default;
    ~CImageButton() override;

    BOOL SetFaceBitmap(UINT nBitmapId);

protected:
    BOOL OnEraseBkgnd(HDC hdc);
    void OnPaint();
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnMouseMove(UINT nFlags, POINT point);
    void OnLButtonUp(UINT nFlags, POINT point);
    void OnCaptureChanged(HWND hWnd);
    // Inverts the 4-pixel bar at the parent's client x.
    void DrawTrackBar(int x);
    int ParentX(POINT point) const;

    HBITMAP m_hBitmap = nullptr;
    HBRUSH m_hBrush = nullptr;
    bool m_bTracking = false;
    int m_nTrackX = -1;

    DECLARE_MESSAGE_MAP()
};
