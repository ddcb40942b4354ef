#include "viewer/ReferenceMailListView.h"

#include "classlib/CmdUI.h"
#include "classlib/OleDataSource.h"
#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "mainwnd/ColorLabelMenu.h"
#include "mainwnd/FontSetting.h"
#include "mainwnd/FoundMailOrder.h"
#include "mainwnd/HeaderSortMark.h"
#include "mainwnd/MailDrag.h"
#include "mainwnd/MailMarks.h"
#include "mainwnd/MailObjectBlock.h"
#include "mainwnd/OwnerDrawMenu.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/rules/RulesResource.h"
#include "resources/search/SearchResource.h"
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
#include "viewer/TextViewActions.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerProfile.h"

#include <commctrl.h>

#include <cstdlib>

#include <vector>

namespace {

// Images of the program's mail list image list.
const int kImageRead = 0;
const int kImageUnread = 2;
// Editor kind that opens a stored mail for editing again.
const int kEditorReedit = 12;
// Where the context menu's colour label item stands.
const UINT kLabelMenuPos = 5;

struct SortContext
{
    CMailFolderStore* pStore;
    int nItem;
    bool bAscending;
};

// Rows carry their mail index; a row whose record is gone sorts last.
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM context)
{
    auto* c = reinterpret_cast<const SortContext*>(context);
    CMailIndexRecord* ra = c->pStore->GetRecord(static_cast<int>(a));
    CMailIndexRecord* rb = c->pStore->GetRecord(static_cast<int>(b));
    if (!ra || !rb)
        return ra ? -1 : 1;
    return FoundMailOrder::Compare(*ra, nullptr, *rb, nullptr, c->nItem, c->bAscending);
}

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
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
    ON_NOTIFY_REFLECT(LVN_BEGINDRAG, OnBeginDrag)
    ON_MESSAGE(WM_COPY, OnCopyMessage)
    ON_MESSAGE(WM_CUT, OnCutMessage)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMsg)
    ON_COMMAND_RANGE(ID_MAIL_COPY, ID_MAIL_CUT, OnClipboardCommand)
    ON_COMMAND_RANGE(ID_MAIL_BOOKMARK_ON, ID_MAIL_BOOKMARK_OFF, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_MARK_UNREAD, ID_MAIL_MARK_UNREAD, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_MARK_READ, ID_MAIL_MARK_READ, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_PROTECT_ON, ID_MAIL_PROTECT_OFF, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_LABEL_FIRST, ID_MAIL_LABEL_OTHER, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_SELECT_ALL, ID_MAIL_SELECT_ALL, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_REEDIT, ID_MAIL_REEDIT, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_THREAD_TREE, ID_MAIL_THREAD_TREE, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_ADD_SENDER, ID_MAIL_ADD_SENDER, OnListCommand)
    ON_COMMAND_RANGE(ID_SORT_COLOR, ID_SORT_BOOKMARK, OnListCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_COPY, ID_MAIL_CUT, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_BOOKMARK_ON, ID_MAIL_BOOKMARK_OFF, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_MARK_UNREAD, ID_MAIL_MARK_UNREAD, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_MARK_READ, ID_MAIL_MARK_READ, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_PROTECT_ON, ID_MAIL_PROTECT_OFF, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_THREAD_TREE, ID_MAIL_THREAD_TREE, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_ADD_SENDER, ID_MAIL_ADD_SENDER, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI(ID_MAIL_REEDIT, OnUpdateReedit)
    ON_UPDATE_COMMAND_UI(ID_VIEW_THREAD, OnUpdateNotHere)
    ON_UPDATE_COMMAND_UI(ID_MAIL_TOGGLE_THREAD, OnUpdateNotHere)
    ON_UPDATE_COMMAND_UI(ID_MAIL_SEARCH, OnUpdateNotHere)
    ON_UPDATE_COMMAND_UI(ID_RUN_FILTER_RULES, OnUpdateNotHere)
END_MESSAGE_MAP()

CReferenceMailListView::~CReferenceMailListView()
{
    m_pOpenMenu = nullptr;
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
    m_nSortMode = ViewerProfile::GetInt("Window", "SortMode", 0) ? 1 : 0;
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

// ---- Sorting ----

void CReferenceMailListView::OnColumnClick(NMHDR* pHdr, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMLISTVIEW*>(pHdr);
    *pResult = 0;
    const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    SortByItem(MailListFormat::ColumnToSortItem(nm->iSubItem, m_options.bShowTo, shift));
}

void CReferenceMailListView::SortByItem(int nItem)
{
    if (nItem < 0 || !m_pStore || !m_pStore->GetMailList())
        return;
    MailListFormat::ApplyColumnClick(nItem, m_nSortItem, m_nSortMode);
    SortContext context = {m_pStore, m_nSortItem, m_nSortMode == 1};
    ::SendMessageA(m_hWnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                   reinterpret_cast<LPARAM>(&CompareRows));
    SetHeaderSortMark(GetListCtrl().GetHeaderCtrl(), MailListFormat::SortItemToHeaderColumn(m_nSortItem),
                      m_nSortMode == 1);
    int focused = GetFocusedRow();
    if (focused >= 0)
        GetListCtrl().EnsureVisible(focused, FALSE);
}

// ---- Drag, copy and cut ----

std::vector<int> CReferenceMailListView::GetSelectedMails() const
{
    std::vector<int> mails;
    const CListCtrl& list = GetListCtrl();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
        if (RecordOfRow(row))
            mails.push_back(GetMailIndex(row));
    return mails;
}

HGLOBAL CReferenceMailListView::BuildMailObject(int nOperation)
{
    std::vector<int> mails = GetSelectedMails();
    if (mails.empty() || !m_pStore)
        return nullptr;
    // No list of the main window is named: a paste there takes the mails
    // by their folder and index (no cut marks are shown here).
    return MailObjectBlock::ToGlobal(MailObjectBlock::Build(0, nOperation, m_pStore->GetFolderId(), mails));
}

void CReferenceMailListView::OnBeginDrag(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    HGLOBAL block = BuildMailObject(MailObjectBlock::opDrag);
    if (!block)
        return;
    if (MailDrag::Run(m_pStore, GetSelectedMails(), block) & DROPEFFECT_MOVE)
        DropDeletedRows();
}

void CReferenceMailListView::OnClipboardCommand(UINT nID)
{
    HGLOBAL block = BuildMailObject(nID == ID_MAIL_CUT ? MailObjectBlock::opCut : MailObjectBlock::opCopy);
    if (!block)
        return;
    COleDataSource* source = new COleDataSource;
    source->CacheGlobalData(MailObjectBlock::GetMailFormat(), block);
    OleSetClipboard(source);
    // The clipboard keeps the block after this window's thread ends.
    OleFlushClipboard();
    source->Release();
}

LRESULT CReferenceMailListView::OnCopyMessage(WPARAM, LPARAM)
{
    OnClipboardCommand(ID_MAIL_COPY);
    return 0;
}

LRESULT CReferenceMailListView::OnCutMessage(WPARAM, LPARAM)
{
    OnClipboardCommand(ID_MAIL_CUT);
    return 0;
}

void CReferenceMailListView::DropDeletedRows()
{
    CListCtrl& list = GetListCtrl();
    for (int row = list.GetItemCount() - 1; row >= 0; --row)
        if (!RecordOfRow(row))
            ListView_DeleteItem(m_hWnd, row);
}

// ---- Context menu and its commands ----

LRESULT CReferenceMailListView::OnContextMenuMsg(WPARAM, LPARAM lParam)
{
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    // From the keyboard the menu opens near the list's top left corner.
    if (lParam == -1) {
        pt = {8, 8};
        ::ClientToScreen(m_hWnd, &pt);
    }
    ShowContextMenu(pt);
    return 0;
}

void CReferenceMailListView::ShowContextMenu(POINT ptScreen)
{
    CFrameWnd* frame = GetParentFrame();
    CQuendalApp* app = QuendalApp();
    CMenu menu;
    if (!frame || !menu.LoadMenu(IDR_LIST_CONTEXT))
        return;
    HMENU popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    frame->SetActiveView(this, FALSE);
    if (!m_labelMenu)
        m_labelMenu.reset(new COwnerDrawMenu);
    m_labelMenu->Reset();
    if (app)
        ColorLabelMenu::Build(*m_labelMenu, app->m_colorNames);
    if (CMailIndexRecord* r = RecordOfRow(GetFocusedRow())) {
        const int label = r->m_nLabel;
        UINT checked = label == 0                   ? ID_MAIL_LABEL_AUTO
                       : label >= 1 && label <= 16 ? ID_MAIL_LABEL_FIRST + static_cast<UINT>(label - 1)
                                                    : ID_MAIL_LABEL_OTHER;
        ::CheckMenuItem(m_labelMenu->m_hMenu, checked, MF_BYCOMMAND | MF_CHECKED);
    }
    ::DeleteMenu(popup, kLabelMenuPos, MF_BYPOSITION);
    ::InsertMenuA(popup, kLabelMenuPos, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(m_labelMenu->m_hMenu),
                  "メールに色を付ける(&C)");
    m_pOpenMenu = m_labelMenu.get();
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, frame->m_hWnd, nullptr);
    // The label menu is this view's: it leaves the popup before the popup goes.
    ::RemoveMenu(popup, kLabelMenuPos, MF_BYPOSITION);
    m_pOpenMenu = nullptr;
}

void CReferenceMailListView::OnMarkCommand(UINT nID)
{
    std::vector<int> mails = GetSelectedMails();
    MailMarks::Mark mark;
    int label = 0;
    COLORREF color = 0;
    if (mails.empty() || !MailMarks::FromCommand(nID, mark, label))
        return;
    if (label == 99) {
        CMailIndexRecord* focused = m_pStore->GetRecord(mails[0]);
        if (!ColorLabelMenu::ChooseOtherColor(m_hWnd, focused ? focused->GetLabelColor() : 0, color))
            return;
    }
    MailMarks::Apply(m_pStore, mails, mark, label, color);
    CListCtrl& list = GetListCtrl();
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (CMailIndexRecord* r = RecordOfRow(row))
            SetRowTexts(row, *r);
    Invalidate(FALSE);
    AnnounceChanged(mails);
}

void CReferenceMailListView::AnnounceChanged(const std::vector<int>& mails) const
{
    CWinApp* app = AfxGetApp();
    if (!app || !m_pStore)
        return;
    const WPARAM folder = static_cast<WPARAM>(m_pStore->GetFolderId());
    for (int mail : mails)
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_MAIL_READ_CHANGED, folder, mail);
    // The folder's unread count in the folder tree.
    ::PostThreadMessageA(app->m_nThreadID, WM_QD_FOLDER_REFRESH, 0, static_cast<LPARAM>(folder));
}

void CReferenceMailListView::OnListCommand(UINT nID)
{
    CQuendalApp* app = QuendalApp();
    CListCtrl& list = GetListCtrl();
    switch (nID) {
    case ID_MAIL_SELECT_ALL:
        list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        break;
    case ID_MAIL_REEDIT:
        for (int mail : GetSelectedMails())
            if (app)
                app->OpenMailEditor(kEditorReedit, m_pStore, mail, 0, "", "", "", "", "", 0, 0, FALSE, 0);
        break;
    case ID_MAIL_THREAD_TREE: {
        int mail = GetMailIndex(GetFocusedRow());
        if (mail >= 0 && m_pStore)
            OpenReferenceMailWindow(TRUE, m_pStore, mail);
        break;
    }
    case ID_MAIL_ADD_SENDER:
        if (CMailIndexRecord* r = RecordOfRow(GetFocusedRow()))
            HandOverAddressEntry(r->GetText(CMailIndexRecord::colFrom));
        break;
    case ID_SORT_COLOR:
        SortByItem(7);
        break;
    case ID_SORT_BOOKMARK:
        SortByItem(8);
        break;
    default:
        break;
    }
}

void CReferenceMailListView::OnUpdateNeedSelection(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!GetSelectedMails().empty());
}

void CReferenceMailListView::OnUpdateReedit(CCmdUI* pCmdUI)
{
    // Only mails written here: the outbox, the drafts and the folders that show the recipients.
    pCmdUI->Enable(m_pStore && !GetSelectedMails().empty() &&
                   (m_pStore->GetKind() == CFolderRecord::kindSend || m_pStore->IsInWritingFolder() ||
                    m_options.bShowTo));
}

void CReferenceMailListView::OnUpdateNotHere(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
}
