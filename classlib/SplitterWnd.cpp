#include "classlib/SplitterWnd.h"

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

namespace {

// Sizes of the panes along one axis: all but the last get their ideal size
// (0 below the minimum) while space lasts, the last gets the rest.
template <class Info>
void LayoutAxis(std::vector<Info>& items, int total, int gap)
{
    int pos = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        bool last = i + 1 == items.size();
        int left = total - pos;
        if (left < 0)
            left = 0;
        int size = last ? left : items[i].nIdealSize;
        if (!last && size < items[i].nMinSize)
            size = 0;
        if (!last && size > left)
            size = left;
        items[i].nCurSize = size;
        pos += size + (last ? 0 : gap);
    }
}

} // namespace

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID)
{
    if (nRows < 1 || nCols < 1 || nRows > 16 || nCols > 16)
        return FALSE;
    m_rows.assign(static_cast<size_t>(nRows), RowColInfo());
    m_cols.assign(static_cast<size_t>(nCols), RowColInfo());
    const char* cls = AfxRegisterWndClass("CVMSplitter", CS_DBLCLKS, nullptr,
                                          reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1));
    RECT rc = { 0, 0, 0, 0 };
    if (pParentWnd) {
        pParentWnd->GetClientRect(&rc);
    }
    return Create(cls, "", (dwStyle | WS_CHILD | WS_CLIPCHILDREN) & ~WS_BORDER, rc, pParentWnd, nID);
}

BOOL CSplitterWnd::AfterCreateView(int row, int col, SIZE sizeInit)
{
    if (row < 0 || col < 0 || row >= GetRowCount() || col >= GetColumnCount())
        return FALSE;
    m_cols[static_cast<size_t>(col)].nIdealSize = sizeInit.cx;
    m_rows[static_cast<size_t>(row)].nIdealSize = sizeInit.cy;
    RecalcLayout();
    return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    HWND hWnd = GetPaneHwnd(row, col);
    return hWnd ? FromHandlePermanent(hWnd) : nullptr;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin)
{
    if (col < 0 || col >= GetColumnCount())
        return;
    m_cols[static_cast<size_t>(col)].nIdealSize = cxIdeal < 0 ? 0 : cxIdeal;
    m_cols[static_cast<size_t>(col)].nMinSize = cxMin;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const
{
    cxCur = cxMin = 0;
    if (col < 0 || col >= GetColumnCount())
        return;
    cxCur = m_cols[static_cast<size_t>(col)].nCurSize;
    cxMin = m_cols[static_cast<size_t>(col)].nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin)
{
    if (row < 0 || row >= GetRowCount())
        return;
    m_rows[static_cast<size_t>(row)].nIdealSize = cyIdeal < 0 ? 0 : cyIdeal;
    m_rows[static_cast<size_t>(row)].nMinSize = cyMin;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const
{
    cyCur = cyMin = 0;
    if (row < 0 || row >= GetRowCount())
        return;
    cyCur = m_rows[static_cast<size_t>(row)].nCurSize;
    cyMin = m_rows[static_cast<size_t>(row)].nMinSize;
}

void CSplitterWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    RECT rc = {};
    GetClientRect(&rc);
    LayoutAxis(m_cols, rc.right, kSplitterGap);
    LayoutAxis(m_rows, rc.bottom, kSplitterGap);
    int y = 0;
    for (int r = 0; r < GetRowCount(); ++r) {
        int x = 0;
        int cy = m_rows[static_cast<size_t>(r)].nCurSize;
        for (int c = 0; c < GetColumnCount(); ++c) {
            int cx = m_cols[static_cast<size_t>(c)].nCurSize;
            if (HWND hPane = GetPaneHwnd(r, c))
                ::MoveWindow(hPane, x, y, cx, cy, TRUE);
            x += cx + kSplitterGap;
        }
        y += cy + kSplitterGap;
    }
    Invalidate();
}

int CSplitterWnd::HitTestBar(POINT pt) const
{
    int x = 0;
    for (int c = 0; c + 1 < GetColumnCount(); ++c) {
        x += m_cols[static_cast<size_t>(c)].nCurSize;
        if (pt.x >= x && pt.x < x + kSplitterGap)
            return c;
        x += kSplitterGap;
    }
    int y = 0;
    for (int r = 0; r + 1 < GetRowCount(); ++r) {
        y += m_rows[static_cast<size_t>(r)].nCurSize;
        if (pt.y >= y && pt.y < y + kSplitterGap)
            return -r - 2;
        y += kSplitterGap;
    }
    return -1;
}

void CSplitterWnd::OnSize(UINT, int, int)
{
    Default();
    RecalcLayout();
}

void CSplitterWnd::OnPaint()
{
    // The bars are the splitter's own background between the panes.
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    ::FillRect(hDC, &ps.rcPaint, ::GetSysColorBrush(COLOR_3DFACE));
    ::EndPaint(m_hWnd, &ps);
}

BOOL CSplitterWnd::OnSetCursor(HWND hWnd, UINT nHitTest, UINT)
{
    if (hWnd == m_hWnd && nHitTest == HTCLIENT) {
        POINT pt;
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWnd, &pt);
        int bar = HitTestBar(pt);
        if (bar != -1) {
            ::SetCursor(::LoadCursorA(nullptr, bar >= 0 ? IDC_SIZEWE : IDC_SIZENS));
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

void CSplitterWnd::OnLButtonDown(UINT, POINT pt)
{
    int bar = HitTestBar(pt);
    if (bar == -1)
        return;
    m_nTracking = bar;
    // Where in the pane before the bar the drag started, so the bar does not jump.
    int start = 0;
    if (bar >= 0) {
        for (int c = 0; c < bar; ++c)
            start += m_cols[static_cast<size_t>(c)].nCurSize + kSplitterGap;
        m_nTrackOffset = pt.x - start - m_cols[static_cast<size_t>(bar)].nCurSize;
    } else {
        int r0 = -bar - 2;
        for (int r = 0; r < r0; ++r)
            start += m_rows[static_cast<size_t>(r)].nCurSize + kSplitterGap;
        m_nTrackOffset = pt.y - start - m_rows[static_cast<size_t>(r0)].nCurSize;
    }
    ::SetCapture(m_hWnd);
}

void CSplitterWnd::OnMouseMove(UINT, POINT pt)
{
    if (m_nTracking == -1)
        return;
    int start = 0;
    if (m_nTracking >= 0) {
        for (int c = 0; c < m_nTracking; ++c)
            start += m_cols[static_cast<size_t>(c)].nCurSize + kSplitterGap;
        int size = pt.x - start - m_nTrackOffset;
        m_cols[static_cast<size_t>(m_nTracking)].nIdealSize = size < 0 ? 0 : size;
    } else {
        int r0 = -m_nTracking - 2;
        for (int r = 0; r < r0; ++r)
            start += m_rows[static_cast<size_t>(r)].nCurSize + kSplitterGap;
        int size = pt.y - start - m_nTrackOffset;
        m_rows[static_cast<size_t>(r0)].nIdealSize = size < 0 ? 0 : size;
    }
    RecalcLayout();
}

void CSplitterWnd::OnLButtonUp(UINT, POINT)
{
    if (m_nTracking != -1)
        ::ReleaseCapture();
}

void CSplitterWnd::OnCaptureChanged(HWND)
{
    m_nTracking = -1;
}

BOOL CSplitterWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND hParent = ::GetParent(m_hWnd);
    return hParent && ::SendMessageA(hParent, WM_COMMAND, wParam, lParam) == 0 ? TRUE : FALSE;
}

BOOL CSplitterWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    HWND hParent = ::GetParent(m_hWnd);
    if (!hParent)
        return FALSE;
    *pResult = ::SendMessageA(hParent, WM_NOTIFY, wParam, lParam);
    return TRUE;
}
