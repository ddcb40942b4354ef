#include "editor/DlgQuoteHeader.h"

#include "core/QuendalApp.h"
#include "editor/MacroHelpText.h"
#include "editor/RichEditText.h"
#include "resources/editor/EditorResource.h"

#include <richedit.h>

CDlgQuoteHeader::CDlgQuoteHeader(CWnd* pParent)
    : CDialog(IDD_QUOTE_HEADER, pParent), m_strHelpText(GetMacroHelpText(false))
{
}

BOOL CDlgQuoteHeader::OnInitDialog()
{
    CQuendalApp* app = QuendalApp();
    m_font.Create(m_hWnd);
    const int fields[] = {IDC_QH_REPLY, IDC_QH_FORWARD};
    for (int id : fields) {
        HWND hField = GetDlgItemHwnd(id);
        if (m_font.GetHandle())
            ::SendMessageA(hField, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetHandle()), FALSE);
        ::SendMessageA(hField, EM_SETEVENTMASK, 0, ENM_CHANGE);
    }
    if (app) {
        SetDlgItemText(IDC_QH_REPLY, app->LoadRetHeader());
        SetDlgItemText(IDC_QH_FORWARD, app->LoadFwHeader());
    }
    SetDlgItemText(IDC_QH_HELP, m_strHelpText);
    return TRUE;
}

BOOL CDlgQuoteHeader::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == EN_CHANGE && (id == IDC_QH_REPLY || id == IDC_QH_FORWARD))
        ::InvalidateRect(GetDlgItemHwnd(id), nullptr, TRUE);
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgQuoteHeader::OnOK()
{
    // A failed write is not reported: the built-in header then stays in use.
    if (CQuendalApp* app = QuendalApp()) {
        app->SaveRetHeader(GetRichEditText(GetDlgItemHwnd(IDC_QH_REPLY)));
        app->SaveFwHeader(GetRichEditText(GetDlgItemHwnd(IDC_QH_FORWARD)));
    }
    EndDialog(IDOK);
}
