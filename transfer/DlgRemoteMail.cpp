#include "transfer/DlgRemoteMail.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/QuendalApp.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/selrecv/SelRecvResource.h"

#include <commctrl.h>

namespace {

struct ColumnSpec
{
    const char* title;
    const char* key;  // width setting; null: fixed
    int width;        // default; -1 the rest of the list's width
    int format;
};

const ColumnSpec kColumns[] = {
    {" ", nullptr, 20, LVCFMT_LEFT},
    {"件名", "RemoteMailListWidthSubject", -1, LVCFMT_LEFT},
    {"差出人", "RemoteMailListWidthSender", 240, LVCFMT_LEFT},
    {"送信日時", "RemoteMailListWidthDate", 120, LVCFMT_LEFT},
    {"サイズ", "RemoteMailListWidthSize", 70, LVCFMT_RIGHT},
};

const int kBottomButtons[] = {IDC_REMOTE_RECEIVE, IDC_REMOTE_RECEIVE_UNREAD, IDC_REMOTE_RECEIVE_DELETE,
                              IDC_REMOTE_DELETE, IDC_REMOTE_BACK, IDC_REMOTE_BACK_ALL};
// Disabled while a listing or a run goes on.
const int kJobControls[] = {IDOK, IDCANCEL, IDC_REMOTE_REFRESH, IDC_REMOTE_ACCOUNT, IDC_REMOTE_NEWEST,
                            IDC_REMOTE_NEWEST_COUNT, IDC_REMOTE_NEWEST_LABEL};

const UINT kAbortCommand = ID_FILE_ABORT_TRANSFER;
const UINT kSelectAllCommand = ID_EDIT_SELECT_ALL_CMD;

// The operation marks: an empty cell, then one coloured mark per operation
// (receive blue, unread green, receive and delete orange, delete red), and
// the done marks of rows received (grey).
void BuildOperationImages(CImageList& images)
{
    images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 11, 0);
    const COLORREF kMask = RGB(255, 0, 255);
    const COLORREF colours[11] = {kMask, RGB(40, 90, 200), RGB(40, 160, 70), RGB(230, 130, 20), RGB(200, 40, 40),
                                  kMask, kMask, kMask, kMask, RGB(120, 120, 160), RGB(120, 160, 120)};
    HDC hScreen = ::GetDC(nullptr);
    HDC hdc = ::CreateCompatibleDC(hScreen);
    for (COLORREF colour : colours) {
        HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, 16, 16);
        HGDIOBJ hOld = ::SelectObject(hdc, hBitmap);
        RECT rc = {0, 0, 16, 16};
        HBRUSH hMask = ::CreateSolidBrush(kMask);
        ::FillRect(hdc, &rc, hMask);
        ::DeleteObject(hMask);
        if (colour != kMask) {
            RECT mark = {3, 3, 13, 13};
            HBRUSH hBrush = ::CreateSolidBrush(colour);
            ::FillRect(hdc, &mark, hBrush);
            ::DeleteObject(hBrush);
        }
        ::SelectObject(hdc, hOld);
        images.Add(hBitmap, kMask);
        ::DeleteObject(hBitmap);
    }
    ::DeleteDC(hdc);
    ::ReleaseDC(nullptr, hScreen);
}

struct SortContext
{
    int nColumn;
    bool bAscending;
};

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM context)
{
    const auto* ctx = reinterpret_cast<const SortContext*>(context);
    int r = CRemoteMailList::Compare(*reinterpret_cast<CRemoteMailItem*>(a), *reinterpret_cast<CRemoteMailItem*>(b),
                                     ctx->nColumn < 0 ? 0 : ctx->nColumn);
    return ctx->bAscending ? r : -r;
}

RECT ChildRect(CWnd* pParent, HWND hChild)
{
    RECT rc;
    ::GetWindowRect(hChild, &rc);
    pParent->ScreenToClient(&rc);
    return rc;
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgRemoteMail, CDialog)
    ON_WM_SIZE()
    ON_BN_CLICKED(IDC_REMOTE_REFRESH, OnRefresh)
    ON_BN_CLICKED(IDC_REMOTE_RECEIVE, OnReceive)
    ON_BN_CLICKED(IDC_REMOTE_RECEIVE_UNREAD, OnReceiveUnread)
    ON_BN_CLICKED(IDC_REMOTE_RECEIVE_DELETE, OnReceiveDelete)
    ON_BN_CLICKED(IDC_REMOTE_DELETE, OnDelete)
    ON_BN_CLICKED(IDC_REMOTE_BACK, OnBack)
    ON_BN_CLICKED(IDC_REMOTE_BACK_ALL, OnBackAll)
    ON_COMMAND(kSelectAllCommand, OnSelectAll)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_REMOTE_LIST, OnColumnClick)
    ON_MESSAGE(WM_REMOTE_REFRESH, OnRefreshControls)
    ON_MESSAGE(WM_REMOTE_JOB_BEGIN, OnJobBegin)
    ON_MESSAGE(WM_REMOTE_JOB_END, OnJobEnd)
END_MESSAGE_MAP()

CDlgRemoteMail::CDlgRemoteMail() : CDialog(IDD_REMOTE_MAIL, nullptr) {}

CDlgRemoteMail::~CDlgRemoteMail()
{
    if (m_hWnd)
        DestroyWindow();
    m_images.DeleteImageList();
}

BOOL CDlgRemoteMail::CreateWindowFor(CWnd* pOwner)
{
    m_pParentWnd = pOwner;
    if (!Create(IDD_REMOTE_MAIL, pOwner))
        return FALSE;
    // Centred on the main window, or on the desktop while it is minimized.
    CenterWindow(pOwner && pOwner->m_hWnd && !pOwner->IsIconic() ? pOwner->m_hWnd : ::GetDesktopWindow());
    return TRUE;
}

BOOL CDlgRemoteMail::OnInitDialog()
{
    CDialog::OnInitDialog();
    CQuendalApp* pApp = QuendalApp();
    m_listCtrl.SubclassDlgItem(IDC_REMOTE_LIST, this);
    m_accounts.SubclassDlgItem(IDC_REMOTE_ACCOUNT, this);
    m_listCtrl.SetExtendedStyle(m_listCtrl.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    BuildOperationImages(m_images);
    m_listCtrl.SetImageList(m_images.m_hImageList, LVSIL_SMALL);
    RECT rcList;
    m_listCtrl.GetClientRect(&rcList);
    int nRest = rcList.right - rcList.left - ::GetSystemMetrics(SM_CXVSCROLL);
    for (const ColumnSpec& c : kColumns)
        if (c.width > 0)
            nRest -= c.width;
    for (int i = 0; i < 5; i++) {
        int nDefault = kColumns[i].width < 0 ? (nRest > 60 ? nRest : 60) : kColumns[i].width;
        int nWidth = kColumns[i].key && pApp ? pApp->GetProfileInt("Window", kColumns[i].key, nDefault) : nDefault;
        m_listCtrl.InsertColumn(i, kColumns[i].title, kColumns[i].format, nWidth);
    }
    SendDlgItemMessageA(m_hWnd, IDC_REMOTE_NEWEST_COUNT, EM_LIMITTEXT, 5, 0);

    RECT client;
    GetClientRect(&client);
    RECT rc = ChildRect(this, m_listCtrl.m_hWnd);
    m_nListRight = client.right - rc.right;
    m_nListBottom = client.bottom - rc.bottom;
    m_nButtonBottom = client.bottom - ChildRect(this, GetDlgItemHwnd(IDC_REMOTE_RECEIVE)).top;
    m_nBottomRowBottom = client.bottom - ChildRect(this, GetDlgItemHwnd(IDCANCEL)).top;
    m_nExecRight = client.right - ChildRect(this, GetDlgItemHwnd(IDOK)).left;
    m_nCloseRight = client.right - ChildRect(this, GetDlgItemHwnd(IDCANCEL)).left;
    return TRUE;
}

void CDlgRemoteMail::ReadOptions()
{
    m_bNewestOnly = IsDlgButtonChecked(IDC_REMOTE_NEWEST) == BST_CHECKED ? 1 : 0;
    BOOL bOk = FALSE;
    int n = static_cast<int>(::GetDlgItemInt(m_hWnd, IDC_REMOTE_NEWEST_COUNT, &bOk, FALSE));
    m_nNewestCount = bOk && n > 0 ? n : 10;
    m_bExecIcon = IsDlgButtonChecked(IDC_REMOTE_EXEC_ICON) == BST_CHECKED;
}

void CDlgRemoteMail::ResetAndShow(bool bNewestOnly)
{
    CQuendalApp* pApp = QuendalApp();
    if (pApp) {
        int cx = pApp->GetProfileInt("Window", "RemoteMailDlgSizeX", 0);
        int cy = pApp->GetProfileInt("Window", "RemoteMailDlgSizeY", 0);
        if (cx > 100 && cy > 100)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_bExecIcon = pApp->GetProfileInt("Setting", "SelectMailExecIcon", 1) != 0;
        m_nNewestCount = pApp->GetProfileInt("Setting", "ReceiveNewMailCount", 10);
    }
    CheckDlgButton(IDC_REMOTE_EXEC_ICON, m_bExecIcon ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemInt(m_hWnd, IDC_REMOTE_NEWEST_COUNT, static_cast<UINT>(m_nNewestCount), FALSE);
    CheckDlgButton(IDC_REMOTE_NEWEST, bNewestOnly ? BST_CHECKED : BST_UNCHECKED);
    m_bNewestOnly = bNewestOnly ? 1 : 0;
    m_bListedNewest = bNewestOnly;
    ClearAll();
    for (int id : {IDOK, IDCANCEL, IDC_REMOTE_REFRESH})
        ::EnableWindow(GetDlgItemHwnd(id), FALSE);
    ShowWindow(SW_SHOW);
    m_bOpen = true;
    m_accounts.ResetContent();
    CAccountDataSet* pAccounts = pApp ? pApp->m_pAccountDataSet : nullptr;
    for (int i = 0; pAccounts && i < pAccounts->GetRecordCount(TRUE); i++)
        if (CAccountData* pAccount = pAccounts->GetAccount(i))
            m_accounts.AddString(pAccount->GetAccountName());
    SelectAccount(m_nAccount >= 0 ? m_nAccount : (pAccounts ? pAccounts->m_nCurrentAccount : 0));
}

void CDlgRemoteMail::SelectAccount(int nIndex)
{
    m_nAccount = nIndex;
    if (m_accounts.m_hWnd) {
        m_accounts.SetCurSel(nIndex);
        m_strAccountName = nIndex >= 0 ? m_accounts.GetLBText(nIndex) : CString();
    }
}

void CDlgRemoteMail::ClearAll()
{
    if (m_listCtrl.m_hWnd)
        m_listCtrl.DeleteAllItems();
    m_list.Clear();
    m_nRowsShown = 0;
    if (m_hWnd)
        UpdateLabels();
}

void CDlgRemoteMail::EnableControls(bool bOn)
{
    for (int id : kJobControls)
        ::EnableWindow(GetDlgItemHwnd(id), bOn);
    if (bOn && m_nSortColumn >= 0)
        SortBy(m_nSortColumn);
}

void CDlgRemoteMail::AddServerMail(const CString& header, const CString& strId, int nNumber, int nSize)
{
    m_list.Add(m_nAccount, header, strId, nNumber, nSize);
    // The rows are the UI thread's: it adds them when this reaches it.
    if (m_hWnd)
        ::PostMessageA(m_hWnd, WM_REMOTE_REFRESH, 0, 0);
}

LRESULT CDlgRemoteMail::OnRefreshControls(WPARAM, LPARAM)
{
    SyncRows();
    UpdateLabels();
    return 0;
}

void CDlgRemoteMail::SyncRows()
{
    CSingleLock hold(&m_list.Lock(), TRUE);
    for (; m_nRowsShown < m_list.GetCount(); m_nRowsShown++) {
        CRemoteMailItem* pItem = m_list.GetAt(m_nRowsShown);
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = m_listCtrl.GetItemCount();
        item.pszText = const_cast<char*>("");
        item.iImage = pItem->m_nOperation;
        item.lParam = reinterpret_cast<LPARAM>(pItem);
        int nRow = static_cast<int>(m_listCtrl.SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (nRow < 0)
            continue;
        m_listCtrl.SetItemText(nRow, 1, pItem->m_strSubject);
        m_listCtrl.SetItemText(nRow, 2, pItem->m_strSender);
        m_listCtrl.SetItemText(nRow, 3, pItem->m_strDate);
        m_listCtrl.SetItemText(nRow, 4, FormatString("%d", pItem->m_nSize));
    }
}

void CDlgRemoteMail::UpdateLabels()
{
    SetDlgItemText(IDC_REMOTE_COUNT, m_list.CountLabel());
    SetDlgItemText(IDC_REMOTE_SIZE, m_list.SizeLabel());
}

int CDlgRemoteMail::FindRow(const CRemoteMailItem* pItem) const
{
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(pItem);
    return static_cast<int>(m_listCtrl.SendMessage(LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void CDlgRemoteMail::SetSelectedOperation(int nOperation)
{
    CSingleLock hold(&m_list.Lock(), TRUE);
    for (int nRow = m_listCtrl.GetNextItem(-1, LVNI_SELECTED); nRow >= 0;
         nRow = m_listCtrl.GetNextItem(nRow, LVNI_SELECTED)) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = nRow;
        m_listCtrl.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        auto* pItem = reinterpret_cast<CRemoteMailItem*>(item.lParam);
        if (!pItem)
            continue;
        pItem->m_nOperation = nOperation;
        if (nOperation == CRemoteMailItem::opNone)
            pItem->m_bReceive = pItem->m_bDelete = pItem->m_bKeepUnread = 0;
        item.mask = LVIF_IMAGE;
        item.iImage = nOperation;
        m_listCtrl.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void CDlgRemoteMail::OnBackAll()
{
    OnSelectAll();
    SetSelectedOperation(CRemoteMailItem::opNone);
}

void CDlgRemoteMail::OnSelectAll()
{
    m_listCtrl.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void CDlgRemoteMail::OnRefresh()
{
    ReadOptions();
    CQuendalApp* pApp = QuendalApp();
    // Another account, or a listing of the newest mails (now or last time),
    // starts from an empty list; otherwise the listing goes on after the
    // last listed mail.
    int nSel = m_accounts.GetCurSel();
    CString name = nSel >= 0 ? m_accounts.GetLBText(nSel) : CString();
    if (m_bNewestOnly || m_bListedNewest || name != m_strAccountName) {
        ClearAll();
        if (name != m_strAccountName) {
            CAccountDataSet* pAccounts = pApp ? pApp->m_pAccountDataSet : nullptr;
            for (int i = 0; pAccounts && i < pAccounts->GetRecordCount(TRUE); i++)
                if (CAccountData* pAccount = pAccounts->GetAccount(i))
                    if (pAccount->GetAccountName() == name)
                        m_nAccount = i;
            m_strAccountName = name;
        }
    }
    m_bListedNewest = m_bNewestOnly != 0;
    m_list.ClearRequests();
    PostToMainThread(TM_SELECT_LIST);
}

void CDlgRemoteMail::OnOK()
{
    // Execute.
    ReadOptions();
    if (m_bExecIcon) {
        ShowWindow(SW_MINIMIZE);
        if (CQuendalApp* pApp = QuendalApp())
            pApp->WriteProfileInt("Setting", "SelectMailExecIcon", 1);
    }
    if (m_list.MakeRequests(m_nAccount)) {
        PostToMainThread(TM_SELECT_RUN);
        return;
    }
    ShowWindow(SW_RESTORE);
    ::SetForegroundWindow(m_hWnd);
    AfxMessageBox("リストで選択したメールに対する操作（受信、削除など）を\r\nボタンを押して選択してください。",
                  MB_OK | MB_ICONINFORMATION);
}

void CDlgRemoteMail::OnCancel()
{
    // Close: the window hides; the main window shows it again.
    ReadOptions();
    ClearAll();
    ShowWindow(SW_HIDE);
    SaveSettings();
    m_bOpen = false;
}

void CDlgRemoteMail::SaveSettings()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return;
    pApp->WriteProfileInt("Setting", "SelectMailExecIcon", m_bExecIcon ? 1 : 0);
    pApp->WriteProfileInt("Setting", "ReceiveNewMailCount", m_nNewestCount);
    if (!IsIconic()) {
        RECT rc;
        GetWindowRect(&rc);
        pApp->WriteProfileInt("Window", "RemoteMailDlgSizeX", rc.right - rc.left);
        pApp->WriteProfileInt("Window", "RemoteMailDlgSizeY", rc.bottom - rc.top);
    }
    for (int i = 1; i < 5; i++)
        pApp->WriteProfileInt("Window", kColumns[i].key, m_listCtrl.GetColumnWidth(i));
}

void CDlgRemoteMail::PostToMainThread(UINT nMessage)
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return;
    // Disabled at once, so that no second request goes out meanwhile.
    EnableControls(false);
    ::PostThreadMessageA(pApp->m_nThreadID, nMessage, static_cast<WPARAM>(m_nAccount), 0);
}

void CDlgRemoteMail::NotifyJobBegin()
{
    m_bBusy = 1;
    if (m_hWnd)
        ::PostMessageA(m_hWnd, WM_REMOTE_JOB_BEGIN, 0, 0);
}

void CDlgRemoteMail::NotifyJobEnd(bool bApply)
{
    if (m_hWnd)
        ::PostMessageA(m_hWnd, WM_REMOTE_JOB_END, bApply ? 1 : 0, 0);
    else
        OnJobEnd(bApply ? 1 : 0, 0);
}

LRESULT CDlgRemoteMail::OnJobBegin(WPARAM, LPARAM)
{
    EnableControls(false);
    return 0;
}

LRESULT CDlgRemoteMail::OnJobEnd(WPARAM wParam, LPARAM)
{
    if (wParam)
        ApplyResults();
    m_bBusy = 0;
    if (!m_hWnd)
        return 0;
    SyncRows();
    UpdateLabels();
    EnableControls(true);
    if (m_bOpen) {
        ShowWindow(SW_RESTORE);
        ::SetForegroundWindow(m_hWnd);
    }
    return 0;
}

void CDlgRemoteMail::ApplyResults()
{
    std::vector<std::unique_ptr<CRemoteMailItem>> removed;
    if (m_listCtrl.m_hWnd)
        m_listCtrl.SendMessage(WM_SETREDRAW, FALSE);
    m_list.ApplyResults(removed);
    if (!m_listCtrl.m_hWnd)
        return;
    // The rows of the removed items go before the items do.
    for (auto& pItem : removed) {
        int nRow = FindRow(pItem.get());
        if (nRow >= 0)
            m_listCtrl.SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nRow));
    }
    m_nRowsShown = m_list.GetCount();
    for (int nRow = 0; nRow < m_listCtrl.GetItemCount(); nRow++) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = nRow;
        m_listCtrl.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (auto* pItem = reinterpret_cast<CRemoteMailItem*>(item.lParam)) {
            item.mask = LVIF_IMAGE;
            item.iImage = pItem->m_nOperation;
            m_listCtrl.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    m_listCtrl.SendMessage(WM_SETREDRAW, TRUE);
    m_listCtrl.Invalidate(TRUE);
    UpdateLabels();
}

void CDlgRemoteMail::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* pView = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    if (pView->iSubItem == m_nSortColumn)
        m_bSortAscending = !m_bSortAscending;
    m_nSortColumn = pView->iSubItem;
    SortBy(m_nSortColumn);
    *pResult = 0;
}

void CDlgRemoteMail::SortBy(int nColumn)
{
    m_nSortColumn = nColumn;
    SortContext context{nColumn, m_bSortAscending};
    CSingleLock hold(&m_list.Lock(), TRUE);
    m_listCtrl.SendMessage(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(CompareRows));
    ShowSortMark();
}

void CDlgRemoteMail::ShowSortMark()
{
    HWND hHeader = reinterpret_cast<HWND>(m_listCtrl.SendMessage(LVM_GETHEADER));
    if (!hHeader)
        return;
    for (int i = 0; i < 5; i++) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        ::SendMessageA(hHeader, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == m_nSortColumn)
            item.fmt |= m_bSortAscending ? HDF_SORTUP : HDF_SORTDOWN;
        ::SendMessageA(hHeader, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
}

BOOL CDlgRemoteMail::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        // The abort key of the main window stops the running listing or run.
        if (pMsg->wParam == VK_ESCAPE) {
            if (CWnd* pMain = m_pParentWnd)
                ::PostMessageA(pMain->m_hWnd, WM_COMMAND, kAbortCommand, 0);
            return TRUE;
        }
        if (pMsg->wParam == 'A' && ::GetKeyState(VK_CONTROL) < 0) {
            OnSelectAll();
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CDlgRemoteMail::OnSize(UINT, int cx, int cy)
{
    if (!m_listCtrl.m_hWnd || cx <= 0 || cy <= 0)
        return;
    RECT rc = ChildRect(this, m_listCtrl.m_hWnd);
    ::MoveWindow(m_listCtrl.m_hWnd, rc.left, rc.top, cx - m_nListRight - rc.left, cy - m_nListBottom - rc.top, TRUE);
    for (int id : kBottomButtons) {
        HWND h = GetDlgItemHwnd(id);
        rc = ChildRect(this, h);
        ::MoveWindow(h, rc.left, cy - m_nButtonBottom, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    HWND hIcon = GetDlgItemHwnd(IDC_REMOTE_EXEC_ICON);
    rc = ChildRect(this, hIcon);
    int nIconTop = cy - m_nBottomRowBottom + 2;
    ::MoveWindow(hIcon, rc.left, nIconTop, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    for (auto [id, nRight] : {std::pair<int, int>(IDOK, m_nExecRight), std::pair<int, int>(IDCANCEL, m_nCloseRight)}) {
        HWND h = GetDlgItemHwnd(id);
        rc = ChildRect(this, h);
        ::MoveWindow(h, cx - nRight, cy - m_nBottomRowBottom, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
}
