#include "viewer/ColorTextView.h"

#include "classlib/Mbcs.h"
#include "core/FontSet.h"
#include "core/QuendalApp.h"
#include "viewer/KeywordListDataSet.h"
#include "viewer/MailFontSets.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerProfile.h"

#include <imm.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>

namespace {

const UINT_PTR kLayoutTimer = 1;
const UINT_PTR kDragTimer = 140;
// Work done per layout timer tick before the window gets its messages again.
const DWORD kLayoutSliceMs = 20;
const int kTextLeft = 8;

// Keeps a GDI object selected into a device context for a scope.
class CSelectedObject
{
public:
    CSelectedObject(HDC hdc, HGDIOBJ hObject) : m_hdc(hdc), m_hOld(hObject ? SelectObject(hdc, hObject) : nullptr) {}
    ~CSelectedObject()
    {
        if (m_hOld)
            SelectObject(m_hdc, m_hOld);
    }
    CSelectedObject(const CSelectedObject&) = delete;
    CSelectedObject& operator=(const CSelectedObject&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

// A window's device context for a scope.
class CClientDC
{
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hdc(GetDC(hWnd)) {}
    ~CClientDC()
    {
        if (m_hdc)
            ReleaseDC(m_hWnd, m_hdc);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    operator HDC() const { return m_hdc; }

private:
    HWND m_hWnd;
    HDC m_hdc;
};

COLORREF ColorSetting(const char* pszKey, COLORREF crDefault)
{
    return static_cast<COLORREF>(ViewerProfile::GetInt("Color", pszKey, static_cast<int>(crDefault)));
}

int TabColumnsOf(int nSetting)
{
    switch (nSetting) {
    case 0: return 2;
    case 2: return 8;
    default: return 4;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CColorTextView, CScrollView)
    ON_MESSAGE(WM_CREATE, OnCreateMsg)
    ON_MESSAGE(WM_DESTROY, OnDestroyMsg)
    ON_MESSAGE(WM_PAINT, OnPaintMsg)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMsg)
    ON_MESSAGE(WM_SIZE, OnSizeMsg)
    ON_MESSAGE(WM_VSCROLL, OnVScrollMsg)
    ON_MESSAGE(WM_HSCROLL, OnHScrollMsg)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheelMsg)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDownMsg)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCodeMsg)
    ON_MESSAGE(WM_TIMER, OnTimerMsg)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursorMsg)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMsg)
    ON_MESSAGE(WM_LBUTTONUP, OnLButtonUpMsg)
    ON_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDblClkMsg)
    ON_MESSAGE(WM_MOUSEACTIVATE, OnMouseActivateMsg)
    ON_MESSAGE(WM_COMMAND, OnCommandMsg)
    ON_MESSAGE(WM_GETTEXT, OnGetTextMsg)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLengthMsg)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMsg)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChangedMsg)
    ON_MESSAGE(WM_COPY, OnCopyMsg)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMsg)
END_MESSAGE_MAP()

CColorTextView::CColorTextView()
{
    LoadOptions();
    LoadTabSize();
    LoadKeywordList();
}

CColorTextView::~CColorTextView()
{
    EndMeasuring();
    if (m_hBkBrush)
        DeleteObject(m_hBkBrush);
}

BOOL CColorTextView::Create(CWnd* pParent, UINT nID, const RECT& rect)
{
    const char* cls = AfxRegisterWndClass("CVMColorTextView", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                          LoadCursor(nullptr, IDC_IBEAM), GetSysColorBrush(COLOR_WINDOW));
    return CreateEx(0, cls, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParent ? pParent->GetSafeHwnd() : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

LRESULT CColorTextView::OnCreateMsg(WPARAM, LPARAM)
{
    Default();
    LoadQuoteHeaders();
    SetFont(nullptr);
    LoadColors();
    // No input method in a read-only text.
    ImmAssociateContext(m_hWnd, nullptr);
    return 0;
}

LRESULT CColorTextView::OnDestroyMsg(WPARAM, LPARAM)
{
    KillTimer(kLayoutTimer);
    EndMeasuring();
    m_bAutoScrolling = false;
    CView::OnDestroy();
    return 0;
}

// ---- Settings ----

void CColorTextView::LoadOptions()
{
    m_bDblOpenURL = ViewerProfile::GetInt("ViewOption", "DblOpenURL", 1);
    m_bDblOpenMailEditor = ViewerProfile::GetInt("ViewOption", "DblOpenMailEditor", 1);
    m_bScrollSmooth = ViewerProfile::GetInt("ViewOption", "ScrollSmooth", 0);
    m_nLineFeed = ViewerProfile::GetInt("ViewOption", "LineFeed", 0);
    m_bScrollEndRead = ViewerProfile::GetInt("ViewOption", "ScrollEndRead", 0);
    m_bSingleClickAction = ViewerProfile::GetInt("ViewOption", "SingleClickAction", 0);
    m_bDoNotViewWordBreak = ViewerProfile::GetInt("ViewOption", "DoNotViewWordBreak", 0);
    m_bOldStyleWordBreak = ViewerProfile::GetInt("ViewOption", "OldStyleWordBreak", 0);
    m_nAutoScrollSpeed = ViewerProfile::GetInt("ViewOption", "AutoScrollSpeed", 12);
}

void CColorTextView::LoadTabSize()
{
    m_nTabColumns = TabColumnsOf(ViewerProfile::GetInt("ViewOption", "TabSize", 1));
}

void CColorTextView::LoadColors()
{
    TextColors c;
    c.crBack = ColorSetting("ViewBkColor", 0xE8E8E8);
    c.crText = ColorSetting("ViewTextColor", GetSysColor(COLOR_WINDOWTEXT));
    c.crQuote[0] = ColorSetting("RefTextColor1", 0xFF0000);
    c.crQuote[1] = ColorSetting("RefTextColor2", 0x7F0000);
    c.crQuote[2] = ColorSetting("RefTextColor3", 0);
    c.crQuote[3] = ColorSetting("RefTextColor4", 0);
    c.crUrl = ColorSetting("URLTextColor", 0x4000);
    c.crAddress = ColorSetting("AddressTextColor", 0x408080);
    m_colorizer.SetColors(c);
    ForgetColors();
    if (m_hBkBrush)
        DeleteObject(m_hBkBrush);
    m_hBkBrush = CreateSolidBrush(c.crBack);
    if (m_hWnd)
        Invalidate();
}

void CColorTextView::LoadQuoteHeaders()
{
    CQuoteRules& rules = m_colorizer.QuoteRules();
    rules.SetLevel(1, ViewerProfile::GetString("Setting", "RefTextHeader1", ">, >,|, |"));
    rules.SetLevel(2, ViewerProfile::GetString("Setting", "RefTextHeader2", ">>, >>,||, ||,> >, > >"));
    rules.SetLevel(3, ViewerProfile::GetString("Setting", "RefTextHeader3", "#, #,＃"));
    rules.SetLevel(4, ViewerProfile::GetString("Setting", "RefTextHeader4", ""));
    ForgetColors();
}

void CColorTextView::LoadKeywordList()
{
    auto* app = QuendalApp();
    if (!app) {
        m_colorizer.SetKeywords({});
        ForgetColors();
        return;
    }
    CKeywordListDataSet table;
    table.SetFilePath(app->GetKeywordListPath());
    table.ReadFromFile();
    m_colorizer.SetKeywords(table.CollectKeywords());
    ForgetColors();
}

void CColorTextView::ReloadLineSettings()
{
    m_nLineFeed = ViewerProfile::GetInt("ViewOption", "LineFeed", 0);
    m_bDoNotViewWordBreak = ViewerProfile::GetInt("ViewOption", "DoNotViewWordBreak", 0);
    m_bOldStyleWordBreak = ViewerProfile::GetInt("ViewOption", "OldStyleWordBreak", 0);
    SetText(nullptr, TRUE);
}

void CColorTextView::SetFont(CFontSet* pSet)
{
    if (!pSet)
        pSet = CMailFontSets::Instance().GetDefaultFontSet();
    if (pSet && pSet->GetFont() == m_hFont) {
        LoadColors();
        return;
    }
    if (pSet) {
        m_hFont = pSet->GetFont();
        m_hBoldFont = pSet->GetBoldFont();
        m_nFontHeight = std::abs(pSet->GetLogFont().lfHeight);
        if (m_nFontHeight == 0)
            m_nFontHeight = 10;
    }
    LoadColors();
    if (m_hWnd) {
        SetText(nullptr, TRUE);
        Invalidate();
    }
}

void CColorTextView::UseFonts(HFONT hFont, HFONT hBold, int nHeight)
{
    // The measuring context lets go of the old font; the caller lays out again.
    EndMeasuring();
    m_hFont = hFont;
    m_hBoldFont = hBold;
    m_nFontHeight = nHeight ? std::abs(nHeight) : 10;
}

void CColorTextView::SetFontAndColors(const LOGFONTA& lf, COLORREF crText, COLORREF crQuote1, COLORREF crQuote2,
                                      COLORREF crQuote3, COLORREF crQuote4, COLORREF crUrl, COLORREF crAddress,
                                      COLORREF crBack)
{
    MakeOwnFont(lf);
    LoadColors();
    TextColors c = m_colorizer.GetColors();
    if (crText)
        c.crText = crText;
    const COLORREF quotes[4] = {crQuote1, crQuote2, crQuote3, crQuote4};
    for (int i = 0; i < 4; ++i)
        if (quotes[i])
            c.crQuote[i] = quotes[i];
    if (crUrl) {
        c.crUrl = crUrl;
        c.crAddress = crAddress;
    }
    if (crBack)
        c.crBack = crBack;
    m_colorizer.SetColors(c);
    ForgetColors();
    if (m_hBkBrush)
        DeleteObject(m_hBkBrush);
    m_hBkBrush = CreateSolidBrush(c.crBack);
    LoadQuoteHeaders();
    if (m_hWnd) {
        SetText(nullptr, TRUE);
        Invalidate();
    }
}

// ---- Layout ----

BOOL CColorTextView::SetText(const char* pszText, BOOL bRewrapOnly, int nWrapWidth)
{
    if (!bRewrapOnly) {
        if (!pszText) {
            m_text.clear();
            return TRUE;
        }
        m_text = pszText;
        m_nScrollY = m_nScrollX = 0;
        m_nLastHit = -1;
        m_sel.Clear();
    }
    StartLayout(nWrapWidth);
    LayoutUntil(static_cast<size_t>(ClientHeight() / GetLinePitch() + 2));
    return TRUE;
}

BOOL CColorTextView::SetText(std::string&& text)
{
    m_text = std::move(text);
    m_nScrollY = m_nScrollX = 0;
    m_nLastHit = -1;
    m_sel.Clear();
    StartLayout(0);
    LayoutUntil(static_cast<size_t>(ClientHeight() / GetLinePitch() + 2));
    return TRUE;
}

void CColorTextView::SetTextAndRedraw(const char* pszText)
{
    SetText(pszText ? pszText : "");
    if (m_hWnd) {
        Invalidate();
        UpdateWindow();
    }
}

void CColorTextView::EndMeasuring()
{
    if (m_hMeasureDC) {
        if (m_hOldMeasureFont)
            SelectObject(m_hMeasureDC, m_hOldMeasureFont);
        DeleteDC(m_hMeasureDC);
    }
    m_hMeasureDC = nullptr;
    m_hOldMeasureFont = nullptr;
}

int CColorTextView::MeasureText(const char* p, int n)
{
    int tab = m_nAvgCharWidth * m_nTabColumns;
    DWORD ext = GetTabbedTextExtentA(m_hMeasureDC, p, n, 1, &tab);
    return LOWORD(ext);
}

void CColorTextView::StartLayout(int nWrapWidth)
{
    if (m_hWnd)
        KillTimer(kLayoutTimer);
    EndMeasuring();
    int width = nWrapWidth;
    if (width <= 0 && m_nLineFeed)
        width = ClientWidth() - 48;
    if (width < 0)
        width = 0;
    m_nWrapWidth = width;
    m_nLastClientWidth = ClientWidth();
    SaveSelectionOffsets();
    m_hMeasureDC = CreateCompatibleDC(nullptr);
    if (m_hFont)
        m_hOldMeasureFont = SelectObject(m_hMeasureDC, m_hFont);
    SIZE abc = {};
    GetTextExtentPoint32A(m_hMeasureDC, "ABC", 3, &abc);
    m_nAvgCharWidth = abc.cx / 3 > 0 ? abc.cx / 3 : 1;

    TextLayoutOptions opt;
    opt.nWrapWidth = width;
    opt.nAvgCharWidth = m_nAvgCharWidth;
    opt.nTabColumns = m_nTabColumns;
    opt.bOldStyle = m_bOldStyleWordBreak != FALSE;
    opt.bNoWordBreak = m_bDoNotViewWordBreak != FALSE;
    ForgetColors();
    m_layout.Start(&m_text, opt, [this](const char* p, int n) { return MeasureText(p, n); }, &m_lines);
    if (m_hWnd)
        SetTimer(kLayoutTimer, 1);
    RestoreSelectionOffsets();
}

void CColorTextView::LayoutUntil(size_t nLines)
{
    if (!m_layout.IsDone() && m_layout.Continue(nLines)) {
        EndMeasuring();
        if (m_hWnd)
            KillTimer(kLayoutTimer);
    }
    if (m_hWnd)
        UpdateScrollBars();
}

void CColorTextView::FinishLayout()
{
    LayoutUntil(static_cast<size_t>(-1));
}

LRESULT CColorTextView::OnTimerMsg(WPARAM wParam, LPARAM)
{
    if (wParam == kDragTimer) {
        // Dragging past the top or bottom edge scrolls the text on.
        POINT pt;
        GetCursorPos(&pt);
        ::ScreenToClient(m_hWnd, &pt);
        const int pitch = GetLinePitch();
        if (pt.y < 0)
            ScrollToY(m_nScrollY - pitch);
        else if (pt.y > ClientHeight())
            ScrollToY(std::min(m_nScrollY + pitch, std::max(0, (GetLineCount() - 2) * pitch)));
        else
            return 0;
        if (m_bButtonDown)
            DragSelectionTo(pt);
        return 0;
    }
    if (wParam != kLayoutTimer)
        return Default();
    const size_t before = m_lines.size();
    DWORD start = GetTickCount();
    bool done = m_layout.IsDone();
    while (!done && GetTickCount() - start < kLayoutSliceMs)
        done = m_layout.Continue(static_cast<size_t>(-1), 64 * 1024);
    if (done) {
        KillTimer(kLayoutTimer);
        EndMeasuring();
    }
    UpdateScrollBars();
    // Lines that were missing on screen are there now.
    int visibleEnd = (m_nScrollY + ClientHeight()) / GetLinePitch() + 1;
    if (before < static_cast<size_t>(visibleEnd))
        Invalidate();
    return 0;
}

// ---- Geometry and scrolling ----

int CColorTextView::ClientWidth() const
{
    if (!m_hWnd)
        return 0;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    return rc.right;
}

int CColorTextView::ClientHeight() const
{
    if (!m_hWnd)
        return 0;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    return rc.bottom;
}

int CColorTextView::DocumentHeight() const
{
    long long h = static_cast<long long>(m_lines.size()) * GetLinePitch() + 2 * m_nFontHeight + 4;
    return h > 0x7FFFFFF0 ? 0x7FFFFFF0 : static_cast<int>(h);
}

void CColorTextView::UpdateScrollBars()
{
    if (!m_hWnd)
        return;
    int maxY = std::max(0, DocumentHeight() - ClientHeight());
    if (m_nScrollY > maxY && m_layout.IsDone())
        m_nScrollY = maxY;
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = DocumentHeight() - 1;
    si.nPage = static_cast<UINT>(std::max(0, ClientHeight()));
    si.nPos = m_nScrollY;
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);

    long long width = static_cast<long long>(m_layout.GetWidestLine()) + 32;
    if (width > 0x7FFFFFF0)
        width = 0;
    int maxX = std::max(0, static_cast<int>(width) - ClientWidth());
    if (m_nScrollX > maxX)
        m_nScrollX = maxX;
    si.nMax = static_cast<int>(width) - 1;
    si.nPage = static_cast<UINT>(std::max(0, ClientWidth()));
    si.nPos = m_nScrollX;
    SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
}

void CColorTextView::ScrollToY(int y)
{
    if (y < 0)
        y = 0;
    // Lay out far enough for the lines the new position shows.
    LayoutUntil(static_cast<size_t>((static_cast<long long>(y) + ClientHeight()) / GetLinePitch() + 2));
    int maxY = std::max(0, DocumentHeight() - ClientHeight());
    if (y > maxY)
        y = maxY;
    if (y == m_nScrollY)
        return;
    int dy = m_nScrollY - y;
    m_nScrollY = y;
    if (std::abs(dy) < ClientHeight())
        ScrollWindowEx(m_hWnd, 0, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    else
        Invalidate();
    UpdateScrollBars();
}

void CColorTextView::ScrollToX(int x)
{
    if (x < 0)
        x = 0;
    int maxX = std::max(0, m_layout.GetWidestLine() + 32 - ClientWidth());
    if (x > maxX)
        x = maxX;
    if (x == m_nScrollX)
        return;
    m_nScrollX = x;
    Invalidate();
    UpdateScrollBars();
}

void CColorTextView::ScrollByLines(int nLines)
{
    ScrollToY(m_nScrollY + nLines * (m_nLineStepY > 0 ? m_nLineStepY : GetLinePitch()));
}

LRESULT CColorTextView::OnSizeMsg(WPARAM, LPARAM lParam)
{
    Default();
    int width = static_cast<short>(LOWORD(lParam));
    // Wrapped text follows the width, but not for every pixel of a drag.
    if (m_nLineFeed && width > 12 * m_nFontHeight && std::abs(width - m_nLastClientWidth) > m_nFontHeight &&
        std::abs(width - m_nLastClientWidth) > 2) {
        int topLine = m_nScrollY / GetLinePitch();
        StartLayout(0);
        LayoutUntil(static_cast<size_t>(topLine + ClientHeight() / GetLinePitch() + 2));
        Invalidate();
    } else {
        LayoutUntil(static_cast<size_t>((m_nScrollY + ClientHeight()) / GetLinePitch() + 2));
    }
    UpdateScrollBars();
    return 0;
}

LRESULT CColorTextView::OnVScrollMsg(WPARAM wParam, LPARAM)
{
    int page = (ClientHeight() / GetLinePitch()) * GetLinePitch();
    switch (LOWORD(wParam)) {
    case SB_LINEUP: ScrollByLines(-1); break;
    case SB_LINEDOWN: ScrollByLines(1); break;
    case SB_PAGEUP: ScrollToY(m_nScrollY - page); break;
    case SB_PAGEDOWN: ScrollToY(m_nScrollY + page); break;
    case SB_TOP: ScrollToY(0); break;
    case SB_BOTTOM:
        FinishLayout();
        ScrollToY(DocumentHeight());
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit track position: texts taller than 32767 pixels.
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(m_hWnd, SB_VERT, &si);
        ScrollToY(si.nTrackPos);
        break;
    }
    default: break;
    }
    return 0;
}

LRESULT CColorTextView::OnHScrollMsg(WPARAM wParam, LPARAM)
{
    int step = std::max(1, m_nFontHeight / 2);
    int page = (ClientWidth() / step) * step;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: ScrollToX(m_nScrollX - step); break;
    case SB_LINERIGHT: ScrollToX(m_nScrollX + step); break;
    case SB_PAGELEFT: ScrollToX(m_nScrollX - page); break;
    case SB_PAGERIGHT: ScrollToX(m_nScrollX + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(m_hWnd, SB_HORZ, &si);
        ScrollToX(si.nTrackPos);
        break;
    }
    default: break;
    }
    return 0;
}

LRESULT CColorTextView::OnMouseWheelMsg(WPARAM wParam, LPARAM lParam)
{
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    HWND under = WindowFromPoint(pt);
    // A notch over another pane of the same window scrolls that pane.
    if (under && under != m_hWnd && GetAncestor(under, GA_ROOT) == GetAncestor(m_hWnd, GA_ROOT)) {
        ::PostMessageA(under, WM_MOUSEWHEEL, wParam, lParam);
        return 0;
    }
    if (GET_KEYSTATE_WPARAM(wParam) & (MK_CONTROL | MK_SHIFT))
        return Default();
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int page = (ClientHeight() / GetLinePitch()) * GetLinePitch();
    int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    int step = lines == WHEEL_PAGESCROLL ? page : static_cast<int>(lines) * GetLinePitch();
    if (step > page && page > 0)
        step = page;
    ScrollToY(m_nScrollY - notches * step);
    return 0;
}

HWND CColorTextView::ParentFrame() const
{
    return GetAncestor(m_hWnd, GA_ROOT);
}

LRESULT CColorTextView::OnGetDlgCodeMsg(WPARAM, LPARAM)
{
    return DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
}

LRESULT CColorTextView::OnKeyDownMsg(WPARAM wParam, LPARAM lParam)
{
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    int page = (ClientHeight() / GetLinePitch()) * GetLinePitch();
    int step = std::max(1, m_nFontHeight / 2);
    switch (wParam) {
    case VK_ESCAPE:
        if (shift)
            return Default();
        if (!ctrl)
            ::PostMessageA(ParentFrame(), WM_COMMAND, ID_VIEW_ESCAPE, 0);
        return 0;
    case VK_PRIOR:
    case VK_NEXT:
        if (shift)
            return Default();
        ScrollToY(m_nScrollY + (wParam == VK_NEXT ? page : -page));
        return 0;
    case VK_UP:
        if (shift)
            ScrollToY(m_nScrollY - page);
        else
            ScrollByLines(-1);
        return 0;
    case VK_DOWN:
        if (shift)
            ScrollToY(m_nScrollY + page);
        else
            ScrollByLines(1);
        return 0;
    case VK_LEFT:
        if (!shift)
            ScrollToX(m_nScrollX - step);
        return 0;
    case VK_RIGHT:
        if (!shift)
            ScrollToX(m_nScrollX + step);
        return 0;
    case VK_TAB:
        ::PostMessageA(ParentFrame(), WM_KEYDOWN, VK_TAB, lParam);
        return 0;
    case VK_HOME:
        ScrollToY(0);
        ScrollToX(0);
        UpdateWindow();
        return 0;
    case VK_END:
        FinishLayout();
        ScrollToY(DocumentHeight());
        UpdateWindow();
        return 0;
    default:
        return Default();
    }
}

void CColorTextView::ScrollText(int nAmount, BOOL bUp, BOOL bToNextUnread)
{
    int page = (ClientHeight() / GetLinePitch()) * GetLinePitch();
    int maxY = std::max(0, DocumentHeight() - ClientHeight());
    auto scrollBy = [&](int dir) {
        if (nAmount == 0)
            ScrollByLines(dir);
        else if (m_bScrollSmooth)
            ScrollSmoothly(nAmount == 1 ? page / GetLinePitch() / 2 : page / GetLinePitch(), dir > 0);
        else
            ScrollToY(m_nScrollY + dir * (nAmount == 1 ? page / 2 : page));
    };
    if (m_text.empty() && bToNextUnread && m_nScrollY == 0 && !bUp) {
        ::PostMessageA(ParentFrame(), WM_COMMAND, ID_NEXT_UNREAD_MAIL, 0);
        return;
    }
    if (bUp) {
        scrollBy(-1);
        return;
    }
    // While the layout still runs there is more text below.
    const bool atBottom = m_layout.IsDone() && m_nScrollY >= maxY;
    if (!(bToNextUnread && atBottom)) {
        scrollBy(1);
        if (!(bToNextUnread && m_nScrollY == 0))
            return;
    }
    if (m_bScrollEndRead)
        ::SendMessageA(::GetParent(m_hWnd), WM_QD_SPACE_END_READ, 0, 0);
    ::PostMessageA(ParentFrame(), WM_COMMAND, ID_NEXT_UNREAD_MAIL, 0);
}

void CColorTextView::ScrollSmoothly(int nLines, BOOL bDown)
{
    m_nLineStepY = 2;
    int total = nLines * m_nFontHeight;
    for (int moved = 0; moved < total; moved += 2) {
        int before = m_nScrollY;
        ScrollByLines(bDown ? 1 : -1);
        UpdateWindow();
        if (m_nScrollY == before)
            break;
    }
    m_nLineStepY = 0;
}

int CColorTextView::AutoScroll(BOOL bDown)
{
    m_bAutoScrolling = true;
    int delay = m_nAutoScrollSpeed;
    int key = 0;
    m_nLineStepY = 1;
    while (m_bAutoScrolling) {
        int before = m_nScrollY;
        ScrollByLines(bDown ? 1 : -1);
        if (CWnd* main = AfxGetMainWnd())
            main->UpdateWindow();
        UpdateWindow();
        if (m_nScrollY == before)
            break;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
            switch (msg.wParam) {
            case VK_ESCAPE:
            case 'K':
                key = static_cast<int>(msg.wParam);
                m_bAutoScrolling = false;
                break;
            case VK_SPACE: delay = std::max(1, delay - 1); break;
            case 'B': delay = std::min(40, delay + 1); break;
            case 'M': bDown = !bDown; break;
            case 'N': delay = m_nAutoScrollSpeed; break;
            default: break;
            }
        }
        while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
               PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        }
        Sleep(static_cast<DWORD>(delay));
    }
    m_nLineStepY = 0;
    m_bAutoScrolling = false;
    return key;
}

// ---- Painting ----

CTextColorizer::Carry CColorTextView::CarryBefore(int nLine) const
{
    // A wrapped paragraph is coloured from its first line; the states worked
    // out on the way are kept, so that a paragraph of many thousand display
    // lines (a long text without line breaks) is not coloured from its start
    // at every paint.
    if (m_carry.size() < m_lines.size() + 1)
        m_carry.resize(m_lines.size() + 1);
    int first = nLine;
    while (first > 0 && m_lines[static_cast<size_t>(first - 1)].wrapped && !m_carry[static_cast<size_t>(first)].known)
        --first;
    CTextColorizer::Carry carry;
    if (m_carry[static_cast<size_t>(first)].known)
        carry = m_carry[static_cast<size_t>(first)].carry;
    std::vector<TextSpan> spans;
    for (int i = first; i < nLine; ++i) {
        m_colorizer.ColorLine(m_lines[static_cast<size_t>(i)], carry, false, spans);
        m_carry[static_cast<size_t>(i) + 1] = {carry, true};
    }
    return carry;
}

void CColorTextView::ForgetColors()
{
    m_carry.clear();
}

LRESULT CColorTextView::OnEraseBkgndMsg(WPARAM wParam, LPARAM)
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    FillRect(reinterpret_cast<HDC>(wParam), &rc, m_hBkBrush ? m_hBkBrush : GetSysColorBrush(COLOR_WINDOW));
    return 1;
}

LRESULT CColorTextView::OnPaintMsg(WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    if (m_lines.empty() || !m_hFont) {
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    CSelectedObject font(hdc, m_hFont);
    SetBkMode(hdc, TRANSPARENT);
    const int pitch = GetLinePitch();
    const int tab = m_nAvgCharWidth * m_nTabColumns;
    const int origin = kTextLeft - m_nScrollX;
    int first = std::max(0, (m_nScrollY + static_cast<int>(ps.rcPaint.top)) / pitch - 1);
    if (first >= GetLineCount())
        first = GetLineCount() - 1;
    CTextColorizer::Carry carry = CarryBefore(first);
    std::vector<TextSpan> spans;
    for (int i = first; i < GetLineCount(); ++i) {
        int y = i * pitch + 1 - m_nScrollY;
        if (y >= ps.rcPaint.bottom)
            break;
        const CTextLine& line = m_lines[static_cast<size_t>(i)];
        m_colorizer.ColorLine(line, carry, false, spans);
        int x = origin;
        for (const TextSpan& s : spans) {
            SetTextColor(hdc, s.crColor);
            HGDIOBJ old = s.bBold ? SelectObject(hdc, m_hBoldFont) : nullptr;
            DWORD ext = TabbedTextOutA(hdc, x, y, line.text.data() + s.nStart, static_cast<int>(s.nLength), 1, &tab,
                                       origin);
            x += LOWORD(ext);
            if (old)
                SelectObject(hdc, old);
        }
    }
    {
        int last = (m_nScrollY + static_cast<int>(ps.rcPaint.bottom)) / pitch + 1;
        PaintSelection(hdc, first, last);
    }
    EndPaint(m_hWnd, &ps);
    return 0;
}

// ---- Links ----

void CColorTextView::SpanExtents(HDC hdc, const std::string& text, const std::vector<TextSpan>& spans,
                                 std::vector<int>& xs)
{
    const int tab = m_nAvgCharWidth * m_nTabColumns;
    xs.assign(1, 0);
    CSelectedObject font(hdc, m_hFont);
    for (const TextSpan& s : spans) {
        // Widths from the line start, so that tabs expand as drawn; bold
        // keywords measured in the bold font.
        int before = xs.back();
        int width = 0;
        if (s.bBold) {
            CSelectedObject bold(hdc, m_hBoldFont);
            width = LOWORD(GetTabbedTextExtentA(hdc, text.data() + s.nStart, static_cast<int>(s.nLength), 1, &tab));
        } else {
            int upTo = LOWORD(GetTabbedTextExtentA(hdc, text.data(), static_cast<int>(s.nStart + s.nLength), 1, &tab));
            int start = LOWORD(GetTabbedTextExtentA(hdc, text.data(), static_cast<int>(s.nStart), 1, &tab));
            width = upTo - start;
        }
        xs.push_back(before + width);
    }
}

void CColorTextView::LinkRange(int nLine, size_t nSpan, const std::vector<TextSpan>& spans, TextPos* pFrom,
                               TextPos* pTo) const
{
    const SpanKind kind = spans[nSpan].link;
    size_t a = nSpan, b = nSpan;
    while (a > 0 && spans[a - 1].link == kind)
        --a;
    while (b + 1 < spans.size() && spans[b + 1].link == kind)
        ++b;
    *pFrom = {nLine, static_cast<int>(spans[a].nStart)};
    *pTo = {nLine, static_cast<int>(spans[b].nStart + spans[b].nLength)};
    if (kind != SpanKind::WebAddress)
        return;
    std::vector<TextSpan> other;
    // Back over the lines this address continues from.
    for (int i = nLine; pFrom->nCol == 0 && i > 0 && CarryBefore(i).bUrlContinues;) {
        --i;
        CTextColorizer::Carry carry = CarryBefore(i);
        m_colorizer.ColorLine(m_lines[static_cast<size_t>(i)], carry, false, other);
        size_t k = other.size();
        while (k > 0 && other[k - 1].link == SpanKind::WebAddress)
            --k;
        if (k == other.size())
            break;
        *pFrom = {i, static_cast<int>(other[k].nStart)};
    }
    // On over the lines it goes on into.
    CTextColorizer::Carry carry = CarryBefore(nLine + 1 <= GetLineCount() ? nLine + 1 : nLine);
    for (int i = nLine + 1; carry.bUrlContinues && i < GetLineCount(); ++i) {
        m_colorizer.ColorLine(m_lines[static_cast<size_t>(i)], carry, false, other);
        size_t k = 0;
        while (k < other.size() && other[k].link == SpanKind::WebAddress)
            ++k;
        if (k == 0)
            break;
        *pTo = {i, static_cast<int>(other[k - 1].nStart + other[k - 1].nLength)};
    }
}

SpanKind CColorTextView::LinkAt(POINT pt, std::string* pText)
{
    return LinkAt(pt, pText, nullptr, nullptr);
}

SpanKind CColorTextView::LinkAt(POINT pt, std::string* pText, TextPos* pFrom, TextPos* pTo)
{
    if (m_lines.empty() || !m_hFont)
        return SpanKind::Text;
    int line = (pt.y + m_nScrollY) / GetLinePitch();
    if (line >= GetLineCount())
        line = GetLineCount() - 1;
    if (line < 0)
        return SpanKind::Text;
    CTextColorizer::Carry carry = CarryBefore(line);
    std::vector<TextSpan> spans;
    m_colorizer.ColorLine(m_lines[static_cast<size_t>(line)], carry, false, spans);
    CClientDC dc(m_hWnd);
    std::vector<int> xs;
    SpanExtents(dc, m_lines[static_cast<size_t>(line)].text, spans, xs);
    int x = pt.x + m_nScrollX - kTextLeft;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (x >= xs[i] && x < xs[i + 1]) {
            if (spans[i].link == SpanKind::Text)
                return SpanKind::Text;
            TextPos from, to;
            LinkRange(line, i, spans, &from, &to);
            if (pText) {
                CTextSelection range;
                range.m_start = from;
                range.m_end = to;
                *pText = range.GetText(m_lines);
            }
            if (pFrom)
                *pFrom = from;
            if (pTo)
                *pTo = to;
            return spans[i].link;
        }
    }
    return SpanKind::Text;
}

LRESULT CColorTextView::OnSetCursorMsg(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(lParam) != HTCLIENT || reinterpret_cast<HWND>(wParam) != m_hWnd)
        return Default();
    POINT pt;
    GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    bool link = GetKeyState(VK_LBUTTON) >= 0 && LinkAt(pt, nullptr) != SpanKind::Text;
    SetCursor(LoadCursor(nullptr, link ? IDC_HAND : IDC_IBEAM));
    return TRUE;
}

LRESULT CColorTextView::OnLButtonDownMsg(WPARAM, LPARAM lParam)
{
    SetFocus();
    m_ptDown = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    m_ptLast = m_ptDown;
    m_bAfterDblClk = false;
    m_bDragging = false;
    m_sel.Clear();
    m_sel.m_anchor = PositionAt(m_ptDown);
    InvalidateSelection();
    m_bButtonDown = true;
    ::SetCapture(m_hWnd);
    SetTimer(kDragTimer, 50);
    return 0;
}

LRESULT CColorTextView::OnLButtonUpMsg(WPARAM, LPARAM lParam)
{
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    KillTimer(kDragTimer);
    const bool wasDown = m_bButtonDown;
    m_bButtonDown = false;
    if (m_bAfterDblClk) {
        m_bAfterDblClk = false;
    } else if (wasDown) {
        if (m_bDragging) {
            DragSelectionTo(pt);
            m_sel.Order();
        } else {
            m_sel.Clear();
        }
        if (m_sel.IsEmpty())
            Click(pt, false);
    }
    m_bDragging = false;
    m_ptDown = {-1, -1};
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    return 0;
}

LRESULT CColorTextView::OnLButtonDblClkMsg(WPARAM, LPARAM lParam)
{
    if (IsPreview())
        return 0;
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    m_bAfterDblClk = true;
    TextPos pos = PositionAt(pt);
    if (!pos.IsSet())
        return 0;
    const std::string& text = m_lines[static_cast<size_t>(pos.nLine)].text;
    if (pt.x < kTextLeft) {
        SetSelection({pos.nLine, 0}, {pos.nLine, static_cast<int>(text.size())});
        return 0;
    }
    if (LinkAt(pt, nullptr) != SpanKind::Text) {
        Click(pt, true);
        return 0;
    }
    int from = 0, to = 0;
    CTextSelection::WordAt(text, pos.nCol, &from, &to);
    SetSelection({pos.nLine, from}, {pos.nLine, to});
    return 0;
}

LRESULT CColorTextView::OnMouseActivateMsg(WPARAM wParam, LPARAM lParam)
{
    // A preview never becomes the active view.
    if (IsPreview())
        return MA_NOACTIVATE;
    return CView::OnMouseActivate(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
}

void CColorTextView::Click(POINT pt, bool bDouble)
{
    std::string text;
    TextPos from, to;
    SpanKind kind = LinkAt(pt, &text, &from, &to);
    if (kind == SpanKind::Text)
        return;
    // The link becomes the selection on its first click; the commands act
    // on the selected text.
    if (!bDouble)
        SetSelection(from, to);
    // A link acts on a double click, or on a single one when so set (the
    // double click that follows then does nothing more).
    if ((m_bSingleClickAction != FALSE) == bDouble)
        return;
    m_strLink = text;
    m_linkKind = kind;
    if (kind == SpanKind::WebAddress && m_bDblOpenURL)
        PostMessage(WM_COMMAND, ID_OPEN_URL, 0);
    else if (kind == SpanKind::MailAddress && m_bDblOpenMailEditor)
        PostMessage(WM_COMMAND, ID_WRITE_MAIL_TO_ADDRESS, 0);
}

// The window text of the pane is the text it shows, as for an edit control
// (screen readers and other programs read it this way).
LRESULT CColorTextView::OnGetTextMsg(WPARAM wParam, LPARAM lParam)
{
    char* out = reinterpret_cast<char*>(lParam);
    size_t room = static_cast<size_t>(wParam);
    if (!out || room == 0)
        return 0;
    size_t n = std::min(m_text.size(), room - 1);
    // Never end on the first byte of a double-byte character.
    if (n > 0 && n < m_text.size() && Mbcs::IsTrailByteAt(m_text.data(), m_text.size(), n))
        --n;
    m_text.copy(out, n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT CColorTextView::OnGetTextLengthMsg(WPARAM, LPARAM)
{
    return static_cast<LRESULT>(m_text.size());
}
