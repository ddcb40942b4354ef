#include "core/QListCtrl.h"

#include "classlib/GdiSelection.h"

#include "core/ColoredComboBox.h"
#include "core/FileUtil.h"

namespace {

const int kDrawnColumns = 6;

int TextWidth(HDC hdc, const char* p, int n)
{
    SIZE size = {};
    GetTextExtentPoint32A(hdc, p, n, &size);
    return size.cx;
}

} // namespace

BEGIN_MESSAGE_MAP(CQListCtrl, CListCtrl)
    ON_MESSAGE(WM_SIZE, OnSizeMsg)
END_MESSAGE_MAP()

CQListCtrl::~CQListCtrl()
{
    if (m_hWnd)
        DestroyWindow();
    if (m_hNormalFont)
        DeleteObject(m_hNormalFont);
    if (m_hBoldFont)
        DeleteObject(m_hBoldFont);
}

CImageList& CQListCtrl::GetSortImages()
{
    if (!m_sortImages.GetSafeHandle() && m_sortImages.Create(16, 16, ILC_MASK | ILC_COLOR24, 2, 4)) {
        for (UINT id : { IDI_SORT_ASCENDING, IDI_SORT_DESCENDING }) {
            HICON icon = static_cast<HICON>(
                LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
            m_sortImages.Add(icon);
            if (icon)
                DestroyIcon(icon);
        }
    }
    return m_sortImages;
}

HFONT CQListCtrl::GetNormalFont()
{
    if (!m_hNormalFont) {
        LOGFONTA lf = {};
        HFONT current = GetFont();
        GetObjectA(current ? static_cast<HGDIOBJ>(current) : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        m_hNormalFont = CreateFontIndirectA(&lf);
    }
    return m_hNormalFont;
}

HFONT CQListCtrl::GetBoldFont()
{
    if (!m_hBoldFont) {
        LOGFONTA lf = {};
        GetObjectA(GetNormalFont(), sizeof(lf), &lf);
        lf.lfWeight = FW_BOLD;
        m_hBoldFont = CreateFontIndirectA(&lf);
    }
    return m_hBoldFont;
}

CString CQListCtrl::FitText(HDC hdc, const CString& text, int nWidth)
{
    int len = text.GetLength();
    if (TextWidth(hdc, text, len) <= nWidth)
        return text;
    static const char kEllipsis[] = "...";
    int n = len;
    while (n > 0) {
        CString candidate = text.Left(n) + kEllipsis;
        if (TextWidth(hdc, candidate, candidate.GetLength()) <= nWidth)
            break;
        --n;
    }
    if (n > 0 && n < len && Mbcs::IsTrailByteAt(text, static_cast<size_t>(len), static_cast<size_t>(n)))
        --n;
    return text.Left(n) + kEllipsis;
}

LRESULT CQListCtrl::OnSizeMsg(WPARAM, LPARAM)
{
    LRESULT result = Default();
    Arrange(LVA_DEFAULT);
    return result;
}

BOOL CQListCtrl::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_DRAWITEM)
        return FALSE;
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *pResult = TRUE;
    return TRUE;
}

void CQListCtrl::DrawItem(DRAWITEMSTRUCT* pDis)
{
    if (!(pDis->itemAction & ODA_DRAWENTIRE) || (GetStyle() & LVS_TYPEMASK) != LVS_REPORT)
        return;
    HDC hdc = pDis->hDC;
    int nItem = static_cast<int>(pDis->itemID);
    bool selected = (GetItemState(nItem, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    COLORREF crText;
    int nBrush;
    if (selected) {
        nBrush = ::GetFocus() == m_hWnd ? COLOR_HIGHLIGHT : COLOR_GRAYTEXT;
        crText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        nBrush = COLOR_WINDOW;
        crText = GetSysColor(COLOR_WINDOWTEXT);
    }
    RECT rcItem = pDis->rcItem;
    FillRect(hdc, &rcItem, GetSysColorBrush(nBrush));
    COLORREF oldText = SetTextColor(hdc, crText);
    int oldMode = SetBkMode(hdc, TRANSPARENT);

    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    HIMAGELIST images = GetImageList(LVSIL_SMALL);

    int x = rcItem.left;
    for (int col = 0; col < kDrawnColumns; ++col) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH;
        if (!GetColumn(col, &column))
            break;
        int width = column.cx;
        if (col == 0) {
            if (images && width > 2) {
                int cx = width < 16 ? width - 2 : 16;
                int y = rcItem.top + (rcItem.bottom - rcItem.top - 16) / 2;
                ImageList_DrawEx(images, item.iImage, hdc, x + 2, y, cx, 16, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
            }
        } else {
            RECT rc = { x + 2, rcItem.top, x + width, rcItem.bottom };
            UINT flags = kItemTextFlags;
            switch (column.fmt & LVCFMT_JUSTIFYMASK) {
            case LVCFMT_RIGHT:
                flags |= DT_RIGHT;
                break;
            case LVCFMT_CENTER:
                flags |= DT_CENTER;
                break;
            default:
                break;
            }
            CString text = FitText(hdc, GetItemText(nItem, col, 260), rc.right - rc.left);
            DrawTextA(hdc, text, text.GetLength(), &rc, flags);
        }
        x += width;
    }
    SetBkMode(hdc, oldMode);
    SetTextColor(hdc, oldText);
}

BOOL CQListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    // From Windows XP on the header draws the sort mark itself.
    if (hdr && hdr->code == NM_CUSTOMDRAW && hdr->hwndFrom == GetHeaderCtrl() && m_nSortColumn >= 0 &&
        GetOSVersionTypeOfApp() < 3) {
        auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
        if (cd->dwDrawStage == CDDS_PREPAINT) {
            *pResult = CDRF_NOTIFYPOSTPAINT;
            return TRUE;
        }
        if (cd->dwDrawStage == CDDS_POSTPAINT) {
            DrawSortHeader();
            *pResult = CDRF_DODEFAULT;
            return TRUE;
        }
    }
    return CListCtrl::OnNotify(wParam, lParam, pResult);
}

void CQListCtrl::DrawSortHeader()
{
    HWND hHeader = GetHeaderCtrl();
    RECT rc;
    if (!hHeader || !::SendMessageA(hHeader, HDM_GETITEMRECT, static_cast<WPARAM>(m_nSortColumn), reinterpret_cast<LPARAM>(&rc)))
        return;
    char text[256] = "";
    HDITEMA hdi = {};
    hdi.mask = HDI_TEXT;
    hdi.pszText = text;
    hdi.cchTextMax = sizeof(text);
    ::SendMessageA(hHeader, HDM_GETITEMA, static_cast<WPARAM>(m_nSortColumn), reinterpret_cast<LPARAM>(&hdi));

    HDC hdc = ::GetDC(hHeader);
    if (!hdc)
        return;
    InflateRect(&rc, -2, -2);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    if (rc.right - rc.left > 12) {
        bool descending = m_pbSortDescending && *m_pbSortDescending;
        int y = (rc.top + rc.bottom - 10) / 2;
        ImageList_DrawEx(GetSortImages(), descending ? 1 : 0, hdc, rc.left + 2, y, 10, 10, CLR_NONE, CLR_NONE,
                         ILD_TRANSPARENT);
    }
    {
        CGdiSelection font(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hHeader, WM_GETFONT, 0, 0)));
        COLORREF oldText = SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        int oldMode = SetBkMode(hdc, TRANSPARENT);
        RECT rcText = { rc.left + 14, rc.top, rc.right, rc.bottom };  // the item's right edge - 2
        if (rcText.right > rcText.left)
            DrawTextA(hdc, text, -1, &rcText, kItemTextFlags & ~DT_NOCLIP);
        SetBkMode(hdc, oldMode);
        SetTextColor(hdc, oldText);
    }
    ::ReleaseDC(hHeader, hdc);
}

HIMAGELIST CQListCtrl::CreateSelectionDragImage(POINT* pptTopLeft)
{
    RECT unionRect = {};
    bool any = false;
    CArray<RECT, const RECT&> rects;
    for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED)) {
        RECT icon, label;
        if (!GetItemRect(i, &icon, LVIR_ICON) || !GetItemRect(i, &label, LVIR_LABEL))
            continue;
        RECT both;
        UnionRect(&both, &icon, &label);
        rects.Add(icon);
        rects.Add(label);
        if (any) {
            UnionRect(&unionRect, &unionRect, &both);
        } else {
            unionRect = both;
            any = true;
        }
    }
    if (!any)
        return nullptr;
    int cx = unionRect.right - unionRect.left, cy = unionRect.bottom - unionRect.top;
    HDC screen = ::GetDC(nullptr);
    HDC dcImage = CreateCompatibleDC(screen);
    HDC dcMask = CreateCompatibleDC(screen);
    HBITMAP image = CreateCompatibleBitmap(screen, cx, cy);
    HBITMAP mask = CreateBitmap(cx, cy, 1, 1, nullptr);
    ::ReleaseDC(nullptr, screen);
    HIMAGELIST list = nullptr;
    if (dcImage && dcMask && image && mask) {
        HPEN grey = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
        {
            CGdiSelection bmp1(dcImage, image), bmp2(dcMask, mask);
            RECT all = { 0, 0, cx, cy };
            FillRect(dcImage, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            FillRect(dcMask, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            CGdiSelection pen1(dcImage, grey), pen2(dcMask, GetStockObject(BLACK_PEN));
            CGdiSelection brush1(dcImage, GetStockObject(NULL_BRUSH)), brush2(dcMask, GetStockObject(NULL_BRUSH));
            Rectangle(dcImage, 0, 0, cx, cy);
            Rectangle(dcMask, 0, 0, cx, cy);
            for (int i = 0; i < rects.GetSize(); ++i) {
                RECT r = rects[i];
                OffsetRect(&r, -unionRect.left, -unionRect.top);
                Rectangle(dcImage, r.left, r.top, r.right, r.bottom);
                Rectangle(dcMask, r.left, r.top, r.right, r.bottom);
            }
        }
        DeleteObject(grey);
        list = ImageList_Create(cx, cy, ILC_MASK | ILC_COLOR24, 1, 0);
        if (list && ImageList_Add(list, image, mask) < 0) {
            ImageList_Destroy(list);
            list = nullptr;
        }
    }
    if (image)
        DeleteObject(image);
    if (mask)
        DeleteObject(mask);
    if (dcImage)
        DeleteDC(dcImage);
    if (dcMask)
        DeleteDC(dcMask);
    if (list && pptTopLeft)
        *pptTopLeft = { unionRect.left, unionRect.top };
    return list;
}
