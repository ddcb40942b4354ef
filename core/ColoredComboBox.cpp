#include "core/ColoredComboBox.h"

#include "classlib/GdiSelection.h"

namespace {

const int kItemHeight = 16;
const int kInnerEditId = 1001;

// Restores the text colour, background colour and mode of a device context.
class DCColors
{
public:
    DCColors(HDC hdc, COLORREF crText, COLORREF crBack)
        : m_hdc(hdc), m_crText(::SetTextColor(hdc, crText)), m_crBack(::SetBkColor(hdc, crBack)),
          m_nMode(::SetBkMode(hdc, TRANSPARENT))
    {
    }
    DCColors(const DCColors&) = delete;
    DCColors& operator=(const DCColors&) = delete;
    ~DCColors()
    {
        ::SetTextColor(m_hdc, m_crText);
        ::SetBkColor(m_hdc, m_crBack);
        ::SetBkMode(m_hdc, m_nMode);
    }

private:
    HDC m_hdc;
    COLORREF m_crText, m_crBack;
    int m_nMode;
};

} // namespace

BEGIN_MESSAGE_MAP(CColoredComboBox, CComboBox)
    ON_MESSAGE(WM_CREATE, OnCreateMsg)
    ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColorMsg)
    ON_MESSAGE(WM_CTLCOLORLISTBOX, OnCtlColorMsg)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMsg)
END_MESSAGE_MAP()

CColoredComboBox::CColoredComboBox()
    : m_crText(GetSysColor(COLOR_WINDOWTEXT)), m_crBack(GetSysColor(COLOR_WINDOW)),
      m_hBackBrush(CreateSolidBrush(m_crBack))
{
}

CColoredComboBox::~CColoredComboBox()
{
    if (m_hWnd)
        DestroyWindow();
    if (m_hBackBrush)
        DeleteObject(m_hBackBrush);
}

void CColoredComboBox::SetColors(COLORREF crText, COLORREF crBack)
{
    m_crText = crText;
    m_crBack = crBack;
    HBRUSH old = m_hBackBrush;
    m_hBackBrush = CreateSolidBrush(crBack);
    // The brush is ours alone: putting it into the combo box window class
    // would repaint every combo box of the program with it, and leave them a
    // deleted brush when this one goes.
    if (m_hWnd)
        Invalidate();
    if (old)
        DeleteObject(old);
}

void CColoredComboBox::Initialize()
{
    SetItemHeight(0, kItemHeight);
    HWND hEdit = ::GetDlgItem(m_hWnd, kInnerEditId);
    if (hEdit && !m_edit.m_hWnd)
        m_edit.SubclassWindow(hEdit);
}

void CColoredComboBox::PreSubclassWindow()
{
    Initialize();
}

LRESULT CColoredComboBox::OnCreateMsg(WPARAM, LPARAM)
{
    LRESULT result = Default();
    if (result != -1)
        Initialize();
    return result;
}

HBRUSH CColoredComboBox::ColorDC(HDC hdc)
{
    ::SetTextColor(hdc, m_crText);
    ::SetBkColor(hdc, m_crBack);
    return m_hBackBrush;
}

LRESULT CColoredComboBox::OnCtlColorMsg(WPARAM wParam, LPARAM)
{
    return reinterpret_cast<LRESULT>(ColorDC(reinterpret_cast<HDC>(wParam)));
}

LRESULT CColoredComboBox::OnEraseBkgndMsg(WPARAM wParam, LPARAM)
{
    RECT rc;
    GetClientRect(&rc);
    FillRect(reinterpret_cast<HDC>(wParam), &rc, m_hBackBrush);
    return TRUE;
}

BOOL CColoredComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        *pResult = TRUE;
        return TRUE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kItemHeight;
        *pResult = TRUE;
        return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        *pResult = reinterpret_cast<LRESULT>(ColorDC(reinterpret_cast<HDC>(wParam)));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != CBN_SELCHANGE)
            return FALSE;
        if (m_nRepostedSelChanges > 0) {
            --m_nRepostedSelChanges;
            return FALSE;  // our own re-post: the parent's turn
        }
        if (m_hNotifyWnd) {
            ::PostMessageA(m_hNotifyWnd, WM_QD_COMBO_SELCHANGE, 0, reinterpret_cast<LPARAM>(m_hWnd));
        } else if (HWND hParent = ::GetParent(m_hWnd)) {
            // Posted, so that the parent sees the new selection after the
            // combo box has finished its own handling.
            ++m_nRepostedSelChanges;
            ::PostMessageA(hParent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(m_hWnd));
        }
        *pResult = 0;
        return TRUE;
    default:
        return FALSE;
    }
}

int CColoredComboBox::DrawItemImage(HDC, int, const RECT&)
{
    return 0;
}

void CColoredComboBox::DrawItemText(HDC hdc, int nItem, RECT rc)
{
    CString text = GetLBText(nItem);
    ::DrawTextA(hdc, text, text.GetLength(), &rc, kItemTextFlags);
}

void CColoredComboBox::DrawItem(DRAWITEMSTRUCT* pDis)
{
    HDC hdc = pDis->hDC;
    bool focused = (pDis->itemState & ODS_FOCUS) && (pDis->itemAction & (ODA_FOCUS | ODA_DRAWENTIRE));
    COLORREF crBack = focused ? GetSysColor(COLOR_HIGHLIGHT) : m_crBack;
    COLORREF crText = focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : m_crText;

    DCColors colors(hdc, crText, crBack);
    HBRUSH brush = CreateSolidBrush(crBack);
    HPEN pen = CreatePen(PS_SOLID, 1, crBack);
    const RECT& rcItem = pDis->rcItem;
    {
        CGdiSelection selBrush(hdc, brush), selPen(hdc, pen);
        Rectangle(hdc, rcItem.left, rcItem.top, rcItem.right, rcItem.bottom);
    }
    DeleteObject(pen);
    DeleteObject(brush);

    if (static_cast<int>(pDis->itemID) >= 0) {
        RECT rc = rcItem;
        InflateRect(&rc, -2, -2);
        rc.left += DrawItemImage(hdc, static_cast<int>(pDis->itemID), rc);
        DrawItemText(hdc, static_cast<int>(pDis->itemID), rc);
    }
    if (focused)
        DrawFocusRect(hdc, &rcItem);
}
