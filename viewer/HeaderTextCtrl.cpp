#include "viewer/HeaderTextCtrl.h"

#include "core/FontSet.h"
#include "core/QuendalApp.h"
#include "viewer/MailFontSets.h"

#include <richedit.h>

#include <cstring>

CHeaderTextCtrl::~CHeaderTextCtrl()
{
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
}

BOOL CHeaderTextCtrl::Create(const RECT& rect, DWORD dwStyle, CWnd* pParent, UINT nID)
{
    CQuendalApp* app = QuendalApp();
    m_bRich = app && app->GetOSVersionType() >= 3 && GetModuleHandleA("RICHED20.DLL");
    HWND parent = pParent ? pParent->GetSafeHwnd() : nullptr;
    m_hWnd = CreateWindowExA(0, m_bRich ? "RichEdit20W" : "EDIT", "", dwStyle | WS_CHILD | ES_READONLY, rect.left,
                             rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), nullptr, nullptr);
    if (!m_hWnd && m_bRich) {
        m_bRich = false;
        m_hWnd = CreateWindowExA(0, "EDIT", "", dwStyle | WS_CHILD | ES_READONLY, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), nullptr, nullptr);
    }
    if (m_hWnd && m_bRich)
        ::SendMessageA(m_hWnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_BTNFACE)));
    return m_hWnd != nullptr;
}

BOOL CHeaderTextCtrl::CreateInPlaceOf(HWND hPlaceholder, DWORD dwStyle)
{
    if (!hPlaceholder)
        return FALSE;
    RECT rc;
    ::GetWindowRect(hPlaceholder, &rc);
    HWND parent = ::GetParent(hPlaceholder);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    UINT id = static_cast<UINT>(::GetDlgCtrlID(hPlaceholder));
    ::ShowWindow(hPlaceholder, SW_HIDE);
    // The placeholder keeps its id apart from the field that replaces it.
    ::SetWindowLongPtrA(hPlaceholder, GWLP_ID, 0);
    if (!Create(rc, dwStyle, CWnd::FromHandle(parent), id))
        return FALSE;
    SetFont(reinterpret_cast<HFONT>(::SendMessageA(hPlaceholder, WM_GETFONT, 0, 0)));
    return TRUE;
}

bool CHeaderTextCtrl::TakesPlainText(const char* pszCharset, const char* pszText, bool bRich, bool bHasFontSet)
{
    if (!pszText || !*pszText || !bRich || !pszCharset || !*pszCharset)
        return true;
    if (_stricmp(pszCharset, "iso-2022-jp") == 0 || _stricmp(pszCharset, "us-ascii") == 0)
        return true;
    return !bHasFontSet;
}

std::wstring CHeaderTextCtrl::WideText(const char* pszText, BYTE nFontCharSet)
{
    UINT codePage = CP_ACP;
    if (nFontCharSet != SHIFTJIS_CHARSET) {
        CHARSETINFO info = {};
        if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<DWORD_PTR>(nFontCharSet)), &info, TCI_SRCCHARSET))
            codePage = info.ciACP;
    }
    int n = MultiByteToWideChar(codePage, 0, pszText, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, pszText, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

void CHeaderTextCtrl::SetText(const char* pszCharset, const char* pszText)
{
    m_strCharset = pszCharset ? pszCharset : "";
    m_strText = pszText ? pszText : "";
    if (!m_hWnd)
        return;
    CFontSet* set = m_strCharset.IsEmpty() ? nullptr : CMailFontSets::Instance().GetFontForCharset(m_strCharset);
    if (TakesPlainText(m_strCharset, m_strText, m_bRich, set != nullptr)) {
        ::SetWindowTextA(m_hWnd, m_strText);
        return;
    }
    std::wstring wide = WideText(m_strText, set->GetLogFont().lfCharSet);
    ::SetWindowTextW(m_hWnd, wide.c_str());
}

void CHeaderTextCtrl::SetFont(HFONT hFont)
{
    m_hFont = hFont;
    if (!m_hWnd)
        return;
    if (m_bRich && hFont) {
        LOGFONTA lf = {};
        GetObjectA(hFont, sizeof(lf), &lf);
        CHARFORMAT2A cf = {};
        cf.cbSize = sizeof(cf);
        cf.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_BACKCOLOR | CFM_CHARSET;
        lstrcpynA(cf.szFaceName, lf.lfFaceName, sizeof(cf.szFaceName));
        cf.yHeight = (lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight) * 15;
        cf.dwEffects = lf.lfWeight == FW_BOLD ? CFE_BOLD : 0;
        cf.bCharSet = lf.lfCharSet;
        cf.crBackColor = GetSysColor(COLOR_BTNFACE);
        ::SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
        ::SendMessageA(m_hWnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_BTNFACE)));
    } else {
        ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    }
    SetText(m_strCharset, m_strText);
}

SIZE CHeaderTextCtrl::GetTextExtent() const
{
    SIZE size = {0, 0};
    if (!m_hWnd)
        return size;
    HDC hdc = GetDC(m_hWnd);
    HGDIOBJ old = m_hFont ? SelectObject(hdc, m_hFont) : nullptr;
    GetTextExtentPoint32A(hdc, m_strText, m_strText.GetLength(), &size);
    if (old)
        SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);
    size.cx += 8;
    if (m_bRich)
        size.cy = 0;
    return size;
}
