#include "viewer/ReferenceMailTreeFrame.h"

#include "classlib/AppCore.h"
#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "mainwnd/MailTransfer.h"
#include "resources/resource.h"
#include "resources/viewerwnd/ViewerWndResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "viewer/MailView.h"
#include "viewer/ReferenceMailTree.h"
#include "viewer/ThreadDropTarget.h"
#include "viewer/ViewerProfile.h"

#include <commctrl.h>

#include <algorithm>

namespace {

const char kWindowClass[] = "CVMRefTreeWndClass";
const char kCaption[] = "Corvane Mail";

enum : UINT {
    msgSelectMail = 1353,
    msgFolderChanged = 1386,
};

void PostToMainThread(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, message, wParam, lParam);
}

} // namespace

BEGIN_MESSAGE_MAP(CReferenceMailTreeFrame, CFrameWnd)
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_COMMAND(ID_VIEWER_PREV_MAIL, OnPrev)
    ON_COMMAND(ID_VIEWER_NEXT_MAIL, OnNext)
    ON_COMMAND(ID_THREAD_UNLINK, OnUnlink)
    ON_COMMAND(ID_THREAD_TOGGLE_TITLE, OnToggleTitle)
    ON_COMMAND(ID_THREAD_REFRESH, OnRefresh)
    ON_COMMAND(ID_THREAD_MAXIMIZE_VIEW, OnMaximizeView)
    ON_COMMAND_RANGE(ID_VIEWER_REPLY, ID_VIEWER_FORWARD, OnReply)
    ON_COMMAND(ID_VIEWER_NEW_MAIL, OnNewMail)
    ON_COMMAND(ID_VIEWER_DELETE, OnDelete)
    ON_COMMAND(ID_VIEWER_SELECT_IN_LIST, OnSelectInList)
    ON_COMMAND(ID_VIEWER_CLOSE, OnClose)
    ON_COMMAND(ID_VIEWER_CLOSE_WINDOW, OnClose)
    ON_COMMAND(ID_VIEWER_ESCAPE, OnClose)
END_MESSAGE_MAP()

BOOL CReferenceMailTreeFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    HICON hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    cs.lpszClass = AfxRegisterWndClass(kWindowClass, CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), hIcon);
    return TRUE;
}

BOOL CReferenceMailTreeFrame::Create(CMailFolderStore* pStore, int nIndex)
{
    m_pStore = pStore;
    m_nIndex = nIndex;
    m_nIDResource = IDR_REF_TREE;
    int left = ViewerProfile::GetInt("RefMailWindow", "Left", 40);
    int top = ViewerProfile::GetInt("RefMailWindow", "Top", 40);
    int width = ViewerProfile::GetInt("RefMailWindow", "Width", 655);
    int height = ViewerProfile::GetInt("RefMailWindow", "Height", 522);
    HMENU hMenu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_REF_TREE));
    if (!CreateEx(0, nullptr, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, width, height, nullptr,
                  hMenu)) {
        if (hMenu)
            DestroyMenu(hMenu);
        return FALSE;
    }
    LoadAccelTable(IDR_REF_TREE);
    if (CMailIndexRecord* r = pStore->GetRecord(nIndex))
        SetWindowText(r->GetText(CMailIndexRecord::colSubject));
    m_pTree->SetShowTitle(ViewerProfile::GetInt("Setting", "RefTreeShowTitle", 1) != 0);
    m_pTree->Build(false);
    m_pDropTarget = new CThreadDropTarget(this);
    if (FAILED(RegisterDragDrop(m_pTree->m_hWnd, m_pDropTarget))) {
        m_pDropTarget->Release();
        m_pDropTarget = nullptr;
    }
    return TRUE;
}

BOOL CReferenceMailTreeFrame::OnCreateClient(LPCREATESTRUCTA lpcs)
{
    static const UINT indicators[] = {ID_SEPARATOR};
    if (m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR))
        m_statusBar.SetIndicators(indicators, 1);
    if (!m_splitter.CreateStatic(this, 2, 1))
        return FALSE;
    int height = lpcs ? lpcs->cy : 500;
    m_pTree = new CReferenceMailTree;
    if (!m_splitter.CreateView(0, 0, m_pTree, SIZE{100, height / 3}))
        return FALSE;
    m_pView = new CMailView(TRUE);
    if (!m_splitter.CreateView(1, 0, m_pView, SIZE{100, 50}))
        return FALSE;
    m_splitter.SetRowInfo(0, ViewerProfile::GetInt("RefMailWindow", "TreeViewSize", height / 3), 20);
    m_pTree->OnInitialUpdate();
    m_pTree->SetMail(m_pStore, m_nIndex, m_pView);
    SetActiveView(m_pTree, FALSE);
    RecalcLayout();
    m_splitter.RecalcLayout();
    return TRUE;
}

HTREEITEM CReferenceMailTreeFrame::ItemAt(POINT ptScreen) const
{
    if (!m_pTree)
        return nullptr;
    TVHITTESTINFO hit = {};
    hit.pt = ptScreen;
    ::ScreenToClient(m_pTree->m_hWnd, &hit.pt);
    HTREEITEM h = m_pTree->GetTreeCtrl().HitTest(&hit);
    return (hit.flags & TVHT_ONITEM) ? h : nullptr;
}

DWORD CReferenceMailTreeFrame::DragOverAt(POINT ptScreen, const std::vector<int>& mails, int nFolderId)
{
    HTREEITEM h = ItemAt(ptScreen);
    CTreeCtrl& tree = m_pTree->GetTreeCtrl();
    tree.SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(h));
    if (!h)
        return DROPEFFECT_NONE;
    HTREEITEM after = tree.GetNextVisibleItem(h);
    if (!after || h == tree.GetFirstVisibleItem())
        after = tree.GetPrevVisibleItem(h) ? tree.GetPrevVisibleItem(h) : after;
    if (after)
        tree.EnsureVisible(after);
    int mail = static_cast<int>(static_cast<INT_PTR>(tree.GetItemData(h)));
    if (m_pStore && nFolderId == m_pStore->GetFolderId() && std::find(mails.begin(), mails.end(), mail) != mails.end())
        return DROPEFFECT_NONE;
    BringWindowToTop();
    return DROPEFFECT_MOVE;
}

void CReferenceMailTreeFrame::EndDrag()
{
    if (m_pTree && m_pTree->m_hWnd)
        m_pTree->GetTreeCtrl().SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, 0);
}

void CReferenceMailTreeFrame::DropAt(POINT ptScreen, const std::vector<int>& mails, int nFolderId)
{
    HTREEITEM h = ItemAt(ptScreen);
    if (!h || !m_pStore)
        return;
    if (nFolderId != m_pStore->GetFolderId()) {
        CString text;
        text.LoadString(IDS_THREAD_OTHER_FOLDER);
        ::MessageBoxA(m_hWnd, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    int parent = static_cast<int>(static_cast<INT_PTR>(m_pTree->GetTreeCtrl().GetItemData(h)));
    HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    m_pTree->SetShowTitle(ViewerProfile::GetInt("Setting", "RefTreeShowTitle", 1) != 0);
    m_pTree->LinkMails(parent, mails);
    ::SetCursor(old);
}

void CReferenceMailTreeFrame::OnPrev()
{
    m_pTree->SelectPrevious();
}

void CReferenceMailTreeFrame::OnNext()
{
    m_pTree->SelectNext();
}

void CReferenceMailTreeFrame::OnUnlink()
{
    m_pTree->UnlinkSelected();
}

void CReferenceMailTreeFrame::OnToggleTitle()
{
    bool show = ViewerProfile::GetInt("Setting", "RefTreeShowTitle", 1) == 0;
    m_pTree->SetShowTitle(show);
    m_pTree->Build(true);
    if (CQuendalApp* app = QuendalApp())
        app->WriteProfileInt("Setting", "RefTreeShowTitle", show ? 1 : 0);
}

void CReferenceMailTreeFrame::OnRefresh()
{
    m_pTree->Build(false);
}

void CReferenceMailTreeFrame::OnMaximizeView()
{
    int cur = 0, min = 0;
    if (!m_bViewMaximized) {
        m_splitter.GetRowInfo(0, cur, min);
        m_nSavedTreeHeight = cur;
        m_splitter.SetRowInfo(0, 0, 0);
    } else {
        m_splitter.SetRowInfo(0, m_nSavedTreeHeight > 0 ? m_nSavedTreeHeight : 150, 20);
    }
    m_bViewMaximized = !m_bViewMaximized;
    m_splitter.RecalcLayout();
}

void CReferenceMailTreeFrame::OnReply(UINT nID)
{
    CQuendalApp* app = QuendalApp();
    int mail = m_pTree->GetSelectedMail();
    if (!app || mail < 0)
        return;
    int kind = nID == ID_VIEWER_REPLY ? 1 : nID == ID_VIEWER_REPLY_ALL ? 2 : 3;
    app->OpenMailEditor(kind, m_pStore, mail, 0, "", "", "", "", "", 0, 0, FALSE, 0);
}

void CReferenceMailTreeFrame::OnNewMail()
{
    if (CQuendalApp* app = QuendalApp())
        app->OpenMailEditor(-1, nullptr, -1, 0, "", "", "", "", "", 0, 0, FALSE, 0);
}

void CReferenceMailTreeFrame::OnDelete()
{
    CQuendalApp* app = QuendalApp();
    int mail = m_pTree->GetSelectedMail();
    if (!app || mail < 0 || !m_pStore)
        return;
    CMailTransfer::Result result = CMailTransfer::DeleteMails(*app, m_pStore, std::vector<int>(1, mail), false);
    if (result.nDone == 0)
        return;
    CMailTransfer::AddToDeleteHistory(*app, m_pStore, result);
    m_pTree->Build(true);
    if (CMailFolderStore* trash = app->GetDefaultFolder(CFolderRecord::kindTrash))
        PostToMainThread(WM_QD_FOLDER_REFRESH, 0, trash->GetFolderId());
    PostToMainThread(msgFolderChanged, static_cast<WPARAM>(m_pStore->GetFolderId()), 0);
}

void CReferenceMailTreeFrame::OnSelectInList()
{
    int mail = m_pTree->GetSelectedMail();
    if (mail >= 0 && m_pStore)
        PostToMainThread(msgSelectMail, static_cast<WPARAM>(m_pStore->GetFolderId()), mail);
}

BOOL CReferenceMailTreeFrame::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
        if (pMsg->wParam == VK_ESCAPE) {
            PostMessage(WM_COMMAND, ID_VIEWER_ESCAPE);
            return TRUE;
        }
        if (pMsg->wParam == VK_TAB && m_pTree && m_pView) {
            // Tab moves between the tree and the mail view.
            HWND focus = ::GetFocus();
            bool inTree = focus == m_pTree->m_hWnd;
            ::SetFocus(inTree ? m_pView->m_hWnd : m_pTree->m_hWnd);
            return TRUE;
        }
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

void CReferenceMailTreeFrame::SavePlacement()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    if (!IsIconic() && !IsZoomed()) {
        RECT rc;
        GetWindowRect(&rc);
        app->WriteProfileInt("RefMailWindow", "Left", rc.left);
        app->WriteProfileInt("RefMailWindow", "Top", rc.top);
        app->WriteProfileInt("RefMailWindow", "Width", rc.right - rc.left);
        app->WriteProfileInt("RefMailWindow", "Height", rc.bottom - rc.top);
    }
    int cur = 0, min = 0;
    if (m_splitter.m_hWnd)
        m_splitter.GetRowInfo(0, cur, min);
    app->WriteProfileInt("RefMailWindow", "TreeViewSize", m_bViewMaximized ? m_nSavedTreeHeight : cur);
}

void CReferenceMailTreeFrame::OnDestroy()
{
    SavePlacement();
    if (m_pDropTarget) {
        if (m_pTree && m_pTree->m_hWnd)
            RevokeDragDrop(m_pTree->m_hWnd);
        m_pDropTarget->Detach();
        m_pDropTarget->Release();
        m_pDropTarget = nullptr;
    }
    Default();
}
