#include "editor/DlgShortCutTemplate.h"

#include "core/QuendalApp.h"
#include "editor/BoxFiles.h"
#include "editor/ShortCutTemplateData.h"
#include "resources/editor/EditorResource.h"

CDlgShortCutTemplate::CDlgShortCutTemplate(CWnd* pParent) : CDialog(IDD_SHORTCUT_TEMPLATE, pParent)
{
}

BOOL CDlgShortCutTemplate::OnInitDialog()
{
    CQuendalApp* app = QuendalApp();
    CStringArray names;
    if (app)
        CBoxFiles::ListNames(app->GetTemplateBoxPath(), names, true);
    CShortCutTemplateData* table = app ? app->GetShortCutTemplateData() : nullptr;
    for (int row = 0; row < CShortCutTemplateData::slotCount; ++row) {
        HWND hCombo = GetDlgItemHwnd(IDC_SCT_NAME_FIRST + row);
        // The empty entry leaves a slot unused.
        ::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        for (int i = 0; i < names.GetSize(); ++i)
            ::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].GetString()));
        ::SendMessageA(hCombo, CB_SETCURSEL, 0, 0);
        const CShortCutTemplateRecord* slot = table && table->HasRecord(row) ? table->GetSlot(row) : nullptr;
        if (!slot)
            continue;
        if (!slot->m_strName.IsEmpty()) {
            LRESULT at = ::SendMessageA(hCombo, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(slot->m_strName.GetString()));
            // A registered template whose file is gone stays registered.
            if (at == CB_ERR)
                at = ::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(slot->m_strName.GetString()));
            ::SendMessageA(hCombo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        }
        CheckDlgButton(IDC_SCT_REPLY_FIRST + row, slot->m_bReply ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(IDC_SCT_ALL_FIRST + row, slot->m_bReplyAll ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
}

BOOL CDlgShortCutTemplate::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && IsDlgButtonChecked(id) == BST_CHECKED) {
        // "返信" and "全員へ" of one row exclude each other.
        if (id >= IDC_SCT_REPLY_FIRST && id < IDC_SCT_REPLY_FIRST + CShortCutTemplateData::slotCount)
            CheckDlgButton(IDC_SCT_ALL_FIRST + (id - IDC_SCT_REPLY_FIRST), BST_UNCHECKED);
        else if (id >= IDC_SCT_ALL_FIRST && id < IDC_SCT_ALL_FIRST + CShortCutTemplateData::slotCount)
            CheckDlgButton(IDC_SCT_REPLY_FIRST + (id - IDC_SCT_ALL_FIRST), BST_UNCHECKED);
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgShortCutTemplate::OnOK()
{
    CShortCutTemplateData::Row rows[CShortCutTemplateData::slotCount];
    for (int row = 0; row < CShortCutTemplateData::slotCount; ++row) {
        rows[row].strName = GetDlgItemText(IDC_SCT_NAME_FIRST + row);
        rows[row].bReply = IsDlgButtonChecked(IDC_SCT_REPLY_FIRST + row) == BST_CHECKED;
        rows[row].bReplyAll = IsDlgButtonChecked(IDC_SCT_ALL_FIRST + row) == BST_CHECKED;
    }
    CQuendalApp* app = QuendalApp();
    // A failed write has shown its message; the dialog closes all the same.
    if (CShortCutTemplateData* table = app ? app->GetShortCutTemplateData() : nullptr)
        table->Register(rows);
    EndDialog(IDOK);
}
