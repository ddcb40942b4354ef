#include "mainwnd/QMailSearchListView.h"

#include "classlib/OleDataSource.h"
#include "core/DateTimeFormats.h"
#include "core/DateTimeUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/ColumnMeasure.h"
#include "mainwnd/FoundMailDelete.h"
#include "mainwnd/FoundMailOpen.h"
#include "mainwnd/FoundMailOrder.h"
#include "mainwnd/MailListFormat.h"
#include "mainwnd/MailMarks.h"
#include "mainwnd/MailObjectBlock.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/search/SearchResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

BOOL CQMailSearchListView::s_bAscending = FALSE;

namespace {

const char kSelectFirst[] = "メールを選択してから実行してください";

struct ColumnDef
{
    const char* header;
    const char* widthKey;
    int width;
    int format;
};

const ColumnDef kColumns[] = {
    {" ", nullptr, 18, LVCFMT_LEFT},
    {"件名", "SearchListWidthSubject", 220, LVCFMT_LEFT},
    {"差出人", "SearchListWidthSender", 120, LVCFMT_LEFT},
    {"送信日時", "SearchListWidthDate", 100, LVCFMT_LEFT},
    {"受信日時", "SearchListWidthRevDate", 100, LVCFMT_LEFT},
    {"サイズ", "SearchListWidthSize", 50, LVCFMT_RIGHT},
    {"フォルダ", "SearchListWidthFolder", 50, LVCFMT_LEFT},
};
const int kColumnCount = 7;
const int kFolderColumn = 6;

struct SortContext
{
    CQMailSearchListView* pView;
    int nItem;
    bool bAscending;
};

// a and b are item data: entry numbers, which GetFoundMail takes as -1 - n.
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM context)
{
    auto* ctx = reinterpret_cast<SortContext*>(context);
    const CQMailSearchListView::FoundMail* fa = ctx->pView->GetFoundMail(-1 - static_cast<int>(a));
    const CQMailSearchListView::FoundMail* fb = ctx->pView->GetFoundMail(-1 - static_cast<int>(b));
    CMailIndexRecord* ra = fa ? fa->pStore->GetRecord(fa->nIndex) : nullptr;
    CMailIndexRecord* rb = fb ? fb->pStore->GetRecord(fb->nIndex) : nullptr;
    if (!ra || !rb)
        return ra ? 1 : -1;
    return FoundMailOrder::Compare(*ra, fa->pStore->GetFolderName(), *rb, fb->pStore->GetFolderName(), ctx->nItem,
                                   ctx->bAscending);
}

} // namespace

BEGIN_MESSAGE_MAP(CQMailSearchListView, CListView)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClick)
    ON_NOTIFY_REFLECT(NM_RETURN, OnReturn)
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
    ON_NOTIFY_REFLECT(LVN_KEYDOWN, OnKeyDown)
    ON_NOTIFY_REFLECT(LVN_BEGINDRAG, OnBeginDrag)
    ON_WM_DESTROY()
    ON_COMMAND(ID_MAIL_DELETE, OnMailDelete)
    ON_COMMAND(ID_MAIL_COPY, OnEditCopy)
    ON_COMMAND(ID_MAIL_CUT, OnEditCut)
END_MESSAGE_MAP()

BOOL CQMailSearchListView::PreCreateWindow(CREATESTRUCTA& cs)
{
    CListView::PreCreateWindow(cs);
    cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    cs.style &= ~static_cast<DWORD>(LVS_OWNERDATA);
    return TRUE;
}

void CQMailSearchListView::OnInitialUpdate()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    CListCtrl& list = GetListCtrl();
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    CQuendalApp* app = QuendalApp();
    if (app)
        list.SetImageList(app->m_mailListImages.m_hImageList, LVSIL_SMALL);
    CString dateFormat = "%Y/%m/%d %H:%M:%S";
    if (app)
        dateFormat = CDateTimeFormats::Read(*app).ListFormat();
    CColumnMeasure measure(dateFormat);
    for (int i = 0; i < kColumnCount; ++i) {
        // The dates, the size and the folder header whole when no width is stored.
        int width = i == kFolderColumn
                        ? std::max(kColumns[i].width, MailListFormat::TextColumnWidth(measure.DC(), kColumns[i].header))
                        : MailListFormat::FittingColumnWidth(i, kColumns[i].width, measure.DC(), measure.DateFormat());
        if (app && kColumns[i].widthKey)
            width = app->GetProfileInt("Window", kColumns[i].widthKey, width);
        list.InsertColumn(i, kColumns[i].header, kColumns[i].format, width);
    }
    if (app)
        list.SetBkColor(static_cast<COLORREF>(app->GetProfileInt("Color", "ListBkColor", 0xF6BCA6)));
    list.SetTextBkColor(CLR_NONE);
}

void CQMailSearchListView::SaveColumnWidths()
{
    CQuendalApp* app = QuendalApp();
    if (!m_bInitialised || !m_hWnd || !app)
        return;
    for (int i = 1; i < kColumnCount; ++i)
        app->WriteProfileInt("Window", kColumns[i].widthKey, GetListCtrl().GetColumnWidth(i));
}

void CQMailSearchListView::OnDestroy()
{
    SaveColumnWidths();
    Default();
}

const CQMailSearchListView::FoundMail* CQMailSearchListView::GetFoundMail(int nRow) const
{
    // Negative values name an entry directly (the sort callback gets item data).
    size_t entry;
    if (nRow < 0) {
        entry = static_cast<size_t>(-1 - nRow);
    } else {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = nRow;
        if (!::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            return nullptr;
        entry = static_cast<size_t>(item.lParam);
    }
    return entry < m_found.size() ? &m_found[entry] : nullptr;
}

void CQMailSearchListView::SetRowTexts(int nRow, const FoundMail& mail)
{
    CMailIndexRecord* r = mail.pStore->GetRecord(mail.nIndex);
    if (!r)
        return;
    CListCtrl& list = GetListCtrl();
    list.SetItemText(nRow, 1, r->GetText(CMailIndexRecord::colSubject));
    list.SetItemText(nRow, 2, r->GetText(CMailIndexRecord::colFrom));
    list.SetItemText(nRow, 3, FormatLocalTime(r->GetSendTime()));
    list.SetItemText(nRow, 4, FormatLocalTime(r->GetReceiveTime()));
    list.SetItemText(nRow, 5, FormatString("%d", r->m_nTotalSize));
    list.SetItemText(nRow, 6, mail.pStore->GetFolderName());
}

int CQMailSearchListView::AddFoundMail(int nIndex, CMailFolderStore* pStore, int nPos)
{
    CMailIndexRecord* r = pStore ? pStore->GetRecord(nIndex) : nullptr;
    if (!r || r->m_bDeleted)
        return -1;
    m_found.push_back({pStore, nIndex});
    CListCtrl& list = GetListCtrl();
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = nPos < 0 ? list.GetItemCount() : nPos;
    item.pszText = const_cast<char*>("");
    item.iImage = r->IsRead() ? 0 : 2;
    item.lParam = static_cast<LPARAM>(m_found.size() - 1);
    int row = static_cast<int>(::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0)
        SetRowTexts(row, m_found.back());
    return row;
}

void CQMailSearchListView::ClearFoundMails()
{
    GetListCtrl().DeleteAllItems();
    m_found.clear();
}

std::vector<int> CQMailSearchListView::GetSelectedRows() const
{
    std::vector<int> rows;
    const CListCtrl& list = GetListCtrl();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void CQMailSearchListView::SelectRow(int nRow)
{
    CListCtrl& list = GetListCtrl();
    if (nRow < 0 || nRow >= list.GetItemCount())
        return;
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(nRow, FALSE);
}

void CQMailSearchListView::SelectAll()
{
    GetListCtrl().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void CQMailSearchListView::DeleteFoundMails(int nRow, BOOL bPermanent)
{
    CQuendalApp* app = QuendalApp();
    std::vector<int> rows = nRow >= 0 ? std::vector<int>{nRow} : GetSelectedRows();
    if (!app || rows.empty()) {
        AfxMessageBox(kSelectFirst, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CListCtrl& list = GetListCtrl();
    ::SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    std::set<CMailFolderStore*> touched;
    int first = rows.front();
    std::vector<FoundMailDelete::Mail> mails;
    std::vector<int> mailRows;
    for (int row : rows) {
        if (const FoundMail* mail = GetFoundMail(row)) {
            mails.push_back({mail->pStore, mail->nIndex});
            mailRows.push_back(row);
        }
    }
    std::vector<bool> deleted = FoundMailDelete::Delete(*app, mails, bPermanent != FALSE);
    // From the bottom, so that the rows still to go keep their numbers.
    for (size_t k = mails.size(); k-- > 0;) {
        if (!deleted[k])
            continue;
        touched.insert(mails[k].pStore);
        ::SendMessageA(m_hWnd, LVM_DELETEITEM, static_cast<WPARAM>(mailRows[k]), 0);
    }
    for (CMailFolderStore* store : touched)
        if (store->IsIndexLoaded())
            store->GetMailListNoLoad()->RemoveDeletedRecords();
    int count = list.GetItemCount();
    if (count > 0)
        SelectRow(std::min(first, count - 1));
    ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
    Invalidate();
    ::PostThreadMessageA(app->m_nThreadID, 1346, 0, static_cast<LPARAM>(app->GetCurrentFolderId()));
    for (CMailFolderStore* store : touched)
        ::PostThreadMessageA(app->m_nThreadID, 1352, 0, static_cast<LPARAM>(store->GetFolderId()));
    if (CMailFolderStore* trash = app->GetDefaultFolder(CFolderRecord::kindTrash))
        ::PostThreadMessageA(app->m_nThreadID, 1352, 0, static_cast<LPARAM>(trash->GetFolderId()));
}

void CQMailSearchListView::OnMailListChanged()
{
    CListCtrl& list = GetListCtrl();
    for (int row = list.GetItemCount() - 1; row >= 0; --row) {
        const FoundMail* mail = GetFoundMail(row);
        CMailIndexRecord* r = mail ? mail->pStore->GetRecord(mail->nIndex) : nullptr;
        if (!r || r->m_bDeleted)
            ::SendMessageA(m_hWnd, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }
}

void CQMailSearchListView::OpenSelectedMail()
{
    CListCtrl& list = GetListCtrl();
    int row = list.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
    if (row < 0)
        row = list.GetNextItem(-1, LVNI_SELECTED);
    const FoundMail* mail = row >= 0 ? GetFoundMail(row) : nullptr;
    if (!mail) {
        AfxMessageBox("メールを選択してください。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    PostOpenFoundMail(mail->pStore->GetFolderId(), mail->nIndex, m_hWnd);
}

void CQMailSearchListView::OnDblClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OpenSelectedMail();
}

void CQMailSearchListView::OnReturn(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OpenSelectedMail();
}

void CQMailSearchListView::OnColumnClick(NMHDR* pHdr, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMLISTVIEW*>(pHdr);
    *pResult = 0;
    // Every click reverses the one direction, whichever column it is on.
    s_bAscending = !s_bAscending;
    m_nSortColumn = nm->iSubItem;
    SortContext ctx = {this, m_nSortColumn, s_bAscending != FALSE};
    ::SendMessageA(m_hWnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&ctx), reinterpret_cast<LPARAM>(&CompareRows));
}

void CQMailSearchListView::OnKeyDown(NMHDR* pHdr, LRESULT* pResult)
{
    *pResult = 0;
    const NMLVKEYDOWN* key = reinterpret_cast<const NMLVKEYDOWN*>(pHdr);
    if (key->wVKey == VK_DELETE)
        DeleteFoundMails(-1, GetKeyState(VK_SHIFT) < 0);
}

void CQMailSearchListView::OnMailDelete()
{
    DeleteFoundMails(-1, GetKeyState(VK_SHIFT) < 0);
}

HGLOBAL CQMailSearchListView::BuildMailObject(int nOperation)
{
    std::vector<MailObjectBlock::MailRef> refs;
    for (int row : GetSelectedRows())
        if (const FoundMail* mail = GetFoundMail(row))
            refs.push_back({mail->pStore->GetFolderId(), mail->nIndex});
    if (refs.empty())
        return nullptr;
    // No source id: no list of the main window is named by this block.
    return MailObjectBlock::ToGlobal(MailObjectBlock::Build(0, nOperation, refs));
}

void CQMailSearchListView::PutOnClipboard(int nOperation)
{
    HGLOBAL block = BuildMailObject(nOperation);
    if (!block)
        return;
    COleDataSource* source = new COleDataSource;
    source->CacheGlobalData(MailObjectBlock::GetMailFormat(), block);
    OleSetClipboard(source);
    OleFlushClipboard();
    source->Release();
}

void CQMailSearchListView::OnEditCopy()
{
    PutOnClipboard(MailObjectBlock::opCopy);
}

void CQMailSearchListView::OnEditCut()
{
    PutOnClipboard(MailObjectBlock::opCut);
}

void CQMailSearchListView::OnBeginDrag(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    HGLOBAL block = BuildMailObject(MailObjectBlock::opDrag);
    if (!block)
        return;
    COleDataSource* source = new COleDataSource;
    source->CacheGlobalData(MailObjectBlock::GetMailFormat(), block);
    DWORD effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_SCROLL);
    source->Release();
    if (effect & DROPEFFECT_MOVE)
        OnMailListChanged();
}
