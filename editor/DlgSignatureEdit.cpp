#include "editor/DlgSignatureEdit.h"

#include "editor/RichEditText.h"
#include "editor/SignatureFiles.h"
#include "resources/editor/EditorResource.h"

#include <richedit.h>

CDlgSignatureEdit::CDlgSignatureEdit(const char* pszName, CWnd* pParent)
    : CDialog(IDD_SIGNATURE_EDIT, pParent), m_strName(pszName), m_strOpenedName(pszName)
{
}

BOOL CDlgSignatureEdit::OnInitDialog()
{
    HWND hBody = GetDlgItemHwnd(IDC_SIG_BODY);
    if (m_font.Create(m_hWnd))
        ::SendMessageA(hBody, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetHandle()), FALSE);
    ::SendMessageA(hBody, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SetDlgItemText(IDC_SIG_NAME, m_strName);
    if (!m_strOpenedName.IsEmpty())
        SetDlgItemText(IDC_SIG_BODY, CSignatureFiles::LoadText(m_strOpenedName));
    return TRUE;
}

BOOL CDlgSignatureEdit::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_SIG_BODY)
        ::InvalidateRect(GetDlgItemHwnd(IDC_SIG_BODY), nullptr, TRUE);
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgSignatureEdit::OnOK()
{
    CString name = GetDlgItemText(IDC_SIG_NAME);
    CString text = GetRichEditText(GetDlgItemHwnd(IDC_SIG_BODY));
    UINT message = 0;
    CBoxFiles::SaveResult result = CSignatureFiles::Save(m_strOpenedName, name, text, false, &message);
    if (result == CBoxFiles::badName) {
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (result == CBoxFiles::needsOverwrite) {
        if (AfxMessageBox(message, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
        result = CSignatureFiles::Save(m_strOpenedName, name, text, true);
    }
    // A signature that could not be written keeps the dialog open.
    if (result != CBoxFiles::saved)
        return;
    m_strName = name;
    EndDialog(IDOK);
}
