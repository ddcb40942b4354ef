#include "mainwnd/QListView.h"

#include "classlib/GdiSelection.h"
#include "core/DateTimeFormats.h"
#include "core/PostedObjectTable.h"
#include "core/QListCtrl.h"
#include "core/QuendalApp.h"
#include "mainwnd/ColumnMeasure.h"
#include "mainwnd/FontSetting.h"
#include "mainwnd/MailViewSeam.h"
#include "mainwnd/HeaderSortMark.h"
#include "mainwnd/MailObjectBlock.h"
#include "mainwnd/MainFrame.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "viewer/MailFontSets.h"
#include "viewer/MailViewerOpen.h"

#include <commctrl.h>

#include <cstdlib>
#include <memory>

using namespace MailListFormat;

int CQListView::FirstStartColumnsWidth()
{
    CString format = "%Y/%m/%d %H:%M:%S";
    if (CQuendalApp* pApp = QuendalApp())
        format = CDateTimeFormats::Read(*pApp).ListFormat();
    CColumnMeasure measure(format);
    return DefaultColumnsWidth(measure.DC(), measure.DateFormat());
}

BEGIN_MESSAGE_MAP(CQListView, CListView)
    ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
    ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, OnItemChanged)
    ON_NOTIFY_REFLECT(NM_RETURN, OnReturn)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClick)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_COMMAND(ID_MAIL_OPEN, OpenSelectedMail)
    ON_MESSAGE(WM_QD_VIEWER_MOVE_PREVIOUS, OnViewerMovePrevious)
    ON_MESSAGE(WM_QD_VIEWER_MOVE_NEXT, OnViewerMoveNext)
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_DESTROY()
    // Mail commands (QListViewCommands.cpp).
    ON_MESSAGE(WM_COPY, OnCopyMessage)
    ON_MESSAGE(WM_CUT, OnCutMessage)
    ON_MESSAGE(WM_PASTE, OnPasteMessage)
    ON_NOTIFY_REFLECT(LVN_KEYDOWN, OnListKeyDown)
    ON_NOTIFY_REFLECT(LVN_BEGINDRAG, OnBeginDrag)
    ON_COMMAND(ID_MAIL_COPY, OnEditCopy)
    ON_COMMAND(ID_MAIL_CUT, OnEditCut)
    ON_COMMAND(ID_MAIL_PASTE, OnEditPaste)
    ON_COMMAND(ID_MAIL_DELETE, OnMailDelete)
    ON_COMMAND(ID_MAIL_DELETE_SELECTED, OnMailDelete)
    ON_COMMAND(ID_MAIL_EXPORT, OnMailExport)
    ON_COMMAND(ID_MAIL_SAVE_AS, OnMailExport)
    ON_COMMAND_RANGE(ID_MAIL_MOVE_TO_FOLDER, ID_MAIL_COPY_TO_FOLDER, OnCopyToFolder)
    ON_COMMAND(ID_NEXT_UNREAD, OnNextUnread)
    ON_COMMAND(ID_NEXT_UNREAD_ALL, OnNextUnreadAll)
    ON_COMMAND_RANGE(ID_MAIL_LABEL_FIRST, ID_MAIL_LABEL_OTHER, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_BOOKMARK_ON, ID_MAIL_BOOKMARK_ON, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_BOOKMARK_OFF, ID_MAIL_BOOKMARK_OFF, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_MARK_UNREAD, ID_MAIL_MARK_UNREAD, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_MARK_READ, ID_MAIL_MARK_READ, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_PROTECT_ON, ID_MAIL_PROTECT_ON, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_PROTECT_OFF, ID_MAIL_PROTECT_OFF, OnMarkCommand)
    ON_COMMAND_RANGE(ID_MAIL_FORWARD_AS_IS, ID_MAIL_FORWARD_ENCAPSULATED, OnReplyCommand)
    ON_COMMAND_RANGE(ID_MAIL_REPLY, ID_MAIL_FORWARD, OnReplyCommand)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMsg)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheelMsg)
    ON_COMMAND_RANGE(ID_MAIL_THREAD_LIST, ID_MAIL_THREAD_LIST, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_SHOW_HEADER, ID_MAIL_SHOW_HEADER, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_THREAD_TREE, ID_MAIL_THREAD_TREE, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_REEDIT, ID_MAIL_REEDIT, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_PROPERTIES, ID_MAIL_PROPERTIES, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_SELECT_ALL, ID_MAIL_SELECT_ALL, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_TOGGLE_THREAD, ID_MAIL_TOGGLE_THREAD, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_VIEW_EXPAND_ALL_THREADS, ID_VIEW_COLLAPSE_ALL_THREADS, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_REREAD_BACKUP, ID_MAIL_REREAD_BACKUP, OnMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_EXPAND_ALL_THREADS, ID_VIEW_COLLAPSE_ALL_THREADS, OnUpdateMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_TASK_EDIT, ID_MAIL_TASK_EDIT, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_TASK_ADD, ID_MAIL_TASK_ADD, OnMailWindowCommand)
    ON_COMMAND_RANGE(ID_MAIL_ADD_SENDER, ID_MAIL_ADD_SENDER, OnMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_ADD_SENDER, ID_MAIL_ADD_SENDER, OnUpdateMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_THREAD_LIST, ID_MAIL_THREAD_LIST, OnUpdateMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_SHOW_HEADER, ID_MAIL_SHOW_HEADER, OnUpdateMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_THREAD_TREE, ID_MAIL_THREAD_TREE, OnUpdateMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_REEDIT, ID_MAIL_REEDIT, OnUpdateMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_PROPERTIES, ID_MAIL_PROPERTIES, OnUpdateMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_TOGGLE_THREAD, ID_MAIL_TOGGLE_THREAD, OnUpdateMailWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MAIL_TASK_EDIT, ID_MAIL_TASK_EDIT, OnUpdateMailWindowCommand)
    ON_UPDATE_COMMAND_UI(ID_MAIL_COPY, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI(ID_MAIL_CUT, OnUpdateNeedSelection)
    ON_UPDATE_COMMAND_UI(ID_MAIL_DELETE_SELECTED, OnUpdateNeedSelection)
END_MESSAGE_MAP()

namespace {

const UINT ID_ESCAPE_COMMAND = 33127;
const UINT WM_QD_MOVE_PREVIOUS = 1347;

// Mail-list images of the application's image list.
enum {
    imageRead = 0, imageUnread = 2, imageAttach = 4, imageBookmark = 5, imageProtected = 6,
    imageThreadCollapsed = 23, imageThreadExpanded = 24,
};

int ProfileInt(const char* section, const char* key, int def)
{
    CQuendalApp* pApp = QuendalApp();
    return pApp ? pApp->GetProfileInt(section, key, def) : def;
}

} // namespace

CQListView::~CQListView()
{
    DeleteFonts();
    if (m_nSourceId)
        MailObjectBlock::UnregisterSource(m_nSourceId);
}

BOOL CQListView::PreCreateWindow(CREATESTRUCTA& cs)
{
    CListView::PreCreateWindow(cs);
    cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_OWNERDRAWFIXED | LVS_OWNERDATA;
    return TRUE;
}

CMailListData* CQListView::GetList() const
{
    return m_pStore && m_pStore->IsIndexLoaded() ? m_pStore->GetMailListNoLoad() : nullptr;
}

CMainFrame* CQListView::GetMainFrame() const
{
    return dynamic_cast<CMainFrame*>(GetParentFrame());
}

void CQListView::ReadListOptions()
{
    m_bReplyIcon = ProfileInt("Setting", "ShowReplyIcon", 1) != 0;
    m_bSortPerFolder = ProfileInt("Setting", "ListSortMemDate", 0) != 0;
    m_nAddressType = ProfileInt("Setting", "ListAddressType", 0);
    m_bOwnMailTo = ProfileInt("Setting", "ListOwnMailDispTo", 0) != 0;
}

void CQListView::LoadListOptions()
{
    const bool priority = m_bPriority, replyIcon = m_bReplyIcon;
    m_bPriority = ProfileInt("Setting", "DisplayPriority", 1) != 0;
    ReadListOptions();
    if (!m_hWnd)
        return;
    // The icon column is only resized when its icons changed: a width the
    // user dragged stays otherwise.
    if (priority != m_bPriority || replyIcon != m_bReplyIcon)
        GetListCtrl().SetColumnWidth(0, IconColumnWidth(m_bPriority, m_bReplyIcon));
    LoadDateFormats();
    Invalidate();
}

void CQListView::LoadDateFormats()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return;
    m_strDateFormat = CDateTimeFormats::Read(*pApp).ListFormat();
    // Every folder's dates read alike, in this list and in the viewers.
    CMailListData::SetDefaultDateFormat(m_strDateFormat);
    for (int i = 0; i < pApp->GetFolderCount(); ++i) {
        CMailFolderStore* store = pApp->GetFolderAt(i);
        if (store && store->IsIndexLoaded() && store->GetMailListNoLoad())
            store->GetMailListNoLoad()->SetDateFormat(m_strDateFormat);
    }
    if (m_hWnd)
        Invalidate(FALSE);
}

void CQListView::OnInitialUpdate()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    CListCtrl& list = GetListCtrl();
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
    if (CQuendalApp* pApp = QuendalApp())
        list.SetImageList(pApp->m_mailListImages.m_hImageList, LVSIL_SMALL);
    m_bPriority = ProfileInt("Setting", "DisplayPriority", 1) != 0;
    ReadListOptions();
    m_nSortItem = ProfileInt("Window", "SortItem", 4);
    m_nSortMode = ProfileInt("Window", "SortMode", 0) ? 1 : 0;
    LoadDateFormats();
    CColumnMeasure measure(m_strDateFormat);
    for (int i = 0; i < columnCount; ++i) {
        const ColumnDef& def = Column(i);
        int width = i == 0 ? IconColumnWidth(m_bPriority, m_bReplyIcon)
                           : ProfileInt("Window", def.widthKey, DefaultColumnWidth(i, measure.DC(), measure.DateFormat()));
        list.InsertColumn(i, def.header, def.format, width);
    }
    LoadColors();
    if (HIMC hImc = ImmGetContext(m_hWnd)) {
        ImmAssociateContext(m_hWnd, nullptr);
        ImmReleaseContext(m_hWnd, hImc);
    }
}

void CQListView::LoadColors()
{
    COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    m_colors.back = static_cast<COLORREF>(ProfileInt("Color", "ListBkColor", 0xF6BCA6));
    m_colors.text = static_cast<COLORREF>(ProfileInt("Color", "ListTextColor", static_cast<int>(windowText)));
    m_colors.textUnread = static_cast<COLORREF>(ProfileInt("Color", "ListTextColorNoRead", static_cast<int>(m_colors.text)));
    m_colors.highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    m_colors.highlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_colors.greyText = ::GetSysColor(COLOR_GRAYTEXT);
    GetListCtrl().SetBkColor(m_colors.back);
    DeleteFonts();
    // The control asks for the row height again when its size changes.
    RECT rc = {};
    GetWindowRect(&rc);
    SetWindowPos(nullptr, 0, 0, rc.right - rc.left + 1, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
    Invalidate();
}

void CQListView::MakeFonts(HDC hDC)
{
    if (m_hUnreadFont)
        return;
    LOGFONTA lf = GetFontSetting("FontList");
    int twips = lf.lfHeight;
    lf.lfHeight = FontPixelHeight(twips, ::GetDeviceCaps(hDC, LOGPIXELSY));
    m_nFontPixels = std::abs(lf.lfHeight);
    int weight = lf.lfWeight;
    lf.lfWeight = UnreadFontWeight(m_colors, weight);
    m_hUnreadFont = ::CreateFontIndirectA(&lf);
    lf.lfWeight = ReadFontWeight(m_colors, weight);
    m_hReadFont = ::CreateFontIndirectA(&lf);
}

void CQListView::DeleteFonts()
{
    if (m_hUnreadFont)
        ::DeleteObject(m_hUnreadFont);
    if (m_hReadFont)
        ::DeleteObject(m_hReadFont);
    m_hUnreadFont = m_hReadFont = nullptr;
}

void CQListView::MeasureItem(MEASUREITEMSTRUCT* pMis)
{
    HDC hDC = ::GetDC(m_hWnd);
    LOGFONTA lf = GetFontSetting("FontList");
    int height = RowHeight(lf.lfHeight, ::GetDeviceCaps(hDC, LOGPIXELSY));
    ::ReleaseDC(m_hWnd, hDC);
    // The icons are 16 pixels high.
    m_nRowHeight = height < 18 ? 18 : height;
    pMis->itemHeight = static_cast<UINT>(m_nRowHeight);
}

RowTextOptions CQListView::RowOptions() const
{
    RowTextOptions o;
    o.bShowTo = m_bShowTo;
    o.bOwnMailTo = m_bOwnMailTo;
    o.nAddressType = m_nAddressType;
    o.bHideTag = m_pStore && m_pStore->GetInheritedHideTag();
    if (CMailListData* list = GetList())
        o.strDateFormat = list->GetDateFormat();
    return o;
}

// ---- Showing a folder ----

BOOL CQListView::SetFolder(int nFolderId, BOOL bReload, BOOL bKeepPosition)
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* pStore = pApp ? pApp->FindFolder(nFolderId) : nullptr;
    if (!pStore)
        return FALSE;
    return ShowFolder(pStore, bReload, bKeepPosition);
}

BOOL CQListView::ShowFolder(CMailFolderStore* pStore, BOOL bReload, BOOL bKeepPosition)
{
    if (!pStore || !pStore->GetMailList())
        return FALSE;
    bool changed = pStore != m_pStore;
    m_pStore = pStore;
    m_nFolderId = pStore->GetFolderId();
    CListCtrl& list = GetListCtrl();

    m_bShowTo = IsOutgoingKind(pStore->GetKind());
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<char*>(SenderHeader(m_bShowTo));
    list.SetColumn(2, &col);
    m_nSortItem = SortItemForFolder(m_nSortItem, m_bShowTo);

    int top = list.GetTopIndex();
    int perPage = list.GetCountPerPage();
    if (bReload || changed) {
        m_nCurrentRow = -1;
        m_bProgramSelect = true;
        list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        m_bProgramSelect = false;
    }
    if ((bReload || changed) && m_bSortPerFolder) {
        // The folder remembers its own order (columns 24 and 25); a folder
        // without one takes the list's current order first.
        CFolderRecord& record = pStore->GetFolderRecord();
        if (record.m_nReserved24 == -1) {
            record.m_nReserved24 = m_nSortItem;
            record.m_nReserved25 = m_nSortMode;
        } else {
            m_nSortItem = SortItemForFolder(record.m_nReserved24, m_bShowTo);
            m_nSortMode = record.m_nReserved25 ? 1 : 0;
        }
    }
    // Mails deleted by other windows (an editor replacing its stored copy,
    // a draft sent) are only marked in the folder; their rows go now, so
    // that the list shows what the folder counts.
    pStore->GetMailList()->RemoveDeletedRecords();
    // The trash shows its mails in stored order.
    int item = pStore->GetKind() == CFolderRecord::kindTrash ? -1 : m_nSortItem;
    SortList(item, bKeepPosition);
    int count = list.GetItemCount();
    if (bReload || changed) {
        if (count > 0)
            list.EnsureVisible(m_nSortMode == 1 ? count - 1 : 0, FALSE);
    } else if (count > 0) {
        list.EnsureVisible(top < count ? top : count - 1, FALSE);
        int last = top + perPage - 1;
        list.EnsureVisible(last < count ? last : count - 1, FALSE);
    }
    NotifyFolderCounts();
    return TRUE;
}

void CQListView::ClearFolder()
{
    m_pStore = nullptr;
    m_nFolderId = 0;
    m_nCurrentRow = -1;
    if (m_hWnd)
        GetListCtrl().SetItemCount(0, 0);
}

void CQListView::SortList(int nItem, BOOL)
{
    CMailListData* data = GetList();
    if (!data)
        return;
    CListCtrl& list = GetListCtrl();
    int keptIndex = GetMailIndex(m_nCurrentRow);
    // -1 (stored order) keeps the remembered item for the next folder.
    if (nItem != -1)
        m_nSortItem = nItem;
    int key = nItem == -1 ? 12 : nItem;
    data->Sort(key, m_nSortMode == 1, m_pStore->GetInheritedHideTag(), m_nAddressType);
    list.SetItemCount(data->GetViewCount(), 0);
    if (keptIndex >= 0) {
        m_nCurrentRow = data->FindViewPos(keptIndex);
        if (m_nCurrentRow >= 0) {
            m_bProgramSelect = true;
            list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
            list.SetItemState(m_nCurrentRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            m_bProgramSelect = false;
        }
    }
    int count = data->GetViewCount();
    bool dateLike = key == 3 || key == 4 || key == 12;
    if (dateLike && m_nSortMode == 1 && !data->IsThreadMode() && count > 0)
        list.EnsureVisible(count - 1, FALSE);
    if (m_nCurrentRow >= 0)
        list.EnsureVisible(m_nCurrentRow, FALSE);
    UpdateSortMark(SortItemToHeaderColumn(nItem));
    Invalidate(FALSE);
    if (CQuendalApp* pApp = QuendalApp()) {
        pApp->WriteProfileInt("Window", "SortItem", m_nSortItem);
        pApp->WriteProfileInt("Window", "SortMode", m_nSortMode);
    }
    if (m_bSortPerFolder && nItem != -1) {
        m_pStore->GetFolderRecord().m_nReserved24 = m_nSortItem;
        m_pStore->GetFolderRecord().m_nReserved25 = m_nSortMode;
    }
}

void CQListView::UpdateSortMark(int nColumn)
{
    SetHeaderSortMark(GetListCtrl().GetHeaderCtrl(), nColumn < columnCount ? nColumn : -1, m_nSortMode == 1);
    m_nSortColumn = nColumn;
}

int CQListView::GetMailIndex(int nRow) const
{
    CMailListData* data = GetList();
    return data ? data->GetViewIndex(nRow) : -1;
}

BOOL CQListView::SelectMail(int nMailIndex)
{
    CMailListData* data = GetList();
    int row = data ? data->FindViewPos(nMailIndex) : -1;
    if (row < 0)
        return FALSE;
    CListCtrl& list = GetListCtrl();
    m_bProgramSelect = true;
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_bProgramSelect = false;
    list.EnsureVisible(row, FALSE);
    m_nCurrentRow = row;
    ShowSelectedMail();
    return TRUE;
}

void CQListView::RedrawMail(int nMailIndex)
{
    CMailListData* data = GetList();
    int row = data ? data->FindViewPos(nMailIndex) : -1;
    if (row >= 0)
        GetListCtrl().RedrawItems(row, row);
}

void CQListView::OnMailListChanged()
{
    CMailListData* data = GetList();
    if (!data) {
        GetListCtrl().SetItemCount(0, 0);
        return;
    }
    GetListCtrl().SetItemCount(data->GetViewCount(), LVSICF_NOSCROLL);
    if (m_nCurrentRow >= data->GetViewCount())
        m_nCurrentRow = -1;
    Invalidate(FALSE);
    NotifyFolderCounts();
}

void CQListView::NotifyFolderCounts()
{
    CMailListData* data = GetList();
    if (CMainFrame* pFrame = GetMainFrame())
        pFrame->UpdateFolderCounts(data ? data->GetMailCount() : 0, data ? data->GetUnreadCount() : 0);
}

void CQListView::ShowSelectedMail()
{
    int row = m_nCurrentRow >= 0 ? m_nCurrentRow : GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
    int index = GetMailIndex(row);
    if (index < 0)
        return;
    if (CQuendalApp* pApp = QuendalApp()) {
        pApp->m_nMailMemFolder = m_nFolderId;
        pApp->m_nMailMemIndex = index;
    }
    CMainFrame* pFrame = GetMainFrame();
    MailViewSeam& seam = GetMailViewSeam();
    if (pFrame && seam.pfnShowMail && pFrame->GetMailView())
        seam.pfnShowMail(pFrame->GetMailView(), m_pStore, index);
    if (pFrame)
        pFrame->AddMailToHistory(m_nFolderId, index);
    CMailIndexRecord* record = m_pStore ? m_pStore->GetRecord(index) : nullptr;
    if (pFrame && record && record->m_nPartNumber > 0 && m_pStore->GetKind() != CFolderRecord::kindTrash &&
        AfxMessageBox("このメールは分割されたメールの一部です。\r\n分割メールを結合しますか？", MB_YESNO | MB_ICONQUESTION) == IDYES)
        JoinPartialMail();
}

void CQListView::MoveSelection(UINT nMessage)
{
    CMailListData* data = GetList();
    if (!data || data->GetViewCount() == 0)
        return;
    int row = m_nCurrentRow;
    if (row < 0)
        row = nMessage == WM_QD_MOVE_PREVIOUS ? data->GetViewCount() : -1;
    row += nMessage == WM_QD_MOVE_PREVIOUS ? -1 : 1;
    if (row < 0 || row >= data->GetViewCount())
        return;
    SelectMail(data->GetViewIndex(row));
}

void CQListView::SaveColumnWidths()
{
    if (!m_bInitialised || !m_hWnd || !GetMainFrame())
        return;
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return;
    CListCtrl& list = GetListCtrl();
    for (int i = 1; i < columnCount; ++i)
        pApp->WriteProfileInt("Window", Column(i).widthKey, list.GetColumnWidth(i));
}

// ---- Notifications ----

void CQListView::OnGetDispInfo(NMHDR* pHdr, LRESULT* pResult)
{
    auto* info = reinterpret_cast<NMLVDISPINFOA*>(pHdr);
    *pResult = 0;
    CMailListData* data = GetList();
    CMailIndexRecord* record = data ? data->GetViewRecord(info->item.iItem) : nullptr;
    if (!record || !(info->item.mask & LVIF_TEXT) || !info->item.pszText || info->item.cchTextMax <= 0)
        return;
    CString text = RowText(*record, info->item.iSubItem, RowOptions());
    lstrcpynA(info->item.pszText, text, info->item.cchTextMax);
}

void CQListView::SortByItem(int nItem)
{
    if (nItem < 0 || !GetList())
        return;
    HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    int item = m_nSortItem;
    ApplyColumnClick(nItem, item, m_nSortMode);
    SortList(item, TRUE);
    ::SetCursor(old);
}

void CQListView::OnColumnClick(NMHDR* pHdr, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMLISTVIEW*>(pHdr);
    *pResult = 0;
    bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    int clicked = ColumnToSortItem(nm->iSubItem, m_bShowTo, shift);
    if (clicked < 0 || !GetList())
        return;
    HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    int item = m_nSortItem;
    ApplyColumnClick(clicked, item, m_nSortMode);
    SortList(item, TRUE);
    ::SetCursor(old);
}

void CQListView::OnItemChanged(NMHDR* pHdr, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMLISTVIEW*>(pHdr);
    *pResult = 0;
    if (m_bProgramSelect)
        return;
    if ((nm->uNewState & LVIS_FOCUSED) && nm->iItem >= 0)
        m_nCurrentRow = nm->iItem;
    if ((nm->uChanged & LVIF_STATE) && (nm->uNewState & LVIS_SELECTED) && GetListCtrl().GetSelectedCount() == 1) {
        m_nCurrentRow = nm->iItem >= 0 ? nm->iItem : m_nCurrentRow;
        CMainFrame* frame = GetMainFrame();
        if (m_bDragging)
            m_bShowPending = true;
        else if (!frame || !frame->PutOffShowUntilKeyUp())
            ShowSelectedMail();
    }
}

void CQListView::OpenSelectedMail()
{
    int row = GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
    int index = GetMailIndex(row);
    if (index < 0) {
        AfxMessageBox("メールを選択してください。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // Mails being written and mails waiting to be sent open in an editor.
    if (m_pStore && (m_pStore->IsInWritingFolder() || m_pStore->GetKind() == CFolderRecord::kindSend)) {
        if (CQuendalApp* pApp = QuendalApp())
            pApp->OpenMailEditor(0, m_pStore, index, 0, "", "", "", "", "", 0, 0, FALSE, 0);
        return;
    }
    if (GetMailViewSeam().pfnOpenMail)
        GetMailViewSeam().pfnOpenMail(m_pStore, index);
}

LRESULT CQListView::OnViewerMovePrevious(WPARAM, LPARAM lParam)
{
    return MoveForViewer(WM_QD_VIEWER_MOVE_PREVIOUS, lParam);
}

LRESULT CQListView::OnViewerMoveNext(WPARAM, LPARAM lParam)
{
    return MoveForViewer(WM_QD_VIEWER_MOVE_NEXT, lParam);
}

LRESULT CQListView::MoveForViewer(UINT message, LPARAM token)
{
    // A token the viewer put into the posted-object table, never an address:
    // the list window can be found and sent to from any program.
    std::shared_ptr<MailObjectBlock::MailRef> ref =
        CPostedObjectTable::Instance().Take<MailObjectBlock::MailRef>(message, token);
    const int nStep = message == WM_QD_VIEWER_MOVE_NEXT ? 1 : -1;
    CMailListData* data = GetList();
    // Only while the list shows the viewer's folder and mail.
    if (!ref || !data || ref->nFolderId != m_nFolderId)
        return 0;
    int pos = data->FindViewPos(ref->nIndex);
    if (pos < 0)
        return 0;
    for (int row = pos + nStep; row >= 0 && row < data->GetViewCount(); row += nStep) {
        CMailIndexRecord* r = data->GetViewRecord(row);
        if (!r || r->m_bDeleted)
            continue;
        int index = data->GetViewIndex(row);
        if (!SelectMail(index))
            return 0;
        ref->nIndex = index;
        return 1;
    }
    return 0;
}

void CQListView::OnReturn(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OpenSelectedMail();
}

void CQListView::OnDblClick(NMHDR* pHdr, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMITEMACTIVATE*>(pHdr);
    *pResult = 0;
    CMailListData* data = GetList();
    if (data && data->IsThreadMode() && nm->iItem >= 0 && nm->ptAction.x >= m_nBoxLeft && nm->ptAction.x < m_nBoxRight)
        return;  // the click already toggled the thread
    OpenSelectedMail();
}

void CQListView::OnClick(NMHDR* pHdr, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMITEMACTIVATE*>(pHdr);
    *pResult = 0;
    CMailListData* data = GetList();
    if (data && data->IsThreadMode() && nm->iItem >= 0 && nm->ptAction.x >= m_nBoxLeft && nm->ptAction.x < m_nBoxRight)
        ToggleThread(nm->iItem);
}

namespace {

// The lines in the pen given; each level has an 8-pixel slot whose line
// runs 3 pixels in.
void DrawLineSlots(HDC hDC, HPEN hPen, const std::vector<ThreadLine>& lines, int nLeft, int nTop, int nBottom)
{
    CGdiSelection selected(hDC, hPen);
    const int middle = (nTop + nBottom) / 2;
    for (size_t d = 0; d < lines.size(); ++d) {
        const int x = nLeft + 8 * static_cast<int>(d) + 3;
        if (lines[d] == lineNone)
            continue;
        ::MoveToEx(hDC, x, nTop, nullptr);
        ::LineTo(hDC, x, lines[d] == lineLast ? middle + 1 : nBottom);
        if (lines[d] != lineThrough) {
            ::MoveToEx(hDC, x, middle, nullptr);
            ::LineTo(hDC, x + 5, middle);
        }
    }
}

} // namespace

void CQListView::DrawThreadLines(HDC hDC, int nLeft, int nTop, int nBottom, int nRow)
{
    CMailListData* data = GetList();
    if (!data)
        return;
    const std::vector<ThreadLine> lines =
        ThreadLines([data](int r) { return data->GetViewLevel(r); }, data->GetViewCount(), nRow);
    if (lines.empty())
        return;
    HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_GRAYTEXT));
    DrawLineSlots(hDC, pen, lines, nLeft, nTop, nBottom);
    ::DeleteObject(pen);
}

void CQListView::ToggleThread(int nRow)
{
    CMailListData* data = GetList();
    CMailIndexRecord* record = data ? data->GetViewRecord(nRow) : nullptr;
    if (!record || data->GetViewLevel(nRow) != 0 || !record->m_pChildren || record->m_pChildren->IsEmpty())
        return;
    CListCtrl& list = GetListCtrl();
    int last = list.GetTopIndex() + list.GetCountPerPage() - 1;
    if (record->m_bCollapsed)
        data->ExpandThread(nRow);
    else
        data->CollapseThread(nRow);
    int count = data->GetViewCount();
    list.SetItemCount(count, LVSICF_NOSCROLL);
    if (count > 0)
        list.EnsureVisible(last < count ? last : count - 1, FALSE);
    Invalidate(FALSE);
}

BOOL CQListView::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
        bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
        CMainFrame* pFrame = GetMainFrame();
        if (pMsg->wParam == VK_ESCAPE && !ctrl && !shift && pFrame) {
            pFrame->PostMessage(WM_COMMAND, ID_ESCAPE_COMMAND);
            return TRUE;
        }
        if (pMsg->wParam == VK_TAB && pFrame) {
            pFrame->CycleActivePane(nullptr);
            return TRUE;
        }
        if ((pMsg->wParam == VK_UP || pMsg->wParam == VK_DOWN) && m_nCurrentRow < 0 && GetList()) {
            MoveSelection(pMsg->wParam == VK_UP ? WM_QD_MOVE_PREVIOUS : WM_QD_MOVE_PREVIOUS + 1);
            return TRUE;
        }
    }
    return CListView::PreTranslateMessage(pMsg);
}

void CQListView::OnSetFocus(HWND hOldWnd)
{
    CListView::OnSetFocus(hOldWnd);
    m_bHasFocus = true;
    if (CMainFrame* pFrame = GetMainFrame())
        pFrame->CycleActivePane(this);
    Invalidate(FALSE);
}

void CQListView::OnKillFocus(HWND)
{
    Default();
    m_bHasFocus = false;
    Invalidate(FALSE);
}

void CQListView::OnDestroy()
{
    SaveColumnWidths();
    DeleteFonts();
    CListView::OnDestroy();
}

// ---- Drawing ----

void CQListView::DrawItem(DRAWITEMSTRUCT* pDis)
{
    CMailListData* data = GetList();
    int row = static_cast<int>(pDis->itemID);
    CMailIndexRecord* record = data ? data->GetViewRecord(row) : nullptr;
    if (!record)
        return;
    HDC hDC = pDis->hDC;
    MakeFonts(hDC);
    CListCtrl& list = GetListCtrl();
    bool selected = (list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    RowColors colors = RowColorsFor(record->m_nLabel, record->m_crLabel, record->IsRead(), selected, m_bHasFocus, m_colors);
    RECT rc = pDis->rcItem;
    HBRUSH brush = ::CreateSolidBrush(colors.back);
    ::FillRect(hDC, &rc, brush);
    ::DeleteObject(brush);

    // A mail in another language is drawn in its charset's language font.
    HFONT font = CMailFontSets::Instance().GetListRowFont(
        *record, m_nFontPixels, UnreadFontWeight(m_colors, FW_NORMAL) == FW_BOLD, m_hReadFont, m_hUnreadFont);
    HGDIOBJ oldFont = ::SelectObject(hDC, font);
    ::SetTextColor(hDC, colors.text);
    ::SetBkMode(hDC, TRANSPARENT);
    HIMAGELIST images = nullptr;
    if (CQuendalApp* pApp = QuendalApp())
        images = pApp->m_mailListImages.m_hImageList;
    int iconY = rc.top + (rc.bottom - rc.top - 16) / 2;
    RowTextOptions options = RowOptions();

    int x = rc.left;
    for (int col = 0; col < columnCount; ++col) {
        int width = list.GetColumnWidth(col);
        RECT cell = { x, rc.top, x + width, rc.bottom };
        HRGN clip = ::CreateRectRgnIndirect(&cell);
        ::SelectClipRgn(hDC, clip);
        if (col == 0 && images) {
            int ix = x + 2;
            if (m_bPriority) {
                if (record->m_nPriority != 0)
                    ImageList_Draw(images, 10 + record->m_nPriority, hDC, x + 1, iconY, ILD_TRANSPARENT);
                ix = x + 9;
            }
            if (m_bReplyIcon) {
                static const struct { int flag; int image; } marks[] = { { 0x4, 10 }, { 0x8, 9 }, { 0x1, 7 }, { 0x2, 8 } };
                for (const auto& m : marks)
                    if (record->m_nFlags & m.flag)
                        ImageList_Draw(images, m.image, hDC, ix, iconY, ILD_TRANSPARENT);
                ix += 8;
            }
            ImageList_Draw(images, (record->IsRead() ? imageRead : imageUnread) + (IsCutMail(record->m_nIndex) ? 1 : 0),
                           hDC, ix, iconY, ILD_TRANSPARENT);
            if (record->m_bAttach)
                ImageList_Draw(images, imageAttach, hDC, ix, iconY, ILD_TRANSPARENT);
            if (record->m_nFlags & 0x40)
                ImageList_Draw(images, imageProtected, hDC, ix, iconY, ILD_TRANSPARENT);
            if (record->m_nBookmark)
                ImageList_Draw(images, imageBookmark, hDC, ix, iconY, ILD_TRANSPARENT);
        } else if (col > 0) {
            RECT text = cell;
            text.left += 3;
            text.right -= 3;
            if (col == 1 && data->IsThreadMode()) {
                // The expand box has its slot before the subject; replies step in 8 pixels a level.
                int level = data->GetViewLevel(row);
                m_nBoxLeft = x + 1;
                m_nBoxRight = x + 18;
                bool hasReplies = record->m_pChildren && !record->m_pChildren->IsEmpty();
                if (level == 0 && hasReplies && images)
                    ImageList_Draw(images, record->m_bCollapsed ? imageThreadCollapsed : imageThreadExpanded, hDC,
                                   x + 1, iconY, ILD_TRANSPARENT);
                text.left = x + 19 + 8 * level;
                DrawThreadLines(hDC, x + 19, cell.top, cell.bottom, row);
            }
            CString value = RowText(*record, col, options);
            CString shown = CQListCtrl::FitText(hDC, value, text.right - text.left);
            UINT align = Column(col).format == LVCFMT_RIGHT ? DT_RIGHT : DT_LEFT;
            ::DrawTextA(hDC, shown, shown.GetLength(), &text, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        ::SelectClipRgn(hDC, nullptr);
        ::DeleteObject(clip);
        x += width;
    }
    ::SelectObject(hDC, oldFont);
    if ((pDis->itemState & ODS_FOCUS) && m_bHasFocus)
        ::DrawFocusRect(hDC, &rc);
}
