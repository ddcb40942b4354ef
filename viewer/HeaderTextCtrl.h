// CHeaderTextCtrl: a read-only field that shows one header value. Where
// the system allows (Windows XP and later) it is a Unicode rich-edit
// control, so that a value in another character set shows in the font of
// that set; otherwise a plain edit control.
#pragma once

#include "classlib/ClassLib.h"

#include <string>

class CHeaderTextCtrl
{
public:
    CHeaderTextCtrl() = default;
    CHeaderTextCtrl(const CHeaderTextCtrl&) = delete;
    CHeaderTextCtrl& operator=(const CHeaderTextCtrl&) = delete;
    ~CHeaderTextCtrl();

    BOOL Create(const RECT& rect, DWORD dwStyle, CWnd* pParent, UINT nID);
    // The same rectangle and id as the placeholder, which is hidden.
    BOOL CreateInPlaceOf(HWND hPlaceholder, DWORD dwStyle);
    void SetText(const char* pszCharset, const char* pszText);
    void SetFont(HFONT hFont);
    CString GetText() const { return m_strText; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    bool IsRich() const { return m_bRich; }
    // The text's width in the control's font plus 8; the height only for
    // the plain kind.
    SIZE GetTextExtent() const;

    // Whether a text goes in as plain window text: an empty text, the plain
    // kind, no charset or a Japanese or ASCII one, or no font set for it.
    static bool TakesPlainText(const char* pszCharset, const char* pszText, bool bRich, bool bHasFontSet);
    // The wide text of bytes in the code page of a font's character set
    // (the ANSI code page for the Shift-JIS set).
    static std::wstring WideText(const char* pszText, BYTE nFontCharSet);

private:
    HWND m_hWnd = nullptr;
    bool m_bRich = false;
    HFONT m_hFont = nullptr;  // not owned
    CString m_strText;
    CString m_strCharset;
};
