#include "settings/DlgKeywordColor.h"

#include "resources/settings/SettingsResource.h"

#include <commctrl.h>

CDlgKeywordColor::CDlgKeywordColor(const CString& keywordFile, CWnd* pParent)
    : CDialog(IDD_KEYWORD_COLOR, pParent), m_strFile(keywordFile)
{
}

BOOL CDlgKeywordColor::OnInitDialog()
{
    m_hList = GetDlgItemHwnd(IDC_KW_LIST);
    m_color.SubclassDlgItem(IDC_KW_COLOR, this);
    m_color.SetColor(::GetSysColor(COLOR_WINDOWTEXT));
    ListView_SetExtendedListViewStyle(m_hList, LVS_EX_FULLROWSELECT);
    RECT rc;
    ::GetClientRect(m_hList, &rc);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.pszText = const_cast<char*>("");
    column.cx = 30;
    ::SendMessageA(m_hList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = const_cast<char*>("キーワード");
    column.cx = rc.right - ::GetSystemMetrics(SM_CYHSCROLL) - 70;
    ::SendMessageA(m_hList, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    column.pszText = const_cast<char*>("太字");
    column.cx = 40;
    ::SendMessageA(m_hList, LVM_INSERTCOLUMNA, 2, reinterpret_cast<LPARAM>(&column));
    m_rows = ReadKeywordRows(m_strFile);
    for (size_t i = 0; i < m_rows.size(); ++i)
        InsertRow(static_cast<int>(i), m_rows[i]);
    return TRUE;
}

void CDlgKeywordColor::InsertRow(int nRow, const KeywordRow& row)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nRow;
    item.pszText = const_cast<char*>("");
    ::SendMessageA(m_hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SetRow(nRow, row);
}

void CDlgKeywordColor::SetRow(int nRow, const KeywordRow& row)
{
    ListView_SetItemText(m_hList, nRow, 1, const_cast<char*>(row.strKeyword.GetString()));
    ListView_SetItemText(m_hList, nRow, 2, const_cast<char*>(row.bBold ? "○" : ""));
    ::InvalidateRect(m_hList, nullptr, TRUE);
}

int CDlgKeywordColor::SelectedRow() const
{
    return ListView_GetNextItem(m_hList, -1, LVNI_SELECTED);
}

bool CDlgKeywordColor::TakeFields(KeywordRow& row)
{
    row.strKeyword = GetDlgItemText(IDC_KW_KEYWORD);
    row.crColor = m_color.GetColor();
    row.bBold = IsDlgButtonChecked(IDC_KW_BOLD) == BST_CHECKED;
    CString problem = CheckKeywordRow(row);
    if (problem.IsEmpty())
        return true;
    AfxMessageBox(problem, MB_ICONEXCLAMATION);
    return false;
}

BOOL CDlgKeywordColor::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        KeywordRow row;
        int sel = SelectedRow();
        switch (LOWORD(wParam)) {
        case IDC_KW_COLOR:
            m_color.Choose();
            return TRUE;
        case IDC_KW_ADD:
            if (TakeFields(row)) {
                m_rows.push_back(row);
                InsertRow(static_cast<int>(m_rows.size()) - 1, row);
            }
            return TRUE;
        case IDC_KW_UPDATE:
            if (sel >= 0 && TakeFields(row)) {
                m_rows[static_cast<size_t>(sel)] = row;
                SetRow(sel, row);
            }
            return TRUE;
        case IDC_KW_DELETE:
            if (sel >= 0) {
                m_rows.erase(m_rows.begin() + sel);
                ListView_DeleteItem(m_hList, sel);
            }
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CDlgKeywordColor::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && hdr->hwndFrom == m_hList) {
        if (hdr->code == NM_CUSTOMDRAW) {
            // The first column shows the row's colour.
            auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
            if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
                *pResult = CDRF_NOTIFYITEMDRAW;
                return TRUE;
            }
            if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                *pResult = CDRF_NOTIFYSUBITEMDRAW;
                return TRUE;
            }
            if (cd->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
                size_t row = static_cast<size_t>(cd->nmcd.dwItemSpec);
                if (cd->iSubItem == 0 && row < m_rows.size())
                    cd->clrTextBk = m_rows[row].crColor;
                else
                    cd->clrTextBk = ::GetSysColor(COLOR_WINDOW);
                *pResult = CDRF_DODEFAULT;
                return TRUE;
            }
        }
        if (hdr->code == LVN_ITEMCHANGED) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
            size_t row = static_cast<size_t>(change->iItem);
            if ((change->uNewState & LVIS_SELECTED) && row < m_rows.size()) {
                SetDlgItemText(IDC_KW_KEYWORD, m_rows[row].strKeyword);
                m_color.SetColor(m_rows[row].crColor);
                CheckDlgButton(IDC_KW_BOLD, m_rows[row].bBold ? BST_CHECKED : BST_UNCHECKED);
            }
            *pResult = 0;
            return TRUE;
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

void CDlgKeywordColor::OnOK()
{
    if (!WriteKeywordRows(m_strFile, m_rows))
        return;
    EndDialog(IDOK);
}
