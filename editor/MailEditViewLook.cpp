// The look of the editor view's header and attachment area as the editor
// settings give it: where the attachment list stands, the input method in
// the address and subject fields, plain or edged buttons, the colours of
// the fields, lists and buttons, and the font of the address and subject
// fields.
#include "editor/MailEditView.h"

#include "core/MiscUtil.h"
#include "core/QuendalApp.h"
#include "editor/EditorFont.h"
#include "resources/editor/EditorWindowResource.h"

#include <commctrl.h>

namespace {

const COLORREF kDefaultTrayColor = RGB(255, 200, 80);
// The address and subject fields take the editor's face at this height.
const LONG kFieldFontHeight = 13;

int ProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    CQuendalApp* app = QuendalApp();
    return app ? app->GetProfileInt(pszSection, pszKey, nDefault) : nDefault;
}

COLORREF ProfileColor(const char* pszKey, COLORREF crDefault)
{
    return static_cast<COLORREF>(ProfileInt("Color", pszKey, static_cast<int>(crDefault)));
}

bool IsClass(HWND hWnd, const char* pszClass)
{
    char name[32] = {};
    ::GetClassNameA(hWnd, name, sizeof(name));
    return lstrcmpiA(name, pszClass) == 0;
}

} // namespace

void CMailEditView::LoadLookSettings()
{
    m_bFileListBottom = ProfileInt("Setting", "EditorFileListBottom", 0) != 0;
    m_bAddressImeOff = ProfileInt("EditWindow", "AddressIMEOff", 1) != 0;
    m_bSubjectImeOn = ProfileInt("EditWindow", "SubjectIMEOn", 1) != 0;

    const bool plain = ProfileInt("Setting", "AllButtonNormal", 0) != 0;
    for (int id : {IDC_ME_TO_BUTTON, IDC_ME_CC_BUTTON, IDC_ME_BCC_BUTTON, IDC_ME_ATTACH})
        SetStaticEdge(GetDlgItemHwnd(id), !plain);

    m_crText = ProfileColor("EditorTextColor", ::GetSysColor(COLOR_WINDOWTEXT));
    m_crBack = ProfileColor("EditorBkColor", ::GetSysColor(COLOR_WINDOW));
    if (HBRUSH brush = ::CreateSolidBrush(m_crBack)) {
        if (m_hBackBrush)
            ::DeleteObject(m_hBackBrush);
        m_hBackBrush = brush;
    }
    if (m_attachList.m_hWnd) {
        const COLORREF tray = ProfileColor("EditorFileTrayColor", kDefaultTrayColor);
        m_attachList.SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(tray));
        m_attachList.SendMessage(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(tray));
        m_attachList.SendMessage(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(m_crText));
    }

    LOGFONTA lf = CEditorFont::GetSetting();
    lf.lfHeight = kFieldFontHeight;
    if (HFONT font = ::CreateFontIndirectA(&lf)) {
        for (int id : {IDC_ME_TO, IDC_ME_CC, IDC_ME_BCC, IDC_ME_SUBJECT})
            ::SendMessageA(GetDlgItemHwnd(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        // The fields let go of the old font above before it goes.
        if (m_hFieldFont)
            ::DeleteObject(m_hFieldFont);
        m_hFieldFont = font;
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

HBRUSH CMailEditView::OnCtlColor(HDC hDC, HWND hWnd, UINT)
{
    // Labels, scroll bars and the form itself keep the system's colours.
    if (!m_hBackBrush || !hWnd || hWnd == m_hWnd || IsClass(hWnd, "Static") || IsClass(hWnd, "ScrollBar"))
        return reinterpret_cast<HBRUSH>(Default());
    ::SetTextColor(hDC, m_crText);
    ::SetBkColor(hDC, m_crBack);
    return m_hBackBrush;
}

void CMailEditView::OnFieldFocus(int nId)
{
    const bool address = nId == IDC_ME_TO || nId == IDC_ME_CC || nId == IDC_ME_BCC;
    if (address && m_bAddressImeOff)
        SetInputMethodOpen(GetDlgItemHwnd(nId), false);
    else if (nId == IDC_ME_SUBJECT && m_bSubjectImeOn)
        SetInputMethodOpen(GetDlgItemHwnd(nId), true);
}
