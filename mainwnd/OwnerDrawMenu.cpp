#include "mainwnd/OwnerDrawMenu.h"

#include "classlib/GdiSelection.h"

#include <cctype>

namespace {

const char kTitleText[] = "APP_TITLE";
const UINT kProductNameString = 101;

} // namespace

COwnerDrawMenu::COwnerDrawMenu(int nIconWidth, int nIconHeight)
    : m_cxIcon(nIconWidth), m_cyIcon(nIconHeight), m_background(::GetSysColor(COLOR_MENU))
{
    m_hImages = ImageList_Create(m_cxIcon, m_cyIcon, ILC_COLOR32 | ILC_MASK, 4, 4);
    m_hBackBrush = ::CreateSolidBrush(m_background);
    m_hBackPen = ::CreatePen(PS_SOLID, 1, m_background);
    m_hHighlightBrush = ::CreateSolidBrush(::GetSysColor(COLOR_HIGHLIGHT));
    m_hTitleBrush = ::CreateSolidBrush(0xFF0000);
    CreatePopupMenu();
}

COwnerDrawMenu::~COwnerDrawMenu()
{
    DestroyMenu();
    DeleteGdi();
    if (m_hImages)
        ImageList_Destroy(m_hImages);
}

void COwnerDrawMenu::DeleteGdi()
{
    for (HGDIOBJ* h : { reinterpret_cast<HGDIOBJ*>(&m_hBackBrush), reinterpret_cast<HGDIOBJ*>(&m_hBackPen),
                        reinterpret_cast<HGDIOBJ*>(&m_hHighlightBrush), reinterpret_cast<HGDIOBJ*>(&m_hTitleBrush) }) {
        if (*h)
            ::DeleteObject(*h);
        *h = nullptr;
    }
}

BOOL COwnerDrawMenu::AppendItem(UINT nFlags, UINT nID, const char* pszText, UINT nIconID, COLORREF color,
                                char chMnemonic, LPARAM data1, LPARAM data2)
{
    if (!m_hMenu && !CreatePopupMenu())
        return FALSE;
    if (nFlags == 0 && nID == 0 && pszText && lstrcmpA(pszText, kTitleText) == 0)
        return ::AppendMenuA(m_hMenu, MF_OWNERDRAW | MF_DISABLED, 0, nullptr);
    auto item = std::make_unique<COwnerDrawMenuItem>();
    item->nFlags = nFlags;
    item->nID = nID;
    item->strText = pszText ? pszText : "";
    item->nIconID = nIconID;
    item->color = color;
    item->chMnemonic = static_cast<char>(std::toupper(static_cast<unsigned char>(chMnemonic)));
    item->data1 = data1;
    item->data2 = data2;
    if (item->strText.GetLength() > m_nLongest)
        m_nLongest = item->strText.GetLength();
    if (nIconID && m_hImages) {
        HICON hIcon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIconID), IMAGE_ICON,
                                                      m_cxIcon, m_cyIcon, 0));
        if (hIcon) {
            item->nImage = ImageList_AddIcon(m_hImages, hIcon);
            ::DestroyIcon(hIcon);
        }
    }
    BOOL ok;
    if (nFlags & MF_SEPARATOR)
        ok = ::AppendMenuA(m_hMenu, MF_SEPARATOR, 0, nullptr);
    else
        ok = ::AppendMenuA(m_hMenu, (nFlags & ~MF_STRING) | MF_OWNERDRAW, nID,
                           reinterpret_cast<const char*>(item.get()));
    if (ok)
        m_items.push_back(std::move(item));
    return ok;
}

void COwnerDrawMenu::Reset()
{
    DestroyMenu();
    m_items.clear();
    m_nLongest = 0;
    if (m_hImages)
        ImageList_RemoveAll(m_hImages);
    CreatePopupMenu();
}

void COwnerDrawMenu::SetBackgroundColor(COLORREF color)
{
    m_background = color;
    if (m_hBackBrush)
        ::DeleteObject(m_hBackBrush);
    if (m_hBackPen)
        ::DeleteObject(m_hBackPen);
    m_hBackBrush = ::CreateSolidBrush(color);
    m_hBackPen = ::CreatePen(PS_SOLID, 1, color);
}

const COwnerDrawMenuItem* COwnerDrawMenu::ItemAt(int nPos) const
{
    if (!m_hMenu)
        return nullptr;
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_FTYPE;
    if (!::GetMenuItemInfoA(m_hMenu, static_cast<UINT>(nPos), TRUE, &info))
        return nullptr;
    if (info.fType & MFT_SEPARATOR) {
        // Separators carry no data: count them in append order.
        int seen = 0;
        for (int i = 0; i <= nPos; ++i) {
            MENUITEMINFOA other = {};
            other.cbSize = sizeof(other);
            other.fMask = MIIM_FTYPE;
            ::GetMenuItemInfoA(m_hMenu, static_cast<UINT>(i), TRUE, &other);
            if (other.fType & MFT_SEPARATOR)
                ++seen;
        }
        for (const auto& item : m_items)
            if ((item->nFlags & MF_SEPARATOR) && --seen == 0)
                return item.get();
        return nullptr;
    }
    for (const auto& item : m_items)
        if (reinterpret_cast<ULONG_PTR>(item.get()) == info.dwItemData)
            return item.get();
    return nullptr;
}

bool COwnerDrawMenu::HandleOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_MEASUREITEM && reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
        MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    if (message == WM_DRAWITEM && reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
        DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    if (message == WM_MENUCHAR && reinterpret_cast<HMENU>(lParam) == m_hMenu) {
        result = OnMenuChar(static_cast<char>(LOWORD(wParam)));
        return true;
    }
    return false;
}

LRESULT COwnerDrawMenu::OnMenuChar(char ch)
{
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const int count = GetMenuItemCount();
    for (int pos = 0; pos < count; ++pos) {
        const COwnerDrawMenuItem* item = ItemAt(pos);
        if (!item || (item->nFlags & MF_SEPARATOR) || !item->chMnemonic || item->chMnemonic != upper)
            continue;
        m_strChosen = item->strText;
        m_chosen1 = item->data1;
        m_chosen2 = item->data2;
        // The menu runs the item itself; posting its command as well would run it twice.
        return MAKELRESULT(pos, MNC_EXECUTE);
    }
    return 0;
}

void COwnerDrawMenu::MeasureItem(MEASUREITEMSTRUCT* pMeasure) const
{
    pMeasure->itemHeight = static_cast<UINT>(m_cyIcon + 2);
    pMeasure->itemWidth = static_cast<UINT>(m_cxIcon + 6 * m_nLongest + 4);
}

void COwnerDrawMenu::DrawItem(const DRAWITEMSTRUCT* pDraw)
{
    HDC hdc = pDraw->hDC;
    RECT r = pDraw->rcItem;
    const auto* item = reinterpret_cast<const COwnerDrawMenuItem*>(pDraw->itemData);
    bool known = false;
    for (const auto& own : m_items)
        known = known || own.get() == item;
    ::SetBkMode(hdc, TRANSPARENT);
    if (!item || !known) {
        // The title band: the product name, embossed on blue.
        CString title;
        if (!title.LoadString(kProductNameString))
            title = "Corvane Mail";
        RECT band = r;
        band.bottom -= 2;
        ::FillRect(hdc, &band, m_hTitleBrush);
        SIZE size = {};
        ::GetTextExtentPoint32A(hdc, title, title.GetLength(), &size);
        const int x = r.left + (r.right - r.left - size.cx) / 2 - 4;
        RECT shadow = { x + 1, r.top - 1, r.right, r.bottom - 1 };
        ::SetTextColor(hdc, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextA(hdc, title, -1, &shadow, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        RECT light = { x, r.top - 2, r.right, r.bottom - 2 };
        ::SetTextColor(hdc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextA(hdc, title, -1, &light, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        return;
    }
    const bool selected = (pDraw->itemState & ODS_SELECTED) != 0;
    const bool hasIcon = item->nImage >= 0;
    COLORREF textColor;
    if (selected) {
        RECT fill = r;
        if (hasIcon)
            fill.left += m_cxIcon + 4;
        ::FillRect(hdc, &fill, m_hHighlightBrush);
        textColor = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        if (hasIcon) {
            RECT frame = { r.left, r.top, r.left + m_cxIcon + 4, r.top + m_cyIcon + 2 };
            ::FillRect(hdc, &frame, m_hBackBrush);
            ::DrawEdge(hdc, &frame, BDR_RAISEDINNER, BF_RECT);
        }
        m_strChosen = item->strText;
        m_chosen1 = item->data1;
        m_chosen2 = item->data2;
    } else {
        ::FillRect(hdc, &r, m_hBackBrush);
        CGdiSelection pen(hdc, m_hBackPen);
        CGdiSelection brush(hdc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(hdc, r.left, r.top, r.right, r.bottom);
        textColor = ::GetSysColor(COLOR_BTNTEXT);
    }
    const int iconTop = r.top + (r.bottom - r.top - m_cyIcon) / 2;
    if (hasIcon) {
        ImageList_Draw(m_hImages, item->nImage, hdc, r.left + 2, iconTop, ILD_TRANSPARENT);
    } else if (item->color != CLR_INVALID) {
        RECT swatch = { r.left + 2, iconTop, r.left + 2 + m_cxIcon, iconTop + m_cyIcon };
        HBRUSH brush = ::CreateSolidBrush(item->color);
        ::FillRect(hdc, &swatch, brush);
        ::DeleteObject(brush);
    }
    RECT text = r;
    text.left += m_cxIcon + 16;
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    if (pDraw->itemState & ODS_GRAYED) {
        if (!selected) {
            RECT raised = { text.left + 1, text.top + 1, text.right + 1, text.bottom + 1 };
            ::SetTextColor(hdc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
            ::DrawTextA(hdc, item->strText, -1, &raised, flags);
        }
        ::SetTextColor(hdc, ::GetSysColor(COLOR_GRAYTEXT));
    } else {
        ::SetTextColor(hdc, textColor);
    }
    ::DrawTextA(hdc, item->strText, -1, &text, flags);
}
