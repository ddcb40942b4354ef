#include "editor/DlgAutoSignature.h"

#include "core/QuendalApp.h"
#include "editor/AutoSignData.h"
#include "editor/DlgSignatureList.h"
#include "editor/SignatureFiles.h"
#include "resources/editor/EditorResource.h"

#include <commctrl.h>

namespace {

void SetCellText(HWND hList, int nRow, int nColumn, const char* pszText)
{
    LVITEMA item = {};
    item.iSubItem = nColumn;
    item.pszText = const_cast<char*>(pszText);
    ::SendMessageA(hList, LVM_SETITEMTEXTA, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
}

void InsertColumn(HWND hList, int nColumn, const char* pszTitle, int nWidth)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(pszTitle);
    column.cx = nWidth;
    ::SendMessageA(hList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&column));
}

} // namespace

CDlgAutoSignature::CDlgAutoSignature(CWnd* pParent) : CDialog(IDD_AUTO_SIGNATURE, pParent)
{
}

BOOL CDlgAutoSignature::OnInitDialog()
{
    CQuendalApp* app = QuendalApp();
    m_pRules = app ? app->GetAutoSignData() : nullptr;
    HWND hList = GetDlgItemHwnd(IDC_AS_LIST);
    ::SendMessageA(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    if (m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 1))
        ::SendMessageA(hList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_images.GetSafeHandle()));
    RECT rc;
    ::GetClientRect(hList, &rc);
    InsertColumn(hList, 0, "署名", 140);
    InsertColumn(hList, 1, "項目", 120);
    InsertColumn(hList, 2, "文字列", rc.right - 260);

    HWND hItem = GetDlgItemHwnd(IDC_AS_ITEM);
    for (int item = 0; item < 3; ++item)
        ::SendMessageA(hItem, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetAutoSignItemText(item).GetString()));
    FillSignatureCombo();

    for (int i = 0; m_pRules && i < m_pRules->GetRecordCount(); ++i) {
        const CAutoSignRecord* rule = m_pRules->GetRule(i);
        if (!rule || rule->m_bDeleted)
            continue;
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(m_rows.size());
        item.pszText = const_cast<char*>(rule->m_strSignName.GetString());
        int row = static_cast<int>(::SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        m_rows.push_back(i);
        ShowRule(row);
    }
    return TRUE;
}

void CDlgAutoSignature::FillSignatureCombo()
{
    HWND hSign = GetDlgItemHwnd(IDC_AS_SIGN);
    CString current = GetDlgItemText(IDC_AS_SIGN);
    ::SendMessageA(hSign, CB_RESETCONTENT, 0, 0);
    CStringArray names;
    if (CQuendalApp* app = QuendalApp())
        CSignatureFiles::ListNames(app->GetSignatureBoxPath(), names);
    for (int i = 0; i < names.GetSize(); ++i)
        ::SendMessageA(hSign, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].GetString()));
    ::SendMessageA(hSign, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(current.GetString()));
}

// The row's texts from its record.
void CDlgAutoSignature::ShowRule(int nRow)
{
    if (nRow < 0 || nRow >= static_cast<int>(m_rows.size()) || !m_pRules)
        return;
    const CAutoSignRecord* rule = m_pRules->GetRule(m_rows[static_cast<size_t>(nRow)]);
    HWND hList = GetDlgItemHwnd(IDC_AS_LIST);
    SetCellText(hList, nRow, 0, rule->m_strSignName);
    SetCellText(hList, nRow, 1, GetAutoSignItemText(rule->m_nItem));
    SetCellText(hList, nRow, 2, rule->m_strText);
}

int CDlgAutoSignature::GetSelectedRow() const
{
    return static_cast<int>(
        ::SendMessageA(GetDlgItemHwnd(IDC_AS_LIST), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CDlgAutoSignature::SelectRow(int nRow)
{
    HWND hList = GetDlgItemHwnd(IDC_AS_LIST);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    ::SendMessageA(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(nRow), FALSE);
}

void CDlgAutoSignature::StoreFields(int nRecord)
{
    CAutoSignRecord* rule = m_pRules ? m_pRules->GetRule(nRecord) : nullptr;
    if (!rule)
        return;
    rule->m_strSignName = GetDlgItemText(IDC_AS_SIGN);
    rule->m_nItem = static_cast<int>(::SendMessageA(GetDlgItemHwnd(IDC_AS_ITEM), CB_GETCURSEL, 0, 0));
    rule->m_strText = GetDlgItemText(IDC_AS_TEXT);
}

BOOL CDlgAutoSignature::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_AS_LIST && header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED) && m_pRules &&
            change->iItem >= 0 && change->iItem < static_cast<int>(m_rows.size())) {
            const CAutoSignRecord* rule = m_pRules->GetRule(m_rows[static_cast<size_t>(change->iItem)]);
            ::SendMessageA(GetDlgItemHwnd(IDC_AS_ITEM), CB_SETCURSEL, static_cast<WPARAM>(rule->m_nItem), 0);
            SetDlgItemText(IDC_AS_TEXT, rule->m_strText);
            HWND hSign = GetDlgItemHwnd(IDC_AS_SIGN);
            LRESULT at = ::SendMessageA(hSign, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(rule->m_strSignName.GetString()));
            ::SendMessageA(hSign, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

BOOL CDlgAutoSignature::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_AS_ADD:
        OnAdd();
        return TRUE;
    case IDC_AS_UPDATE:
        OnUpdate();
        return TRUE;
    case IDC_AS_DELETE:
        OnDelete();
        return TRUE;
    case IDC_AS_UP:
        OnMove(-1);
        return TRUE;
    case IDC_AS_DOWN:
        OnMove(1);
        return TRUE;
    case IDC_AS_EDIT_SIGN: {
        CDlgSignatureList list(this);
        list.DoModal();
        FillSignatureCombo();
        return TRUE;
    }
    default:
        break;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgAutoSignature::OnAdd()
{
    if (!m_pRules)
        return;
    CDataStrgRecord* record = m_pRules->CreateNewRecord();
    int index = m_pRules->GetRecordCount() - 1;
    if (!record || m_pRules->GetRecord(index) != record)
        return;
    StoreFields(index);
    HWND hList = GetDlgItemHwnd(IDC_AS_LIST);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(m_rows.size());
    item.pszText = const_cast<char*>("");
    int row = static_cast<int>(::SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    m_rows.push_back(index);
    ShowRule(row);
}

void CDlgAutoSignature::OnUpdate()
{
    int row = GetSelectedRow();
    if (row < 0) {
        OnAdd();
        return;
    }
    StoreFields(m_rows[static_cast<size_t>(row)]);
    ShowRule(row);
}

void CDlgAutoSignature::OnDelete()
{
    int row = GetSelectedRow();
    if (row < 0 || !m_pRules)
        return;
    m_pRules->MarkRecordDeleted(m_pRules->GetRecord(m_rows[static_cast<size_t>(row)]));
    ::SendMessageA(GetDlgItemHwnd(IDC_AS_LIST), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    m_rows.erase(m_rows.begin() + row);
}

void CDlgAutoSignature::OnMove(int nStep)
{
    int row = GetSelectedRow();
    int other = row + nStep;
    if (row < 0 || other < 0 || other >= static_cast<int>(m_rows.size()) || !m_pRules)
        return;
    // The new order is written at once, whatever happens to the dialog later.
    m_pRules->SwapRules(m_rows[static_cast<size_t>(row)], m_rows[static_cast<size_t>(other)]);
    ShowRule(row);
    ShowRule(other);
    SelectRow(other);
}

void CDlgAutoSignature::OnCancel()
{
    if (m_pRules)
        m_pRules->WriteToFile();
    CDialog::OnCancel();
}
