#include "core/FolderTreeCtrl.h"

#include "classlib/GdiSelection.h"

#include "core/QuendalApp.h"
#include "mainwnd/MainFrame.h"
#include "store/MailFolderStore.h"

namespace {

const int kCountGap = 5;
const int kCountWidth = 50;
const int kSendFolderKind = 5;

} // namespace

BEGIN_MESSAGE_MAP(CFolderTreeCtrl, CTreeCtrl)
    ON_MESSAGE(WM_PAINT, OnPaintMsg)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheelMsg)
    ON_MESSAGE(WM_KEYUP, OnKeyUpMsg)
END_MESSAGE_MAP()

CFolderTreeCtrl::CFolderTreeCtrl()
    : m_crUnread(RGB(0, 0, 255)), m_crUnread2(RGB(255, 0, 0)), m_crCount(RGB(0, 128, 0)),
      m_crBack(GetSysColor(COLOR_WINDOW))
{
}

CFolderTreeCtrl::~CFolderTreeCtrl()
{
    if (m_hWnd)
        DestroyWindow();
    if (m_hCountFont)
        DeleteObject(m_hCountFont);
}

COLORREF CFolderTreeCtrl::SetTextColor(COLORREF cr)
{
    COLORREF old = static_cast<COLORREF>(SendMessage(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(cr)));
    // The tree paints its lines in the text colour only when the line style
    // is switched anew.
    DWORD style = GetStyle();
    if (style & TVS_HASLINES) {
        ModifyStyle(TVS_HASLINES, 0);
        ModifyStyle(0, TVS_HASLINES);
    }
    if (m_hCountFont) {
        DeleteObject(m_hCountFont);
        m_hCountFont = nullptr;
    }
    return old;
}

COLORREF CFolderTreeCtrl::SetBkColor(COLORREF cr)
{
    COLORREF old = m_crBack;
    SendMessage(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(cr));
    m_crBack = cr;
    return old;
}

bool CFolderTreeCtrl::CountsAllMails(CMailFolderStore* pStore)
{
    return pStore->GetKind() == kSendFolderKind;
}

bool CFolderTreeCtrl::UsesSecondCountColor(CMailFolderStore*)
{
    return false;
}

LRESULT CFolderTreeCtrl::OnPaintMsg(WPARAM, LPARAM)
{
    LRESULT result = Default();
    PaintCounts();
    return result;
}

void CFolderTreeCtrl::PaintCounts()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    if (!m_hCountFont) {
        LOGFONTA lf = {};
        HFONT treeFont = GetFont();
        GetObjectA(treeFont ? static_cast<HGDIOBJ>(treeFont) : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        m_hCountFont = CreateFontIndirectA(&lf);
    }
    HDC hdc = ::GetDC(m_hWnd);
    if (!hdc)
        return;
    {
        CGdiSelection font(hdc, m_hCountFont);
        int oldMode = SetBkMode(hdc, TRANSPARENT);
        COLORREF oldText = ::GetTextColor(hdc);
        COLORREF oldBack = ::SetBkColor(hdc, m_crBack);
        RECT client;
        GetClientRect(&client);
        for (HTREEITEM hItem = GetFirstVisibleItem(); hItem; hItem = GetNextVisibleItem(hItem)) {
            RECT rc;
            if (!GetItemRect(hItem, &rc, TRUE))
                continue;
            if (rc.top >= client.bottom)
                break;
            CMailFolderStore* store = app->FindFolder(static_cast<int>(GetItemData(hItem)));
            if (!store)
                continue;
            // The tree repaints without erasing and never paints beside an
            // item's label: the count painted before goes first, so a count
            // that shrank or reached zero does not stay on the screen.
            RECT rcCount = { rc.right + kCountGap, rc.top, rc.right + kCountGap + kCountWidth, rc.bottom };
            ::ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &rcCount, "", 0, nullptr);
            int count;
            COLORREF cr;
            if (CountsAllMails(store)) {
                count = store->GetMailCount();
                if (count <= 0)
                    continue;
                cr = m_crCount;
            } else {
                count = store->GetUnreadCount();
                if (count == 0)
                    continue;
                cr = UsesSecondCountColor(store) ? m_crUnread2 : m_crUnread;
            }
            char text[32];
            wsprintfA(text, "[%d]", count);
            ::SetTextColor(hdc, cr);
            DrawTextA(hdc, text, -1, &rcCount, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
        }
        ::SetTextColor(hdc, oldText);
        ::SetBkColor(hdc, oldBack);
        SetBkMode(hdc, oldMode);
    }
    ::ReleaseDC(m_hWnd, hdc);
}

BOOL CFolderTreeCtrl::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT*)
{
    if (message != WM_NOTIFY)
        return FALSE;
    auto* hdr = reinterpret_cast<NMTREEVIEWA*>(lParam);
    if (hdr->hdr.code == TVN_ITEMEXPANDEDA || hdr->hdr.code == TVN_ITEMEXPANDEDW) {
        if (CWinApp* app = AfxGetApp()) {
            ::PostThreadMessageA(app->m_nThreadID, WM_QD_FOLDER_EXPANDED, reinterpret_cast<WPARAM>(hdr->itemNew.hItem),
                                 static_cast<LPARAM>(GetItemData(hdr->itemNew.hItem)));
        }
    }
    return FALSE;  // the parent sees the notification as well
}

LRESULT CFolderTreeCtrl::OnMouseWheelMsg(WPARAM wParam, LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    HWND hTarget = ::WindowFromPoint(pt);
    CQuendalApp* app = QuendalApp();
    CWnd* frame = app ? static_cast<CWnd*>(app->m_pMainFrame) : nullptr;
    HWND hFrame = frame ? frame->m_hWnd : nullptr;
    if (hTarget && hTarget != m_hWnd && hFrame && ::IsChild(hFrame, hTarget))
        return ::SendMessageA(hTarget, WM_MOUSEWHEEL, wParam, lParam);
    return Default();
}

LRESULT CFolderTreeCtrl::OnKeyUpMsg(WPARAM wParam, LPARAM)
{
    if (wParam == VK_SHIFT)
        OnShiftReleased();
    return Default();
}
