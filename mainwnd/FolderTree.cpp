#include "mainwnd/FolderTree.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "core/NameCheck.h"
#include "core/QuendalApp.h"
#include "mainwnd/DlgDataFolderDeleteConfirm.h"
#include "mainwnd/DlgFolderDeleteConfirm.h"
#include "mainwnd/DlgFolderProperties.h"
#include "mainwnd/DlgInputFolderName.h"
#include "mainwnd/DlgNewFolder.h"
#include "mainwnd/FolderImages.h"
#include "mainwnd/FolderRules.h"
#include "mainwnd/FontSetting.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/ProfileTreePlan.h"
#include "mainwnd/QListView.h"
#include "resources/mainwnd/MainWndResource.h"
#include "settings/ProfileDataSet.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CFolderTree, CFormView)
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_WM_CTLCOLOR()
    { WM_CTLCOLORLISTBOX, 0, 0, 0, AFX_THUNK(*pResult = (LRESULT)p->OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), nMsg)) },
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_NOTIFY(TVN_SELCHANGEDA, IDC_FOLDER_TREE, OnSelChanged)
    ON_NOTIFY(TVN_BEGINLABELEDITA, IDC_FOLDER_TREE, OnBeginLabelEdit)
    ON_NOTIFY(TVN_ENDLABELEDITA, IDC_FOLDER_TREE, OnEndLabelEdit)
    ON_NOTIFY(TVN_ITEMEXPANDEDA, IDC_FOLDER_TREE, OnItemExpanded)
    ON_NOTIFY(NM_RCLICK, IDC_FOLDER_TREE, OnRightClick)
    ON_NOTIFY(NM_RETURN, IDC_FOLDER_TREE, OnReturn)
    // Drag and drop (FolderTreeDragDrop.cpp).
    ON_NOTIFY(TVN_BEGINDRAGA, IDC_FOLDER_TREE, OnBeginDrag)
    ON_WM_TIMER()
    ON_CONTROL(CBN_SELCHANGE, IDC_ACCOUNT_COMBO, OnAccountChange)
    ON_CONTROL(CBN_CLOSEUP, IDC_ACCOUNT_COMBO, OnAccountCloseUp)
    ON_COMMAND(ID_FOLDER_CREATE, OnFolderCreate)
    ON_COMMAND(ID_FOLDER_DELETE, OnFolderDelete)
    ON_COMMAND(ID_FOLDER_RENAME, OnFolderRename)
    ON_COMMAND(ID_FOLDER_PROPERTIES, OnFolderProperties)
    ON_COMMAND(ID_FOLDER_MARK_ALL_READ, OnMarkAllRead)
    ON_COMMAND(ID_FOLDER_MARK_ALL_UNREAD, OnMarkAllUnread)
    ON_UPDATE_COMMAND_UI(ID_FOLDER_CREATE, OnUpdateFolderCreate)
    ON_UPDATE_COMMAND_UI(ID_FOLDER_DELETE, OnUpdateNotBusy)
    ON_UPDATE_COMMAND_UI(ID_FOLDER_RENAME, OnUpdateNotBusy)
    ON_UPDATE_COMMAND_UI(ID_FOLDER_PROPERTIES, OnUpdateNotBusy)
END_MESSAGE_MAP()

namespace {

int ProfileInt(const char* section, const char* key, int def)
{
    CQuendalApp* pApp = QuendalApp();
    return pApp ? pApp->GetProfileInt(section, key, def) : def;
}

bool IsSystemKind(int nKind)
{
    return nKind >= 1 && nKind <= 8;
}

} // namespace

CFolderTree::CFolderTree() : CFormView(IDD_FOLDER_PANE)
{
}

CFolderTree::~CFolderTree()
{
    if (m_hBackBrush)
        ::DeleteObject(m_hBackBrush);
    if (m_hTreeFont)
        ::DeleteObject(m_hTreeFont);
}

CMainFrame* CFolderTree::GetMainFrame() const
{
    return dynamic_cast<CMainFrame*>(GetParentFrame());
}

CMailFolderStore* CFolderTree::StoreOf(HTREEITEM hItem) const
{
    CQuendalApp* pApp = QuendalApp();
    return pApp && hItem ? pApp->FindFolder(static_cast<int>(m_tree.GetItemData(hItem))) : nullptr;
}

void CFolderTree::OnInitialUpdate()
{
    if (m_tree.m_hWnd)
        return;
    m_tree.SubclassDlgItem(IDC_FOLDER_TREE, this);
    m_combo.SubclassDlgItem(IDC_ACCOUNT_COMBO, this);
    m_hWndFocus = m_tree.m_hWnd;
    m_tree.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    if (CreateFolderImageList(m_images))
        m_tree.SetImageList(m_images.m_hImageList, TVSIL_NORMAL);
    BuildTree();
    // The profile in use was chosen before the window was made.
    CQuendalApp* pApp = QuendalApp();
    if (pApp && !pApp->GetProfileName().IsEmpty())
        RebuildForProfile();
    FillAccountCombo();
    if (m_combo.GetCount() > 0 && !(pApp && pApp->m_bProfileChangeMainFrame)) {
        m_combo.SetCurSel(0);
        OnAccountChange();
    }
    ApplyColors();
    RegisterDropTarget();
    for (HWND h : { m_tree.m_hWnd, static_cast<HWND>(m_combo.m_hWnd) })
        ImmAssociateContext(h, nullptr);
    RECT rc = {};
    GetClientRect(&rc);
    OnSize(SIZE_RESTORED, rc.right, rc.bottom);
}

void CFolderTree::OnSize(UINT, int cx, int cy)
{
    Default();
    if (!m_tree.m_hWnd)
        return;
    RECT combo = {}, tree = {};
    ::GetWindowRect(m_combo.m_hWnd, &combo);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&combo), 2);
    ::GetWindowRect(m_tree.m_hWnd, &tree);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&tree), 2);
    int width = cx - 3 > 0 ? cx - 3 : 0;
    m_combo.SetWindowPos(nullptr, 2, combo.top, width, combo.bottom - combo.top, SWP_NOZORDER);
    int height = cy - 2 - tree.top;
    m_tree.SetWindowPos(nullptr, 2, tree.top, width, height > 0 ? height : 0, SWP_NOZORDER);
}

BOOL CFolderTree::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_TAB && pMsg->hwnd == m_tree.m_hWnd) {
        if (CMainFrame* pFrame = GetMainFrame()) {
            pFrame->CycleActivePane(nullptr);
            return TRUE;
        }
    }
    // The tree's own label edit needs Enter and Esc for itself.
    if (pMsg->message == WM_KEYDOWN && m_tree.m_hWnd && pMsg->hwnd == m_tree.GetEditControl())
        return FALSE;
    return CFormView::PreTranslateMessage(pMsg);
}

// ---- Building ----

void CFolderTree::BuildTree()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || !m_tree.m_hWnd)
        return;
    CString mailbox = pApp->GetMailBoxFolder();
    if (mailbox.IsEmpty() || !DirectoryExists(mailbox))
        return;
    // The stores are made anew: nothing may keep showing the old ones.
    CMainFrame* pFrame = GetMainFrame();
    if (pFrame && pFrame->GetListView())
        pFrame->GetListView()->ClearFolder();
    m_bBuilding = true;
    m_tree.SendMessage(WM_SETREDRAW, FALSE);
    m_tree.DeleteAllItems();
    pApp->OpenFolderList();
    // The open-folder list is in tree order: every parent before its children.
    HTREEITEM hInbox = nullptr;
    for (int i = 0; i < pApp->GetFolderCount(); ++i) {
        CMailFolderStore* store = pApp->GetFolderAt(i);
        const CFolderRecord& r = store->GetFolderRecord();
        CMailFolderStore* parent = r.m_nParentId ? pApp->FindFolder(r.m_nParentId) : nullptr;
        HTREEITEM hParent = parent && parent->m_hTreeItem ? static_cast<HTREEITEM>(parent->m_hTreeItem) : TVI_ROOT;
        HTREEITEM hItem = m_tree.InsertItem(r.m_strName, r.m_nIcon, r.m_nIcon, hParent, TVI_LAST, r.m_nId);
        store->m_hTreeItem = hItem;
        if (hParent != TVI_ROOT && parent->GetFolderRecord().m_bExpanded)
            m_tree.Expand(hParent, TVE_EXPAND);
        if (r.m_nKind == CFolderRecord::kindInbox)
            hInbox = hItem;
    }
    for (HTREEITEM h = m_tree.GetRootItem(); h; h = m_tree.GetNextSiblingItem(h))
        RefreshItemCounts(h);
    if (hInbox) {
        pApp->SetCurrentFolder(static_cast<int>(m_tree.GetItemData(hInbox)));
        m_tree.SelectItem(hInbox);
    }
    // Plug-ins hear that the folders are loaded (their "OnMailFolderLoad").
    const int kPlugInEventFolderLoad = 13;
    if (GetMainFrameHooks().pfnFirePlugInEvent)
        GetMainFrameHooks().pfnFirePlugInEvent(kPlugInEventFolderLoad, nullptr, 0);
    m_tree.SendMessage(WM_SETREDRAW, TRUE);
    m_tree.Invalidate();
    m_bBuilding = false;
    OpenSelectedFolder();
}

void CFolderTree::RebuildForProfile()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || !m_tree.m_hWnd)
        return;
    CMainFrame* pFrame = GetMainFrame();
    if (pFrame)
        pFrame->WaitCursor(TRUE);
    SaveTreeState();
    // The file as it is now: folders made since the switch joined it.
    std::vector<int> listed;
    if (!pApp->GetProfileName().IsEmpty())
        listed = ReadProfile(pApp->GetProfileBoxPath() + "\\" + pApp->GetProfileName()).folderIds;
    pApp->m_profileFolderIds.RemoveAll();
    for (int id : listed)
        pApp->m_profileFolderIds.Add(static_cast<DWORD>(id));
    std::vector<ProfileTreeFolder> folders;
    for (int i = 0; i < pApp->GetFolderCount(); ++i) {
        const CFolderRecord& r = pApp->GetFolderAt(i)->GetFolderRecord();
        folders.push_back({ r.m_nId, r.m_nParentId, r.m_nKind, r.m_bExpanded != FALSE });
    }
    ProfileTreePlan plan = PlanProfileTree(folders, pApp->GetProfileName().IsEmpty() ? nullptr : &listed);

    m_bBuilding = true;
    m_tree.SendMessage(WM_SETREDRAW, FALSE);
    const int selected = GetSelectedFolderId();
    for (int i = 0; i < pApp->GetFolderCount(); ++i)
        pApp->GetFolderAt(i)->m_hTreeItem = nullptr;
    m_tree.DeleteAllItems();
    for (const ProfileTreePlace& place : plan.places) {
        CMailFolderStore* store = pApp->FindFolder(place.nId);
        if (!store)
            continue;
        const CFolderRecord& r = store->GetFolderRecord();
        HTREEITEM hParent = place.nParentId ? FindItem(place.nParentId) : nullptr;
        store->m_hTreeItem = m_tree.InsertItem(r.m_strName, r.m_nIcon, r.m_nIcon, hParent ? hParent : TVI_ROOT,
                                               TVI_LAST, r.m_nId);
        if (hParent && place.bExpandParent)
            m_tree.Expand(hParent, TVE_EXPAND);
    }
    const int target = FindItem(selected) ? selected : plan.nFallbackId;
    if (HTREEITEM hTarget = FindItem(target))
        m_tree.SelectItem(hTarget);
    UpdateAllItemImages(m_tree.GetRootItem());
    m_tree.SendMessage(WM_SETREDRAW, TRUE);
    m_tree.Invalidate();
    m_bBuilding = false;
    OpenSelectedFolder();
    // The account box offers the profile's accounts, or the profiles themselves.
    FillAccountCombo();
    pApp->SyncRouteAccounts();
    if (pFrame) {
        pFrame->RecalcLayout();
        pFrame->WaitCursor(FALSE);
    }
}

void CFolderTree::FillAccountCombo()
{
    CString previous = m_combo.GetCurSel() >= 0 ? m_combo.GetLBText(m_combo.GetCurSel()) : CString();
    m_combo.ResetContent();
    CQuendalApp* pApp = QuendalApp();
    const bool bProfiles = pApp && pApp->m_bProfileChangeMainFrame;
    SetDlgItemText(IDC_ACCOUNT_LABEL, bProfiles ? "プロファイル" : "受信アカウント");
    if (bProfiles) {
        for (const CString& name : ListProfileNames(pApp->GetProfileBoxPath()))
            m_combo.AddString(name);
        CString current = pApp->GetProfileName();
        int sel = current.IsEmpty() ? -1 : m_combo.FindStringExact(-1, current);
        m_combo.SetCurSel(sel >= 0 ? sel : 0);
        return;
    }
    if (!pApp || !pApp->m_pAccountDataSet)
        return;
    CAccountDataSet* accounts = pApp->m_pAccountDataSet;
    for (int i = 0; i < accounts->GetRecordCount(TRUE); ++i) {
        CAccountData* a = accounts->GetAccount(i);
        // A profile shows only its own accounts.
        if (!a || !a->m_bInProfile)
            continue;
        int pos = m_combo.AddString(a->GetAccountName());
        m_combo.SetItemData(pos, static_cast<DWORD_PTR>(i));
    }
    int sel = previous.IsEmpty() ? -1 : m_combo.FindStringExact(-1, previous);
    m_combo.SetCurSel(sel >= 0 ? sel : 0);
}

void CFolderTree::OnAccountChange()
{
    if (m_combo.GetDroppedState())
        return;
    int sel = m_combo.GetCurSel();
    CQuendalApp* pApp = QuendalApp();
    if (sel < 0 || !pApp)
        return;
    if (pApp->m_bProfileChangeMainFrame) {
        CString name = m_combo.GetLBText(sel);
        if (name == pApp->GetProfileName())
            return;
        // A running transfer reads the account table a profile replaces.
        CMainFrame* pFrame = GetMainFrame();
        if (pFrame && (pFrame->IsReceiving() || pFrame->IsSending())) {
            FillAccountCombo();
            return;
        }
        pApp->SetProfileName(name);
    } else if (pApp->m_pAccountDataSet) {
        // The chosen account is the one receiving and new mails use.
        pApp->m_pAccountDataSet->m_nCurrentAccount = static_cast<int>(m_combo.GetItemData(sel));
    }
    pApp->SyncRouteAccounts();
}

void CFolderTree::OnAccountCloseUp()
{
    OnAccountChange();
    // A profile chosen, the keys go back to the folders.
    CQuendalApp* pApp = QuendalApp();
    if (pApp && pApp->m_bProfileChangeMainFrame && ::GetFocus() == m_combo.m_hWnd)
        m_tree.SetFocus();
}

void CFolderTree::SelectAdjacentFolder(BOOL bNext)
{
    HTREEITEM current = m_tree.GetSelectedItem();
    HTREEITEM target = !current ? m_tree.GetRootItem()
                     : bNext    ? m_tree.GetNextVisibleItem(current)
                                : m_tree.GetPrevVisibleItem(current);
    if (!target)
        return;
    m_tree.SelectItem(target);
    m_tree.EnsureVisible(target);
}

void CFolderTree::ScrollTree(BOOL bDown)
{
    if (bDown) {
        m_tree.SendMessage(WM_VSCROLL, SB_LINEDOWN);
        return;
    }
    HTREEITEM first = m_tree.GetFirstVisibleItem();
    HTREEITEM above = first ? m_tree.GetPrevVisibleItem(first) : nullptr;
    if (above)
        m_tree.EnsureVisible(above);
}

void CFolderTree::DropDownAccounts()
{
    if (!m_combo.m_hWnd)
        return;
    m_combo.SetFocus();
    m_combo.SendMessage(CB_SHOWDROPDOWN, TRUE);
}

void CFolderTree::ApplyColors()
{
    COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    m_crBack = static_cast<COLORREF>(ProfileInt("Color", "TreeBkColor", 0xFFF3C8));
    m_crText = static_cast<COLORREF>(ProfileInt("Color", "TreeTextColor", static_cast<int>(windowText)));
    COLORREF unread = static_cast<COLORREF>(ProfileInt("Color", "TreeNotReadColor", static_cast<int>(windowText)));
    m_tree.m_crUnread = unread;
    m_tree.m_crUnread2 = static_cast<COLORREF>(ProfileInt("Color", "TreeNotReadColor2", static_cast<int>(unread)));
    m_tree.m_crCount = static_cast<COLORREF>(ProfileInt("Color", "TreeMailCount", static_cast<int>(::GetSysColor(COLOR_GRAYTEXT))));
    m_tree.SetBkColor(m_crBack);
    m_tree.SetTextColor(m_crText);
    if (m_hBackBrush)
        ::DeleteObject(m_hBackBrush);
    m_hBackBrush = ::CreateSolidBrush(m_crBack);
    LOGFONTA lf = GetFontSetting("FontFolder");
    HDC hDC = ::GetDC(m_hWnd);
    lf.lfHeight = FontPixelHeight(lf.lfHeight, ::GetDeviceCaps(hDC, LOGPIXELSY));
    ::ReleaseDC(m_hWnd, hDC);
    HFONT font = ::CreateFontIndirectA(&lf);
    if (font) {
        m_tree.SetFont(font);
        if (m_hTreeFont)
            ::DeleteObject(m_hTreeFont);
        m_hTreeFont = font;
    }
    m_tree.Invalidate();
    m_combo.Invalidate();
}

HBRUSH CFolderTree::OnCtlColor(HDC hDC, HWND, UINT nCtlColor)
{
    if ((nCtlColor == WM_CTLCOLOREDIT || nCtlColor == WM_CTLCOLORLISTBOX) && m_hBackBrush) {
        ::SetTextColor(hDC, m_crText);
        ::SetBkColor(hDC, m_crBack);
        return m_hBackBrush;
    }
    return reinterpret_cast<HBRUSH>(Default());
}

// ---- Items and counts ----

HTREEITEM CFolderTree::FindItem(int nFolderId) const
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* store = pApp ? pApp->FindFolder(nFolderId) : nullptr;
    return store ? static_cast<HTREEITEM>(store->m_hTreeItem) : nullptr;
}

int CFolderTree::GetSelectedFolderId() const
{
    HTREEITEM hItem = m_tree.GetSelectedItem();
    return hItem ? static_cast<int>(m_tree.GetItemData(hItem)) : 0;
}

bool CFolderTree::HasUnreadBelow(HTREEITEM hItem) const
{
    for (HTREEITEM h = m_tree.GetChildItem(hItem); h; h = m_tree.GetNextSiblingItem(h)) {
        CMailFolderStore* s = StoreOf(h);
        if ((s && s->GetUnreadCount() > 0) || HasUnreadBelow(h))
            return true;
    }
    return false;
}

void CFolderTree::UpdateItemImage(HTREEITEM hItem)
{
    CMailFolderStore* store = StoreOf(hItem);
    if (!store)
        return;
    bool expanded = m_tree.IsItemExpanded(hItem);
    bool hasMail = FolderRules::CountsAllMails(store->GetKind()) ? store->GetMailCount() > 0 : store->GetUnreadCount() > 0;
    if (!hasMail && !expanded)
        hasMail = HasUnreadBelow(hItem);
    CQuendalApp* pApp = QuendalApp();
    bool open = expanded || (pApp && pApp->GetCurrentFolderId() == store->GetFolderId());
    int image = FolderRules::FolderImageIndex(store->GetFolderRecord().m_nIcon, hasMail, open);
    int current = -1, selected = -1;
    m_tree.GetItemImage(hItem, current, selected);
    if (current != image || selected != image)
        m_tree.SetItemImage(hItem, image, image);
}

void CFolderTree::RefreshItemCounts(HTREEITEM hItem)
{
    if (!hItem)
        return;
    UpdateItemImage(hItem);
    for (HTREEITEM h = m_tree.GetChildItem(hItem); h; h = m_tree.GetNextSiblingItem(h))
        UpdateItemImage(h);
    // A collapsed ancestor shows whether anything below it has mail.
    HTREEITEM hTopCollapsed = nullptr;
    for (HTREEITEM h = m_tree.GetParentItem(hItem); h; h = m_tree.GetParentItem(h))
        if (!m_tree.IsItemExpanded(h))
            hTopCollapsed = h;
    if (hTopCollapsed)
        UpdateItemImage(hTopCollapsed);
    RECT rc = {};
    if (m_tree.GetItemRect(hItem, &rc, FALSE))
        ::InvalidateRect(m_tree.m_hWnd, &rc, TRUE);
}

void CFolderTree::UpdateAllItemImages(HTREEITEM hFirst)
{
    for (HTREEITEM h = hFirst; h; h = m_tree.GetNextSiblingItem(h)) {
        UpdateAllItemImages(m_tree.GetChildItem(h));
        UpdateItemImage(h);
    }
}

void CFolderTree::RefreshFolderItem(int nFolderId)
{
    if (HTREEITEM hItem = FindItem(nFolderId)) {
        UpdateItemImage(hItem);
        for (HTREEITEM h = m_tree.GetParentItem(hItem); h; h = m_tree.GetParentItem(h))
            UpdateItemImage(h);
        m_tree.Invalidate(FALSE);
    }
}

BOOL CFolderTree::SelectFolder(int nFolderId)
{
    HTREEITEM hItem = FindItem(nFolderId);
    if (!hItem)
        return FALSE;
    m_tree.SelectItem(hItem);
    m_tree.EnsureVisible(hItem);
    return TRUE;
}

void CFolderTree::OpenSelectedFolder()
{
    CQuendalApp* pApp = QuendalApp();
    int id = GetSelectedFolderId();
    if (!pApp || !id)
        return;
    CMainFrame* pFrame = GetMainFrame();
    if (pFrame && (id != pApp->GetCurrentFolderId() || !pFrame->GetListView() || pFrame->GetListView()->GetFolderId() != id))
        pFrame->ChangeFolder(id);
}

void CFolderTree::OnSelChanged(NMHDR* pHdr, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMTREEVIEWA*>(pHdr);
    *pResult = 0;
    if (m_bBuilding)
        return;
    CQuendalApp* pApp = QuendalApp();
    int previous = pApp ? pApp->GetCurrentFolderId() : 0;
    OpenSelectedFolder();
    if (nm->itemOld.hItem)
        UpdateItemImage(nm->itemOld.hItem);
    if (HTREEITEM hOld = FindItem(previous))
        UpdateItemImage(hOld);
    if (nm->itemNew.hItem)
        UpdateItemImage(nm->itemNew.hItem);
}

void CFolderTree::OnItemExpanded(NMHDR* pHdr, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMTREEVIEWA*>(pHdr);
    *pResult = 0;
    HTREEITEM hItem = nm->itemNew.hItem;
    UpdateItemImage(hItem);
    // Every level below an expanded item shows its own state again.
    struct Walk
    {
        CFolderTree* self;
        void operator()(HTREEITEM h) const
        {
            for (HTREEITEM c = self->m_tree.GetChildItem(h); c; c = self->m_tree.GetNextSiblingItem(c)) {
                self->UpdateItemImage(c);
                (*this)(c);
            }
        }
    };
    Walk{ this }(hItem);
}

void CFolderTree::OnRightClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    POINT pt;
    ::GetCursorPos(&pt);
    TVHITTESTINFO hit = {};
    hit.pt = pt;
    ::ScreenToClient(m_tree.m_hWnd, &hit.pt);
    if (HTREEITEM hItem = m_tree.HitTest(&hit))
        m_tree.SelectItem(hItem);
    // The context menu follows through WM_CONTEXTMENU.
    SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_tree.m_hWnd), MAKELPARAM(pt.x, pt.y));
    *pResult = 1;
}

void CFolderTree::OnReturn(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}

LRESULT CFolderTree::OnContextMenu(WPARAM, LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    if (pt.x == -1 && pt.y == -1) {
        pt = { 8, 8 };
        ::ClientToScreen(m_hWnd, &pt);
    }
    CMenu menu;
    if (!menu.LoadMenu(IDR_FOLDER_CONTEXT))
        return 0;
    HMENU hPopup = menu.GetSubMenu(0);
    CMainFrame* pFrame = GetMainFrame();
    bool busy = pFrame && pFrame->IsReceiving();
    for (UINT id : { ID_FOLDER_DELETE, ID_FOLDER_RENAME, ID_FOLDER_PROPERTIES, ID_FOLDER_CREATE })
        if (busy)
            ::EnableMenuItem(hPopup, id, MF_BYCOMMAND | MF_GRAYED);
    CMailFolderStore* store = StoreOf(m_tree.GetSelectedItem());
    if (store && IsSystemKind(store->GetKind()))
        ::EnableMenuItem(hPopup, ID_FOLDER_DELETE, MF_BYCOMMAND | MF_GRAYED);
    UINT cmd = ::TrackPopupMenu(hPopup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    if (cmd)
        SendMessage(WM_COMMAND, cmd);
    return 0;
}

// ---- Saving ----

void CFolderTree::SaveTreeState()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || pApp->GetFolderCount() == 0 || !m_tree.m_hWnd)
        return;
    for (int i = 0; i < pApp->GetFolderCount(); ++i) {
        CMailFolderStore* store = pApp->GetFolderAt(i);
        if (store && store->m_hTreeItem)
            store->GetFolderRecord().m_bExpanded = m_tree.IsItemExpanded(static_cast<HTREEITEM>(store->m_hTreeItem));
    }
    pApp->SaveFolderList();
}

void CFolderTree::BackupFolderList()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return;
    CString dat = pApp->GetFolderDataPath();
    CString bak = dat;
    ReplaceFileExtension(bak, ".bak");
    ::CopyFileA(dat, bak, FALSE);
}

void CFolderTree::OnDestroy()
{
    RevokeDropTarget();
    CQuendalApp* pApp = QuendalApp();
    if (pApp && pApp->GetFolderCount() > 0) {
        SaveTreeState();
        // Every store writes its settings and lets go of its files.
        for (int i = 0; i < pApp->GetFolderCount(); ++i)
            if (CMailFolderStore* s = pApp->GetFolderAt(i))
                s->WriteFolderSettings();
        if (CMainFrame* pFrame = GetMainFrame())
            if (CQListView* pList = pFrame->GetListView())
                pList->ClearFolder();
        pApp->CloseAllFolders();
    }
    CFormView::OnDestroy();
}

// ---- Commands ----

void CFolderTree::OnUpdateFolderCreate(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
}

void CFolderTree::OnUpdateNotBusy(CCmdUI* pCmdUI)
{
    CMainFrame* pFrame = GetMainFrame();
    pCmdUI->Enable(!(pFrame && pFrame->IsReceiving()));
}

void CFolderTree::OnFolderCreate()
{
    HTREEITEM hSelected = m_tree.GetSelectedItem();
    CDlgNewFolder dlg(hSelected, &m_tree, GetParentFrame());
    if (dlg.DoModal() != IDOK)
        return;
    CreateFolder(nullptr, hSelected, dlg.m_strName, dlg.m_nPosition, TRUE);
}

int CFolderTree::CreateFolder(const char* pszDirectory, HTREEITEM hItem, const char* pszName, int nPosition,
                              BOOL bNewDirectory, int nProfileScope)
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp)
        return 0;
    CString name = pszName && *pszName ? pszName : "新しいフォルダ";
    // Folder names become directory names; a name that is no single entry
    // would place the data outside the "Folders" directory.
    if (!ValidateEntryName(name))
        return 0;
    CString folders = pApp->GetFoldersPath();
    CString directory;
    if (pszDirectory && *pszDirectory) {
        directory = pszDirectory;
    } else {
        if (FolderRules::IsFolderPathTooLong(folders, name)) {
            AfxMessageBox(59170, MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
        directory = bNewDirectory ? FolderRules::NewFolderDirectory(folders, name) : CombinePath(folders, name + ".Box");
    }
    if (bNewDirectory) {
        CreateDirectoryPath(directory);
        if (!DirectoryExists(directory)) {
            AfxMessageBox(59159, MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
    }
    // Where the item goes and who its parent is.
    HTREEITEM hParent = TVI_ROOT, hAfter = TVI_LAST;
    if (hItem) {
        if (nPosition == 2) {
            hParent = hItem;
        } else {
            HTREEITEM p = m_tree.GetParentItem(hItem);
            hParent = p ? p : TVI_ROOT;
            if (nPosition == 1) {
                hAfter = hItem;
            } else {
                HTREEITEM prev = m_tree.GetPrevSiblingItem(hItem);
                hAfter = prev ? prev : TVI_FIRST;
            }
        }
    }
    CMailFolderStore* parent = hParent != TVI_ROOT ? StoreOf(hParent) : nullptr;
    CFolderRecord record;
    record.m_nParentId = parent ? parent->GetFolderId() : 0;
    FolderRules::NewFolderKind(parent ? parent->GetKind() : -1, parent ? parent->GetFolderRecord().m_nIcon : 0,
                               record.m_nKind, record.m_nIcon);
    record.m_nId = pApp->GetNewFolderId();
    record.m_strName = name;
    record.m_strPath = directory;
    record.m_strSound = "";
    HTREEITEM hNew = m_tree.InsertItem(name, record.m_nIcon, record.m_nIcon, hParent, hAfter, record.m_nId);
    // The registry keeps the tree order: after the previous sibling's block, or first below the parent.
    HTREEITEM hPrev = m_tree.GetPrevSiblingItem(hNew);
    int afterId = hPrev ? static_cast<int>(m_tree.GetItemData(hPrev)) : 0;
    CMailFolderStore* store = nullptr;
    if (afterId) {
        CPtrArray block;
        pApp->CollectSubFolders(afterId, block);
        CMailFolderStore* last = block.IsEmpty() ? nullptr : static_cast<CMailFolderStore*>(block[block.GetSize() - 1]);
        store = pApp->AddFolder(last ? last->GetFolderId() : afterId, 0, hNew, record);
    } else if (parent) {
        store = pApp->AddFolder(parent->GetFolderId(), 0, hNew, record);
    } else {
        store = pApp->AddFolder(0, 0, hNew, record);
        // A first top-level item goes to the front of the list.
        if (hAfter == TVI_FIRST) {
            int pos = -1;
            pApp->FindFolder(record.m_nId, &pos);
            if (pos > 0) {
                pApp->m_folderStores.RemoveAt(pos);
                pApp->m_folderStores.InsertAt(0, store);
            }
        }
    }
    if (store)
        store->WriteFolderSettings();
    if (hParent != TVI_ROOT)
        m_tree.Expand(hParent, TVE_EXPAND);
    SaveTreeState();
    BackupFolderList();
    // The new folder stays shown where the profiles showed its parent.
    if (nProfileScope == 2) {
        pApp->AddIdToAllProfiles(nullptr, record.m_nId);
    } else if (nProfileScope == 0 && record.m_nParentId) {
        const std::vector<int> parent = { record.m_nParentId };
        pApp->AddIdToAllProfiles(&parent, record.m_nId);
    } else {
        pApp->AddIdToProfile(record.m_nId);
    }
    return record.m_nId;
}

void CFolderTree::OnFolderDelete()
{
    DeleteFolder();
}

void CFolderTree::RemoveFolderItem(HTREEITEM hItem, CMailFolderStore* pStore)
{
    CQuendalApp* pApp = QuendalApp();
    int id = pStore->GetFolderId();
    CMainFrame* pFrame = GetMainFrame();
    if (pFrame && pFrame->GetListView() && pFrame->GetListView()->GetFolderId() == id)
        pFrame->GetListView()->ClearFolder();
    pStore->m_hTreeItem = nullptr;
    m_bBuilding = true;
    m_tree.DeleteItem(hItem);
    m_bBuilding = false;
    pApp->RemoveFolder(id);
    SaveTreeState();
    BackupFolderList();
    OpenSelectedFolder();
}

int CFolderTree::DeleteFolder(BOOL, int)
{
    CQuendalApp* pApp = QuendalApp();
    HTREEITEM hItem = m_tree.GetSelectedItem();
    if (!hItem || !pApp) {
        OpenSelectedFolder();
        return 1;
    }
    CMailFolderStore* store = StoreOf(hItem);
    if (!store)
        return 0;
    if (IsSystemKind(store->GetKind())) {
        AfxMessageBox("このフォルダは削除できません", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    if (m_tree.ItemHasChildren(hItem)) {
        AfxMessageBox(59154, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    CString dir = store->GetFolderPath();
    CString inside, same;
    for (int i = 0; i < pApp->GetFolderCount(); ++i) {
        CMailFolderStore* s = pApp->GetFolderAt(i);
        if (!s || s == store || dir.IsEmpty())
            continue;
        const CString& other = s->GetFolderPath();
        if (other.GetLength() > dir.GetLength() && other.Left(dir.GetLength()).CompareNoCase(dir) == 0 &&
            other[dir.GetLength()] == '\\')
            inside += "\r\n\t<" + s->GetFolderName() + ">";
        else if (other == dir)
            same += "\r\n\t<" + s->GetFolderName() + ">";
    }
    int choice;
    if (!inside.IsEmpty()) {
        CDlgDataFolderDeleteConfirm dlg(TRUE, GetParentFrame());
        dlg.m_strText.LoadString(59174);
        dlg.m_strText += "\r\n" + inside;
        dlg.DoModal();
        return 0;
    }
    if (!same.IsEmpty()) {
        CDlgDataFolderDeleteConfirm dlg(FALSE, GetParentFrame());
        dlg.m_strText.LoadString(59161);
        dlg.m_strText += "\r\n" + same;
        INT_PTR r = dlg.DoModal();
        choice = r == 1 ? 1 : r == 3 ? 2 : 0;
    } else {
        CDlgFolderDeleteConfirm dlg(GetParentFrame());
        choice = static_cast<int>(dlg.DoModal());
    }
    if (choice != 1 && choice != 2)
        return 0;
    if (choice == 1 && !dir.IsEmpty() && DirectoryExists(dir)) {
        // The store lets go of its files before its directory goes.
        CMainFrame* pFrame = GetMainFrame();
        if (pFrame && pFrame->GetListView() && pFrame->GetListView()->GetFolderId() == store->GetFolderId())
            pFrame->GetListView()->ClearFolder();
        store->UnloadIndex();
        if (MoveToRecycleBin(dir) != 0 && DirectoryExists(dir)) {
            AfxMessageBox(IDS_FOLDER_RECYCLE_FAILED, MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
    }
    RemoveFolderItem(hItem, store);
    return 1;
}

void CFolderTree::OnFolderRename()
{
    RenameFolder();
}

void CFolderTree::RenameFolder()
{
    HTREEITEM hItem = m_tree.GetSelectedItem();
    CMailFolderStore* store = StoreOf(hItem);
    if (!store)
        return;
    CDlgInputFolderName dlg(GetParentFrame());
    dlg.m_strName = m_tree.GetItemText(hItem);
    if (dlg.DoModal() != IDOK)
        return;
    m_tree.SetItemText(hItem, dlg.m_strName);
    ApplyRename(hItem, store, dlg.m_strName);
    BackupFolderList();
}

void CFolderTree::ApplyRename(HTREEITEM, CMailFolderStore* pStore, const CString& name)
{
    pStore->SetFolderName(name);
    pStore->WriteFolderSettings();
    if (!pStore->IsIndexLoaded())
        pStore->GetMailList();
    SaveTreeState();
}

void CFolderTree::OnBeginLabelEdit(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}

void CFolderTree::OnEndLabelEdit(NMHDR* pHdr, LRESULT* pResult)
{
    auto* info = reinterpret_cast<NMTVDISPINFOA*>(pHdr);
    *pResult = 0;
    // A cancelled edit (Esc) brings no text: the name stays as it was.
    if (!info->item.pszText)
        return;
    CString name = info->item.pszText;
    HTREEITEM hItem = info->item.hItem;
    CMailFolderStore* store = StoreOf(hItem);
    if (!store || name == m_tree.GetItemText(hItem))
        return;
    if (!ValidateEntryName(name))
        return;
    if (store->GetKind() != 0) {
        m_tree.SetItemText(hItem, name);
        ApplyRename(hItem, store, name);
        BackupFolderList();
        return;
    }
    // An ordinary folder's data directory follows its name; it must not
    // land on a directory that exists already (another folder's, or a stranger's).
    CString oldDir = store->GetFolderPath();
    CString newDir = FolderRules::RenamedFolderDirectory(oldDir, name);
    if (newDir.CompareNoCase(oldDir) != 0) {
        if (PathExists(newDir)) {
            AfxMessageBox(59159, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        CQuendalApp* pApp = QuendalApp();
        CMainFrame* pFrame = GetMainFrame();
        bool shown = pFrame && pFrame->GetListView() && pFrame->GetListView()->GetFolderId() == store->GetFolderId();
        if (shown)
            pFrame->GetListView()->ClearFolder();
        store->UnloadIndex();
        BOOL moved = ::MoveFileA(oldDir, newDir);
        if (!moved || !store->SetFolderPath(newDir)) {
            if (moved)
                ::MoveFileA(newDir, oldDir);
            store->SetFolderPath(oldDir);
            if (shown && pApp)
                pFrame->ChangeFolder(store->GetFolderId());
            AfxMessageBox(59159, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        if (shown && pApp)
            pFrame->ChangeFolder(store->GetFolderId());
    }
    m_tree.SetItemText(hItem, name);
    ApplyRename(hItem, store, name);
    BackupFolderList();
}

void CFolderTree::OnFolderProperties()
{
    ShowFolderProperties();
}

void CFolderTree::ShowFolderProperties()
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* store = pApp ? pApp->GetCurrentFolder() : nullptr;
    if (!store)
        return;
    CDlgFolderProperties dlg(store, GetParentFrame());
    if (dlg.DoModal() != IDOK)
        return;
    if (HTREEITEM hItem = static_cast<HTREEITEM>(store->m_hTreeItem)) {
        m_tree.SetItemText(hItem, store->GetFolderName());
        RefreshItemCounts(hItem);
    }
    SaveTreeState();
    BackupFolderList();
    pApp->RefreshSubjectTagFlag(store->GetFolderId());
    if (CMainFrame* pFrame = GetMainFrame())
        if (CQListView* pList = pFrame->GetListView())
            if (pList->GetFolderId() == store->GetFolderId())
                pList->ShowFolder(store, FALSE, TRUE);
}

void CFolderTree::MarkAllMails(BOOL bRead)
{
    CMailFolderStore* store = StoreOf(m_tree.GetSelectedItem());
    CMailListData* list = store ? store->GetMailList() : nullptr;
    CMainFrame* pFrame = GetMainFrame();
    if (!list)
        return;
    if (pFrame)
        pFrame->WaitCursor(TRUE);
    list->SetAllOpen(bRead);
    if (pFrame) {
        if (CQListView* pList = pFrame->GetListView()) {
            if (pList->GetFolderStore() == store) {
                pList->Invalidate(FALSE);
                pList->NotifyFolderCounts();
            }
        }
        pFrame->WaitCursor(FALSE);
    }
    RefreshFolderItem(store->GetFolderId());
}
