#include "editor/DlgSignatureList.h"

#include "core/DlgInputName.h"
#include "core/MiscUtil.h"
#include "core/QuendalApp.h"
#include "editor/BoxFiles.h"
#include "editor/DlgSignatureEdit.h"
#include "editor/SignatureFiles.h"
#include "resources/editor/EditorResource.h"

CDlgSignatureList::CDlgSignatureList(CWnd* pParent) : CDialog(IDD_SIGNATURE_LIST, pParent)
{
}

BOOL CDlgSignatureList::OnInitDialog()
{
    Refill("");
    return TRUE;
}

void CDlgSignatureList::Refill(const char* pszSelect)
{
    HWND hList = GetDlgItemHwnd(IDC_SIGL_LIST);
    ::SendMessageA(hList, LB_RESETCONTENT, 0, 0);
    CStringArray names;
    if (CQuendalApp* app = QuendalApp())
        CSignatureFiles::ListNames(app->GetSignatureBoxPath(), names);
    for (int i = 0; i < names.GetSize(); ++i)
        ::SendMessageA(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].GetString()));
    int select = CBoxFiles::FindNameInList(names, pszSelect);
    ::SendMessageA(hList, LB_SETCURSEL, static_cast<WPARAM>(select < 0 ? 0 : select), 0);
}

CString CDlgSignatureList::GetSelectedName() const
{
    return GetListBoxSelectedText(GetDlgItemHwnd(IDC_SIGL_LIST));
}

BOOL CDlgSignatureList::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_SIGL_ADD:
        OnAdd();
        return TRUE;
    case IDC_SIGL_EDIT:
        OnEdit();
        return TRUE;
    case IDC_SIGL_COPY:
        OnCopy();
        return TRUE;
    case IDC_SIGL_DELETE:
        OnDelete();
        return TRUE;
    case IDC_SIGL_LIST:
        if (HIWORD(wParam) == LBN_DBLCLK) {
            OnEdit();
            return TRUE;
        }
        break;
    default:
        break;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgSignatureList::OnAdd()
{
    CDlgSignatureEdit dlg("", this);
    CString keep = GetSelectedName();
    Refill(dlg.DoModal() == IDOK ? dlg.m_strName.GetString() : keep.GetString());
}

void CDlgSignatureList::OnEdit()
{
    CString name = GetSelectedName();
    if (name.IsEmpty())
        return;
    CDlgSignatureEdit dlg(name, this);
    Refill(dlg.DoModal() == IDOK ? dlg.m_strName.GetString() : name.GetString());
}

void CDlgSignatureList::OnCopy()
{
    CString name = GetSelectedName();
    if (name.IsEmpty())
        return;
    CDlgInputName input(nullptr, TRUE, this);
    input.m_strName = name;
    if (input.DoModal() != IDOK)
        return;
    CBoxFiles::SaveResult result = CSignatureFiles::Copy(name, input.m_strName, false);
    if (result == CBoxFiles::needsOverwrite) {
        if (AfxMessageBox(IDS_SIGNATURE_OVERWRITE, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
        result = CSignatureFiles::Copy(name, input.m_strName, true);
    }
    Refill(result == CBoxFiles::saved ? input.m_strName.GetString() : name.GetString());
}

void CDlgSignatureList::OnDelete()
{
    HWND hList = GetDlgItemHwnd(IDC_SIGL_LIST);
    LRESULT sel = ::SendMessageA(hList, LB_GETCURSEL, 0, 0);
    CString name = GetSelectedName();
    if (name.IsEmpty())
        return;
    if (AfxMessageBox(FormatString("[%s]を削除してもよろしいですか？", name.GetString()), "署名の削除確認",
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    CSignatureFiles::Delete(name);
    ::SendMessageA(hList, LB_DELETESTRING, static_cast<WPARAM>(sel), 0);
    LRESULT count = ::SendMessageA(hList, LB_GETCOUNT, 0, 0);
    if (count > 0)
        ::SendMessageA(hList, LB_SETCURSEL, static_cast<WPARAM>(sel < count ? sel : count - 1), 0);
}
