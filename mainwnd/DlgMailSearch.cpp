#include "mainwnd/DlgMailSearch.h"

#include "core/QuendalApp.h"
#include "mainwnd/ColorLabelMenu.h"
#include "mainwnd/MailListFormat.h"
#include "mainwnd/MailSearchRun.h"
#include "mainwnd/MailSearchThread.h"
#include "mainwnd/QMailSearchListView.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/search/SearchResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <commdlg.h>
#include <imm.h>
#include <process.h>

#include <algorithm>

namespace {

const UINT_PTR kWorkerTimer = 80;
const UINT msgStatusText = 1351;
const UINT msgSearchEnd = 1387;
const UINT msgListChanged = 1350;
const UINT msgFoundMails = 2024;
const UINT msgSelectMail = 1353;

const int kDateFields[CMailSearchCondition::dateFieldCount] = {
    IDC_SEARCH_FROM_YEAR, IDC_SEARCH_FROM_MONTH, IDC_SEARCH_FROM_DAY,
    IDC_SEARCH_TO_YEAR, IDC_SEARCH_TO_MONTH, IDC_SEARCH_TO_DAY,
};

// The thread's idle event: reset while a search runs (the main window
// refuses to end meanwhile).
CEvent* IdleEvent()
{
    auto* thread = dynamic_cast<CMailSearchThread*>(AfxGetThread());
    return thread ? &thread->m_idleEvent : nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgMailSearch, CDialog)
    ON_BN_CLICKED(IDC_SEARCH_STOP, OnStop)
    ON_BN_CLICKED(IDC_SEARCH_CLEAR, OnClear)
    ON_BN_CLICKED(IDC_SEARCH_SELECT_IN_MAIN, OnSelectInMain)
    ON_BN_CLICKED(IDC_SEARCH_COLOR_BUTTON, OnColorButton)
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_MESSAGE(msgStatusText, OnStatusText)
    ON_MESSAGE(msgSearchEnd, OnSearchEnd)
    ON_MESSAGE(msgListChanged, OnListChanged)
    ON_MESSAGE(WM_ACTIVATE, OnActivateMessage)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMessage)
    ON_COMMAND_RANGE(ID_SEARCH_PREVIOUS_ROW, ID_SEARCH_NEXT_ROW, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_COPY, ID_MAIL_CUT, OnListCommand)
    ON_COMMAND_RANGE(ID_MAIL_DELETE, ID_MAIL_DELETE, OnListCommand)
    ON_COMMAND_RANGE(ID_SEARCH_OPEN_MAIL, ID_SEARCH_OPEN_MAIL, OnListCommand)
    ON_COMMAND_RANGE(ID_SEARCH_SELECT_ALL, ID_SEARCH_SELECT_ALL, OnListCommand)
    ON_COMMAND_RANGE(ID_SEARCH_ESCAPE, ID_SEARCH_ESCAPE, OnListCommand)
    ON_COMMAND_RANGE(ID_SEARCH_LABEL_FIRST, ID_SEARCH_LABEL_OTHER, OnLabelCommand)
END_MESSAGE_MAP()

CDlgMailSearch::CDlgMailSearch(CWnd* pParent) : CDialog(IDD_MAIL_SEARCH, pParent) {}

CDlgMailSearch::~CDlgMailSearch()
{
    // The window is gone only after the worker ended (closing stops it and
    // waits); a handle still held here belongs to an ended worker.
    if (m_hWorker) {
        InterlockedExchange(&m_abort, 1);
        WaitForSingleObject(m_hWorker, INFINITE);
        CloseHandle(m_hWorker);
    }
}

BOOL CDlgMailSearch::OnInitDialog()
{
    CDialog::OnInitDialog();
    CQuendalApp* app = QuendalApp();
    FillFolderCombo();
    CheckRadioButton(m_hWnd, IDC_SEARCH_SENDER_OR, IDC_SEARCH_SENDER_AND, IDC_SEARCH_SENDER_OR);
    CheckRadioButton(m_hWnd, IDC_SEARCH_RECIPIENTS_OR, IDC_SEARCH_RECIPIENTS_AND, IDC_SEARCH_RECIPIENTS_OR);
    CheckRadioButton(m_hWnd, IDC_SEARCH_SUBJECT_OR, IDC_SEARCH_SUBJECT_AND, IDC_SEARCH_SUBJECT_OR);
    CheckRadioButton(m_hWnd, IDC_SEARCH_BODY_OR, IDC_SEARCH_BODY_AND, IDC_SEARCH_BODY_OR);
    CheckRadioButton(m_hWnd, IDC_SEARCH_SENT_DATE, IDC_SEARCH_RECEIVED_DATE, IDC_SEARCH_SENT_DATE);
    CheckRadioButton(m_hWnd, IDC_SEARCH_METHOD_ALL, IDC_SEARCH_METHOD_ANY, IDC_SEARCH_METHOD_ALL);

    // The result list takes the place of the template's hidden list.
    HWND placeholder = GetDlgItemHwnd(IDC_SEARCH_RESULT_LIST);
    ::GetWindowRect(placeholder, &m_listRect);
    ScreenToClient(&m_listRect);
    ::DestroyWindow(placeholder);
    m_pList = new CQMailSearchListView;
    if (!m_pList->Create(this, IDC_SEARCH_RESULT_LIST, m_listRect, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP)) {
        delete m_pList;  // no window: it cannot delete itself
        m_pList = nullptr;
        if (m_hReady)
            SetEvent(m_hReady);
        EndDialog(IDCANCEL);
        return FALSE;
    }
    m_pList->OnInitialUpdate();
    RECT client;
    GetClientRect(&client);
    m_initialClient = {client.right, client.bottom};

    if (app) {
        CheckDlgButton(IDC_SEARCH_SUB_FOLDERS, app->GetProfileInt("SearchWindow", "SearchSubFolder", 0) ? 1 : 0);
        m_keys.SetFilePath(app->GetKeyFilePath(0));
        m_keys.ReadFromFile();
        int width = app->GetProfileInt("SearchWindow", "SearchDlgWidth", 0);
        int height = app->GetProfileInt("SearchWindow", "SearchDlgHeight", 0);
        if (width > 0 && height > 0)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }
    m_bLabelAuto = TRUE;
    m_crLabel = 0;
    ShowLabelChoice();
    SetSearchingState(false);
    for (int id : kDateFields) {
        if (HWND field = GetDlgItemHwnd(id))
            ImmAssociateContext(field, nullptr);
    }
    ::SetForegroundWindow(m_hWnd);
    if (m_hReady)
        SetEvent(m_hReady);
    return TRUE;
}

void CDlgMailSearch::FillFolderCombo()
{
    CQuendalApp* app = QuendalApp();
    HWND combo = GetDlgItemHwnd(IDC_SEARCH_FOLDER);
    if (!app || !combo)
        return;
    int current = app->GetCurrentFolderId();
    int select = 0;
    CString allReceiving;
    allReceiving.LoadString(IDS_SEARCH_ALL_RECEIVING_FOLDERS);
    for (int i = 0; i < app->GetFolderCount(); ++i) {
        CMailFolderStore* store = app->GetFolderAt(i);
        if (!store || !store->m_hTreeItem)
            continue;
        int row = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0,
                                                  reinterpret_cast<LPARAM>(store->GetFolderPathName().GetString())));
        ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(store->GetFolderId()));
        if (store->GetFolderId() == current)
            select = row;
        if (store->GetKind() == CFolderRecord::kindTrash) {
            row = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(allReceiving.GetString())));
            ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(row), 0);
        }
    }
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void CDlgMailSearch::ReadConditions(CMailSearchCondition& c)
{
    c = CMailSearchCondition();
    c.strSender = GetDlgItemText(IDC_SEARCH_SENDER);
    c.bSenderAll = IsDlgButtonChecked(IDC_SEARCH_SENDER_AND) != 0;
    c.strRecipients = GetDlgItemText(IDC_SEARCH_RECIPIENTS);
    c.bIncludeCc = IsDlgButtonChecked(IDC_SEARCH_INCLUDE_CC) != 0;
    c.bRecipientsAll = IsDlgButtonChecked(IDC_SEARCH_RECIPIENTS_AND) != 0;
    c.strSubject = GetDlgItemText(IDC_SEARCH_SUBJECT);
    c.bSubjectAll = IsDlgButtonChecked(IDC_SEARCH_SUBJECT_AND) != 0;
    c.strBody = GetDlgItemText(IDC_SEARCH_BODY);
    c.bIncludeHeader = IsDlgButtonChecked(IDC_SEARCH_INCLUDE_HEADER) != 0;
    c.bBodyAll = IsDlgButtonChecked(IDC_SEARCH_BODY_AND) != 0;
    for (int i = 0; i < CMailSearchCondition::dateFieldCount; ++i)
        c.dateText[i] = GetDlgItemText(kDateFields[i]);
    c.nDateKind = IsDlgButtonChecked(IDC_SEARCH_RECEIVED_DATE) ? CMailSearchCondition::dateReceived
                                                              : CMailSearchCondition::dateSent;
    c.bBookmark = IsDlgButtonChecked(IDC_SEARCH_BOOKMARK) != 0;
    c.bColorLabel = IsDlgButtonChecked(IDC_SEARCH_COLOR_LABEL) != 0;
    c.bLabelAuto = m_bLabelAuto;
    c.crLabel = m_crLabel;
    c.strAttachPattern = GetDlgItemText(IDC_SEARCH_ATTACH_PATTERN);
    c.strAttachPattern.Trim();
    c.nMethod = IsDlgButtonChecked(IDC_SEARCH_METHOD_ANY) ? CMailSearchCondition::methodAny
                                                         : CMailSearchCondition::methodAll;
}

void CDlgMailSearch::SetSearchingState(bool bSearching)
{
    ::EnableWindow(GetDlgItemHwnd(IDCANCEL), !bSearching);
    ::EnableWindow(GetDlgItemHwnd(IDOK), !bSearching);
    ::EnableWindow(GetDlgItemHwnd(IDC_SEARCH_STOP), bSearching);
    if (CEvent* idle = IdleEvent()) {
        if (bSearching)
            idle->ResetEvent();
        else
            idle->SetEvent();
    }
}

void CDlgMailSearch::OnOK()
{
    CQuendalApp* app = QuendalApp();
    if (!app || m_hWorker)
        return;
    ReadConditions(m_condition);
    HWND combo = GetDlgItemHwnd(IDC_SEARCH_FOLDER);
    int row = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (row < 0)
        return;
    int folderId = static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(row), 0));
    if (folderId != 0 && !app->FindFolder(folderId))
        return;
    SetSearchingState(true);
    InterlockedExchange(&m_abort, 0);

    SYSTEMTIME today;
    GetLocalTime(&today);
    m_condition.CompleteDates(today);
    for (int i = 0; i < CMailSearchCondition::dateFieldCount; ++i)
        SetDlgItemText(kDateFields[i], m_condition.dateText[i]);

    m_folderIds.clear();
    m_bSingleFolder = folderId != 0 && !IsDlgButtonChecked(IDC_SEARCH_SUB_FOLDERS);
    CPtrArray stores;
    if (folderId != 0)
        app->CollectSubFolders(folderId, stores);
    else
        app->CollectMailFolders(stores);
    for (int i = 0; i < stores.GetSize(); ++i)
        m_folderIds.push_back(static_cast<CMailFolderStore*>(stores[i])->GetFolderId());
    if (m_bSingleFolder)
        m_folderIds.assign(1, folderId);

    m_pList->ClearFoundMails();
    {
        std::lock_guard<std::mutex> hold(m_foundLock);
        m_found.clear();
    }
    SetDlgItemText(IDC_SEARCH_STATUS, "");
    unsigned id = 0;
    m_hWorker = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerEntry, this, 0, &id));
    if (!m_hWorker) {
        SetSearchingState(false);
        InterlockedExchange(&m_abort, 1);
        return;
    }
    SetTimer(kWorkerTimer, 500);
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

unsigned __stdcall CDlgMailSearch::WorkerEntry(void* pParam)
{
    static_cast<CDlgMailSearch*>(pParam)->RunWorker();
    return 0;
}

void CDlgMailSearch::RunWorker()
{
    CQuendalApp* app = QuendalApp();
    DWORD uiThread = GetWindowThreadProcessId(m_hWnd, nullptr);
    HWND hWnd = m_hWnd;
    CMailSearchRun run(m_condition, &m_abort);
    CMailSearchRun::Callbacks callbacks;
    callbacks.folderStarted = [&](CMailFolderStore* store) {
        {
            std::lock_guard<std::mutex> hold(m_foundLock);
            m_strStatus = "「" + store->GetFolderName() + "」を検索中";
        }
        ::PostMessageA(hWnd, msgStatusText, 0, 0);
    };
    callbacks.found = [&](CMailFolderStore* store, int index) {
        bool wake;
        {
            std::lock_guard<std::mutex> hold(m_foundLock);
            wake = m_found.empty();
            m_found.emplace_back(store, index);
        }
        // One message per batch: the queue never fills however many hits.
        if (wake)
            ::PostThreadMessageA(uiThread, msgFoundMails, 0, 0);
    };
    for (int id : m_folderIds) {
        if (m_abort)
            break;
        // A folder that went meanwhile is skipped; only folders of the tree
        // (the current profile) are searched.
        CMailFolderStore* store = app ? app->FindFolder(id) : nullptr;
        if (!store || (!m_bSingleFolder && !store->m_hTreeItem))
            continue;
        run.SearchFolder(store, callbacks);
    }
}

void CDlgMailSearch::TakeFoundMails()
{
    std::vector<std::pair<CMailFolderStore*, int>> found;
    {
        std::lock_guard<std::mutex> hold(m_foundLock);
        found.swap(m_found);
    }
    if (!m_pList || found.empty())
        return;
    ::SendMessageA(m_pList->m_hWnd, WM_SETREDRAW, FALSE, 0);
    for (auto& f : found)
        m_pList->AddFoundMail(f.second, f.first);
    ::SendMessageA(m_pList->m_hWnd, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_pList->m_hWnd, nullptr, TRUE);
}

LRESULT CDlgMailSearch::OnStatusText(WPARAM, LPARAM)
{
    CString text;
    {
        std::lock_guard<std::mutex> hold(m_foundLock);
        text = m_strStatus;
    }
    SetDlgItemText(IDC_SEARCH_STATUS, text);
    return 0;
}

void CDlgMailSearch::CheckWorker()
{
    if (::IsWindowEnabled(GetDlgItemHwnd(IDCANCEL))) {
        KillTimer(kWorkerTimer);
        return;
    }
    if (!m_hWorker || WaitForSingleObject(m_hWorker, 0) == WAIT_OBJECT_0) {
        if (m_hWorker)
            CloseHandle(m_hWorker);
        m_hWorker = nullptr;
        PostMessage(msgSearchEnd, 0, 0);
    }
}

void CDlgMailSearch::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kWorkerTimer)
        CheckWorker();
}

LRESULT CDlgMailSearch::OnSearchEnd(WPARAM, LPARAM)
{
    // Hits the worker handed over last are in the list before the count.
    TakeFoundMails();
    SetDlgItemText(IDC_SEARCH_STATUS, FormatString("%d 件", m_pList ? m_pList->GetFoundCount() : 0));
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    if (m_pList)
        ::SetFocus(m_pList->m_hWnd);
    SetSearchingState(false);
    InterlockedExchange(&m_abort, 1);
    KillTimer(kWorkerTimer);
    return 0;
}

void CDlgMailSearch::OnStop()
{
    InterlockedExchange(&m_abort, 1);
    CheckWorker();
}

void CDlgMailSearch::OnClear()
{
    const int fields[] = {IDC_SEARCH_SENDER, IDC_SEARCH_RECIPIENTS, IDC_SEARCH_SUBJECT, IDC_SEARCH_BODY,
                          IDC_SEARCH_ATTACH_PATTERN, IDC_SEARCH_STATUS};
    for (int id : fields)
        SetDlgItemText(id, "");
    for (int id : kDateFields)
        SetDlgItemText(id, "");
    CheckDlgButton(IDC_SEARCH_INCLUDE_CC, 0);
    CheckDlgButton(IDC_SEARCH_INCLUDE_HEADER, 0);
    CheckDlgButton(IDC_SEARCH_COLOR_LABEL, 0);
    CheckRadioButton(m_hWnd, IDC_SEARCH_METHOD_ALL, IDC_SEARCH_METHOD_ANY, IDC_SEARCH_METHOD_ALL);
}

void CDlgMailSearch::OnSelectInMain()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pList)
        return;
    std::vector<int> rows = m_pList->GetSelectedRows();
    const CQMailSearchListView::FoundMail* mail = rows.empty() ? nullptr : m_pList->GetFoundMail(rows.front());
    if (mail)
        ::PostThreadMessageA(app->m_nThreadID, msgSelectMail, static_cast<WPARAM>(mail->pStore->GetFolderId()),
                             static_cast<LPARAM>(mail->nIndex));
}

void CDlgMailSearch::ShowLabelChoice()
{
    CString name = "自動";
    if (!m_bLabelAuto) {
        name = "その他";
        for (int label = 1; label <= 16; ++label) {
            if (MailListFormat::LabelColor(label) == m_crLabel) {
                name = MailListFormat::LabelName(label);
                break;
            }
        }
    }
    SetDlgItemText(IDC_SEARCH_COLOR_BUTTON, name);
}

void CDlgMailSearch::OnColorButton()
{
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_SEARCH_COLOR_LABEL));
    if (!menu)
        return;
    RECT rc;
    ::GetWindowRect(GetDlgItemHwnd(IDC_SEARCH_COLOR_BUTTON), &rc);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN, rc.left, rc.bottom, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

void CDlgMailSearch::OnLabelCommand(UINT nID)
{
    if (nID == ID_SEARCH_LABEL_AUTO) {
        m_bLabelAuto = TRUE;
        m_crLabel = 0;
    } else if (nID == ID_SEARCH_LABEL_OTHER) {
        COLORREF chosen = 0;
        if (!ColorLabelMenu::ChooseOtherColor(m_hWnd, m_crLabel, chosen))
            return;
        m_bLabelAuto = FALSE;
        m_crLabel = chosen;
    } else {
        m_bLabelAuto = FALSE;
        m_crLabel = MailListFormat::LabelColor(static_cast<int>(nID - ID_SEARCH_LABEL_FIRST) + 1);
    }
    CheckDlgButton(IDC_SEARCH_COLOR_LABEL, 1);
    ShowLabelChoice();
}

void CDlgMailSearch::OnListCommand(UINT nID)
{
    if (!m_pList)
        return;
    CListCtrl& list = m_pList->GetListCtrl();
    int count = list.GetItemCount();
    int row = list.GetNextItem(-1, LVNI_FOCUSED);
    if (row < 0)
        row = list.GetNextItem(-1, LVNI_SELECTED);
    switch (nID) {
    case ID_SEARCH_PREVIOUS_ROW:
        if (count > 0)
            m_pList->SelectRow(row > 0 ? row - 1 : 0);
        break;
    case ID_SEARCH_NEXT_ROW:
        if (count > 0)
            m_pList->SelectRow(row < 0 ? 0 : std::min(row + 1, count - 1));
        break;
    case ID_MAIL_COPY:
    case ID_MAIL_CUT:
        m_pList->SendMessage(WM_COMMAND, nID, 0);
        break;
    case ID_MAIL_DELETE:
        m_pList->DeleteFoundMails(-1, GetKeyState(VK_SHIFT) < 0);
        SetDlgItemText(IDC_SEARCH_STATUS, FormatString("%d 件", m_pList->GetFoundCount()));
        break;
    case ID_SEARCH_OPEN_MAIL:
        m_pList->OpenSelectedMail();
        break;
    case ID_SEARCH_SELECT_ALL:
        m_pList->SelectAll();
        break;
    case ID_SEARCH_ESCAPE:
        if (m_hWorker)
            OnStop();
        else
            OnCancel();
        break;
    }
}

LRESULT CDlgMailSearch::OnActivateMessage(WPARAM wParam, LPARAM)
{
    // Mails may have been moved or deleted in the main window meanwhile:
    // their rows go when the user comes back.
    if (LOWORD(wParam) != WA_INACTIVE && m_pList && !m_hWorker) {
        int before = m_pList->GetFoundCount();
        m_pList->OnMailListChanged();
        if (m_pList->GetFoundCount() != before)
            SetDlgItemText(IDC_SEARCH_STATUS, FormatString("%d 件", m_pList->GetFoundCount()));
    }
    return Default();
}

LRESULT CDlgMailSearch::OnListChanged(WPARAM wParam, LPARAM)
{
    if (wParam == ID_MAIL_DELETE && m_pList)
        SetDlgItemText(IDC_SEARCH_STATUS, FormatString("%d 件", m_pList->GetFoundCount()));
    return 0;
}

LRESULT CDlgMailSearch::OnContextMenuMessage(WPARAM wParam, LPARAM lParam)
{
    if (!m_pList || reinterpret_cast<HWND>(wParam) != m_pList->m_hWnd)
        return 0;
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_SEARCH_LIST_CONTEXT));
    if (!menu)
        return 0;
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
    return 0;
}

BOOL CDlgMailSearch::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        OnListCommand(ID_SEARCH_ESCAPE);
        return TRUE;
    }
    if (pMsg->message == WM_KEYDOWN && m_pList && pMsg->hwnd == m_pList->m_hWnd) {
        int modifiers = (GetKeyState(VK_MENU) < 0 ? FALT : 0) | (GetKeyState(VK_CONTROL) < 0 ? FCONTROL : 0) |
                        (GetKeyState(VK_SHIFT) < 0 ? FSHIFT : 0);
        for (int i = 0; i < m_keys.GetRecordCount(TRUE); ++i) {
            CKeyAssignData* key = m_keys.GetKey(i);
            if (key && key->m_nKey == static_cast<int>(pMsg->wParam) &&
                (key->m_nModifiers & (FALT | FCONTROL | FSHIFT)) == modifiers) {
                PostMessage(WM_COMMAND, static_cast<WPARAM>(key->m_nCommand), 0);
                return TRUE;
            }
        }
    }
    if (pMsg->message == WM_SYSKEYDOWN && (pMsg->wParam == 'M' || pMsg->wParam == 'm') && m_pList) {
        ::SetFocus(m_pList->m_hWnd);
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CDlgMailSearch::OnSize(UINT, int cx, int cy)
{
    if (!m_pList || !m_pList->m_hWnd)
        return;
    // The result list keeps its left margin on both sides and ends 12 pixels
    // above the bottom; the three buttons stay 12 pixels from the right edge.
    int left = static_cast<int>(m_listRect.left);
    int top = static_cast<int>(m_listRect.top);
    ::MoveWindow(m_pList->m_hWnd, left, top, std::max(0, cx - 2 * left),
                 std::max(0, cy - 12 - top), TRUE);
    auto placeOf = [this](int id) {
        RECT rc = {};
        ::GetWindowRect(GetDlgItemHwnd(id), &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    auto moveTo = [this, &placeOf](int id, int x) {
        RECT rc = placeOf(id);
        ::SetWindowPos(GetDlgItemHwnd(id), nullptr, x, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    };
    auto stretchTo = [this, &placeOf](int id, int right) {
        RECT rc = placeOf(id);
        ::SetWindowPos(GetDlgItemHwnd(id), nullptr, 0, 0, std::max(20, right - static_cast<int>(rc.left)),
                       rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
    };
    for (int id : {static_cast<int>(IDOK), static_cast<int>(IDC_SEARCH_STOP), static_cast<int>(IDCANCEL)}) {
        RECT rc = placeOf(id);
        moveTo(id, cx - 12 - (rc.right - rc.left));
    }
    // The keyword fields grow with the window; their check boxes and mode
    // buttons keep their distance from the right edge.
    for (int id : {IDC_SEARCH_SENDER, IDC_SEARCH_SUBJECT, IDC_SEARCH_FOLDER})
        stretchTo(id, cx - 142);
    for (int id : {IDC_SEARCH_RECIPIENTS, IDC_SEARCH_BODY})
        stretchTo(id, cx - 278);
    for (int id : {IDC_SEARCH_INCLUDE_CC, IDC_SEARCH_INCLUDE_HEADER})
        moveTo(id, cx - 268);
    for (int id : {IDC_SEARCH_SENDER_OR, IDC_SEARCH_RECIPIENTS_OR, IDC_SEARCH_SUBJECT_OR, IDC_SEARCH_BODY_OR,
                   IDC_SEARCH_SUB_FOLDERS})
        moveTo(id, cx - 132);
    for (int id : {IDC_SEARCH_SENDER_AND, IDC_SEARCH_RECIPIENTS_AND, IDC_SEARCH_SUBJECT_AND, IDC_SEARCH_BODY_AND})
        moveTo(id, cx - 66);
    // The status text reaches up to the buttons.
    RECT start = placeOf(IDOK);
    stretchTo(IDC_SEARCH_STATUS, static_cast<int>(start.left) - 8);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CDlgMailSearch::OnCancel()
{
    if (m_hWorker) {
        // Closing ends the search first.
        InterlockedExchange(&m_abort, 1);
        WaitForSingleObject(m_hWorker, INFINITE);
        CloseHandle(m_hWorker);
        m_hWorker = nullptr;
        SetSearchingState(false);
    }
    if (CQuendalApp* app = QuendalApp()) {
        if (m_pList)
            m_pList->SaveColumnWidths();
        app->WriteProfileInt("SearchWindow", "SearchSubFolder", IsDlgButtonChecked(IDC_SEARCH_SUB_FOLDERS) ? 1 : 0);
        app->WriteProfileInt("SearchWindow", "SearchColorLabelColor", static_cast<int>(m_crLabel));
        RECT rc;
        ::GetWindowRect(m_hWnd, &rc);
        if (!::IsIconic(m_hWnd) && !::IsZoomed(m_hWnd)) {
            app->WriteProfileInt("SearchWindow", "SearchDlgWidth", rc.right - rc.left);
            app->WriteProfileInt("SearchWindow", "SearchDlgHeight", rc.bottom - rc.top);
        }
    }
    CDialog::OnCancel();
}
