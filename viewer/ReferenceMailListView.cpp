#include "viewer/ReferenceMailListView.h"

#include "classlib/CmdUI.h"
#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "mainwnd/FontSetting.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "viewer/DlgMailProperty.h"
#include "viewer/HeaderViewThread.h"
#include "viewer/MailFontSets.h"
#include "viewer/MailThreadBuilder.h"
#include "viewer/MailViewerOpen.h"
#include "viewer/ShownMailText.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerProfile.h"

#include <commctrl.h>

#include <cstdlib>

#include <vector>

namespace {

// Images of the program's mail list image list.
const int kImageRead = 0;
const int kImageUnread = 2;

} // namespace

BEGIN_MESSAGE_MAP(CReferenceMailListView, CListView)
    ON_COMMAND(ID_VIEWER_OPEN_MAIL, OnOpen)
    ON_COMMAND(ID_VIEWER_PREV_MAIL, OnPrev)
    ON_COMMAND(ID_VIEWER_NEXT_MAIL, OnNext)
    ON_COMMAND_RANGE(ID_VIEWER_REPLY, ID_VIEWER_FORWARD, OnReply)
    ON_COMMAND(ID_VIEWER_PROPERTIES, OnProperties)
    ON_COMMAND(ID_VIEWER_SHOW_HEADER, OnHeader)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_PROPERTIES, OnUpdateNeedMail)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_SHOW_HEADER, OnUpdateNeedMail)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_OPEN_MAIL, OnUpdateNeedMail)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClick)
    ON_NOTIFY_REFLECT(NM_RETURN, OnReturn)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

CReferenceMailListView::~CReferenceMailListView()
{
    if (m_hUnreadFont)
        ::DeleteObject(m_hUnreadFont);
    if (m_hReadFont)
        ::DeleteObject(m_hReadFont);
}

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
    for (int c = 0; c < MailListFormat::columnCount; ++c) {
        const MailListFormat::ColumnDef& def = MailListFormat::Column(c);
        int width = def.widthKey ? ViewerProfile::GetInt("Window", def.widthKey, def.defaultWidth)
                                 : MailListFormat::IconColumnWidth(false, false);
        list.InsertColumn(c, c == 2 ? MailListFormat::SenderHeader(false) : def.header, def.format, width);
    }
    m_options.nAddressType = ViewerProfile::GetInt("Setting", "AddressDispType", 0);
    LoadColors();
}

void CReferenceMailListView::LoadColors()
{
    COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    m_colors.back = static_cast<COLORREF>(ViewerProfile::GetInt("Color", "ListBkColor", 0xF6BCA6));
    m_colors.text = static_cast<COLORREF>(ViewerProfile::GetInt("Color", "ListTextColor", static_cast<int>(windowText)));
    m_colors.textUnread =
        static_cast<COLORREF>(ViewerProfile::GetInt("Color", "ListTextColorNoRead", static_cast<int>(m_colors.text)));
    m_colors.highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    m_colors.highlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_colors.greyText = ::GetSysColor(COLOR_GRAYTEXT);
    GetListCtrl().SetBkColor(m_colors.back);
    ListView_SetTextBkColor(m_hWnd, m_colors.back);
    HDC hDC = ::GetDC(m_hWnd);
    LOGFONTA lf = GetFontSetting("FontList");
    lf.lfHeight = FontPixelHeight(lf.lfHeight, ::GetDeviceCaps(hDC, LOGPIXELSY));
    ::ReleaseDC(m_hWnd, hDC);
    m_nFontPixels = std::abs(lf.lfHeight);
    int weight = lf.lfWeight;
    // Loaded again after the settings changed: the old fonts go once the
    // list holds the new ones.
    HFONT oldUnread = m_hUnreadFont, oldRead = m_hReadFont;
    lf.lfWeight = MailListFormat::UnreadFontWeight(m_colors, weight);
    m_hUnreadFont = ::CreateFontIndirectA(&lf);
    lf.lfWeight = MailListFormat::ReadFontWeight(m_colors, weight);
    m_hReadFont = ::CreateFontIndirectA(&lf);
    if (m_hReadFont)
        ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hReadFont), FALSE);
    if (oldUnread)
        ::DeleteObject(oldUnread);
    if (oldRead)
        ::DeleteObject(oldRead);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CReferenceMailListView::SetRowTexts(int nRow, CMailIndexRecord& record)
{
    CListCtrl& list = GetListCtrl();
    for (int c = 1; c < MailListFormat::columnCount; ++c)
        list.SetItemText(nRow, c, MailListFormat::RowText(record, c, m_options));
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = nRow;
    item.iImage = record.IsRead() ? kImageRead : kImageUnread;
    ListView_SetItem(m_hWnd, &item);
}

BOOL CReferenceMailListView::Fill(CMailFolderStore* pStore, int nIndex)
{
    m_pStore = pStore;
    CMailListData* data = pStore ? pStore->GetMailList() : nullptr;
    CListCtrl& list = GetListCtrl();
    list.DeleteAllItems();
    if (!data)
        return FALSE;
    m_options.bShowTo = MailListFormat::IsOutgoingKind(pStore->GetKind());
    m_options.strDateFormat = data->GetDateFormat();
    if (m_options.bShowTo) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<char*>(MailListFormat::SenderHeader(true));
        ListView_SetColumn(m_hWnd, 2, &column);
    }
    std::vector<int> rows = CMailThreadBuilder::FromList(*data).BuildList(nIndex);
    int row = 0;
    for (int mail : rows) {
        CMailIndexRecord* r = data->GetMailRecord(mail);
        if (!r)
            continue;
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<char*>("");
        item.lParam = mail;
        int at = static_cast<int>(list.SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        SetRowTexts(at, *r);
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

CMailIndexRecord* CReferenceMailListView::RecordOfRow(int nRow) const
{
    int mail = GetMailIndex(nRow);
    CMailIndexRecord* r = mail >= 0 && m_pStore && m_pStore->GetMailList() ? m_pStore->GetRecord(mail) : nullptr;
    return r && !r->m_bDeleted ? r : nullptr;
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

void CReferenceMailListView::OnProperties()
{
    int row = GetFocusedRow();
    CMailIndexRecord* r = RecordOfRow(row);
    if (!r)
        return;
    CDlgMailProperty dlg(r, m_pStore, m_pStore->GetMailList(), this);
    dlg.DoModal();
    if (!dlg.IsChanged())
        return;
    SetRowTexts(row, *r);
    if (CWinApp* app = AfxGetApp())
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_MAIL_READ_CHANGED, static_cast<WPARAM>(m_pStore->GetFolderId()),
                             GetMailIndex(row));
}

void CReferenceMailListView::OnHeader()
{
    CMailIndexRecord* r = RecordOfRow(GetFocusedRow());
    CString stored;
    if (!r || !m_pStore->ReadMailText(r, stored))
        return;
    CShownMailText shown;
    shown.Load(stored.GetString(), static_cast<size_t>(stored.GetLength()));
    auto* thread = new CHeaderViewThread;
    thread->SetHeaderData(r->GetText(CMailIndexRecord::colSubject), shown.HeaderText().c_str());
    if (!thread->CreateThread())
        delete thread;
}

void CReferenceMailListView::OnUpdateNeedMail(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(RecordOfRow(GetFocusedRow()) != nullptr);
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

void CReferenceMailListView::OnCustomDraw(NMHDR* pHdr, LRESULT* pResult)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pHdr);
    *pResult = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    }
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return;
    CMailIndexRecord* r = RecordOfRow(static_cast<int>(draw->nmcd.dwItemSpec));
    if (!r)
        return;
    // The control paints the selection itself; the label colours the rest.
    MailListFormat::RowColors colors =
        MailListFormat::RowColorsFor(r->m_nLabel, r->m_crLabel, r->IsRead() != FALSE, false, false, m_colors);
    draw->clrText = colors.text;
    draw->clrTextBk = colors.back;
    // A mail in another language is drawn in its charset's language font.
    HFONT font = CMailFontSets::Instance().GetListRowFont(
        *r, m_nFontPixels, MailListFormat::UnreadFontWeight(m_colors, FW_NORMAL) == FW_BOLD, m_hReadFont, m_hUnreadFont);
    if (font) {
        ::SelectObject(draw->nmcd.hdc, font);
        *pResult = CDRF_NEWFONT;
    }
}
