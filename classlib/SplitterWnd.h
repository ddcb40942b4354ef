// CSplitterWnd: a static splitter, a fixed grid of panes separated by bars
// the user drags. Each pane is a child window whose id names its row and
// column; a pane may be another splitter. Column widths and row heights have
// an ideal and a minimum size: a pane below its minimum is laid out with
// size 0, and the last row and column take what is left.
#pragma once

#include "classlib/Wnd.h"

#include <vector>

class CSplitterWnd : public CWnd
{
public:
    CSplitterWnd() = default;

    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = 0xE900);
    // Creates pWnd's window (a view made with new) in a pane.
    template <class TView>
    BOOL CreateView(int row, int col, TView* pView, SIZE sizeInit)
    {
        RECT rc = { 0, 0, sizeInit.cx, sizeInit.cy };
        return pView->Create(this, static_cast<UINT>(IdFromRowCol(row, col)), rc) && AfterCreateView(row, col, sizeInit);
    }

    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    int GetColumnCount() const { return static_cast<int>(m_cols.size()); }
    int IdFromRowCol(int row, int col) const { return 0xE900 + row * 16 + col; }
    CWnd* GetPane(int row, int col) const;
    HWND GetPaneHwnd(int row, int col) const { return GetDlgItemHwnd(IdFromRowCol(row, col)); }

    void SetColumnInfo(int col, int cxIdeal, int cxMin);
    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    // Lays the panes out from the ideal sizes.
    virtual void RecalcLayout();

    // Width of the bars between panes.
    static const int kSplitterGap = 5;

protected:
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);
    void OnLButtonDown(UINT nFlags, POINT pt);
    void OnMouseMove(UINT nFlags, POINT pt);
    void OnLButtonUp(UINT nFlags, POINT pt);
    void OnCaptureChanged(HWND hWnd);
    // Commands and notifications of the panes go on to the frame.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    DECLARE_MESSAGE_MAP()

private:
    struct RowColInfo
    {
        int nMinSize = 0;
        int nIdealSize = 0;
        int nCurSize = 0;
    };
    BOOL AfterCreateView(int row, int col, SIZE sizeInit);
    // The bar under a point: column bar c (>= 0) or row bar r (encoded as -r-2), -1 for none.
    int HitTestBar(POINT pt) const;

    std::vector<RowColInfo> m_rows;
    std::vector<RowColInfo> m_cols;
    int m_nTracking = -1;
    int m_nTrackOffset = 0;
};
