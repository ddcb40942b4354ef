// CScrollView: a view whose drawing is larger than its window. The derived
// class sets the total size with SetScrollSizes and draws in document
// coordinates; OnPrepareDC moves the origin by the scroll position.
#pragma once

#include "classlib/View.h"

class CScrollView : public CView
{
public:
    CScrollView() = default;

    // Only MM_TEXT (one logical unit per pixel) is supported. A zero page or
    // line size takes a tenth of the total and a tenth of the page.
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, SIZE sizePage = SIZE{ 0, 0 }, SIZE sizeLine = SIZE{ 0, 0 });
    SIZE GetTotalSize() const { return m_totalDev; }
    POINT GetScrollPosition() const;
    void ScrollToPosition(POINT pt);

    void OnPrepareDC(HDC hDC) override;

protected:
    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt);

    // Sets the scroll bars from the total size and the client size.
    void UpdateBars();
    // One scroll action on one bar; returns whether the position changed.
    BOOL OnScrollBy(int nBar, UINT nSBCode);

    SIZE m_totalDev = { 0, 0 };
    SIZE m_pageDev = { 0, 0 };
    SIZE m_lineDev = { 0, 0 };
    SIZE m_pageSet = { 0, 0 };
    SIZE m_lineSet = { 0, 0 };

    DECLARE_MESSAGE_MAP()

private:
    void ScrollToDevicePosition(int x, int y);
    int m_nWheelRemainder = 0;
};
