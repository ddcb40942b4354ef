#include "viewer/MailViewerFrame.h"

#include "classlib/AppCore.h"
#include "classlib/ToolBarLayout.h"
#include "core/AppMessages.h"
#include "core/PostedObjectTable.h"
#include "core/QuendalApp.h"
#include "mainwnd/MailObjectBlock.h"
#include "mainwnd/MailTransfer.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/QListView.h"
#include "resources/resource.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "viewer/MailView.h"
#include "viewer/MailViewerOpen.h"
#include "viewer/MailViewerThread.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerProfile.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const char kWindowClass[] = "CVMViewWndClass";
const char kCaption[] = "Corvane Mail";
const int kDeleteProtected = 0x40;
const DWORD kListTimeoutMs = 5000;

enum : UINT {
    msgOpenEditor = 1349,
    msgSelectMail = 1353,
    msgNoUnread = 1371,
    msgNoUnreadPrevFolder = 1372,
    msgNoUnreadAll = 1382,
    msgNoUnreadPrevFolderAll = 1383,
    msgFolderChanged = 1386,
};

void NudgeCursor()
{
    POINT pt;
    if (::GetCursorPos(&pt)) {
        ::SetCursorPos(pt.x + 1, pt.y);
        ::SetCursorPos(pt.x, pt.y);
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CMailViewerFrame, CFrameWnd)
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_QD_TOGGLE_VIEW_MAXIMIZED, OnToggleMaximized)
    ON_COMMAND(ID_VIEWER_TEMPLATE_NEW, OnTemplateNew)
    ON_COMMAND(ID_VIEWER_TEMPLATE_REPLY, OnTemplateReply)
    ON_COMMAND(ID_VIEWER_VIEW_SETTINGS, OnViewSettings)
    ON_COMMAND(ID_VIEWER_FONT_COLOR, OnFontColor)
    ON_COMMAND(ID_VIEWER_HTML, OnHtmlSwitch)
    ON_COMMAND(ID_VIEWER_SEND_READ_NOTIFY, OnSendReadNotify)
    ON_COMMAND_RANGE(ID_VIEWER_HISTORY_FORWARD, ID_VIEWER_HISTORY_BACK, OnHistory)
    ON_COMMAND(ID_VIEWER_HELP, OnHelp)
    ON_COMMAND(ID_VIEWER_TOOLBAR, OnViewToolBar)
    ON_COMMAND(ID_VIEWER_STATUS_BAR, OnViewStatusBar)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_TOOLBAR, OnUpdateViewToolBar)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_STATUS_BAR, OnUpdateViewStatusBar)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_HTML, OnUpdateHtmlSwitch)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_SEND_READ_NOTIFY, OnUpdateSendReadNotify)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_HISTORY_FORWARD, OnUpdateHistory)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_HISTORY_BACK, OnUpdateHistory)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_TEMPLATE_REPLY, OnUpdateNeedMail)
    ON_COMMAND(ID_VIEWER_PREV_MAIL, OnPrevMail)
    ON_COMMAND(ID_VIEWER_NEXT_MAIL, OnNextMail)
    ON_COMMAND_RANGE(ID_VIEWER_NEXT_UNREAD, ID_VIEWER_NEXT_UNREAD, OnNextUnread)
    ON_COMMAND_RANGE(ID_VIEWER_PREV_FOLDER_UNREAD, ID_VIEWER_PREV_FOLDER_UNREAD, OnNextUnread)
    ON_COMMAND_RANGE(ID_VIEWER_NEXT_UNREAD_ALL, ID_VIEWER_PREV_FOLDER_UNREAD_ALL, OnNextUnread)
    ON_COMMAND_RANGE(ID_VIEWER_REPLY, ID_VIEWER_FORWARD, OnReply)
    ON_COMMAND(ID_VIEWER_NEW_MAIL, OnNewMail)
    ON_COMMAND(ID_VIEWER_DELETE, OnDelete)
    ON_COMMAND_RANGE(ID_VIEWER_BOOKMARK_ON, ID_VIEWER_BOOKMARK_OFF, OnBookmark)
    ON_COMMAND(ID_VIEWER_SELECT_IN_LIST, OnSelectInList)
    ON_COMMAND_RANGE(ID_VIEWER_RELATED_LIST, ID_VIEWER_RELATED_LIST, OnRelated)
    ON_COMMAND_RANGE(ID_VIEWER_RELATED_TREE, ID_VIEWER_RELATED_TREE, OnRelated)
    ON_COMMAND(ID_VIEWER_CLOSE, OnClose)
    ON_COMMAND(ID_VIEWER_CLOSE_WINDOW, OnClose)
    ON_COMMAND(ID_VIEWER_ESCAPE, OnClose)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_DELETE, OnUpdateNeedMail)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_SELECT_IN_LIST, OnUpdateNeedMail)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_NEXT_UNREAD, OnUpdateNextUnread)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_PREV_FOLDER_UNREAD, OnUpdateNextUnread)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_NEXT_UNREAD_ALL, OnUpdateNextUnread)
    ON_UPDATE_COMMAND_UI(ID_VIEWER_PREV_FOLDER_UNREAD_ALL, OnUpdateNextUnread)
END_MESSAGE_MAP()

BOOL CMailViewerFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    HICON hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    cs.lpszClass = AfxRegisterWndClass(kWindowClass, CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), hIcon);
    return TRUE;
}

BOOL CMailViewerFrame::Create(CMailViewerThread* pThread, HWND hList)
{
    m_pThread = pThread;
    m_hList = hList;
    m_nIDResource = IDR_MAIL_VIEWER;
    int left = ViewerProfile::GetInt("ViewWindow", "Left", 30);
    int top = ViewerProfile::GetInt("ViewWindow", "Top", 30);
    int width = ViewerProfile::GetInt("ViewWindow", "Width", 560);
    int height = ViewerProfile::GetInt("ViewWindow", "Height", 500);
    HMENU hMenu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAIL_VIEWER));
    if (!CreateEx(0, nullptr, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, width, height, nullptr,
                  hMenu)) {
        if (hMenu)
            DestroyMenu(hMenu);
        return FALSE;
    }
    CQuendalApp* app = QuendalApp();
    if (!app || !app->SetupAccelerators(1, this, nullptr, 0, IDR_MAIL_VIEWER))
        LoadAccelTable(IDR_MAIL_VIEWER);
    return TRUE;
}

BOOL CMailViewerFrame::OnCreateClient(LPCREATESTRUCTA)
{
    CreateToolBar();
    CreateStatusBar();
    m_pView = new CMailView(TRUE);
    RECT rc = {0, 0, 100, 100};
    if (!m_pView->Create(this, AFX_IDW_PANE_FIRST, rc)) {
        m_pView = nullptr;  // a view whose window failed is freed with it
        return FALSE;
    }
    SetActiveView(m_pView, FALSE);
    RecalcLayout();
    return TRUE;
}

CMailViewerFrame::~CMailViewerFrame()
{
    if (m_hToolBarImages)
        ::DeleteObject(m_hToolBarImages);
}

BOOL CMailViewerFrame::CreateToolBar()
{
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS,
                            WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_TOOLTIPS | CBRS_FLYBY, AFX_IDW_TOOLBAR))
        return FALSE;
    // The n-th picture, the user's or the program's, is the n-th command's.
    CQuendalApp* app = QuendalApp();
    m_hToolBarImages = app ? app->LoadResourceBitmap(this, IDB_VIEWER_TOOLBAR) : nullptr;
    m_toolBar.UseImages(m_hToolBarImages, m_toolBarPictures, IDB_VIEWER_TOOLBAR, TOOLBAR_PICTURE_SIZE,
                        TOOLBAR_FACE_COLOR);
    const std::vector<UINT> layout = LoadToolBarLayout(IDR_VIEWER_TOOLBAR_DEFAULT);
    m_toolBar.SetButtons(layout.data(), static_cast<int>(layout.size()));
    if (!ViewerProfile::GetInt("Window", "ViewerToolBar", 1))
        m_toolBar.ShowWindow(SW_HIDE);
    return TRUE;
}

BOOL CMailViewerFrame::CreateStatusBar()
{
    static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                      ID_INDICATOR_SCRL};
    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_statusBar.SetIndicators(indicators, 5))
        return FALSE;
    SetIdlePrompt();
    UpdateKeyIndicators();
    if (!ViewerProfile::GetInt("Window", "ViewerStatusBar", 1))
        m_statusBar.ShowWindow(SW_HIDE);
    return TRUE;
}

void CMailViewerFrame::SetIdlePrompt()
{
    if (!m_statusBar.m_hWnd)
        return;
    CString prompt;
    prompt.LoadString(IDS_IDLE_PROMPT);
    CQuendalApp* app = QuendalApp();
    CString key = app ? app->GetHelpKeyText(1) : CString();
    if (!key.IsEmpty())
        prompt.Replace("F1", key);
    m_statusBar.SetPaneText(0, prompt);
}

void CMailViewerFrame::UpdateKeyIndicators()
{
    if (!m_statusBar.m_hWnd)
        return;
    static const struct { int nKey; UINT nID; } kKeys[] = {
        {VK_KANA, ID_INDICATOR_KANA}, {VK_CAPITAL, ID_INDICATOR_CAPS},
        {VK_NUMLOCK, ID_INDICATOR_NUM}, {VK_SCROLL, ID_INDICATOR_SCRL}};
    for (const auto& k : kKeys) {
        CString text;
        if (::GetKeyState(k.nKey) & 1)
            text.LoadString(k.nID);
        int pane = m_statusBar.CommandToIndex(k.nID);
        if (m_statusBar.GetPaneText(pane) != text)
            m_statusBar.SetPaneText(pane, text);
    }
}

void CMailViewerFrame::ShowMail(CMailFolderStore* pStore, int nIndex, BOOL bNoQuestion)
{
    if (!m_pView || !pStore || !pStore->GetMailList())
        return;
    CMailIndexRecord* r = pStore->GetRecord(nIndex);
    if (!r || r->m_bDeleted)
        return;
    m_pView->ShowMail(nIndex, pStore, bNoQuestion);
    if (m_pThread)
        m_pThread->m_nFolderId = pStore->GetFolderId();
    CString subject = r->GetText(CMailIndexRecord::colSubject);
    SetWindowText(subject.IsEmpty() ? CString(kCaption) : subject);
}

void CMailViewerFrame::AskReadNotifyIfPending()
{
    if (m_pView)
        m_pView->AskReadNotifyIfPending();
}

void CMailViewerFrame::ReloadHtmlSetting()
{
    if (m_pView)
        m_pView->LoadSettings();
}

void CMailViewerFrame::Activate(BOOL bCenter)
{
    if (IsIconic())
        ShowWindow(SW_RESTORE);
    if (bCenter)
        CenterWindow();
    BringWindowToTop();
    ::SetForegroundWindow(m_hWnd);
}

CQListView* CMailViewerFrame::MainList() const
{
    CQuendalApp* app = QuendalApp();
    CMainFrame* frame = app ? app->m_pMainFrame : nullptr;
    CQListView* list = frame && frame->m_hWnd ? frame->GetListView() : nullptr;
    return list && list->m_hWnd && ::IsWindow(list->m_hWnd) ? list : nullptr;
}

HWND CMailViewerFrame::FoundList() const
{
    if (!m_hList || !::IsWindow(m_hList))
        return nullptr;
    CQListView* main = MainList();
    return main && main->m_hWnd == m_hList ? nullptr : m_hList;
}

CMailIndexRecord* CMailViewerFrame::ShownRecord() const
{
    if (!m_pView || !m_pView->GetFolder() || m_pView->GetCurrentIndex() < 0)
        return nullptr;
    CMailIndexRecord* r = m_pView->GetFolder()->GetRecord(m_pView->GetCurrentIndex());
    return r && !r->m_bDeleted ? r : nullptr;
}

void CMailViewerFrame::PostToMainThread(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, message, wParam, lParam);
}

bool CMailViewerFrame::ShowFoundRow(int nRow)
{
    HWND found = FoundList();
    CQuendalApp* app = QuendalApp();
    if (!found || !app || nRow < 0)
        return false;
    auto ref = std::make_shared<MailObjectBlock::MailRef>(MailObjectBlock::MailRef{0, -1});
    DWORD_PTR answer = 0;
    if (!CPostedObjectTable::Instance().SendWithTimeout(found, WM_QD_FOUND_MAIL_AT, static_cast<WPARAM>(nRow), ref,
                                                        SMTO_NORMAL, kListTimeoutMs, &answer) ||
        !answer)
        return false;
    CMailFolderStore* store = app->FindFolder(ref->nFolderId);
    if (!store)
        return false;
    ListView_SetItemState(found, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(found, nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(found, nRow, FALSE);
    ShowMail(store, ref->nIndex, FALSE);
    return true;
}

int CMailViewerFrame::MoveMainList(CQListView* pList, int nFolderId, int nIndex, bool bNext) const
{
    // The list writes the mail it moved to into the request; a request the
    // list takes after the wait stays alive for it and is read by no one.
    auto ref = std::make_shared<MailObjectBlock::MailRef>(MailObjectBlock::MailRef{nFolderId, nIndex});
    DWORD_PTR moved = 0;
    if (!CPostedObjectTable::Instance().SendWithTimeout(pList->m_hWnd,
                                                        bNext ? WM_QD_VIEWER_MOVE_NEXT : WM_QD_VIEWER_MOVE_PREVIOUS, 0,
                                                        ref, SMTO_NORMAL, kListTimeoutMs, &moved) ||
        !moved)
        return -1;
    return ref->nIndex;
}

int CMailViewerFrame::NeighbourInFolder(int nIndex, bool bNext) const
{
    CMailFolderStore* store = m_pView ? m_pView->GetFolder() : nullptr;
    CMailListData* list = store ? store->GetMailList() : nullptr;
    if (!list)
        return -1;
    CSingleLock lock(&list->RecordLock(), TRUE);
    int count = list->GetAllRecordCount();
    for (int i = nIndex + (bNext ? 1 : -1); i >= 0 && i < count; i += bNext ? 1 : -1) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (r && !r->m_bDeleted)
            return i;
    }
    return -1;
}

void CMailViewerFrame::MoveMail(bool bNext)
{
    if (HWND found = FoundList()) {
        int count = ListView_GetItemCount(found);
        if (count <= 0)
            return;
        int row = ListView_GetNextItem(found, -1, LVNI_SELECTED);
        int target = row < 0 ? 0 : (bNext ? std::min(row + 1, count - 1) : std::max(row - 1, 0));
        ShowFoundRow(target);
        return;
    }
    CMailFolderStore* store = m_pView ? m_pView->GetFolder() : nullptr;
    int index = m_pView ? m_pView->GetCurrentIndex() : -1;
    if (!store || index < 0)
        return;
    // The main list moves with the viewer while it shows the viewer's mail.
    CQListView* list = m_bFollowList ? MainList() : nullptr;
    if (list) {
        int moved = MoveMainList(list, store->GetFolderId(), index, bNext);
        if (moved >= 0) {
            ShowMail(store, moved, FALSE);
            return;
        }
    }
    m_bFollowList = false;
    int next = NeighbourInFolder(index, bNext);
    if (next >= 0)
        ShowMail(store, next, FALSE);
}

void CMailViewerFrame::DeleteShownMail()
{
    CQuendalApp* app = QuendalApp();
    CMailIndexRecord* r = ShownRecord();
    CMailFolderStore* store = m_pView ? m_pView->GetFolder() : nullptr;
    if (!app || !r || !store)
        return;
    if (r->m_nFlags & kDeleteProtected) {
        CString text;
        text.LoadString(IDS_VIEWER_DELETE_PROTECTED);
        ::MessageBoxA(m_hWnd, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    int index = m_pView->GetCurrentIndex();
    HWND found = FoundList();
    int row = found ? ListView_GetNextItem(found, -1, LVNI_SELECTED) : -1;
    HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    // The same deletion as the mail list's: through the trash, kept when the
    // copy there fails.
    CMailTransfer::Result result = CMailTransfer::DeleteMails(*app, store, std::vector<int>(1, index), false);
    ::SetCursor(old);
    NudgeCursor();
    if (result.nDone == 0)
        return;
    if (!found)
        CMailTransfer::AddToDeleteHistory(*app, store, result);
    if (CMailFolderStore* trash = app->GetDefaultFolder(CFolderRecord::kindTrash))
        PostToMainThread(WM_QD_FOLDER_REFRESH, 0, trash->GetFolderId());
    if (found) {
        if (row >= 0)
            ListView_DeleteItem(found, row);
        PostToMainThread(msgFolderChanged, static_cast<WPARAM>(store->GetFolderId()), 0);
        int count = ListView_GetItemCount(found);
        if (count <= 0) {
            PostMessage(WM_CLOSE);
            return;
        }
        ShowFoundRow(std::min(std::max(row, 0), count - 1));
        return;
    }
    // On to the neighbour in the list's direction, else the other one.
    CQListView* list = MainList();
    bool forward = !list || list->GetSortMode() != 0;
    bool shown = false;
    if (store->GetMailCount() > 0) {
        for (int pass = 0; pass < 2 && !shown; pass++) {
            bool next = pass == 0 ? forward : !forward;
            if (m_bFollowList && list) {
                int moved = MoveMainList(list, store->GetFolderId(), index, next);
                if (moved >= 0 && moved != index) {
                    ShowMail(store, moved, FALSE);
                    shown = true;
                    break;
                }
            }
            int neighbour = NeighbourInFolder(index, next);
            if (neighbour >= 0) {
                ShowMail(store, neighbour, FALSE);
                shown = true;
            }
        }
    }
    PostToMainThread(msgFolderChanged, static_cast<WPARAM>(store->GetFolderId()), 0);
    if (!shown)
        PostMessage(WM_CLOSE);
}

void CMailViewerFrame::OpenEditorAndClose(int nKind)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !ShownRecord())
        return;
    if (app->OpenMailEditor(nKind, m_pView->GetFolder(), m_pView->GetCurrentIndex(), 0, "", "", "", "", "", 0, 0,
                            FALSE, 0))
        PostMessage(WM_CLOSE);
}

void CMailViewerFrame::OnNextUnread(UINT nID)
{
    CMailFolderStore* store = m_pView ? m_pView->GetFolder() : nullptr;
    CMailListData* data = store ? store->GetMailList() : nullptr;
    if (FoundList() || !data)
        return;
    CQListView* list = MainList();
    bool forward = !list || list->GetSortMode() != 0;
    int found = -1;
    {
        CSingleLock lock(&data->ViewLock(), TRUE);
        int count = data->GetViewCount();
        int pos = data->FindViewPos(m_pView->GetCurrentIndex());
        if (pos < 0)
            pos = forward ? -1 : count;
        for (int p = pos + (forward ? 1 : -1); p >= 0 && p < count; p += forward ? 1 : -1) {
            CMailIndexRecord* r = data->GetViewRecord(p);
            if (r && !r->m_bDeleted && !r->IsRead()) {
                found = data->GetViewIndex(p);
                break;
            }
        }
    }
    if (found < 0) {
        UINT message = nID == ID_VIEWER_NEXT_UNREAD           ? msgNoUnread
                       : nID == ID_VIEWER_PREV_FOLDER_UNREAD  ? msgNoUnreadPrevFolder
                       : nID == ID_VIEWER_NEXT_UNREAD_ALL     ? msgNoUnreadAll
                                                              : msgNoUnreadPrevFolderAll;
        // The wait lasts until the main window answers with 1368.
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        PostToMainThread(message, 0, static_cast<LPARAM>(::GetCurrentThreadId()));
        return;
    }
    HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    if (list && list->GetFolderId() == store->GetFolderId())
        PostToMainThread(msgSelectMail, static_cast<WPARAM>(store->GetFolderId()), found);
    ShowMail(store, found, FALSE);
    ::SetCursor(old);
    NudgeCursor();
}

void CMailViewerFrame::OnFolderSearchAnswer(bool bMoved)
{
    CQListView* list = bMoved ? MainList() : nullptr;
    CQuendalApp* app = QuendalApp();
    if (list && app) {
        int row = ListView_GetNextItem(list->m_hWnd, -1, LVNI_SELECTED);
        int index = row >= 0 ? list->GetMailIndex(row) : -1;
        CMailFolderStore* store = app->FindFolder(list->GetFolderId());
        if (store && index >= 0) {
            m_hList = list->m_hWnd;
            if (m_pThread)
                m_pThread->SetListWindow(m_hList);
            m_bFollowList = true;
            ShowMail(store, index, FALSE);
        }
    }
    NudgeCursor();
}

void CMailViewerFrame::OnReply(UINT nID)
{
    int kind = nID == ID_VIEWER_REPLY ? 1 : nID == ID_VIEWER_REPLY_ALL ? 2 : 3;
    if (m_pThread)
        m_pThread->PostThreadMessage(msgOpenEditor, static_cast<WPARAM>(kind), 0);
}

void CMailViewerFrame::OnNewMail()
{
    if (CQuendalApp* app = QuendalApp())
        app->OpenMailEditor(-1, nullptr, -1, 0, "", "", "", "", "", 0, 0, FALSE, 0);
}

void CMailViewerFrame::OnBookmark(UINT nID)
{
    CMailIndexRecord* r = ShownRecord();
    CMailFolderStore* store = m_pView ? m_pView->GetFolder() : nullptr;
    if (!r || !store || !store->GetMailList())
        return;
    store->GetMailList()->SetBookmark(r, nID == ID_VIEWER_BOOKMARK_ON ? 1 : 0, TRUE);
    PostToMainThread(WM_QD_MAIL_READ_CHANGED, static_cast<WPARAM>(store->GetFolderId()), m_pView->GetCurrentIndex());
}

void CMailViewerFrame::OnSelectInList()
{
    if (ShownRecord())
        PostToMainThread(msgSelectMail, static_cast<WPARAM>(m_pView->GetFolder()->GetFolderId()),
                         m_pView->GetCurrentIndex());
}

void CMailViewerFrame::OnRelated(UINT nID)
{
    if (ShownRecord())
        OpenReferenceMailWindow(nID == ID_VIEWER_RELATED_TREE, m_pView->GetFolder(), m_pView->GetCurrentIndex());
}

void CMailViewerFrame::OnClose()
{
    DestroyWindow();
}

void CMailViewerFrame::OnUpdateNeedMail(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(ShownRecord() != nullptr);
}

void CMailViewerFrame::OnUpdateNextUnread(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FoundList() == nullptr);
}

BOOL CMailViewerFrame::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYUP || pMsg->message == WM_SYSKEYUP)
        UpdateKeyIndicators();
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE && GetKeyState(VK_CONTROL) >= 0 &&
        GetKeyState(VK_SHIFT) >= 0) {
        PostMessage(WM_COMMAND, ID_VIEWER_ESCAPE);
        return TRUE;
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

void CMailViewerFrame::SavePlacement()
{
    CQuendalApp* app = QuendalApp();
    if (!app || IsIconic() || IsZoomed())
        return;
    RECT rc;
    GetWindowRect(&rc);
    app->WriteProfileInt("ViewWindow", "Left", rc.left);
    app->WriteProfileInt("ViewWindow", "Top", rc.top);
    app->WriteProfileInt("ViewWindow", "Width", rc.right - rc.left);
    app->WriteProfileInt("ViewWindow", "Height", rc.bottom - rc.top);
}

bool CMailViewerFrame::IsBarShown(const CControlBar& bar)
{
    // The bar's own flag: while the frame is hidden (as it is when it is
    // being destroyed) no child of it counts as visible.
    return bar.m_hWnd && (bar.GetStyle() & WS_VISIBLE);
}

void CMailViewerFrame::OnViewToolBar()
{
    ShowControlBar(&m_toolBar, !IsBarShown(m_toolBar));
}

void CMailViewerFrame::OnViewStatusBar()
{
    ShowControlBar(&m_statusBar, !IsBarShown(m_statusBar));
}

void CMailViewerFrame::OnUpdateViewToolBar(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(IsBarShown(m_toolBar));
}

void CMailViewerFrame::OnUpdateViewStatusBar(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(IsBarShown(m_statusBar));
}

void CMailViewerFrame::OnDestroy()
{
    SavePlacement();
    if (CQuendalApp* app = QuendalApp()) {
        app->WriteProfileInt("Window", "ViewerToolBar", IsBarShown(m_toolBar) ? 1 : 0);
        app->WriteProfileInt("Window", "ViewerStatusBar", IsBarShown(m_statusBar) ? 1 : 0);
    }
    if (m_hAccelTable) {
        ::DestroyAcceleratorTable(m_hAccelTable);
        m_hAccelTable = nullptr;
    }
    Default();
}
