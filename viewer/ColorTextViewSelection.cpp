// Selection, copy and find of the colour text view.
#include "viewer/ColorTextView.h"

#include "classlib/OleDataSource.h"
#include "viewer/DlgTextFind.h"

#include <algorithm>
#include <cstring>

namespace {

const UINT_PTR kDragTimer = 140;
const int kTextLeft = 8;

// The device context of a window for a scope.
class CWindowDC
{
public:
    explicit CWindowDC(HWND hWnd) : m_hWnd(hWnd), m_hdc(GetDC(hWnd)) {}
    ~CWindowDC()
    {
        if (m_hdc)
            ReleaseDC(m_hWnd, m_hdc);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    operator HDC() const { return m_hdc; }

private:
    HWND m_hWnd;
    HDC m_hdc;
};

// Offset of a position into the concatenation of the display lines.
long long OffsetOf(const std::vector<CTextLine>& lines, const TextPos& pos)
{
    long long offset = 0;
    for (int i = 0; i < pos.nLine && i < static_cast<int>(lines.size()); ++i)
        offset += static_cast<long long>(lines[static_cast<size_t>(i)].text.size());
    return offset + pos.nCol;
}

TextPos PositionOf(const std::vector<CTextLine>& lines, long long offset)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        long long size = static_cast<long long>(lines[i].text.size());
        if (offset <= size && (offset < size || i + 1 == lines.size() || !lines[i].wrapped))
            return {static_cast<int>(i), static_cast<int>(std::max(0LL, offset))};
        offset -= size;
    }
    if (lines.empty())
        return TextPos();
    return {static_cast<int>(lines.size()) - 1, static_cast<int>(lines.back().text.size())};
}

} // namespace

std::string CColorTextView::GetSelectedText() const
{
    return m_sel.GetText(m_lines);
}

void CColorTextView::InvalidateSelection()
{
    if (m_hWnd)
        Invalidate(FALSE);
}

void CColorTextView::SetSelection(const TextPos& from, const TextPos& to)
{
    m_sel.m_anchor = from;
    m_sel.DragTo(to);
    InvalidateSelection();
}

void CColorTextView::ClearSelection()
{
    m_sel.Clear();
    InvalidateSelection();
}

void CColorTextView::SelectAll()
{
    FinishLayout();
    m_sel.SelectAll(m_lines);
    InvalidateSelection();
}

BOOL CColorTextView::CopySelection()
{
    std::string text = GetSelectedText();
    if (text.empty())
        return FALSE;
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!mem)
        return FALSE;
    if (void* p = GlobalLock(mem)) {
        memcpy(p, text.c_str(), text.size() + 1);
        GlobalUnlock(mem);
    }
    auto* source = new COleDataSource;
    source->CacheGlobalData(CF_TEXT, mem);
    HRESULT hr = OleSetClipboard(source);
    if (SUCCEEDED(hr))
        OleFlushClipboard();
    source->Release();
    return SUCCEEDED(hr);
}

int CColorTextView::LineWidthTo(HDC hdc, const std::string& text, int nCol)
{
    if (nCol <= 0)
        return 0;
    int tab = m_nAvgCharWidth * m_nTabColumns;
    return LOWORD(GetTabbedTextExtentA(hdc, text.data(), std::min(nCol, static_cast<int>(text.size())), 1, &tab));
}

TextPos CColorTextView::PositionAt(POINT pt)
{
    if (m_lines.empty())
        return TextPos();
    const int pitch = GetLinePitch();
    long long y = static_cast<long long>(pt.y) + m_nScrollY;
    // A y that is an exact multiple of the pitch belongs to the line above.
    long long line = y <= 0 ? 0 : (y - 1) / pitch;
    LayoutUntil(static_cast<size_t>(line + 2));
    if (line >= GetLineCount())
        line = GetLineCount() - 1;
    if (line < 0)
        line = 0;
    const std::string& text = m_lines[static_cast<size_t>(line)].text;
    CWindowDC dc(m_hWnd);
    HGDIOBJ old = m_hFont ? SelectObject(dc, m_hFont) : nullptr;
    int col = CTextSelection::ColumnAt(text, pt.x + m_nScrollX,
                                       [&](const std::string& t, int n) { return LineWidthTo(dc, t, n); });
    if (old)
        SelectObject(dc, old);
    return {static_cast<int>(line), col};
}

void CColorTextView::PaintSelection(HDC hdc, int nFirst, int nLast)
{
    if (m_sel.IsEmpty())
        return;
    const int pitch = GetLinePitch();
    const int from = std::max(nFirst, m_sel.m_start.nLine);
    const int to = std::min({nLast, m_sel.m_end.nLine, GetLineCount() - 1});
    for (int i = from; i <= to; ++i) {
        const std::string& text = m_lines[static_cast<size_t>(i)].text;
        int a = i == m_sel.m_start.nLine ? m_sel.m_start.nCol : 0;
        int b = i == m_sel.m_end.nLine ? m_sel.m_end.nCol : static_cast<int>(text.size());
        RECT rc;
        rc.top = i * pitch + 1 - m_nScrollY;
        rc.bottom = rc.top + pitch;
        rc.left = kTextLeft - m_nScrollX + LineWidthTo(hdc, text, a);
        rc.right = kTextLeft - m_nScrollX + LineWidthTo(hdc, text, b);
        // A whole empty line inside the selection still shows.
        if (text.empty() && i != m_sel.m_end.nLine)
            rc.right = rc.left + std::max(1, m_nFontHeight / 2);
        if (rc.right > rc.left)
            InvertRect(hdc, &rc);
    }
}

void CColorTextView::DragSelectionTo(POINT pt)
{
    TextPos pos = PositionAt(pt);
    if (!pos.IsSet() || !m_sel.m_anchor.IsSet())
        return;
    m_sel.DragTo(pos);
    m_bDragging = true;
    InvalidateSelection();
}

LRESULT CColorTextView::OnMouseMoveMsg(WPARAM, LPARAM lParam)
{
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (!m_bButtonDown || (pt.x == m_ptLast.x && pt.y == m_ptLast.y))
        return 0;
    m_ptLast = pt;
    if (pt.x == m_ptDown.x && pt.y == m_ptDown.y)
        return 0;
    DragSelectionTo(pt);
    return 0;
}

LRESULT CColorTextView::OnCaptureChangedMsg(WPARAM, LPARAM)
{
    if (m_bButtonDown) {
        m_bButtonDown = false;
        KillTimer(kDragTimer);
    }
    return 0;
}

LRESULT CColorTextView::OnCopyMsg(WPARAM, LPARAM)
{
    CopySelection();
    return 0;
}

void CColorTextView::ScrollHitIntoView(const TextFindHit& hit)
{
    const int pitch = GetLinePitch();
    int top = hit.nLine * pitch + 1;
    if (top < m_nScrollY || top + pitch > m_nScrollY + ClientHeight())
        ScrollToY(top - m_nFontHeight);
    CWindowDC dc(m_hWnd);
    HGDIOBJ old = m_hFont ? SelectObject(dc, m_hFont) : nullptr;
    const std::string& text = m_lines[static_cast<size_t>(hit.nLine)].text;
    int x = LineWidthTo(dc, text, hit.nCol);
    int end = LineWidthTo(dc, text, hit.nCol + hit.nLength);
    if (old)
        SelectObject(dc, old);
    if (end + kTextLeft < ClientWidth())
        ScrollToX(0);
    else
        ScrollToX(x);
}

int CColorTextView::FindText(const char* pszText, BOOL bDown, long long nLastHit)
{
    if (!pszText) {
        CDlgTextFind dlg(this);
        dlg.m_strText = GetSelectedText().c_str();
        dlg.m_bDown = m_bFindDown;
        dlg.m_bMatchCase = m_bMatchCase;
        dlg.m_pHistory = &m_findHistory;
        if (dlg.DoModal() != IDOK)
            return 0;
        m_strFind = dlg.m_strText;
        m_bFindDown = dlg.m_bDown;
        m_bMatchCase = dlg.m_bMatchCase;
        bDown = m_bFindDown;
    } else {
        m_strFind = pszText;
    }
    if (m_strFind.IsEmpty())
        return 0;
    FinishLayout();
    TextFindHit hit;
    if (!CTextSelection::Find(m_lines, m_strFind.GetString(), bDown != FALSE, m_bMatchCase != FALSE, nLastHit, hit))
        return 0;
    m_nLastHit = hit.nOffset;
    SetSelection({hit.nLine, hit.nCol}, {hit.nLine, hit.nCol + hit.nLength});
    if (m_hWnd)
        ScrollHitIntoView(hit);
    return 1;
}

int CColorTextView::FindNext(BOOL bDown)
{
    if (m_strFind.IsEmpty())
        return FindText(nullptr, bDown, -1);
    return FindText(m_strFind, bDown, m_nLastHit);
}

void CColorTextView::GoToLine(int nLine)
{
    if (nLine < 0)
        nLine = 0;
    LayoutUntil(static_cast<size_t>(nLine) + static_cast<size_t>(ClientHeight() / GetLinePitch() + 2));
    ScrollToY(nLine * GetLinePitch());
}

void CColorTextView::SaveSelectionOffsets()
{
    m_nSelOffsets[0] = m_nSelOffsets[1] = -1;
    if (m_sel.IsEmpty())
        return;
    m_nSelOffsets[0] = OffsetOf(m_lines, m_sel.m_start);
    m_nSelOffsets[1] = OffsetOf(m_lines, m_sel.m_end);
}

void CColorTextView::RestoreSelectionOffsets()
{
    if (m_nSelOffsets[0] < 0)
        return;
    // The concatenation of the display lines does not change with the
    // width, so the offsets find the same text on the new lines.
    FinishLayout();
    TextPos a = PositionOf(m_lines, m_nSelOffsets[0]);
    TextPos b = PositionOf(m_lines, m_nSelOffsets[1]);
    m_nSelOffsets[0] = m_nSelOffsets[1] = -1;
    m_sel.m_anchor = a;
    m_sel.m_start = a;
    m_sel.m_end = b;
}
