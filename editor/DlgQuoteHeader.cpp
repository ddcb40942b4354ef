#include "editor/DlgQuoteHeader.h"

#include "core/QuendalApp.h"
#include "editor/MacroHelpText.h"
#include "resources/editor/EditorResource.h"

#include <richedit.h>

#include <cstring>
#include <string>

namespace {

// Lines of the header files end CR LF; a rich edit may hand back a lone CR.
CString WithCrLf(const CString& text)
{
    const std::string& s = text.Str();
    std::string out;
    out.reserve(s.size() + 16);
    for (size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n'))
            out += '\n';
    }
    return CString(out);
}

// The whole text of a rich edit in code page 932, lines ending CR LF (its
// character count is not a byte count).
CString GetRichEditText(HWND hEdit)
{
    GETTEXTLENGTHEX length = {GTL_USECRLF | GTL_PRECISE | GTL_NUMBYTES, 932};
    LRESULT bytes = ::SendMessageA(hEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (bytes < 0)
        bytes = 0;
    // Room for every character as two bytes and every line end as two.
    std::string buffer(static_cast<size_t>(bytes) * 2 + 16, '\0');
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>(buffer.size());
    get.flags = GT_USECRLF;
    get.codepage = 932;
    ::SendMessageA(hEdit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(&buffer[0]));
    buffer.resize(strlen(buffer.c_str()));
    return WithCrLf(CString(buffer));
}

} // namespace

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
