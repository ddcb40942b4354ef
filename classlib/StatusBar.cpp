#include "classlib/StatusBar.h"

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM);
    if (!m_dwStyle)
        m_dwStyle = CBRS_ALIGN_BOTTOM;
    DWORD style = (dwStyle & (WS_CHILD | WS_VISIBLE)) | WS_CHILD | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    RECT rc = { 0, 0, 0, 0 };
    if (!CWnd::Create(STATUSCLASSNAMEA, "", style, rc, pParentWnd, nID))
        return FALSE;
    AttachToFrame();
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    m_panes.clear();
    HDC hDC = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(hDC, GetFont() ? static_cast<HGDIOBJ>(GetFont()) : ::GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < nIDCount; ++i) {
        Pane pane;
        pane.nID = lpIDArray[i];
        if (pane.nID != 0) {
            CString text;
            text.LoadString(pane.nID);
            SIZE size = {};
            ::GetTextExtentPoint32A(hDC, text, text.GetLength(), &size);
            pane.cxWidth = size.cx + 8;
            pane.text = text;
        }
        m_panes.push_back(pane);
    }
    ::SelectObject(hDC, old);
    ::ReleaseDC(m_hWnd, hDC);
    UpdateParts();
    for (int i = 0; i < GetCount(); ++i)
        SendMessage(SB_SETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(static_cast<const char*>(m_panes[static_cast<size_t>(i)].text)));
    return TRUE;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].nID == nIDFind)
            return static_cast<int>(i);
    return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[static_cast<size_t>(nIndex)].nID : 0;
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* pszText, BOOL)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    m_panes[static_cast<size_t>(nIndex)].text = pszText;
    return static_cast<BOOL>(SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pszText)));
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[static_cast<size_t>(nIndex)].text : CString();
}

void CStatusBar::SetPaneWidth(int nIndex, int cxWidth)
{
    if (nIndex <= 0 || nIndex >= GetCount())
        return;
    m_panes[static_cast<size_t>(nIndex)].cxWidth = cxWidth;
    UpdateParts();
}

void CStatusBar::UpdateParts()
{
    if (m_panes.empty() || !m_hWnd)
        return;
    RECT rc = {};
    GetClientRect(&rc);
    // Panes after the first sit at the right end, the first takes the rest.
    int right = rc.right - ::GetSystemMetrics(SM_CXVSCROLL);
    std::vector<int> edges(m_panes.size());
    int x = right;
    for (size_t i = m_panes.size(); i-- > 1;) {
        edges[i] = x;
        x -= m_panes[i].cxWidth;
    }
    edges[0] = x > 0 ? x : 0;
    edges.back() = -1;
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

SIZE CStatusBar::CalcFixedLayout(BOOL, BOOL)
{
    // The control's own height for its font, with its borders.
    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    HDC hDC = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(hDC, GetFont() ? static_cast<HGDIOBJ>(GetFont()) : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(hDC, &tm);
    ::SelectObject(hDC, old);
    ::ReleaseDC(m_hWnd, hDC);
    int cy = tm.tmHeight + 2 * borders[1] + 6;
    if (cy < 20)
        cy = 20;
    RECT rc = {};
    GetWindowRect(&rc);
    return SIZE{ rc.right - rc.left, cy };
}

void CStatusBar::OnSize(UINT, int, int)
{
    Default();
    UpdateParts();
}
