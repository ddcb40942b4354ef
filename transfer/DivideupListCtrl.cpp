#include "transfer/DivideupListCtrl.h"

#include "core/QuendalApp.h"
#include "transfer/DivideupData.h"

namespace {

struct ColumnDef
{
    const char* title;
    const char* key;
    int width;
    int format;
};

const ColumnDef kColumns[CDivideupListCtrl::kColumnCount] = {
    { "ヘッダーの項目1", "DivideupListWidthHeader1", 100, LVCFMT_LEFT },
    { "", "DivideupListWidthHeader1Ope", 26, LVCFMT_CENTER },
    { "文字列1", "DivideupListWidthString1", 100, LVCFMT_LEFT },
    { "論理", "DivideupListWidthOpe", 40, LVCFMT_LEFT },
    { "ヘッダーの項目2", "DivideupListWidthHeader2", 100, LVCFMT_LEFT },
    { "", "DivideupListWidthHeader2Ope", 26, LVCFMT_CENTER },
    { "文字列2", "DivideupListWidthString2", 100, LVCFMT_LEFT },
    { "フォルダー", "DivideupListWidthFolder", 100, LVCFMT_LEFT },
    { "残す", "DivideupListWidthLeave", 40, LVCFMT_LEFT },
    { "削除", "DivideupListWidthDelete", 40, LVCFMT_LEFT },
    { "受信", "DivideupListWidthReceive", 40, LVCFMT_LEFT },
    { "開封", "DivideupListWidthNoReadOpen", 40, LVCFMT_LEFT },
    { "色", "DivideupListWidthColor", 40, LVCFMT_LEFT },
};

const char* Operator(const CString& header, BOOL bNegate)
{
    if (header.IsEmpty())
        return "";
    return bNegate ? "<>" : "=";
}

} // namespace

BEGIN_MESSAGE_MAP(CDivideupListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

void CDivideupListCtrl::SetupColumns()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    CQuendalApp* app = QuendalApp();
    for (int i = 0; i < kColumnCount; ++i) {
        int width = app ? app->GetProfileInt("Window", kColumns[i].key, kColumns[i].width) : kColumns[i].width;
        InsertColumn(i, kColumns[i].title, kColumns[i].format, width < 0 ? 40 : width);
    }
    // The colour column may take the width the others leave.
    if (app && app->GetProfileInt("Window", kColumns[kColorColumn].key, 40) == -1)
        SetColumnWidth(kColorColumn, LVSCW_AUTOSIZE_USEHEADER);
}

void CDivideupListCtrl::SaveColumnWidths()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_hWnd)
        return;
    for (int i = 0; i < kColumnCount; ++i)
        app->WriteProfileInt("Window", kColumns[i].key, GetColumnWidth(i));
}

void CDivideupListCtrl::SetRow(int nRow, const CDivideupData& rule, const CString& folderName)
{
    CString header1 = rule.GetHeader1Name(), header2 = rule.GetHeader2Name();
    if (nRow >= GetItemCount())
        nRow = InsertItem(GetItemCount(), header1);
    else
        SetItemText(nRow, 0, header1);
    const char* texts[kColumnCount] = {
        header1,
        Operator(rule.m_strHeader1, rule.m_bNegate1),
        rule.m_strString1,
        rule.m_bOrMode ? "Or" : "And",
        header2,
        Operator(rule.m_strHeader2, rule.m_bNegate2),
        rule.m_strString2,
        rule.m_bNoFolderMove ? "" : folderName.GetString(),
        rule.m_bLeaveOnServer ? "○" : "",
        rule.m_bDeleteOnServer ? "○" : "",
        rule.m_bNotReceive ? "×" : "",
        rule.m_bMarkRead ? "×" : "",
        "",
    };
    for (int i = 1; i < kColumnCount; ++i)
        SetItemText(nRow, i, texts[i]);
    SetRowColor(nRow, rule.m_bUseColorLabel ? rule.GetLabelColor() : CLR_NONE);
}

void CDivideupListCtrl::SetRowColor(int nRow, COLORREF color)
{
    if (nRow < 0)
        return;
    if (static_cast<size_t>(nRow) >= m_colors.size())
        m_colors.resize(static_cast<size_t>(nRow) + 1, CLR_NONE);
    m_colors[static_cast<size_t>(nRow)] = color;
}

void CDivideupListCtrl::SelectRow(int nRow)
{
    for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED))
        SetItemState(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (nRow < 0 || nRow >= GetItemCount())
        return;
    SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(nRow, FALSE);
}

void CDivideupListCtrl::OnCustomDraw(NMHDR* pHdr, LRESULT* pResult)
{
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pHdr);
    *pResult = CDRF_DODEFAULT;
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT:
        *pResult = CDRF_NOTIFYPOSTPAINT;
        break;
    case CDDS_ITEMPOSTPAINT: {
        int row = static_cast<int>(cd->nmcd.dwItemSpec);
        if (row < 0 || static_cast<size_t>(row) >= m_colors.size() || m_colors[static_cast<size_t>(row)] == CLR_NONE)
            break;
        RECT cell = {};
        cell.top = kColorColumn;
        cell.left = LVIR_BOUNDS;
        if (!SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell)))
            break;
        RECT swatch = { cell.left + 3, cell.top + 2, cell.right - 1, cell.bottom - 3 };
        if (swatch.right <= swatch.left || swatch.bottom <= swatch.top)
            break;
        HBRUSH brush = ::CreateSolidBrush(m_colors[static_cast<size_t>(row)]);
        ::FillRect(cd->nmcd.hdc, &swatch, brush);
        ::DeleteObject(brush);
        break;
    }
    default:
        break;
    }
}
