#include "mainwnd/MainToolBar.h"

#include "classlib/ImageList.h"
#include "core/QuendalApp.h"

#include <algorithm>
#include <cstring>

namespace {

const char kSection[] = "Settings";
const char kValue[] = "ToolBar Settings";
// Posted to the frame when the buttons changed: it lays itself out again.
const UINT kMsgRelayout = WM_USER + 396;
const int kSeparatorWidth = 6;

TBBUTTON SeparatorButton()
{
    TBBUTTON b = {};
    b.iBitmap = kSeparatorWidth;
    b.fsStyle = BTNS_SEP;
    return b;
}

CString CommandString(int nCommand)
{
    CString text;
    if (nCommand > 0)
        text.LoadString(static_cast<UINT>(nCommand));
    return text;
}

} // namespace

void DeleteToolBarTempKey()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || pApp->m_strRegistryKey.IsEmpty())
        return;
    CString path = "Software\\" + pApp->m_strRegistryKey + "\\" + pApp->m_strProfileName + "\\Settings.tmp";
    ::RegDeleteKeyA(HKEY_CURRENT_USER, path);
}

CMainToolBar::~CMainToolBar()
{
    if (m_hImages)
        ImageList_Destroy(m_hImages);
}

BOOL CMainToolBar::Create(CWnd* pParent, DWORD dwStyle)
{
    if (!CreateEx(pParent, TBSTYLE_FLAT, dwStyle, 0xE800))
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, ::GetWindowLongPtrA(m_hWnd, GWL_STYLE) | CCS_ADJUSTABLE);
    return TRUE;
}

BOOL CMainToolBar::LoadButtons(BOOL bShowText, int nImageSize, const std::vector<UINT>& defaults)
{
    m_bShowText = bShowText;
    m_nImageSize = nImageSize > 0 ? nImageSize : 16;
    SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    m_buttons.clear();
    m_defaults.clear();
    int image = 0;
    for (UINT id : defaults) {
        if (id == ID_SEPARATOR) {
            m_defaults.push_back(-1);
            continue;
        }
        m_defaults.push_back(static_cast<int>(id));
        if (FindButton(static_cast<int>(id)))
            continue;
        Button b;
        b.tb = {};
        b.tb.iBitmap = image++;
        b.tb.idCommand = static_cast<int>(id);
        b.tb.fsState = TBSTATE_ENABLED;
        b.tb.fsStyle = BTNS_BUTTON;
        b.tb.iString = -1;
        CString text = CommandString(b.tb.idCommand);
        int nl = text.Find('\n');
        b.text = nl >= 0 ? text.Left(nl) : text;
        m_buttons.push_back(b);
    }
    RestoreLayout();
    if (m_bShowText)
        UpdateButtonTexts(TRUE);
    return !m_buttons.empty();
}

BOOL CMainToolBar::SetImageBitmap(HBITMAP hBitmap, int nImageSize)
{
    if (!hBitmap)
        return FALSE;
    if (nImageSize > 0)
        m_nImageSize = nImageSize;
    BITMAP bm = {};
    ::GetObjectA(hBitmap, sizeof(bm), &bm);
    HIMAGELIST images = ImageList_Create(m_nImageSize, m_nImageSize, ILC_COLOR24, bm.bmWidth / m_nImageSize, 4);
    if (images && ImageList_Add(images, hBitmap, nullptr) < 0) {
        ImageList_Destroy(images);
        images = nullptr;
    }
    ::DeleteObject(hBitmap);
    return UseImages(images);
}

BOOL CMainToolBar::SetImageResource(UINT nBitmapID, int nImageSize, COLORREF crMask)
{
    m_nImageSize = nImageSize;
    CImageList images;
    if (!images.Create(nBitmapID, nImageSize, 4, crMask))
        return FALSE;
    return UseImages(images.Detach());
}

BOOL CMainToolBar::UseImages(HIMAGELIST hImages)
{
    if (!hImages)
        return FALSE;
    SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(hImages));
    if (m_hImages)
        ImageList_Destroy(m_hImages);
    m_hImages = hImages;
    return TRUE;
}

void CMainToolBar::UpdateButtonTexts(BOOL bResize)
{
    const int count = GetButtonCount();
    for (int i = count - 1; i >= 0; --i) {
        TBBUTTON b = {};
        if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b)) ||
            (b.fsStyle & BTNS_SEP) || b.idCommand == 0)
            continue;
        CString text = CommandString(b.idCommand);
        int nl = text.ReverseFind('\n');
        CString label = nl >= 0 ? text.Mid(nl + 1) : CString();
        if (label.IsEmpty() || !m_bShowText)
            continue;
        TBBUTTONINFOA info = {};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_TEXT;
        info.pszText = const_cast<char*>(static_cast<const char*>(label));
        SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(b.idCommand), reinterpret_cast<LPARAM>(&info));
    }
    if (!bResize)
        return;
    int cx = 0, cy = 0;
    for (int i = 0; i < count; ++i) {
        RECT rc = {};
        if (SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc))) {
            cx = std::max(cx, static_cast<int>(rc.right - rc.left));
            cy = std::max(cy, static_cast<int>(rc.bottom - rc.top));
        }
    }
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(m_nImageSize, m_nImageSize));
    if (cx > 0 && cy > 0)
        SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(cx, cy));
}

const CMainToolBar::Button* CMainToolBar::FindButton(int nCommand) const
{
    for (const Button& b : m_buttons)
        if (b.tb.idCommand == nCommand)
            return &b;
    return nullptr;
}

std::vector<int> CMainToolBar::GetLayout() const
{
    std::vector<int> layout;
    const int count = GetButtonCount();
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        if (SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b)))
            layout.push_back((b.fsStyle & BTNS_SEP) ? -1 : b.idCommand);
    }
    return layout;
}

void CMainToolBar::ApplyLayout(const std::vector<int>& layout)
{
    while (GetButtonCount() > 0)
        SendMessage(TB_DELETEBUTTON, 0);
    std::vector<TBBUTTON> buttons;
    for (int id : layout) {
        if (id == -1) {
            buttons.push_back(SeparatorButton());
        } else if (const Button* b = FindButton(id)) {
            buttons.push_back(b->tb);
        }
    }
    if (!buttons.empty())
        SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    if (m_bShowText)
        UpdateButtonTexts(FALSE);
}

std::vector<BYTE> CMainToolBar::EncodeLayout(const std::vector<int>& layout)
{
    std::vector<BYTE> data(layout.size() * sizeof(int32_t));
    for (size_t i = 0; i < layout.size(); ++i) {
        int32_t v = layout[i];
        std::memcpy(&data[i * sizeof(v)], &v, sizeof(v));
    }
    return data;
}

bool CMainToolBar::DecodeLayout(const BYTE* pData, UINT nBytes, std::vector<int>& layout)
{
    layout.clear();
    if (!pData || nBytes == 0 || nBytes % sizeof(int32_t) != 0)
        return false;
    for (UINT pos = 0; pos < nBytes; pos += sizeof(int32_t)) {
        int32_t v = 0;
        std::memcpy(&v, pData + pos, sizeof(v));
        if (v < -1 || v == 0 || v > 0xFFFF)
            return false;
        layout.push_back(v);
    }
    return true;
}

BOOL CMainToolBar::SaveLayout()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return FALSE;
    std::vector<BYTE> data = EncodeLayout(GetLayout());
    BOOL ok = pApp->WriteProfileBinary(kSection, kValue, data.data(), static_cast<UINT>(data.size()));
    DeleteToolBarTempKey();
    return ok;
}

BOOL CMainToolBar::RestoreLayout()
{
    CQuendalApp* pApp = QuendalApp();
    BYTE* data = nullptr;
    UINT size = 0;
    std::vector<int> layout;
    bool stored = pApp && pApp->GetProfileBinary(kSection, kValue, &data, &size) && DecodeLayout(data, size, layout);
    delete[] data;
    ApplyLayout(stored ? layout : m_defaults);
    DeleteToolBarTempKey();
    return stored;
}

void CMainToolBar::Customize()
{
    // No re-layout of the frame while the dialog is open.
    m_bCustomizing = TRUE;
    Invalidate();
    SendMessage(TB_CUSTOMIZE);
    m_bCustomizing = FALSE;
    if (CWnd* pParent = GetParent())
        pParent->PostMessage(kMsgRelayout);
}

bool CMainToolBar::IsOnButton(POINT pt) const
{
    return SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)) >= 0;
}

BOOL CMainToolBar::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_NOTIFY)
        return CToolBar::OnChildNotify(message, wParam, lParam, pResult);
    const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
    switch (hdr->code) {
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE:
        // The toolbar is always docked here.
        *pResult = TRUE;
        return TRUE;
    case TBN_GETBUTTONINFOA: {
        auto* nm = reinterpret_cast<NMTOOLBARA*>(lParam);
        if (nm->iItem < 0 || nm->iItem >= static_cast<int>(m_buttons.size())) {
            *pResult = FALSE;
            return TRUE;
        }
        const Button& b = m_buttons[static_cast<size_t>(nm->iItem)];
        nm->tbButton = b.tb;
        if (nm->pszText && nm->cchText > 0)
            lstrcpynA(nm->pszText, b.text, nm->cchText);
        *pResult = TRUE;
        return TRUE;
    }
    case TBN_GETBUTTONINFOW: {
        auto* nm = reinterpret_cast<NMTOOLBARW*>(lParam);
        if (nm->iItem < 0 || nm->iItem >= static_cast<int>(m_buttons.size())) {
            *pResult = FALSE;
            return TRUE;
        }
        const Button& b = m_buttons[static_cast<size_t>(nm->iItem)];
        nm->tbButton = b.tb;
        if (nm->pszText && nm->cchText > 0) {
            int n = ::MultiByteToWideChar(932, 0, b.text, -1, nm->pszText, nm->cchText);
            nm->pszText[n > 0 ? n - 1 : 0] = 0;
            nm->pszText[nm->cchText - 1] = 0;
        }
        *pResult = TRUE;
        return TRUE;
    }
    case TBN_TOOLBARCHANGE:
        if (!m_bCustomizing) {
            if (CWnd* pParent = GetParent())
                pParent->PostMessage(kMsgRelayout);
        }
        *pResult = 0;
        return TRUE;
    case TBN_ENDADJUST:
        SaveLayout();
        *pResult = 0;
        return TRUE;
    case TBN_RESET:
        RestoreLayout();
        *pResult = 0;
        return TRUE;
    case TBN_BEGINADJUST:
    case TBN_BEGINDRAG:
    case TBN_ENDDRAG:
    case TBN_CUSTHELP:
        *pResult = 0;
        return TRUE;
    default:
        return CToolBar::OnChildNotify(message, wParam, lParam, pResult);
    }
}

LRESULT CMainToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    switch (message) {
    case WM_LBUTTONDBLCLK:
        // A double click on a button is a press; beside the buttons it opens the customise dialog.
        if (IsOnButton(pt))
            return CToolBar::WindowProc(WM_LBUTTONDOWN, wParam, lParam);
        Customize();
        return 0;
    case WM_LBUTTONDOWN:
        if (!IsOnButton(pt))
            return 0;
        break;
    case WM_LBUTTONUP:
        if (!IsOnButton(pt)) {
            if (::GetCapture() == m_hWnd)
                ::ReleaseCapture();
        }
        break;
    default:
        break;
    }
    return CToolBar::WindowProc(message, wParam, lParam);
}
