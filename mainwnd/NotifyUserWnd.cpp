#include "mainwnd/NotifyUserWnd.h"

#include "classlib/GdiSelection.h"
#include "core/QuendalApp.h"
#include "mainwnd/NotifyWndLayout.h"
#include "resources/keys/KeysResource.h"

#include <shellapi.h>

namespace {

const UINT kMsgHotKeyAction = WM_USER + 401;
const UINT kMsgSelectFolder = WM_USER + 411;
const UINT kMsgSelectMail = WM_USER + 329;
const int kRowsTop = 33;
const UINT kMailCommand = 2024;
const UINT kUnreadMailIcon = 131;
const UINT kReadMailIcon = 438;

COLORREF ProfileColor(CQuendalApp* pApp, const char* pszKey, COLORREF def)
{
    return pApp ? static_cast<COLORREF>(pApp->GetProfileInt("Color", pszKey, static_cast<int>(def))) : def;
}

int ProfileWindowInt(const char* pszKey, int nDefault)
{
    CQuendalApp* pApp = QuendalApp();
    return pApp ? pApp->GetProfileInt("Window", pszKey, nDefault) : nDefault;
}

CString ProfileWindowString(const char* pszKey, const char* pszDefault)
{
    CQuendalApp* pApp = QuendalApp();
    return pApp ? pApp->GetProfileString("Window", pszKey, pszDefault) : CString(pszDefault);
}

CString LoadText(UINT nID, const char* pszFallback)
{
    CString text;
    if (!text.LoadString(nID))
        text = pszFallback;
    return text;
}

void DrawArrow(HDC hdc, const RECT& rc, bool bUp, bool bPressed)
{
    const int dx = bPressed ? 1 : 0;
    const int cx = (rc.left + rc.right) / 2 + dx;
    POINT pts[3];
    if (bUp) {
        pts[0] = { cx, rc.top + 3 + dx };
        pts[1] = { rc.left + 2 + dx, rc.bottom - 3 + dx };
        pts[2] = { rc.right - 2 + dx, rc.bottom - 3 + dx };
    } else {
        pts[0] = { cx, rc.bottom - 3 + dx };
        pts[1] = { rc.left + 2 + dx, rc.top + 3 + dx };
        pts[2] = { rc.right - 2 + dx, rc.top + 3 + dx };
    }
    HBRUSH brush = ::CreateSolidBrush(::GetSysColor(COLOR_BTNTEXT));
    {
        CGdiSelection selBrush(hdc, brush);
        CGdiSelection selPen(hdc, ::GetStockObject(NULL_PEN));
        ::Polygon(hdc, pts, 3);
    }
    ::DeleteObject(brush);
}

} // namespace

const char CNotifyUserWnd::kCaption[] = "メール受信通知";

CNotifyUserWnd::CNotifyUserWnd(CNotifyMailData* pData) : m_pData(pData)
{
    CQuendalApp* pApp = QuendalApp();
    m_color1 = ProfileColor(pApp, "NotifyUserWindowFontColor1", 0);
    m_color2 = ProfileColor(pApp, "NotifyUserWindowFontColor2", 0xFF0000);
    m_strFontName = ProfileWindowString("NotifyUserWindowFontName", "ＭＳ Ｐゴシック");
    m_menu.SetBackgroundColor(RGB(255, 255, 255));
}

CNotifyUserWnd::~CNotifyUserWnd()
{
    if (m_hWnd)
        DestroyWindow();
    StopAnimation();
    if (m_hBoldFont)
        ::DeleteObject(m_hBoldFont);
    if (m_hLinkFont)
        ::DeleteObject(m_hLinkFont);
    if (m_hPicture)
        ::DeleteObject(m_hPicture);
}

BOOL CNotifyUserWnd::CreateNotifyWindow()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        return TRUE;
    // A window closed earlier leaves its worker to be collected first.
    StopAnimation();
    CQuendalApp* pApp = QuendalApp();
    const int osClass = pApp ? pApp->GetOSVersionType() : 4;

    CString picture = ProfileWindowString("NotifyUserWindowFilePath", "");
    if (picture.IsEmpty()) {
        char module[MAX_PATH] = "";
        ::GetModuleFileNameA(nullptr, module, sizeof(module));
        CString folder = module;
        int slash = folder.ReverseFind('\\');
        picture = (slash >= 0 ? folder.Left(slash + 1) : CString()) + "RDBack.bmp";
    }
    if (m_hPicture)
        ::DeleteObject(m_hPicture);
    m_hPicture = static_cast<HBITMAP>(::LoadImageA(nullptr, picture, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));

    RECT desktop = {};
    ::GetClientRect(::GetDesktopWindow(), &desktop);
    APPBARDATA bar = {};
    bar.cbSize = sizeof(bar);
    const bool haveBar = ::SHAppBarMessage(ABM_GETTASKBARPOS, &bar) != 0;
    m_ptOrigin = NotifyWndLayout::Position(desktop, haveBar ? &bar.rc : nullptr, osClass,
                                           ProfileWindowInt("NotifyUserWindowPosLeft", NotifyWndLayout::kAutoPosition),
                                           ProfileWindowInt("NotifyUserWindowPosTop", NotifyWndLayout::kAutoPosition));
    m_nRows = NotifyWndLayout::RowCount(osClass);
    m_nOpenStyle = ProfileWindowInt("NotifyUserWindowOpenStyle", 0);
    // A stored place of a window rising from the bottom is its bottom edge.
    const bool stored = ProfileWindowInt("NotifyUserWindowPosLeft", NotifyWndLayout::kAutoPosition) !=
                            NotifyWndLayout::kAutoPosition &&
                        ProfileWindowInt("NotifyUserWindowPosTop", NotifyWndLayout::kAutoPosition) !=
                            NotifyWndLayout::kAutoPosition;
    m_nBottom = stored && m_nOpenStyle == 1 ? m_ptOrigin.y : m_ptOrigin.y + NotifyWndLayout::kHeight;

    const char* cls = AfxRegisterWndClass("CVMNotifyUserWnd", CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW), nullptr,
                                          nullptr);
    if (!CreateEx(WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE, cls, kCaption, WS_CHILD | WS_THICKFRAME, m_ptOrigin.x,
                  m_nOpenStyle == 1 ? m_nBottom - 4 : m_ptOrigin.y, NotifyWndLayout::kWidth, 0, ::GetDesktopWindow(),
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(1000))))
        return FALSE;

    if (!m_hLinkFont)
        m_hLinkFont = ::CreateFontA(12, 0, 0, 0, 300, FALSE, TRUE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, m_strFontName);
    if (!m_hBoldFont)
        m_hBoldFont = ::CreateFontA(12, 0, 0, 0, 600, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, m_strFontName);
    m_strTitle = ProfileWindowString("NotifyUserWindowText", "【メールが到着しました！】");
    m_strFront = LoadText(IDS_NOTIFY_BRING_TO_FRONT, "Corvane Mailを前面にする");
    m_strClose = LoadText(IDS_NOTIFY_CLOSE, "閉じる");
    m_nHover = hoverNone;
    m_nFirstShown = 0;
    m_entries = m_pData ? m_pData->GetEntries() : std::vector<NotifyFolderEntry>();
    Layout();

    m_nOpenTime = ProfileWindowInt("NotifyUserWindowOpenTime", 10);
    m_nElapsed = 0;
    m_bClosing = false;
    m_bWorkerDone = false;
    m_animation = std::thread(&CNotifyUserWnd::Animate, this);
    return TRUE;
}

bool CNotifyUserWnd::Restart()
{
    {
        std::lock_guard<std::mutex> hold(m_timeLock);
        if (m_bClosing)
            return false;
        m_nElapsed = 0;
    }
    if (m_pData)
        m_entries = m_pData->GetEntries();
    if (m_nFirstShown > 0 && m_nFirstShown > static_cast<int>(m_entries.size()) - 1)
        m_nFirstShown = 0;
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

void CNotifyUserWnd::StopAnimation()
{
    if (!m_animation.joinable())
        return;
    m_bStop = true;
    // The worker may be waiting for this thread to take a message it sent
    // the window: serve those until it has ended.
    while (!m_bWorkerDone) {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        ::Sleep(5);
    }
    m_animation.join();
    m_bStop = false;
}

void CNotifyUserWnd::Animate()
{
    struct Done
    {
        std::atomic<bool>& flag;
        ~Done() { flag = true; }
    } done{ m_bWorkerDone };
    const HWND hWnd = m_hWnd;
    auto gone = [&] { return m_bStop || !::IsWindow(hWnd); };
    const int steps = (2 * ::GetSystemMetrics(SM_CYDLGFRAME) + NotifyWndLayout::kHeight) / 4;
    const int x = m_ptOrigin.x;
    // Style 1 rises from a bottom edge; style 0 unfolds downwards.
    const int bottom = m_nBottom;
    auto place = [&](int h) {
        const int y = m_nOpenStyle == 1 ? bottom - h - 4 : m_ptOrigin.y;
        ::SetWindowPos(hWnd, HWND_TOPMOST, x, y, NotifyWndLayout::kWidth, h,
                       SWP_SHOWWINDOW | SWP_NOACTIVATE);
    };
    int h = 0;
    for (int step = 0; step < steps + 50; ++step) {
        if (gone())
            return;
        place(h);
        if (h > NotifyWndLayout::kHeight)
            break;
        h += 4;
        ::Sleep(2);
    }
    if (gone())
        return;
    ::InvalidateRect(hWnd, nullptr, TRUE);
    // The display time counts in whole seconds; new mail starts it again
    // until the window begins to close.
    for (;;) {
        while (m_nElapsed < m_nOpenTime || m_bMenuOpen) {
            for (int i = 0; i < 10 && (m_nElapsed < m_nOpenTime || m_bMenuOpen); ++i) {
                if (gone())
                    return;
                ::Sleep(100);
            }
            ++m_nElapsed;
        }
        std::lock_guard<std::mutex> hold(m_timeLock);
        if (m_nElapsed >= m_nOpenTime && !m_bMenuOpen) {
            m_bClosing = true;
            break;
        }
    }
    for (int step = 0; step < steps + 50 && h > 0; ++step) {
        if (gone())
            return;
        if (!m_bMenuOpen) {
            h -= 4;
            place(h > 0 ? h : 0);
        }
        ::Sleep(2);
    }
    if (!gone()) {
        ::ShowWindow(hWnd, SW_HIDE);
        ::SetWindowPos(hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
    }
}

void CNotifyUserWnd::Layout()
{
    const int w = NotifyWndLayout::kWidth - 2 * ::GetSystemMetrics(SM_CXDLGFRAME) - 2;
    m_rcFront = { 20, 19, w - 20, 31 };
    m_rows.assign(static_cast<size_t>(m_nRows), Row());
    for (int i = 0; i < m_nRows; ++i) {
        m_rows[static_cast<size_t>(i)].rc = { 0, kRowsTop + i * NotifyWndLayout::kRowHeight, w,
                                              kRowsTop + (i + 1) * NotifyWndLayout::kRowHeight };
        m_rows[static_cast<size_t>(i)].bHover = FALSE;
    }
    const int rowsBottom = kRowsTop + m_nRows * NotifyWndLayout::kRowHeight;
    m_rcUp = { w - 14, kRowsTop, w - 2, kRowsTop + 12 };
    m_rcDown = { w - 14, rowsBottom - 12, w - 2, rowsBottom };
    m_rcClose = { w / 3, rowsBottom + 1, w - w / 3, rowsBottom + 13 };
}

void CNotifyUserWnd::Paint(HDC hdc)
{
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (m_hPicture) {
        BITMAP bm = {};
        ::GetObjectA(m_hPicture, sizeof(bm), &bm);
        HDC mem = ::CreateCompatibleDC(hdc);
        {
            CGdiSelection sel(mem, m_hPicture);
            ::SetStretchBltMode(hdc, COLORONCOLOR);
            ::StretchBlt(hdc, 0, 0, client.right, client.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        }
        ::DeleteDC(mem);
    } else {
        HBRUSH brush = ::CreateSolidBrush(RGB(200, 200, 255));
        ::FillRect(hdc, &client, brush);
        ::DeleteObject(brush);
    }
    ::SetBkMode(hdc, TRANSPARENT);
    const int w = NotifyWndLayout::kWidth - 2 * ::GetSystemMetrics(SM_CXDLGFRAME) - 2;
    const UINT centred = DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    {
        CGdiSelection font(hdc, m_hBoldFont);
        RECT rc = { 0, 3, w, 15 };
        ::SetTextColor(hdc, m_color1);
        ::DrawTextA(hdc, m_strTitle, -1, &rc, centred);
    }
    CGdiSelection font(hdc, m_hLinkFont);
    ::SetTextColor(hdc, m_nHover == hoverFront ? m_color2 : m_color1);
    ::DrawTextA(hdc, m_strFront, -1, &m_rcFront, centred);
    const int entries = static_cast<int>(m_entries.size());
    for (int i = 0; i < m_nRows; ++i) {
        const int k = m_nFirstShown + i;
        if (k >= entries)
            break;
        const NotifyFolderEntry& e = m_entries[static_cast<size_t>(k)];
        CString text = NotifyWndLayout::RowText(e.strName, e.nNewMails, e.nUnread);
        ::SetTextColor(hdc, m_rows[static_cast<size_t>(i)].bHover ? m_color2 : m_color1);
        RECT rc = m_rows[static_cast<size_t>(i)].rc;
        ::DrawTextA(hdc, text, -1, &rc, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (m_nFirstShown > 0)
        DrawArrow(hdc, m_rcUp, true, m_bUpPressed != FALSE);
    if (m_nFirstShown + m_nRows < entries)
        DrawArrow(hdc, m_rcDown, false, m_bDownPressed != FALSE);
    ::SetTextColor(hdc, m_nHover == hoverClose ? m_color2 : m_color1);
    ::DrawTextA(hdc, m_strClose, -1, &m_rcClose, centred);
}

int CNotifyUserWnd::RowAt(POINT pt) const
{
    for (int i = 0; i < m_nRows; ++i) {
        if (::PtInRect(&m_rows[static_cast<size_t>(i)].rc, pt)) {
            const int k = m_nFirstShown + i;
            return k < static_cast<int>(m_entries.size()) ? k : -1;
        }
    }
    return -1;
}

void CNotifyUserWnd::OnMouseMove(POINT pt)
{
    int hover = ::PtInRect(&m_rcFront, pt) ? hoverFront : ::PtInRect(&m_rcClose, pt) ? hoverClose : hoverNone;
    if (hover != m_nHover) {
        m_nHover = hover;
        ::InvalidateRect(m_hWnd, &m_rcFront, TRUE);
        ::InvalidateRect(m_hWnd, &m_rcClose, TRUE);
    }
    for (Row& row : m_rows) {
        BOOL over = ::PtInRect(&row.rc, pt);
        if (over != row.bHover) {
            row.bHover = over;
            ::InvalidateRect(m_hWnd, &row.rc, TRUE);
        }
    }
}

void CNotifyUserWnd::BringMainWindowToFront()
{
    CQuendalApp* pApp = QuendalApp();
    HWND hMain = ::FindWindowA("CVMWndClass", nullptr);
    if (hMain && pApp)
        ::PostMessageA(hMain, kMsgHotKeyAction, pApp->m_hotKeyAtoms[CQuendalApp::hotKeyFront], 0);
}

void CNotifyUserWnd::OnLButtonDown(POINT pt)
{
    const int entries = static_cast<int>(m_entries.size());
    if (m_nFirstShown > 0 && ::PtInRect(&m_rcUp, pt)) {
        m_bUpPressed = TRUE;
        m_nFirstShown = NotifyWndLayout::ScrollUp(m_nFirstShown, m_nRows, entries);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        return;
    }
    if (m_nFirstShown + m_nRows < entries && ::PtInRect(&m_rcDown, pt)) {
        m_bDownPressed = TRUE;
        m_nFirstShown = NotifyWndLayout::ScrollDown(m_nFirstShown, m_nRows, entries);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        return;
    }
    if (::PtInRect(&m_rcFront, pt)) {
        BringMainWindowToFront();
        PostMessage(WM_CLOSE);
        return;
    }
    if (::PtInRect(&m_rcClose, pt)) {
        PostMessage(WM_CLOSE);
        return;
    }
    const int k = RowAt(pt);
    if (k >= 0) {
        CQuendalApp* pApp = QuendalApp();
        if (pApp)
            ::PostThreadMessageA(pApp->m_nThreadID, kMsgSelectFolder, static_cast<WPARAM>(m_entries[static_cast<size_t>(k)].nFolderId), 0);
        BringMainWindowToFront();
        PostMessage(WM_CLOSE);
    }
}

void CNotifyUserWnd::OnContextMenu(POINT ptScreen)
{
    POINT pt = ptScreen;
    ::ScreenToClient(m_hWnd, &pt);
    const int k = RowAt(pt);
    if (k < 0)
        return;
    const NotifyFolderEntry entry = m_entries[static_cast<size_t>(k)];
    if (entry.mails.empty())
        return;
    m_menu.Reset();
    for (const NotifyMailItem& mail : entry.mails) {
        CString text;
        text.Format("%s / %s", static_cast<const char*>(mail.strSubject), static_cast<const char*>(mail.strFrom));
        m_menu.AppendItem(MF_STRING, kMailCommand, text, mail.bRead ? kReadMailIcon : kUnreadMailIcon, CLR_INVALID, 0,
                          entry.nFolderId, mail.nIndex);
    }
    m_bMenuOpen = true;
    // Every item has the same command: the item drawn selected last is the one chosen.
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(m_menu.m_hMenu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                           ptScreen.x, ptScreen.y, 0, m_hWnd, nullptr));
    m_bMenuOpen = false;
    const int folderId = static_cast<int>(m_menu.GetChosenData1());
    const int mailIndex = static_cast<int>(m_menu.GetChosenData2());
    m_menu.Reset();
    if (chosen != kMailCommand)
        return;
    BringMainWindowToFront();
    PostMessage(WM_CLOSE);
    if (CQuendalApp* pApp = QuendalApp())
        ::PostThreadMessageA(pApp->m_nThreadID, kMsgSelectMail, static_cast<WPARAM>(folderId), mailIndex);
}

LRESULT CNotifyUserWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        Paint(hdc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        OnMouseMove({ static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) });
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLButtonDown({ static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) });
        return 0;
    case WM_MEASUREITEM:
        if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
            m_menu.MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_DRAWITEM:
        if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
            m_menu.DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_LBUTTONUP:
        if (m_bUpPressed || m_bDownPressed) {
            m_bUpPressed = m_bDownPressed = FALSE;
            ::InvalidateRect(m_hWnd, nullptr, TRUE);
        }
        return 0;
    case WM_RBUTTONUP: {
        POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
        ::ClientToScreen(m_hWnd, &pt);
        OnContextMenu(pt);
        return 0;
    }
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
