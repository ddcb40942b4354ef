#include "editor/DlgTemplateSelect.h"

#include "core/DlgInputName.h"
#include "core/FileUtil.h"
#include "core/MiscUtil.h"
#include "core/QuendalApp.h"
#include "editor/BoxFiles.h"
#include "editor/DlgTemplateEdit.h"
#include "resources/editor/EditorResource.h"

namespace {

CDlgTemplateSelect::TemplateEditor g_editor = &CDlgTemplateEdit::Run;

} // namespace

CDlgTemplateSelect::CDlgTemplateSelect(int nMode, CWnd* pParent)
    : CDialog(IDD_TEMPLATE_SELECT, pParent), m_nMode(nMode)
{
}

CDlgTemplateSelect::TemplateEditor CDlgTemplateSelect::SetTemplateEditor(TemplateEditor editor)
{
    TemplateEditor old = g_editor;
    g_editor = editor;
    return old;
}

BOOL CDlgTemplateSelect::OnInitDialog()
{
    CQuendalApp* app = QuendalApp();
    m_bReplyAll = app ? app->GetProfileInt("Setting", "TemplateReturnTo", 1) != 0 : TRUE;
    CString last = app ? app->GetProfileString("Setting", "TemplateSelect", "") : CString();
    CheckDlgButton(IDC_TS_ALL, m_bReplyAll ? BST_CHECKED : BST_UNCHECKED);
    if (m_nMode != 0)
        ::ShowWindow(GetDlgItemHwnd(IDC_TS_ALL), SW_HIDE);
    if (m_nMode == 1) {
        SetWindowText("テンプレートの編集");
        ::ShowWindow(GetDlgItemHwnd(IDOK), SW_HIDE);
        ::SetWindowTextA(GetDlgItemHwnd(IDCANCEL), "閉じる");
    }
    ::EnableWindow(GetDlgItemHwnd(IDC_TS_ADD), g_editor != nullptr);
    ::EnableWindow(GetDlgItemHwnd(IDC_TS_EDIT), g_editor != nullptr);
    Refill(last);
    return TRUE;
}

void CDlgTemplateSelect::Refill(const char* pszSelect)
{
    HWND hList = GetDlgItemHwnd(IDC_TS_LIST);
    ::SendMessageA(hList, LB_RESETCONTENT, 0, 0);
    CStringArray names;
    if (CQuendalApp* app = QuendalApp())
        CBoxFiles::ListNames(app->GetTemplateBoxPath(), names, false);
    for (int i = 0; i < names.GetSize(); ++i)
        ::SendMessageA(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].GetString()));
    int select = CBoxFiles::FindNameInList(names, pszSelect);
    if (select >= 0)
        ::SendMessageA(hList, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

CString CDlgTemplateSelect::GetSelectedName() const
{
    return GetListBoxSelectedText(GetDlgItemHwnd(IDC_TS_LIST));
}

BOOL CDlgTemplateSelect::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_TS_ADD:
        OnEdit(true);
        return TRUE;
    case IDC_TS_EDIT:
        OnEdit(false);
        return TRUE;
    case IDC_TS_COPY:
        OnCopy();
        return TRUE;
    case IDC_TS_DELETE:
        OnDelete();
        return TRUE;
    case IDC_TS_LIST:
        if (HIWORD(wParam) == LBN_DBLCLK) {
            if (m_nMode == 1)
                OnEdit(false);
            else
                OnOK();
            return TRUE;
        }
        break;
    default:
        break;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgTemplateSelect::OnEdit(bool bNew)
{
    CString name = GetSelectedName();
    if (!g_editor || (!bNew && name.IsEmpty()))
        return;
    CString saved;
    bool done = g_editor(this, bNew ? "" : name.GetString(), saved);
    Refill(done && !bNew ? saved.GetString() : name.GetString());
}

void CDlgTemplateSelect::OnCopy()
{
    CString name = GetSelectedName();
    if (name.IsEmpty())
        return;
    CDlgInputName input(nullptr, TRUE, this);
    input.m_strName = name;
    if (input.DoModal() != IDOK)
        return;
    CString source = GetTemplateFilePath(name);
    CString target = GetTemplateFilePath(input.m_strName);
    CBoxFiles::SaveResult result = CBoxFiles::CopyBoxFile(source, target, false);
    if (result == CBoxFiles::needsOverwrite) {
        if (AfxMessageBox(IDS_TEMPLATE_OVERWRITE, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
        result = CBoxFiles::CopyBoxFile(source, target, true);
    }
    Refill(result == CBoxFiles::saved ? input.m_strName.GetString() : name.GetString());
}

void CDlgTemplateSelect::OnDelete()
{
    HWND hList = GetDlgItemHwnd(IDC_TS_LIST);
    LRESULT sel = ::SendMessageA(hList, LB_GETCURSEL, 0, 0);
    CString name = GetSelectedName();
    if (name.IsEmpty())
        return;
    if (AfxMessageBox(FormatString("[%s]を削除してもよろしいですか？", name.GetString()), "テンプレートの削除確認",
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    DeleteFileA(GetTemplateFilePath(name));
    ::SendMessageA(hList, LB_DELETESTRING, static_cast<WPARAM>(sel), 0);
    LRESULT count = ::SendMessageA(hList, LB_GETCOUNT, 0, 0);
    if (count > 0)
        ::SendMessageA(hList, LB_SETCURSEL, static_cast<WPARAM>(sel < count ? sel : count - 1), 0);
}

void CDlgTemplateSelect::OnOK()
{
    CString name = GetSelectedName();
    if (name.IsEmpty())
        return;
    m_strName = name;
    m_strPath = GetTemplateFilePath(name);
    m_bReplyAll = IsDlgButtonChecked(IDC_TS_ALL) == BST_CHECKED;
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileInt("Setting", "TemplateReturnTo", m_bReplyAll ? 1 : 0);
        app->WriteProfileString("Setting", "TemplateSelect", name);
    }
    EndDialog(IDOK);
}
