#include "tasklist/TaskListCtrl.h"

#include "classlib/GdiSelection.h"
#include "core/QuendalApp.h"
#include "resources/tasklist/TasklistResource.h"
#include "tasklist/TaskListData.h"
#include "tasklist/TaskListFormat.h"

BEGIN_MESSAGE_MAP(CTaskListCtrl, CQListCtrl)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMsg)
END_MESSAGE_MAP()

CTaskListRecord* CTaskListCtrl::GetTask(int nItem) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    if (!SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<CTaskListRecord*>(item.lParam);
}

void CTaskListCtrl::DrawItem(DRAWITEMSTRUCT* pDis)
{
    if (!(pDis->itemAction & ODA_DRAWENTIRE) || !m_pTable)
        return;
    CSingleLock lock(&m_pTable->Lock(), TRUE);
    int nItem = static_cast<int>(pDis->itemID);
    CTaskListRecord* task = GetTask(nItem);
    if (!task)
        return;
    int64_t now = CTime::GetCurrentTime().GetTime();
    HDC hdc = pDis->hDC;
    RECT rcItem = pDis->rcItem;
    bool selected = (GetItemState(nItem, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    COLORREF crText = GetSysColor(COLOR_WINDOWTEXT);
    HBRUSH brush = nullptr;
    if (selected) {
        ::FillRect(hdc, &rcItem, GetSysColorBrush(::GetFocus() == m_hWnd ? COLOR_HIGHLIGHT : COLOR_GRAYTEXT));
        crText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        const CQuendalApp::TaskListColor* step = nullptr;
        if (task->m_bHasDeadline && QuendalApp())
            step = QuendalApp()->FindTaskListColor((task->m_tDeadline - now) / 3600);
        if (step) {
            brush = CreateSolidBrush(step->color);
            ::FillRect(hdc, &rcItem, brush);
            DeleteObject(brush);
        } else {
            ::FillRect(hdc, &rcItem, GetSysColorBrush(COLOR_WINDOW));
        }
    }
    COLORREF oldText = SetTextColor(hdc, crText);
    int oldMode = SetBkMode(hdc, TRANSPARENT);
    int half = (rcItem.bottom - rcItem.top) / 2;
    CString folder = task->HasMail() ? m_pTable->GetFolderName(task) : CString();

    // First line, column by column; the image in column 0.
    HGDIOBJ oldFont = SelectObject(hdc, GetBoldFont());
    int x = rcItem.left;
    for (int col = 0; col < 6; ++col) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        if (!GetColumn(col, &column))
            break;
        if (col == 0) {
            LVITEMA item = {};
            item.mask = LVIF_IMAGE;
            item.iItem = nItem;
            SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            if (HIMAGELIST images = GetImageList(LVSIL_SMALL))
                ImageList_Draw(images, item.iImage, hdc, x + 2, rcItem.top + (half - 16) / 2, ILD_TRANSPARENT);
        } else {
            RECT rc = { x + 2, rcItem.top, x + column.cx - 2, rcItem.top + half };
            CString text = FitText(hdc, GetTaskColumnText(*task, col, folder), rc.right - rc.left);
            DrawTextA(hdc, text, text.GetLength(), &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
        }
        x += column.cx;
    }

    // Second line: the deadline and the memo.
    SelectObject(hdc, GetNormalFont());
    RECT rc = { rcItem.left + 20, rcItem.top + half, rcItem.right, rcItem.bottom };
    CString line = "期限：";
    if (task->m_bHasDeadline) {
        line += FormatDeadlineText(*task, now);
    } else {
        SIZE blank = {};
        const char kBlank[] = "XXXX/XX/XX XX:XX:XX (残り:XX時間)";
        GetTextExtentPoint32A(hdc, kBlank, static_cast<int>(sizeof(kBlank) - 1), &blank);
        SIZE label = {};
        GetTextExtentPoint32A(hdc, line, line.GetLength(), &label);
        DrawTextA(hdc, line, line.GetLength(), &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        rc.left += label.cx + blank.cx;
        line.Empty();
    }
    line += "  メモ：" + task->m_strMemo;
    CString fitted = FitText(hdc, line, rc.right - rc.left);
    DrawTextA(hdc, fitted, fitted.GetLength(), &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);

    SelectObject(hdc, oldFont);
    SetBkMode(hdc, oldMode);
    SetTextColor(hdc, oldText);
}

LRESULT CTaskListCtrl::OnContextMenuMsg(WPARAM, LPARAM lParam)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_TASKLIST_CONTEXT))
        return 0;
    HMENU popup = menu.GetSubMenu(0);
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    if (pt.x == -1 && pt.y == -1)
        GetCursorPos(&pt);
    ::EnableMenuItem(popup, ID_TASK_SELECT_MAIL, MF_BYCOMMAND | (GetSelectedCount() > 0 ? MF_ENABLED : MF_GRAYED));
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, ::GetParent(m_hWnd), nullptr);
    return 0;
}
