#include "viewer/ReferenceMailListView.h"

#include "core/QuendalApp.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "viewer/MailThreadBuilder.h"
#include "viewer/MailViewerOpen.h"

#include <commctrl.h>

#include <vector>

BEGIN_MESSAGE_MAP(CReferenceMailListView, CListView)
    ON_COMMAND(ID_VIEWER_OPEN_MAIL, OnOpen)
    ON_COMMAND(ID_VIEWER_PREV_MAIL, OnPrev)
    ON_COMMAND(ID_VIEWER_NEXT_MAIL, OnNext)
    ON_COMMAND_RANGE(ID_VIEWER_REPLY, ID_VIEWER_FORWARD, OnReply)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClick)
    ON_NOTIFY_REFLECT(NM_RETURN, OnReturn)
END_MESSAGE_MAP()

BOOL CReferenceMailListView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS;
    return CListView::PreCreateWindow(cs);
}

void CReferenceMailListView::OnInitialUpdate()
{
    CListView::OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    ListView_SetExtendedListViewStyle(m_hWnd, LVS_EX_FULLROWSELECT);
    if (CQuendalApp* app = QuendalApp())
        ListView_SetImageList(m_hWnd, app->m_mailListImages.m_hImageList, LVSIL_SMALL);
    list.InsertColumn(0, "件名", LVCFMT_LEFT, 240);
    list.InsertColumn(1, "差出人", LVCFMT_LEFT, 140);
    list.InsertColumn(2, "受信日時", LVCFMT_LEFT, 130);
}

BOOL CReferenceMailListView::Fill(CMailFolderStore* pStore, int nIndex)
{
    m_pStore = pStore;
    CMailListData* data = pStore ? pStore->GetMailList() : nullptr;
    CListCtrl& list = GetListCtrl();
    list.DeleteAllItems();
    if (!data)
        return FALSE;
    std::vector<int> rows = CMailThreadBuilder::FromList(*data).BuildList(nIndex);
    int row = 0;
    for (int mail : rows) {
        CMailIndexRecord* r = data->GetMailRecord(mail);
        if (!r)
            continue;
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = const_cast<char*>(r->GetText(CMailIndexRecord::colSubject).GetString());
        item.lParam = mail;
        item.iImage = r->IsRead() ? 0 : 2;
        int at = static_cast<int>(list.SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        list.SetItemText(at, 1, r->GetText(CMailIndexRecord::colFrom));
        list.SetItemText(at, 2, r->GetText(CMailIndexRecord::colReceived).Left(19));
        if (mail == nIndex)
            list.SetItemState(at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        row++;
    }
    return TRUE;
}

int CReferenceMailListView::GetMailIndex(int nRow) const
{
    if (nRow < 0 || nRow >= GetListCtrl().GetItemCount())
        return -1;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nRow;
    if (!ListView_GetItem(m_hWnd, &item))
        return -1;
    return static_cast<int>(item.lParam);
}

int CReferenceMailListView::GetFocusedRow() const
{
    int row = GetListCtrl().GetNextItem(-1, LVNI_FOCUSED);
    return row >= 0 ? row : GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
}

void CReferenceMailListView::OnOpen()
{
    int mail = GetMailIndex(GetFocusedRow());
    if (mail >= 0 && m_pStore)
        OpenMailViewer(m_pStore, mail, nullptr);
}

void CReferenceMailListView::MoveBy(int nStep)
{
    CListCtrl& list = GetListCtrl();
    int count = list.GetItemCount();
    int row = GetFocusedRow() + nStep;
    if (row < 0 || row >= count)
        return;
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(row, FALSE);
}

void CReferenceMailListView::OnReply(UINT nID)
{
    CQuendalApp* app = QuendalApp();
    int kind = nID == ID_VIEWER_REPLY ? 1 : nID == ID_VIEWER_REPLY_ALL ? 2 : 3;
    CListCtrl& list = GetListCtrl();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); app && row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
        app->OpenMailEditor(kind, m_pStore, GetMailIndex(row), 0, "", "", "", "", "", 0, 0, FALSE, 0);
}

void CReferenceMailListView::OnDblClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnOpen();
}

void CReferenceMailListView::OnReturn(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnOpen();
}
